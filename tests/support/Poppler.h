#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// What poppler's tools read from a PDF, as a reader of the file sees it.
namespace Poppler {

// The standard output of `tool` (pdfinfo, pdftotext, pdffonts, pdfimages) run on the file; empty when it
// fails.
inline QString run(const char *tool, QStringList arguments) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(QString::fromLatin1(tool)), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline int pages(const QString &pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
inline QString title(const QString &pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Title:\\s+([^\\n]*)")).match(run("pdfinfo", {pdf}));
    return m.captured(1).trimmed();
}
// "842x595" for A4 landscape, "595x842" for portrait (points, rounded).
inline QString pageSize(const QString &pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
            .match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? QStringLiteral("%1x%2")
                              .arg(qRound(m.captured(1).toDouble()))
                              .arg(qRound(m.captured(2).toDouble()))
                        : QString();
}
inline QString text(const QString &pdf) {
    return run("pdftotext", {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}
// The fonts' rows of pdffonts; each ends with its "emb sub uni" columns and object id.
inline QStringList fonts(const QString &pdf) {
    QStringList rows = run("pdffonts", {pdf}).split(u'\n', Qt::SkipEmptyParts);
    return rows.mid(2);
}
inline bool everyFontEmbedded(const QString &pdf) {
    const QStringList rows = fonts(pdf);
    for (const QString &row : rows)
        if (!row.contains(
                QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"))))
            return false;
    return !rows.isEmpty();
}
// The images in the file (pdfimages -list, one row each).
inline int images(const QString &pdf) {
    return int(run("pdfimages", {QStringLiteral("-list"), pdf}).split(u'\n', Qt::SkipEmptyParts).size()) - 2;
}

} // namespace Poppler

// Opens the assignment sheet's .docx in LibreOffice Writer and checks what the printed pages carry.
#include "AssignmentSheet.h"

#include "automation/WordProcessor.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Runs a program to its end; its output, or nullopt-like empty with *ok false when it failed to run.
QByteArray run(const QString &program, const QStringList &arguments, bool *ok, int timeoutMs = 120000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    *ok = process.waitForStarted(10000);
    if (*ok && !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        *ok = false;
    }
    *ok = *ok && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAll();
}

// Words of a text with any run of white space made one space: lines may break anywhere on a page.
QString words(const QString &text) {
    return text.simplified();
}

} // namespace

TEST(LibreOfficeDocx, AssignmentSheetOpensInWriterWithItsTextAndPages) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP()
            << "LibreOffice is not installed: apt-get install -y --no-install-recommends libreoffice-writer";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WordProcessor processor;
    AssignmentSheet sheet;
    QString error;
    ASSERT_TRUE(sheet.build(processor, dir.path(), &error)) << error.toStdString();
    const QString docx = dir.filePath(QStringLiteral("zadani.docx"));
    ASSERT_TRUE(processor.saveAs(docx, &error)) << error.toStdString();

    // A profile of its own, so that a LibreOffice the user runs does not get in the way.
    const QString profile = QStringLiteral("-env:UserInstallation=") +
                            QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    bool ok = false;
    const QByteArray output = run(soffice,
                                  {QStringLiteral("--headless"), QStringLiteral("--norestore"), profile,
                                   QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                                   QStringLiteral("--outdir"), dir.path(), docx},
                                  &ok);
    const QString pdf = dir.filePath(QStringLiteral("zadani.pdf"));
    ASSERT_TRUE(QFile::exists(pdf)) << "LibreOffice wrote no PDF: " << output.constData();
    EXPECT_GT(QFile(pdf).size(), 1000);

    // The text of the pages: from the PDF when poppler's tools are there, else Writer's own text export.
    QString text;
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (!pdftotext.isEmpty()) {
        text = QString::fromUtf8(
            run(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")}, &ok));
        ASSERT_TRUE(ok) << text.toStdString();
        // Two pages (the page break), A4 landscape: 841.89 × 595.28 pt.
        const QString info =
            QString::fromUtf8(run(QStandardPaths::findExecutable(QStringLiteral("pdfinfo")), {pdf}, &ok));
        ASSERT_TRUE(ok) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))))
            << info.toStdString();
        EXPECT_TRUE(
            info.contains(QRegularExpression(QStringLiteral("Page size:\\s+841\\.\\d+ x 595\\.\\d+ pts"))))
            << info.toStdString();
        // Pages are separated by form feeds: everything written is on the first page.
        text = text.section(u'\f', 0, 0);
    } else {
        run(soffice,
            {QStringLiteral("--headless"), QStringLiteral("--norestore"), profile,
             QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
             QStringLiteral("--outdir"), dir.path(), docx},
            &ok);
        QFile file(dir.filePath(QStringLiteral("zadani.txt")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "LibreOffice wrote no text";
        text = QString::fromUtf8(file.readAll());
    }
    const QString pageWords = words(text);
    EXPECT_TRUE(pageWords.contains(words(AssignmentSheet::title()))) << text.toStdString();
    for (const QString &line : AssignmentSheet::lines()) {
        // The label and the text after its tab stop.
        for (const QString &piece : line.split(u'\t'))
            EXPECT_TRUE(pageWords.contains(words(piece))) << piece.toStdString() << "\nin:\n"
                                                          << text.toStdString();
    }
    EXPECT_TRUE(pageWords.contains(QStringLiteral("Žluťoučký kůň úpěl ďábelské ódy"))) << text.toStdString();

    // Kept for a look by eye when asked to.
    const QString keep = qEnvironmentVariable("ORBELIS_KEEP_DOCUMENTS");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        for (const QString &name : {QStringLiteral("zadani.docx"), QStringLiteral("zadani.pdf")}) {
            QFile::remove(QDir(keep).filePath(name));
            QFile::copy(dir.filePath(name), QDir(keep).filePath(name));
        }
    }
}

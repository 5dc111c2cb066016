#include "analysis/AnalysisTexts.h"
#include "analysis/OutputPieces.h"
#include "analysis/grouping/Grouping.h"
#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "files/FileWriter.h"
#include "picture/PagedDocument.h"

#include <QFileInfo>

namespace Grouping {

namespace {

using namespace OutputPieces;

QString cardText(const Placement &pupil, const Result &result) {
    return pupil.name + QStringLiteral("  ") + marks(pupil, result);
}

const QString kLegend =
    QStringLiteral("✓ má ve skupině spolužáka, kterého si vybral; ○ nemá ve skupině nikoho, "
                   "koho si vybral; ✗ je ve skupině se spolužákem, kterého odmítl");

QString html(const Result &result) {
    const QStringList head = heading(result);
    QStringList out =
        htmlHead(head.value(0), QStringLiteral("div.group { display: inline-block; vertical-align: top; "
                                               "margin: 0 1.5em 1em 0; min-width: 12em; }\n"
                                               "div.group ul { padding-left: 1.2em; margin: 0.3em 0; }\n"));
    out << htmlHeading(head) << element("p", kLegend, QStringLiteral("class=\"meta\""));
    for (qsizetype g = 0; g < result.groups.size(); ++g) {
        out << QStringLiteral("<div class=\"group\">")
            << element("h2", QStringLiteral("Skupina %1 (%2)").arg(g + 1).arg(result.groups[g].size()))
            << QStringLiteral("<ul>");
        for (qint64 id : result.groups[g])
            if (const Placement *p = result.placement(id))
                out << element("li", cardText(*p, result));
        out << QStringLiteral("</ul>") << QStringLiteral("</div>");
    }
    out << element("h2", QStringLiteral("Hodnocení"));
    for (const QString &line : scoreSentences(result))
        out << element("p", line);
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

bool saveDocx(const Result &result, const QString &path, QString *error) {
    WordProcessor word;
    word.setMargins(kPageMargin);
    WordBody body;
    body.title(heading(result));
    body.paragraph(wordParagraph(0, 6), {{kLegend, wordItalic(9)}});
    for (qsizetype g = 0; g < result.groups.size(); ++g) {
        body.heading(QStringLiteral("Skupina %1 (%2)").arg(g + 1).arg(result.groups[g].size()), 12, 8);
        for (qint64 id : result.groups[g])
            if (const Placement *p = result.placement(id))
                body.paragraph(wordParagraph(0, 0), {{cardText(*p, result), wordText(11)}});
    }
    body.heading(QStringLiteral("Hodnocení"), 12, 10);
    for (const QString &line : scoreSentences(result))
        body.paragraph(wordParagraph(0, 2), {{line, wordText(11)}});
    word.pasteRichText(body.document());
    return word.saveAs(path, error);
}

} // namespace

QStringList heading(const Result &result) {
    QStringList lines{QStringLiteral("Rozdělení do skupin")};
    if (const QString place = AnalysisTexts::classLine(result.trida); !place.isEmpty())
        lines << place;
    QString session = result.questionnaireName;
    const QString date = AnalysisTexts::dateText(result.datum);
    if (!date.isEmpty())
        session += (session.isEmpty() ? QString() : QStringLiteral(", ")) + date;
    if (!session.isEmpty())
        lines << QStringLiteral("Vyhodnocení: ") + session;
    lines << (result.questionTexts.size() == 1 ? QStringLiteral("Otázka: ") : QStringLiteral("Otázky: ")) +
                 result.questionTexts.join(QStringLiteral("; "));
    return lines;
}

QString marks(const Placement &pupil, const Result &result) {
    QString text;
    if (!pupil.honoured.isEmpty())
        text += u'✓';
    else if (result.unmatched.contains(pupil.id))
        text += u'○';
    if (!pupil.rejectedInside.isEmpty())
        text += u'✗';
    return text;
}

PagedDocument pages(const Result &result) {
    return PagedDocuments::html(heading(result).value(0), html(result), QPageLayout::Portrait, {});
}

QStringList suffixes() {
    return {QStringLiteral("docx"), QStringLiteral("html"), QStringLiteral("pdf"),
            QStringLiteral("csv"),  QStringLiteral("json"), QStringLiteral("txt")};
}

bool save(const Result &result, const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("docx"))
        return saveDocx(result, path, error);
    if (suffix == QLatin1String("html"))
        return FileWriter::writeWhole(path, html(result).toUtf8(), error);
    if (suffix == QLatin1String("pdf"))
        return PagedDocuments::savePdf(pages(result), path, error);
    if (suffix == QLatin1String("csv"))
        return FileWriter::writeWhole(path, csv(result), error);
    if (suffix == QLatin1String("json"))
        return FileWriter::writeWhole(path, json(result), error);
    if (suffix == QLatin1String("txt"))
        return FileWriter::writeWhole(path, text(result).toUtf8(), error);
    if (error)
        *error = QStringLiteral("Neznámý typ výstupu „%1“: použijte .%2.")
                     .arg(QFileInfo(path).fileName(), suffixes().join(QStringLiteral(", .")));
    return false;
}

} // namespace Grouping

#include "analysis/AnalysisOutputs.h"

#include "analysis/AnalysisTexts.h"
#include "analysis/OutputPieces.h"
#include "analysis/SociometricAnalysis.h"
#include "analysis/StatusScatter.h"
#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "files/FileWriter.h"
#include "picture/PagedDocument.h"

#include <QFileInfo>

#include <algorithm>

namespace {

using namespace OutputPieces;
using Sociometry::Status;

const QString kScatterHeading = QStringLiteral("Preference a vliv");

// The index lines as both documents show them: name, value and explanation.
struct IndexRow {
    QString name;
    QString value;
    QString explanation;
};
QList<IndexRow> indexRows(const SociometricAnalysis &a) {
    QList<IndexRow> rows;
    for (const AnalysisTexts::IndexLine &line : AnalysisTexts::groupIndices(a))
        rows.append({line.name, AnalysisTexts::figure(line.value), line.explanation});
    return rows;
}

// ---------------------------------------------------------------------------------------------------------
// HTML

QString htmlIndices(const SociometricAnalysis &a) {
    QStringList out;
    out << QStringLiteral("<h2>Třída</h2>") << QStringLiteral("<table class=\"indices\">")
        << QStringLiteral("<thead><tr><th>Ukazatel</th><th>Hodnota</th><th>Význam</th></tr></thead><tbody>");
    for (const IndexRow &row : indexRows(a))
        out << QStringLiteral("<tr>") + element("td", row.name) +
                   element("td", row.value, QStringLiteral("class=\"num\"")) +
                   element("td", row.explanation) + QStringLiteral("</tr>");
    out << QStringLiteral("</tbody></table>") << QStringLiteral("<h3>Statusové skupiny</h3>");
    if (a.group.statusCounts) {
        out << QStringLiteral(
            "<table class=\"statuses\"><thead><tr><th>Skupina</th><th>Počet žáků</th></tr></thead>"
            "<tbody>");
        const QList<Status> statuses = Sociometry::allStatuses();
        for (int i = 0; i < statuses.size(); ++i)
            out << QStringLiteral(
                       "<tr><td><span class=\"swatch\" style=\"background-color: %1\"></span>%2</td>"
                       "<td class=\"num\">%3</td></tr>")
                       .arg(Sociometry::statusColour(statuses[i]).name(),
                            escaped(AnalysisTexts::groupName(statuses[i])))
                       .arg(a.group.statusCounts->at(i));
        out << QStringLiteral("</tbody></table>");
    } else {
        out << element("p", AnalysisTexts::missingStatusReason(a), QStringLiteral("class=\"reason\""));
    }
    return out.join(u'\n');
}

QString htmlPupils(const SociometricAnalysis &a) {
    QStringList out;
    out << QStringLiteral("<h2>Žáci</h2>") << QStringLiteral("<div class=\"wide\"><table class=\"pupils\">");
    QString head = QStringLiteral("<thead><tr>");
    for (const QString &column : AnalysisTexts::pupilColumns())
        head += element("th", column);
    out << head + QStringLiteral("</tr></thead><tbody>");
    for (const AnalysisPupil &pupil : a.pupils) {
        const QStringList cells = AnalysisTexts::pupilCells(pupil);
        QString row =
            pupil.status
                ? QStringLiteral("<tr style=\"background-color: %1\">").arg(htmlTint(*pupil.status).name())
                : QStringLiteral("<tr>");
        for (qsizetype i = 0; i < cells.size(); ++i) {
            // Columns after the name up to the status group hold figures.
            const bool number = i > 0 && i + 2 < cells.size();
            row += element("td", cells[i], number ? QStringLiteral("class=\"num\"") : QString());
        }
        out << row + QStringLiteral("</tr>");
    }
    out << QStringLiteral("</tbody></table></div>");
    return out.join(u'\n');
}

QString htmlSubgroups(const SociometricAnalysis &a) {
    QStringList out{QStringLiteral("<h2>Podskupiny</h2>")};
    out << htmlSections(AnalysisTexts::subgroupSections(a));
    return out.join(u'\n');
}

// ---------------------------------------------------------------------------------------------------------
// Word

void wordIndices(WordBody &body, const SociometricAnalysis &a, const PointMetrics &metrics) {
    body.heading(QStringLiteral("Třída"), 13, 12);
    const QList<IndexRow> rows = indexRows(a);
    double nameWidth = 0, valueWidth = 0;
    for (const IndexRow &row : rows) {
        nameWidth = std::max(nameWidth, metrics.width(row.name, 10, false));
        valueWidth = std::max(valueWidth, metrics.width(row.value, 10, true));
    }
    const double valueTab = nameWidth + 12, explanationTab = valueTab + valueWidth + 14;
    for (const IndexRow &row : rows)
        body.paragraph(wordParagraph(0, 2, {valueTab, explanationTab}),
                       {{row.name + u'\t', wordText(10)},
                        {row.value, wordText(10, true)},
                        {u'\t' + row.explanation, wordText(10)}});
    body.heading(QStringLiteral("Statusové skupiny"), 11, 8);
    if (!a.group.statusCounts) {
        body.paragraph(wordParagraph(0, 2), {{AnalysisTexts::missingStatusReason(a), wordItalic(10)}});
        return;
    }
    const QList<Status> statuses = Sociometry::allStatuses();
    double groupWidth = 0;
    for (Status status : statuses)
        groupWidth = std::max(groupWidth, metrics.width(AnalysisTexts::groupName(status), 10, true));
    for (int i = 0; i < statuses.size(); ++i)
        body.paragraph(wordParagraph(0, 2, {groupWidth + 12}),
                       {{AnalysisTexts::groupName(statuses[i]),
                         wordText(10, true, Sociometry::statusColour(statuses[i]))},
                        {u'\t' + QString::number(a.group.statusCounts->at(i)), wordText(10)}});
}

void wordPupils(WordBody &body, const SociometricAnalysis &a, double available, const PointMetrics &metrics) {
    body.heading(QStringLiteral("Žáci"), 13, 12);
    const QStringList columns = AnalysisTexts::pupilColumns();
    QList<WordTableRow> rows;
    for (const AnalysisPupil &pupil : a.pupils)
        rows.append({AnalysisTexts::pupilCells(pupil), false,
                     pupil.status ? Sociometry::statusColour(*pupil.status) : QColor()});
    wordTable(body, columns, rows, columns.size() - 2, available, metrics);
}

void wordSubgroups(WordBody &body, const SociometricAnalysis &a) {
    body.heading(QStringLiteral("Podskupiny"), 13, 12);
    wordSections(body, AnalysisTexts::subgroupSections(a));
}

bool saveDocx(const SociometricAnalysis &a, const QString &path, QString *error) {
    WordProcessor word;
    word.setLandscape(true);
    word.setMargins(kPageMargin);
    const double available = wordmodel::textArea(word.document()).width();
    const PointMetrics metrics;

    WordBody body;
    body.title(AnalysisTexts::heading(a));
    const QString ignored = AnalysisTexts::ignoredChoicesLine(a);
    if (!ignored.isEmpty())
        body.paragraph(wordParagraph(0, 2), {{ignored, wordText(11)}});
    wordIndices(body, a, metrics);
    wordPupils(body, a, available, metrics);
    wordSubgroups(body, a);
    body.heading(kScatterHeading, 13, 12, a.hasStatuses());
    if (!a.hasStatuses())
        body.paragraph(wordParagraph(0, 2), {{AnalysisTexts::missingStatusReason(a), wordItalic(10)}});
    else
        body.pictureParagraph();
    word.pasteRichText(body.document());

    if (a.hasStatuses() &&
        !appendPicture(word, StatusScatter::png(a, StatusScatter::defaultSize() * 2), QStringLiteral("rozbor.png"),
                       QStringLiteral("Obrázek rozboru"), error))
        return false;
    return word.saveAs(path, error);
}

} // namespace

QStringList AnalysisOutputs::suffixes() {
    return {QStringLiteral("docx"), QStringLiteral("html"), QStringLiteral("csv"),
            QStringLiteral("json"), QStringLiteral("txt"),  QStringLiteral("pdf"),
            QStringLiteral("png"),  QStringLiteral("svg"),  QStringLiteral("emf")};
}

namespace {

// The page with the scatter as an embedded picture, or without it (the pages of print and PDF draw it
// on a page of its own).
QString htmlPage(const SociometricAnalysis &a, bool embedScatter) {
    const QStringList heading = AnalysisTexts::heading(a);
    QStringList out =
        htmlHead(heading.size() > 1 ? heading[0] + QStringLiteral(" – ") + heading[1] : heading.value(0));
    out << htmlHeading(heading);
    const QString ignored = AnalysisTexts::ignoredChoicesLine(a);
    if (!ignored.isEmpty())
        out << element("p", ignored, QStringLiteral("class=\"meta\""));
    out << htmlIndices(a) << htmlPupils(a) << htmlSubgroups(a);
    if (embedScatter || !a.hasStatuses())
        out << element("h2", kScatterHeading);
    const QByteArray picture = a.hasStatuses() && embedScatter ? StatusScatter::png(a) : QByteArray();
    if (!picture.isEmpty())
        out << htmlPicture(picture, QStringLiteral("scatter"),
                           QStringLiteral("Sociální preference a sociální vliv žáků"));
    else if (!a.hasStatuses())
        out << element("p", AnalysisTexts::missingStatusReason(a), QStringLiteral("class=\"reason\""));
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

} // namespace

QString AnalysisOutputs::html(const SociometricAnalysis &a) {
    return htmlPage(a, true);
}

PagedDocument AnalysisOutputs::pages(const SociometricAnalysis &a) {
    QList<PagePicture> pictures;
    if (a.hasStatuses()) {
        const QSize size = StatusScatter::defaultSize();
        pictures << PagePicture{size, [a, size](QPainter &painter) {
                                    StatusScatter::paint(painter, QRectF(QPointF(), size), a);
                                }};
    }
    return PagedDocuments::html(AnalysisTexts::heading(a).value(0), htmlPage(a, false), QPageLayout::Landscape,
                                pictures);
}

bool AnalysisOutputs::save(const SociometricAnalysis &a, const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return PagedDocuments::savePdf(pages(a), path, error);
    if (suffix == QLatin1String("docx"))
        return saveDocx(a, path, error);
    if (suffix == QLatin1String("html"))
        return FileWriter::writeWhole(path, html(a).toUtf8(), error);
    if (suffix == QLatin1String("csv"))
        return FileWriter::writeWhole(path, AnalysisTexts::csv(a), error);
    if (suffix == QLatin1String("json"))
        return FileWriter::writeWhole(path, AnalysisTexts::json(a), error);
    if (suffix == QLatin1String("txt"))
        return FileWriter::writeWhole(path, AnalysisTexts::text(a).toUtf8(), error);
    if (suffix == QLatin1String("png") || suffix == QLatin1String("svg") || suffix == QLatin1String("emf"))
        return StatusScatter::save(a, path, error);
    if (error)
        *error = QStringLiteral("Neznámý typ výstupu „%1“: použijte .%2.")
                     .arg(QFileInfo(path).fileName(), suffixes().join(QStringLiteral(", .")));
    return false;
}

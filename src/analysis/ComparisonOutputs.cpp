#include "analysis/ComparisonOutputs.h"

#include "analysis/ComparisonTexts.h"
#include "analysis/OutputPieces.h"
#include "analysis/SurveyComparison.h"
#include "analysis/TrendChart.h"
#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "files/FileWriter.h"
#include "picture/PagedDocument.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

using namespace OutputPieces;

const QString kSummary = QStringLiteral("Shrnutí");
const QString kPupils = QStringLiteral("Žáci");
const QString kPairs = QStringLiteral("Vazby");
const QString kClass = QStringLiteral("Třída");
const QString kTrend = QStringLiteral("Vývoj");
const QString kTrendPicture = QStringLiteral("Soudržnost a izolovaní žáci v jednotlivých vyhodnoceních");

// Pupils who passed into another status group stand out in bold, in the new group's tint.
const QString kExtraStyle = QStringLiteral("tr.passage td { font-weight: bold; }\n"
                                           "tr.total td { font-weight: bold; }\n"
                                           "img.trend { max-width: 100%; height: auto; }\n");

bool showsTrend(const SurveyTrend *trend) {
    return trend && trend->sessions.size() >= 2;
}

// The column that names the passage from one status group to another ("Přechod").
qsizetype passageColumn() {
    return ComparisonTexts::pupilColumns().indexOf(QStringLiteral("Přechod"));
}

QColor passageColour(const ComparedPupil &pupil) {
    return pupil.passage() ? Sociometry::statusColour(*pupil.statusTo()) : QColor();
}

QList<QStringList> indexRows(const SurveyComparison &c) {
    QList<QStringList> rows;
    for (const IndexChange &index : c.indices)
        rows << ComparisonTexts::indexCells(index);
    return rows;
}

// The trend table; its last two rows are the class's figures (cohesion, isolates).
bool isTotalRow(qsizetype row, qsizetype rows) {
    return row >= rows - 2;
}

// ---------------------------------------------------------------------------------------------------------
// HTML

bool isFigure(const QString &cell) {
    static const QRegularExpression figure(QStringLiteral("^[+\\-−]?\\d+(,\\d+)?$|^–$"));
    return figure.match(cell).hasMatch();
}

QString htmlRow(const QStringList &cells, const QString &attributes = QString()) {
    QString row = attributes.isEmpty() ? QStringLiteral("<tr>") : QStringLiteral("<tr %1>").arg(attributes);
    for (const QString &cell : cells)
        row += element("td", cell, isFigure(cell) ? QStringLiteral("class=\"num\"") : QString());
    return row + QStringLiteral("</tr>");
}

QString htmlHeadRow(const QStringList &columns) {
    QString head = QStringLiteral("<thead><tr>");
    for (const QString &column : columns)
        head += element("th", column);
    return head + QStringLiteral("</tr></thead><tbody>");
}

QStringList htmlPupils(const SurveyComparison &c) {
    QStringList out{element("h2", kPupils), QStringLiteral("<div class=\"wide\"><table class=\"pupils\">"),
                    htmlHeadRow(ComparisonTexts::pupilColumns())};
    for (const ComparedPupil &pupil : c.pupils) {
        const QString marks = pupil.passage()
                                  ? QStringLiteral("class=\"passage\" style=\"background-color: %1\"")
                                        .arg(htmlTint(*pupil.statusTo()).name())
                                  : QString();
        out << htmlRow(ComparisonTexts::pupilCells(pupil), marks);
    }
    out << QStringLiteral("</tbody></table></div>");
    return out;
}

QStringList htmlIndices(const SurveyComparison &c) {
    QStringList out{element("h2", kClass), QStringLiteral("<table class=\"indices\">"),
                    htmlHeadRow(ComparisonTexts::indexColumns())};
    for (const QStringList &cells : indexRows(c))
        out << htmlRow(cells);
    out << QStringLiteral("</tbody></table>");
    return out;
}

QStringList htmlTrend(const SurveyTrend &t, bool embedChart) {
    QStringList out{element("h2", kTrend)};
    const QStringList heading = ComparisonTexts::trendHeading(t);
    for (qsizetype i = 1; i < heading.size(); ++i)
        out << element("p", heading[i], QStringLiteral("class=\"meta\""));
    out << QStringLiteral("<div class=\"wide\"><table class=\"pupils\">")
        << htmlHeadRow(ComparisonTexts::trendColumns(t));
    const QList<QStringList> rows = ComparisonTexts::trendRows(t);
    for (qsizetype r = 0; r < rows.size(); ++r)
        out << htmlRow(rows[r], isTotalRow(r, rows.size()) ? QStringLiteral("class=\"total\"") : QString());
    out << QStringLiteral("</tbody></table></div>");
    const QByteArray picture = embedChart ? TrendChart::png(t) : QByteArray();
    if (!picture.isEmpty())
        out << htmlPicture(picture, QStringLiteral("trend"), kTrendPicture);
    return out;
}

// ---------------------------------------------------------------------------------------------------------
// Word

QList<WordTableRow> plainRows(const QList<QStringList> &rows) {
    QList<WordTableRow> out;
    for (const QStringList &cells : rows)
        out.append({cells, false, QColor()});
    return out;
}

void wordTrend(WordBody &body, const SurveyTrend &t, double available, const PointMetrics &metrics) {
    body.heading(kTrend, 13, 12, true);
    const QStringList heading = ComparisonTexts::trendHeading(t);
    for (qsizetype i = 1; i < heading.size(); ++i)
        body.paragraph(wordParagraph(0, 2), {{heading[i], wordText(10)}});
    QList<WordTableRow> rows = plainRows(ComparisonTexts::trendRows(t));
    for (qsizetype r = 0; r < rows.size(); ++r)
        rows[r].bold = isTotalRow(r, rows.size());
    wordTable(body, ComparisonTexts::trendColumns(t), rows, -1, available, metrics);
    body.pictureParagraph();
}

bool saveDocx(const SurveyComparison &c, const SurveyTrend *trend, const QString &path, QString *error) {
    WordProcessor word;
    word.setLandscape(true);
    word.setMargins(kPageMargin);
    const double available = wordmodel::textArea(word.document()).width();
    const PointMetrics metrics;

    WordBody body;
    body.title(ComparisonTexts::heading(c));
    body.heading(kSummary, 13, 12);
    for (const QString &line : ComparisonTexts::summary(c))
        body.paragraph(wordParagraph(0, 3), {{line, wordText(10)}});

    body.heading(kPupils, 13, 12);
    QList<WordTableRow> pupils;
    for (const ComparedPupil &pupil : c.pupils)
        pupils.append({ComparisonTexts::pupilCells(pupil), pupil.passage(), passageColour(pupil)});
    wordTable(body, ComparisonTexts::pupilColumns(), pupils, passageColumn(), available, metrics);

    body.heading(kPairs, 13, 12);
    wordSections(body, ComparisonTexts::pairSections(c));

    body.heading(kClass, 13, 12);
    wordTable(body, ComparisonTexts::indexColumns(), plainRows(indexRows(c)), -1, available, metrics);

    if (showsTrend(trend))
        wordTrend(body, *trend, available, metrics);
    word.pasteRichText(body.document());

    if (showsTrend(trend) && !appendPicture(word, TrendChart::png(*trend, 2), QStringLiteral("vyvoj.png"),
                                            QStringLiteral("Obrázek vývoje"), error))
        return false;
    return word.saveAs(path, error);
}

} // namespace

QStringList ComparisonOutputs::suffixes() {
    return {QStringLiteral("docx"), QStringLiteral("html"), QStringLiteral("csv"),
            QStringLiteral("json"), QStringLiteral("txt"),  QStringLiteral("pdf")};
}

namespace {

// The page with the trend chart as an embedded picture, or without it (the pages of print and PDF draw
// it on a page of its own).
QString htmlPage(const SurveyComparison &c, const SurveyTrend *trend, bool embedChart) {
    const QStringList heading = ComparisonTexts::heading(c);
    QStringList out = htmlHead(
        heading.size() > 1 ? heading[0] + QStringLiteral(" – ") + heading[1] : heading.value(0), kExtraStyle);
    out << htmlHeading(heading);
    out << element("h2", kSummary) << QStringLiteral("<ul class=\"summary\">");
    for (const QString &line : ComparisonTexts::summary(c))
        out << element("li", line);
    out << QStringLiteral("</ul>");
    out << htmlPupils(c);
    out << element("h2", kPairs) << htmlSections(ComparisonTexts::pairSections(c));
    out << htmlIndices(c);
    if (showsTrend(trend))
        out << htmlTrend(*trend, embedChart);
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

} // namespace

QString ComparisonOutputs::html(const SurveyComparison &c, const SurveyTrend *trend) {
    return htmlPage(c, trend, true);
}

PagedDocument ComparisonOutputs::pages(const SurveyComparison &c, const SurveyTrend *trend) {
    QList<PagePicture> pictures;
    if (showsTrend(trend)) {
        const ChartMetafile chart = TrendChart::picture(*trend);
        pictures << PagePicture{chart.size(), [chart](QPainter &painter) { chart.paint(painter); }};
    }
    return PagedDocuments::html(ComparisonTexts::heading(c).value(0), htmlPage(c, trend, false),
                                QPageLayout::Landscape, pictures);
}

bool ComparisonOutputs::save(const SurveyComparison &c, const QString &path, QString *error,
                             const SurveyTrend *trend) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return PagedDocuments::savePdf(pages(c, trend), path, error);
    if (suffix == QLatin1String("docx"))
        return saveDocx(c, trend, path, error);
    if (suffix == QLatin1String("html"))
        return FileWriter::writeWhole(path, html(c, trend).toUtf8(), error);
    if (suffix == QLatin1String("csv"))
        return FileWriter::writeWhole(path, ComparisonTexts::csv(c), error);
    if (suffix == QLatin1String("json"))
        return FileWriter::writeWhole(path, ComparisonTexts::json(c), error);
    if (suffix == QLatin1String("txt"))
        return FileWriter::writeWhole(path, ComparisonTexts::text(c).toUtf8(), error);
    if (error)
        *error = QStringLiteral("Neznámý typ výstupu „%1“: použijte .%2.")
                     .arg(QFileInfo(path).fileName(), suffixes().join(QStringLiteral(", .")));
    return false;
}

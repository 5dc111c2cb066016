#include "analysis/AnalysisOutputs.h"

#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"
#include "analysis/StatusScatter.h"
#include "automation/WordModel.h"
#include "automation/WordProcessor.h"
#include "files/FileWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {

using Sociometry::Status;

const QString kScatterHeading = QStringLiteral("Preference a vliv");
const QString kNone = QStringLiteral("žádné");

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

// The light tint of a table row of that status.
QColor tint(Status status) {
    const QColor c = Sociometry::statusColour(status);
    auto mix = [](int channel) { return int(std::lround(channel + (255 - channel) * 0.78)); };
    return QColor(mix(c.red()), mix(c.green()), mix(c.blue()));
}

// ---------------------------------------------------------------------------------------------------------
// HTML

// Text for an HTML element or a double-quoted attribute: markup characters escaped, and the control
// characters HTML cannot carry left out.
QString escaped(const QString &text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
            clean += c;
    return clean.toHtmlEscaped();
}

QString element(const char *tag, const QString &text, const QString &attributes = QString()) {
    const QString name = QString::fromLatin1(tag);
    return QStringLiteral("<%1%2>%3</%1>")
        .arg(name, attributes.isEmpty() ? QString() : u' ' + attributes, escaped(text));
}

const char *kStyle = R"(body { font-family: Cambria, Caladea, Georgia, serif; margin: 2em; color: #202020; }
h1 { font-size: 1.6em; margin-bottom: 0.3em; }
h2 { font-size: 1.25em; margin-top: 1.6em; }
h3 { font-size: 1.05em; margin: 1em 0 0.3em; }
p.meta { margin: 0.15em 0; }
table { border-collapse: collapse; margin: 0.4em 0 1em; }
th, td { border: 1px solid #b8b8b8; padding: 0.2em 0.45em; text-align: left; vertical-align: top; }
th { background: #ececec; }
td.num { text-align: right; white-space: nowrap; }
table.pupils { font-size: 0.9em; }
table.pupils td:first-child { white-space: nowrap; }
div.wide { overflow-x: auto; }
.reason, .none { font-style: italic; }
.swatch { display: inline-block; width: 0.8em; height: 0.8em; border-radius: 50%; margin-right: 0.4em; }
img.scatter { max-width: 100%; height: auto; }
)";

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
                ? QStringLiteral("<tr style=\"background-color: %1\">").arg(tint(*pupil.status).name())
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
    QStringList out;
    out << QStringLiteral("<h2>Podskupiny</h2>");
    for (const AnalysisTexts::SubgroupSection &section : AnalysisTexts::subgroupSections(a)) {
        out << element("h3", section.heading);
        if (section.lines.isEmpty()) {
            out << element("p", kNone, QStringLiteral("class=\"none\""));
            continue;
        }
        out << QStringLiteral("<ul>");
        for (const QString &line : section.lines)
            out << element("li", line);
        out << QStringLiteral("</ul>");
    }
    return out.join(u'\n');
}

// ---------------------------------------------------------------------------------------------------------
// Word

const QString kWordFont = QStringLiteral("Cambria");
constexpr double kPageMargin = 42.52; // 1.5 cm
constexpr double kTableFontSize = 8;
constexpr double kColumnGap = 6;

QTextCharFormat wordText(double points, bool bold = false, const QColor &colour = QColor()) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{kWordFont});
    format.setProperty(QTextFormat::FontFamily, kWordFont);
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (colour.isValid())
        format.setForeground(colour);
    return format;
}

QTextBlockFormat wordParagraph(double spaceBefore, double spaceAfter, const QList<double> &tabs = {}) {
    QTextBlockFormat format;
    format.setTopMargin(spaceBefore);
    format.setBottomMargin(spaceAfter);
    QList<QTextOption::Tab> stops;
    for (double position : tabs)
        stops.append(QTextOption::Tab(position, QTextOption::LeftTab));
    format.setTabPositions(stops);
    return format;
}

using Runs = QList<QPair<QString, QTextCharFormat>>;

// The text of the document before it goes into the word processor: every paragraph with its own
// spacing and tab stops, which pasting keeps.
class WordBody {
public:
    WordBody() : m_cursor(&m_document) {}

    void paragraph(const QTextBlockFormat &block, const Runs &runs) {
        const QTextCharFormat mark = runs.isEmpty() ? wordText(10) : runs.last().second;
        if (m_first) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(mark);
            m_first = false;
        } else {
            m_cursor.insertBlock(block, mark);
        }
        for (const auto &run : runs)
            m_cursor.insertText(run.first, run.second);
    }
    void heading(const QString &text, double points, double spaceBefore, bool pageBreak = false) {
        QTextBlockFormat block = wordParagraph(spaceBefore, 4);
        if (pageBreak)
            block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        paragraph(block, {{text, wordText(points, true)}});
    }
    const QTextDocument &document() const { return m_document; }

private:
    QTextDocument m_document;
    QTextCursor m_cursor;
    bool m_first = true;
};

// Lengths of text in points.
class PointMetrics {
public:
    PointMetrics() : m_device(1, 1, QImage::Format_RGB32) {
        m_device.setDotsPerMeterX(2835); // 72 dpi: a pixel is a point
        m_device.setDotsPerMeterY(2835);
    }
    double width(const QString &text, double points, bool bold) const {
        QFont font(kWordFont);
        font.setPointSizeF(points);
        font.setBold(bold);
        return QFontMetricsF(font, &m_device).horizontalAdvance(text);
    }

private:
    QImage m_device;
};

// Words of `text` on lines no wider than `width`; a longer word keeps a line of its own.
QStringList wrapped(const QString &text, double width, double points, bool bold,
                    const PointMetrics &metrics) {
    QStringList lines;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && metrics.width(longer, points, bold) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

// Column widths of the pupil table: each as wide as its longest cell and its heading on one line when
// the page has room for that, else with the headings broken into words, else with every column given up
// down to its longest word. The status column is written in bold.
QList<double> columnWidths(const QList<QStringList> &rows, const QStringList &columns, qsizetype boldColumn,
                           double available, const PointMetrics &metrics) {
    const qsizetype n = columns.size();
    QList<double> wide(n, 0.0), natural(n, 0.0), least(n, 0.0);
    auto words = [&](const QString &text, bool bold, qsizetype column) {
        for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
            least[column] = std::max(least[column], metrics.width(word, kTableFontSize, bold));
    };
    for (qsizetype c = 0; c < n; ++c) {
        words(columns[c], true, c);
        natural[c] = least[c];
        wide[c] = metrics.width(columns[c], kTableFontSize, true);
    }
    for (const QStringList &row : rows)
        for (qsizetype c = 0; c < n && c < row.size(); ++c) {
            words(row[c], c == boldColumn, c);
            natural[c] = std::max(natural[c], metrics.width(row[c], kTableFontSize, c == boldColumn));
        }
    double sumWide = 0, sumNatural = 0, sumLeast = 0;
    for (qsizetype c = 0; c < n; ++c) {
        natural[c] = std::max(natural[c], least[c]);
        wide[c] = std::max(wide[c], natural[c]);
        sumWide += wide[c] + kColumnGap;
        sumNatural += natural[c] + kColumnGap;
        sumLeast += least[c] + kColumnGap;
    }
    QList<double> widths(n);
    for (qsizetype c = 0; c < n; ++c) {
        if (sumWide <= available)
            widths[c] = wide[c];
        else if (sumNatural <= available)
            widths[c] =
                natural[c] + (wide[c] - natural[c]) * (available - sumNatural) / (sumWide - sumNatural);
        else if (sumLeast < sumNatural)
            widths[c] = natural[c] - (natural[c] - least[c]) *
                                         std::min(1.0, (sumNatural - available) / (sumNatural - sumLeast));
        else
            widths[c] = least[c];
    }
    return widths;
}

// One row of the table as one paragraph: the cells' lines side by side at the tab stops, a line break
// between lines.
Runs tableRow(const QStringList &cells, const QList<double> &widths, bool bold, const QColor &statusColour,
              qsizetype statusColumn, const PointMetrics &metrics) {
    QList<QStringList> lines;
    qsizetype height = 1;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        lines.append(wrapped(cells[c], widths[c], kTableFontSize, bold || c == statusColumn, metrics));
        height = std::max(height, lines.last().size());
    }
    Runs runs;
    const QTextCharFormat plain = wordText(kTableFontSize, bold);
    for (qsizetype l = 0; l < height; ++l) {
        if (l > 0)
            runs.append({QString(QChar::LineSeparator), plain});
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c > 0)
                runs.append({QStringLiteral("\t"), plain});
            const QString text = l < lines[c].size() ? lines[c][l] : QString();
            if (text.isEmpty())
                continue;
            const bool coloured = c == statusColumn && statusColour.isValid();
            runs.append({text, coloured ? wordText(kTableFontSize, true, statusColour) : plain});
        }
    }
    return runs;
}

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
        QTextCharFormat italic = wordText(10);
        italic.setFontItalic(true);
        body.paragraph(wordParagraph(0, 2), {{AnalysisTexts::missingStatusReason(a), italic}});
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
    const qsizetype statusColumn = columns.size() - 2;
    QList<QStringList> rows;
    for (const AnalysisPupil &pupil : a.pupils)
        rows.append(AnalysisTexts::pupilCells(pupil));
    const QList<double> widths = columnWidths(rows, columns, statusColumn, available, metrics);
    // Room the columns leave on the line goes to the gaps between them, up to a few points each.
    double used = 0;
    for (double width : widths)
        used += width + kColumnGap;
    const double gap = kColumnGap + std::clamp((available - used) / double(widths.size()), 0.0, 6.0);
    QList<double> tabs;
    double position = 0;
    for (qsizetype c = 0; c + 1 < widths.size(); ++c) {
        position += widths[c] + gap;
        tabs.append(position);
    }
    body.paragraph(wordParagraph(2, 3, tabs), tableRow(columns, widths, true, QColor(), -1, metrics));
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const AnalysisPupil &pupil = a.pupils[r];
        const QColor colour = pupil.status ? Sociometry::statusColour(*pupil.status) : QColor();
        body.paragraph(wordParagraph(0, 2, tabs),
                       tableRow(rows[r], widths, false, colour, statusColumn, metrics));
    }
}

void wordSubgroups(WordBody &body, const SociometricAnalysis &a) {
    body.heading(QStringLiteral("Podskupiny"), 13, 12);
    for (const AnalysisTexts::SubgroupSection &section : AnalysisTexts::subgroupSections(a)) {
        body.heading(section.heading, 11, 6);
        QTextBlockFormat block = wordParagraph(0, 2);
        block.setLeftMargin(14);
        if (section.lines.isEmpty()) {
            QTextCharFormat italic = wordText(10);
            italic.setFontItalic(true);
            body.paragraph(block, {{kNone, italic}});
        }
        for (const QString &line : section.lines)
            body.paragraph(block, {{line, wordText(10)}});
    }
}

// The scatter as a PNG file of twice the picture's pixels at 192 dpi (the same size on the page, sharp in
// print) in `dir`; empty with the reason when it cannot be made.
QString scatterFile(const SociometricAnalysis &a, const QTemporaryDir &dir, QString *error) {
    if (!dir.isValid()) {
        *error = QStringLiteral("Obrázek rozboru nelze připravit: dočasnou složku nelze vytvořit.");
        return QString();
    }
    QImage image = QImage::fromData(StatusScatter::png(a, StatusScatter::defaultSize() * 2), "PNG");
    QByteArray bytes;
    if (!image.isNull()) {
        image.setDotsPerMeterX(7559);
        image.setDotsPerMeterY(7559);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            bytes.clear();
    }
    if (bytes.isEmpty()) {
        *error = QStringLiteral("Obrázek rozboru nelze připravit: obrázek nelze převést do formátu PNG.");
        return QString();
    }
    const QString path = dir.filePath(QStringLiteral("rozbor.png"));
    QString reason;
    if (!FileWriter::writeWhole(path, bytes, &reason)) {
        *error = QStringLiteral("Obrázek rozboru nelze připravit: %1").arg(reason);
        return QString();
    }
    return path;
}

bool saveDocx(const SociometricAnalysis &a, const QString &path, QString *error) {
    WordProcessor word;
    word.setLandscape(true);
    word.setMargins(kPageMargin);
    const double available = wordmodel::textArea(word.document()).width();
    const PointMetrics metrics;

    WordBody body;
    const QStringList heading = AnalysisTexts::heading(a);
    QTextBlockFormat title = wordParagraph(0, 6);
    title.setAlignment(Qt::AlignHCenter);
    body.paragraph(title, {{heading.value(0), wordText(18, true)}});
    for (qsizetype i = 1; i < heading.size(); ++i)
        body.paragraph(wordParagraph(0, 2), {{heading[i], wordText(11)}});
    const QString ignored = AnalysisTexts::ignoredChoicesLine(a);
    if (!ignored.isEmpty())
        body.paragraph(wordParagraph(0, 2), {{ignored, wordText(11)}});
    wordIndices(body, a, metrics);
    wordPupils(body, a, available, metrics);
    wordSubgroups(body, a);
    body.heading(kScatterHeading, 13, 12, a.hasStatuses());
    if (!a.hasStatuses()) {
        QTextCharFormat italic = wordText(10);
        italic.setFontItalic(true);
        body.paragraph(wordParagraph(0, 2), {{AnalysisTexts::missingStatusReason(a), italic}});
    } else {
        QTextBlockFormat centred = wordParagraph(6, 0);
        centred.setAlignment(Qt::AlignHCenter);
        body.paragraph(centred, {});
    }
    word.pasteRichText(body.document());

    if (a.hasStatuses()) {
        // The document keeps the picture's bytes, so the file only lives while it is read.
        QTemporaryDir dir;
        QString reason;
        const QString picture = scatterFile(a, dir, &reason);
        word.endKey();
        if (picture.isEmpty() || !word.addPicture(picture, &reason)) {
            if (error)
                *error = reason;
            return false;
        }
    }
    return word.saveAs(path, error);
}

} // namespace

QStringList AnalysisOutputs::suffixes() {
    return {QStringLiteral("docx"), QStringLiteral("html"), QStringLiteral("csv"), QStringLiteral("json"),
            QStringLiteral("txt"),  QStringLiteral("png"),  QStringLiteral("svg"), QStringLiteral("emf")};
}

QString AnalysisOutputs::html(const SociometricAnalysis &a) {
    const QStringList heading = AnalysisTexts::heading(a);
    QStringList out;
    out << QStringLiteral("<!DOCTYPE html>") << QStringLiteral("<html lang=\"cs\">")
        << QStringLiteral("<head>") << QStringLiteral("<meta charset=\"utf-8\">")
        << QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">")
        << element("title",
                   heading.size() > 1 ? heading[0] + QStringLiteral(" – ") + heading[1] : heading.value(0))
        << QStringLiteral("<style>\n") + QString::fromUtf8(kStyle) + QStringLiteral("</style>")
        << QStringLiteral("</head>") << QStringLiteral("<body>");
    out << element("h1", heading.value(0));
    for (qsizetype i = 1; i < heading.size(); ++i)
        out << element("p", heading[i], QStringLiteral("class=\"meta\""));
    const QString ignored = AnalysisTexts::ignoredChoicesLine(a);
    if (!ignored.isEmpty())
        out << element("p", ignored, QStringLiteral("class=\"meta\""));
    out << htmlIndices(a) << htmlPupils(a) << htmlSubgroups(a);
    out << element("h2", kScatterHeading);
    const QByteArray picture = a.hasStatuses() ? StatusScatter::png(a) : QByteArray();
    if (!picture.isEmpty())
        out << QStringLiteral("<p><img class=\"scatter\" alt=\"%1\" src=\"data:image/png;base64,%2\"></p>")
                   .arg(escaped(QStringLiteral("Sociální preference a sociální vliv žáků")),
                        QString::fromLatin1(picture.toBase64()));
    else
        out << element("p", AnalysisTexts::missingStatusReason(a), QStringLiteral("class=\"reason\""));
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

bool AnalysisOutputs::save(const SociometricAnalysis &a, const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
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

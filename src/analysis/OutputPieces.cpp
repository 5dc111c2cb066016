#include "analysis/OutputPieces.h"

#include "automation/WordProcessor.h"
#include "files/FileWriter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

const QString kNone = QStringLiteral("žádné");
constexpr double kTableFontSize = 8;
constexpr double kColumnGap = 6;

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

using OutputPieces::PointMetrics;
using OutputPieces::Runs;
using OutputPieces::WordTableRow;
using OutputPieces::wordText;

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

// Column widths of a table: each as wide as its longest cell and its heading on one line when the page
// has room for that, else with the headings broken into words, else with every column given up down to
// its longest word. The accent column and bold rows are measured in bold.
QList<double> columnWidths(const QList<WordTableRow> &rows, const QStringList &columns, qsizetype boldColumn,
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
    for (const WordTableRow &row : rows)
        for (qsizetype c = 0; c < n && c < row.cells.size(); ++c) {
            const bool bold = row.bold || c == boldColumn;
            words(row.cells[c], bold, c);
            natural[c] = std::max(natural[c], metrics.width(row.cells[c], kTableFontSize, bold));
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
Runs tableRow(const QStringList &cells, const QList<double> &widths, bool bold, const QColor &accent,
              qsizetype accentColumn, const PointMetrics &metrics) {
    QList<QStringList> lines;
    qsizetype height = 1;
    for (qsizetype c = 0; c < cells.size() && c < widths.size(); ++c) {
        lines.append(wrapped(cells[c], widths[c], kTableFontSize, bold || c == accentColumn, metrics));
        height = std::max(height, lines.last().size());
    }
    Runs runs;
    const QTextCharFormat plain = wordText(kTableFontSize, bold);
    for (qsizetype l = 0; l < height; ++l) {
        if (l > 0)
            runs.append({QString(QChar::LineSeparator), plain});
        for (qsizetype c = 0; c < lines.size(); ++c) {
            if (c > 0)
                runs.append({QStringLiteral("\t"), plain});
            const QString text = l < lines[c].size() ? lines[c][l] : QString();
            if (text.isEmpty())
                continue;
            const bool coloured = c == accentColumn && accent.isValid();
            runs.append({text, coloured ? wordText(kTableFontSize, true, accent) : plain});
        }
    }
    return runs;
}

} // namespace

namespace OutputPieces {

QString escaped(const QString &text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n')
            clean += c;
    return clean.toHtmlEscaped();
}

QString element(const char *tag, const QString &text, const QString &attributes) {
    const QString name = QString::fromLatin1(tag);
    return QStringLiteral("<%1%2>%3</%1>")
        .arg(name, attributes.isEmpty() ? QString() : u' ' + attributes, escaped(text));
}

QStringList htmlHead(const QString &title, const QString &extraStyle) {
    return {QStringLiteral("<!DOCTYPE html>"),
            QStringLiteral("<html lang=\"cs\">"),
            QStringLiteral("<head>"),
            QStringLiteral("<meta charset=\"utf-8\">"),
            QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"),
            element("title", title),
            QStringLiteral("<style>\n") + QString::fromUtf8(kStyle) + extraStyle + QStringLiteral("</style>"),
            QStringLiteral("</head>"),
            QStringLiteral("<body>")};
}

QStringList htmlHeading(const QStringList &heading) {
    QStringList out{element("h1", heading.value(0))};
    for (qsizetype i = 1; i < heading.size(); ++i)
        out << element("p", heading[i], QStringLiteral("class=\"meta\""));
    return out;
}

QStringList htmlSections(const QList<AnalysisTexts::SubgroupSection> &sections) {
    QStringList out;
    for (const AnalysisTexts::SubgroupSection &section : sections) {
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
    return out;
}

QColor htmlTint(Sociometry::Status status) {
    const QColor c = Sociometry::statusColour(status);
    auto mix = [](int channel) { return int(std::lround(channel + (255 - channel) * 0.78)); };
    return QColor(mix(c.red()), mix(c.green()), mix(c.blue()));
}

QString htmlPicture(const QByteArray &png, const QString &cssClass, const QString &alt) {
    return QStringLiteral("<p><img class=\"%1\" alt=\"%2\" src=\"data:image/png;base64,%3\"></p>")
        .arg(escaped(cssClass), escaped(alt), QString::fromLatin1(png.toBase64()));
}

QTextCharFormat wordText(double points, bool bold, const QColor &colour) {
    QTextCharFormat format;
    format.setFontFamilies(QStringList{kWordFont});
    format.setProperty(QTextFormat::FontFamily, kWordFont);
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (colour.isValid())
        format.setForeground(colour);
    return format;
}

QTextCharFormat wordItalic(double points) {
    QTextCharFormat italic = wordText(points);
    italic.setFontItalic(true);
    return italic;
}

QTextBlockFormat wordParagraph(double spaceBefore, double spaceAfter, const QList<double> &tabs) {
    QTextBlockFormat format;
    format.setTopMargin(spaceBefore);
    format.setBottomMargin(spaceAfter);
    QList<QTextOption::Tab> stops;
    for (double position : tabs)
        stops.append(QTextOption::Tab(position, QTextOption::LeftTab));
    format.setTabPositions(stops);
    return format;
}

WordBody::WordBody() : m_cursor(&m_document) {}

void WordBody::paragraph(const QTextBlockFormat &block, const Runs &runs) {
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

void WordBody::heading(const QString &text, double points, double spaceBefore, bool pageBreak) {
    QTextBlockFormat block = wordParagraph(spaceBefore, 4);
    if (pageBreak)
        block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    paragraph(block, {{text, wordText(points, true)}});
}

void WordBody::title(const QStringList &heading) {
    QTextBlockFormat first = wordParagraph(0, 6);
    first.setAlignment(Qt::AlignHCenter);
    paragraph(first, {{heading.value(0), wordText(18, true)}});
    for (qsizetype i = 1; i < heading.size(); ++i)
        paragraph(wordParagraph(0, 2), {{heading[i], wordText(11)}});
}

void WordBody::pictureParagraph() {
    QTextBlockFormat centred = wordParagraph(6, 0);
    centred.setAlignment(Qt::AlignHCenter);
    paragraph(centred, {});
}

PointMetrics::PointMetrics() : m_device(1, 1, QImage::Format_RGB32) {
    m_device.setDotsPerMeterX(2835); // 72 dpi: a pixel is a point
    m_device.setDotsPerMeterY(2835);
}

double PointMetrics::width(const QString &text, double points, bool bold) const {
    QFont font(kWordFont);
    font.setPointSizeF(points);
    font.setBold(bold);
    return QFontMetricsF(font, &m_device).horizontalAdvance(text);
}

void wordTable(WordBody &body, const QStringList &columns, const QList<WordTableRow> &rows,
               qsizetype accentColumn, double available, const PointMetrics &metrics) {
    const QList<double> widths = columnWidths(rows, columns, accentColumn, available, metrics);
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
    for (const WordTableRow &row : rows)
        body.paragraph(wordParagraph(0, 2, tabs),
                       tableRow(row.cells, widths, row.bold, row.accent, accentColumn, metrics));
}

void wordSections(WordBody &body, const QList<AnalysisTexts::SubgroupSection> &sections) {
    for (const AnalysisTexts::SubgroupSection &section : sections) {
        body.heading(section.heading, 11, 6);
        QTextBlockFormat block = wordParagraph(0, 2);
        block.setLeftMargin(14);
        if (section.lines.isEmpty())
            body.paragraph(block, {{kNone, wordItalic(10)}});
        for (const QString &line : section.lines)
            body.paragraph(block, {{line, wordText(10)}});
    }
}

bool appendPicture(WordProcessor &word, const QByteArray &png, const QString &fileName, const QString &what,
                   QString *error) {
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("%1 nelze připravit: %2").arg(what, reason);
        return false;
    };
    // The document keeps the picture's bytes, so the file only lives while it is read.
    const QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("dočasnou složku nelze vytvořit."));
    QImage image = QImage::fromData(png, "PNG");
    QByteArray bytes;
    if (!image.isNull()) {
        image.setDotsPerMeterX(7559);
        image.setDotsPerMeterY(7559);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            bytes.clear();
    }
    if (bytes.isEmpty())
        return fail(QStringLiteral("obrázek nelze převést do formátu PNG."));
    const QString path = dir.filePath(fileName);
    QString reason;
    if (!FileWriter::writeWhole(path, bytes, &reason))
        return fail(reason);
    word.endKey();
    return word.addPicture(path, error);
}

} // namespace OutputPieces

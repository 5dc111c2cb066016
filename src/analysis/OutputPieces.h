#pragma once

#include "analysis/AnalysisTexts.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

class QTemporaryDir;
class WordProcessor;

// The pieces the analysis and the comparison documents are made of, so that both look alike: the page
// frame and escaping of the web pages, and the paragraphs, tab-stop tables and pictures of the Word
// documents (the word-processor layer has no tables).
namespace OutputPieces {

// ---------------------------------------------------------------------------------------------------------
// HTML

// Text for an HTML element or a double-quoted attribute: markup characters escaped, and the control
// characters HTML cannot carry left out.
QString escaped(const QString &text);
// <tag attributes>text</tag> with the text escaped.
QString element(const char *tag, const QString &text, const QString &attributes = QString());
// The page up to and including <body>: UTF-8, Czech, the title, the common style sheet and `extraStyle`.
QStringList htmlHead(const QString &title, const QString &extraStyle = QString());
// The heading lines of a document: the first as <h1>, the others as meta paragraphs.
QStringList htmlHeading(const QStringList &heading);
// Lists under a <h3> each; "žádné" for an empty one.
QStringList htmlSections(const QList<AnalysisTexts::SubgroupSection> &sections);
// The light tint of a table row of a pupil of that status group.
QColor htmlTint(Sociometry::Status status);
// A picture paragraph with the PNG bytes inline (a data: address).
QString htmlPicture(const QByteArray &png, const QString &cssClass, const QString &alt);

// ---------------------------------------------------------------------------------------------------------
// Word

inline const QString kWordFont = QStringLiteral("Cambria");
constexpr double kPageMargin = 42.52; // 1.5 cm

QTextCharFormat wordText(double points, bool bold = false, const QColor &colour = QColor());
QTextCharFormat wordItalic(double points);
QTextBlockFormat wordParagraph(double spaceBefore, double spaceAfter, const QList<double> &tabs = {});

using Runs = QList<QPair<QString, QTextCharFormat>>;

// The text of the document before it goes into the word processor: every paragraph with its own
// spacing and tab stops, which pasting keeps.
class WordBody {
public:
    WordBody();

    void paragraph(const QTextBlockFormat &block, const Runs &runs);
    void heading(const QString &text, double points, double spaceBefore, bool pageBreak = false);
    // The heading lines of a document: the first centred in large bold type, the others below it.
    void title(const QStringList &heading);
    // An empty centred paragraph that a picture added at the end of the document goes into.
    void pictureParagraph();
    const QTextDocument &document() const { return m_document; }

private:
    QTextDocument m_document;
    QTextCursor m_cursor;
    bool m_first = true;
};

// Lengths of text in points, in the document's font.
class PointMetrics {
public:
    PointMetrics();
    double width(const QString &text, double points, bool bold) const;

private:
    QImage m_device;
};

// One row of a tab-stop table: its cells, bold or not, and a colour for the cell of the table's accent
// column (written in bold; invalid: no colour).
struct WordTableRow {
    QStringList cells;
    bool bold = false;
    QColor accent;
};

// A table laid out on tab stops in 8 pt type: the bold heading row, then one paragraph per row, a cell's
// text broken into lines at its column's width. Columns are as wide as their longest cell when the
// line has room, narrower otherwise. `accentColumn` (or -1) is the column written in bold.
void wordTable(WordBody &body, const QStringList &columns, const QList<WordTableRow> &rows,
               qsizetype accentColumn, double available, const PointMetrics &metrics);
// Each section under an 11 pt heading, its lines indented; "žádné" for an empty one.
void wordSections(WordBody &body, const QList<AnalysisTexts::SubgroupSection> &sections);

// Adds a PNG picture made at twice the size it is shown at to the end of the document, as a file of
// 192 dpi (the same size on the page, sharp in print). `what` names the picture in the Czech reason
// ("Obrázek rozboru"); false with that reason in `error`.
bool appendPicture(WordProcessor &word, const QByteArray &png, const QString &fileName, const QString &what,
                   QString *error);

} // namespace OutputPieces

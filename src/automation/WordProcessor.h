#pragma once

#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <memory>

class Picture;

// The word processor the program writes its documents with: the operations it used to ask of an office
// suite, carried out on a document held in a QTextDocument (see WordModel.h) and saved as .docx.
// A QTextCursor is the selection: an insertion point, or a range between its anchor and its position.
class WordProcessor final {
public:
    enum class Alignment { Left, Center, Right, Justify };

    // A new empty A4 portrait document in Times New Roman 12 with 2.5 cm margins; the selection is an
    // insertion point at its start.
    WordProcessor();
    ~WordProcessor();
    Q_DISABLE_COPY_MOVE(WordProcessor)

    QTextDocument &document();
    const QTextDocument &document() const;
    // The selection itself, for reading where it is.
    const QTextCursor &selection() const { return m_cursor; }

    // Inserts rich text at the selection, replacing it. Every pasted paragraph keeps its format (alignment,
    // indents, spacing, tab stops) and the characters their bold, italic, underline, font and size as far
    // as the text sets them (what it leaves unset takes the document's default). Text before the insertion
    // point joins the first pasted paragraph, text after it the last. The insertion point ends after the
    // pasted text.
    void pasteRichText(const QTextDocument &source);
    // Plain text at the selection, replacing it, in the selection's character format. "\n" (or "\r\n")
    // starts a new paragraph, "\v" is a line break, "\t" a tab.
    void typeText(const QString &text);
    // Ends the paragraph at the insertion point; the new one keeps its formats.
    void typeParagraph();
    // The text after the insertion point starts on a new page.
    void insertPageBreak();
    // A picture file (PNG, JPEG or EMF; other pictures Qt reads are kept as PNG) embedded at the selection
    // as an inline picture of its own, replacing the selection. Its size comes from the file; a picture
    // larger than the page's text area is scaled down to fit it (again when the page set-up changes).
    // The insertion point ends after the picture. False with a Czech message when the file cannot be read.
    bool addPicture(const QString &file, QString *error = nullptr);
    // Picture bytes (as addPicture reads them from a file) as a floating picture of the insertion point's
    // paragraph, `size` points large, its top left corner `offset` points from the left edge of the text
    // column and the top of the paragraph. It takes no room in the lines, so the paragraphs keep their
    // heights; text that reaches it wraps on its left. False with a Czech message when the bytes are no
    // picture.
    bool addFloatingPicture(const QByteArray &bytes, const QPointF &offset, const QSizeF &size,
                            QString *error = nullptr);

    void wholeStory(); // selects the whole document
    void homeKey();    // insertion point at the start of the document
    void endKey();     // insertion point at the end of the document
    // Moves to the start of the paragraph `lines` paragraphs further (up when negative; to the end of the
    // document past the last one); extend keeps the anchor, so the paragraphs passed become selected.
    void moveDown(int lines, bool extend);

    // Character formatting of the selection, or of what is typed next at an insertion point.
    void setFontName(const QString &family);
    void setFontSize(qreal points);
    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setCharFormat(const QTextCharFormat &format); // merges every property the format sets

    // Paragraph formatting of every paragraph the selection touches. A selection that ends at the start
    // of a paragraph does not touch that paragraph.
    void setAlignment(Alignment alignment);
    void setLeftIndent(qreal points);
    void setFirstLineIndent(qreal points); // relative to the left indent; negative = hanging indent
    // Automatic space (14 pt) before/after the paragraphs, or none when off.
    void setSpaceBeforeAuto(bool on);
    void setSpaceAfterAuto(bool on);
    void addTabStop(qreal points); // left-aligned, no leader

    // Replaces every occurrence of `find` (case-sensitive, within one paragraph) in the whole document and
    // returns how many there were. The replacement takes the format of the first character it replaces,
    // with the properties that `replacementFormat` sets on top (bold, underline, ...). Line ends in the
    // replacement work as in typeText. The selection moves with the text around it.
    int replaceAll(const QString &find, const QString &replacement);
    int replaceAll(const QString &find, const QString &replacement, const QTextCharFormat &replacementFormat);

    // Page set-up of the whole document: A4 portrait or landscape, and the same margin on all four sides.
    void setLandscape(bool landscape);
    bool isLandscape() const;
    void setMargins(qreal points);

    // Writes the document as .docx through a temporary file renamed into place; false with a Czech
    // message when it cannot be written, leaving an existing file as it was.
    bool saveAs(const QString &path, QString *error = nullptr) const;

private:
    // Calls `change` with the format of every paragraph the selection touches and applies the result.
    void changeParagraphs(const std::function<void(QTextBlockFormat &)> &change);
    // Embeds the picture at the selection, replacing it, in `format` (which may place it) sized to what the
    // picture asks for, fitted to the text area.
    void insertPicture(const Picture &picture, QTextImageFormat format, const QSizeF &natural);
    // Sizes every picture for the page's text area after a change of the page set-up.
    void fitPictures();

    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    int m_pictures = 0;
};

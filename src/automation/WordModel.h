#pragma once

#include <QSizeF>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextFrame>
#include <QUrl>

// How a word-processor document is held in a QTextDocument. WordProcessor writes it, DocxWriter reads it.
//
// - Every length is in points: font sizes, indents, tab stops, paragraph spacing, picture sizes, the page.
// - The page set-up is the document's page size (A4, portrait or landscape) and its root frame's margins.
// - A picture is an image character; its name keys the decoded image (for layout and painting), and
//   pictureFileUrl(name) keys the picture file's bytes, kept as a resource of the type PictureFile.
//   QTextDocument keeps one resource per address whatever its type, so the two need addresses of their
//   own. Its width and height are what the page shows; NaturalWidth/NaturalHeight keep the size the
//   file asks for, so that the picture is fitted again when the page changes.
// - A floating picture is an image character with FloatLeft and FloatTop: it is anchored to its paragraph
//   and placed beside the text rather than in a line, so it makes no line taller; text reaching it
//   wraps on its left.
// - Page breaks are paragraphs that start a page (QTextFormat::PageBreak_AlwaysBefore).
namespace wordmodel {

// Block format, bool: the paragraph's space before/after is automatic (as for pasted web text).
constexpr int SpaceBeforeAuto = QTextFormat::UserProperty + 1;
constexpr int SpaceAfterAuto = QTextFormat::UserProperty + 2;
// Image format, qreal points: the size the picture file gives.
constexpr int NaturalWidth = QTextFormat::UserProperty + 3;
constexpr int NaturalHeight = QTextFormat::UserProperty + 4;
// Image format, qreal points: where a floating picture's top left corner is, from the left edge of the
// text column and from the top of its paragraph.
constexpr int FloatLeft = QTextFormat::UserProperty + 5;
constexpr int FloatTop = QTextFormat::UserProperty + 6;

// Resource type of picture file bytes (QByteArray), at pictureFileUrl(the image character's name).
constexpr int PictureFile = QTextDocument::UserResource + 1;

// Where the bytes of the picture file behind an image character are kept.
inline QUrl pictureFileUrl(const QString &imageName) {
    return QUrl(QStringLiteral("orbelis-picture-file:") + imageName);
}

// What an automatic paragraph space amounts to on the page.
constexpr qreal AutoSpacing = 14.0;

// A4 in points.
inline QSizeF a4() {
    return {210.0 / 25.4 * 72.0, 297.0 / 25.4 * 72.0};
}

// The area of the page inside the margins.
inline QSizeF textArea(const QTextDocument &document) {
    const QTextFrameFormat page = document.rootFrame()->frameFormat();
    const QSizeF size = document.pageSize().isValid() ? document.pageSize() : a4();
    return {qMax(1.0, size.width() - page.leftMargin() - page.rightMargin()),
            qMax(1.0, size.height() - page.topMargin() - page.bottomMargin())};
}

// A picture's size, scaled down with its proportions kept when it is larger than `area`.
inline QSizeF fitted(const QSizeF &size, const QSizeF &area) {
    if (size.isEmpty())
        return size;
    const qreal scale = qMin(1.0, qMin(area.width() / size.width(), area.height() / size.height()));
    return size * scale;
}

} // namespace wordmodel

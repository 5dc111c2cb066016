#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

class GraphDocument;
class QMimeData;
class QPainter;

// Clipboard formats a canvas places: the native graph format, a metafile, a bitmap.
enum TGraphClipboardFormat { cfNative = 1, cfMetafile = 2, cfBitmap = 4 };

// Pictures of the whole graph. They cover the bounding rectangle of all objects plus one
// unit in each direction, with that rectangle's corner at the origin.
//
// The size of a picture is checked before anything is allocated or drawn for it. A bitmap
// (PNG, JPEG, clipboard bitmap) has at most MaxBitmapPixels: at 4 bytes a pixel, plus the
// 3-byte copy that JPEG and the clipboard make, that stays near 140 MB. No picture, bitmap or
// vector (SVG, EMF), is wider or higher than MaxPictureSide, twice the canvas. A picture
// that is too large is not made: the function fails with a Czech message in *error.
class GraphExport final {
public:
    static inline const char *const NativeMimeType = "application/x-sociogram-graph";
    static inline const char *const NativeFormatName = "Sociogram Graph Format";

    static constexpr qint64 MaxBitmapPixels = 20'000'000;
    static constexpr int MaxPictureSide = 2 * 65536;

    static QRect PictureRect(const GraphDocument &document);
    static QSize PictureSize(const GraphDocument &document);
    // Empty when a picture of the size may be made, otherwise why not.
    static QString PictureSizeError(const QSize &size, bool bitmap);
    // Paints all objects offset so that the picture rectangle starts at the origin.
    static void PaintPicture(const GraphDocument &document, QPainter &painter);

    // A null image or empty data when the picture would be too large.
    static QImage GetAsBitmap(const GraphDocument &document, QString *error = nullptr);
    static QByteArray GetAsMetafile(const GraphDocument &document, QString *error = nullptr);
    static QByteArray GetAsSvg(const GraphDocument &document, QString *error = nullptr);
    static bool SaveAsMetafile(const GraphDocument &document, const QString &fileName, QString *error = nullptr);
    // .sgp, .png, .jpg, .svg, .emf or .pdf (an A4 page, landscape, vector) by extension; `title` is the
    // document title of a PDF or SVG.
    static bool SaveToFile(const GraphDocument &document, const QString &fileName, QString *error = nullptr,
                           const QString &title = QString());
    // Scales the picture into the rectangle, aspect ratio kept, centred (printing).
    static void Draw(const GraphDocument &document, QPainter &painter, const QRect &target);
    // Clipboard data for the requested formats (TGraphClipboardFormat bits); caller owns it.
    // Pictures too large are left out, and *error says so.
    static QMimeData *MimeData(const GraphDocument &document, int formats, QString *error = nullptr);
};

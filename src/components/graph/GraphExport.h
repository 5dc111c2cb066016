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
class GraphExport final {
public:
    static inline const char *const NativeMimeType = "application/x-sociogram-graph";
    static inline const char *const NativeFormatName = "Sociogram Graph Format";

    static QRect PictureRect(const GraphDocument &document);
    static QSize PictureSize(const GraphDocument &document);
    // Paints all objects offset so that the picture rectangle starts at the origin.
    static void PaintPicture(const GraphDocument &document, QPainter &painter);

    static QImage GetAsBitmap(const GraphDocument &document);
    static QByteArray GetAsMetafile(const GraphDocument &document);
    static QByteArray GetAsSvg(const GraphDocument &document);
    static bool SaveAsMetafile(const GraphDocument &document, const QString &fileName, QString *error = nullptr);
    // .sgp, .png, .jpg, .svg or .emf by extension.
    static bool SaveToFile(const GraphDocument &document, const QString &fileName, QString *error = nullptr);
    // Scales the picture into the rectangle, aspect ratio kept, centred (printing).
    static void Draw(const GraphDocument &document, QPainter &painter, const QRect &target);
    // Clipboard data for the requested formats (TGraphClipboardFormat bits); caller owns it.
    static QMimeData *MimeData(const GraphDocument &document, int formats);
};

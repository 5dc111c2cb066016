#pragma once

#include "picture/EmfPaintDevice.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QMimeData;
class QPainter;

// A routine that paints a picture on any QPainter; the same routine feeds every output below.
using PaintRoutine = std::function<void(QPainter &)>;

// Bitmap of the picture, 24-bit (QImage::Format_RGB32), filled with background first.
QImage renderImage(const QSize &size, const PaintRoutine &paint, const QColor &background = Qt::white);

// Pictures up to this many pixels are encoded as JPEG from one bitmap; larger ones (a sociogram of a whole
// grade) in strips of kJpegStripRows rows, so that their memory stays that of one strip.
constexpr qint64 kWholeJpegPixels = 4'000'000;
constexpr int kJpegStripRows = 256;
// The picture as JPEG (quality 96, 96 dpi) with the pixels of renderImage. stripRows > 0 paints in strips
// of that height whatever the size. An empty result means it could not be encoded; *error says why.
QByteArray renderJpeg(const QSize &size, const PaintRoutine &paint, QString *error = nullptr, int stripRows = 0);
// SVG document of the picture (QSvgGenerator), with the given title.
QByteArray renderSvg(const QSize &size, const PaintRoutine &paint, const QString &title = QString());

// Enhanced Metafile of the picture at 96 dpi (EmfPaintDevice). Drawn pattern fills make hatches and
// bitmap patterns show in readers without pattern brushes, such as LibreOffice.
QByteArray renderEmf(const QSize &size, const PaintRoutine &paint,
                     EmfPaintDevice::PatternFills fills = EmfPaintDevice::PatternFills::Brushes);

// Clipboard/drag data with the picture as an image (PNG), "image/svg+xml" and "image/x-emf"
// (also under Qt's Windows name for "Enhanced Metafile"). Empty byte arrays are left out.
// The caller owns the result (QClipboard::setMimeData takes it).
QMimeData *pictureMimeData(const QImage &image, const QByteArray &svg, const QByteArray &emf);

// Writes the picture by the file's extension: .png, .jpg/.jpeg (quality 96), .svg, .emf or .pdf (one A4 page,
// landscape, vector), through FileWriter. `title` is the document title of a PDF or SVG (a PDF without one
// takes the file's name). An unknown extension or a write failure returns false with a message in *error
// and leaves no file.
bool savePicture(const QString &path, const QSize &size, const PaintRoutine &paint, QString *error = nullptr,
                 const QString &title = QString());

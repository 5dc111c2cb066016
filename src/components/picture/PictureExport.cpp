#include "picture/PictureExport.h"

#include "files/FileWriter.h"
#include "picture/EmfPaintDevice.h"
#include "picture/JpegWriter.h"
#include "picture/PagedDocument.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureExport", text);
}

} // namespace

QImage renderImage(const QSize &size, const PaintRoutine &paint, const QColor &background)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dpi
    image.setDotsPerMeterY(3780);
    image.fill(background.isValid() ? background : QColor(Qt::white));
    if (paint) {
        QPainter painter(&image);
        paint(painter);
    }
    return image;
}

QByteArray renderJpeg(const QSize &size, const PaintRoutine &paint, QString *error, int stripRows)
{
    const QSize s = size.expandedTo(QSize(1, 1));
    if (stripRows <= 0)
        stripRows = qint64(s.width()) * s.height() <= kWholeJpegPixels ? s.height() : kJpegStripRows;
    // Each strip is painted as renderImage paints the whole, moved up by the strip's top row.
    QImage strip;
    int top = -1;
    const JpegRows rows = [&](int row) -> const uchar * {
        if (top < 0 || row >= top + strip.height()) {
            top = row;
            strip = renderImage(QSize(s.width(), std::min(stripRows, s.height() - top)),
                                [&](QPainter &painter) {
                                    painter.translate(0, -top);
                                    if (paint)
                                        paint(painter);
                                })
                        .convertToFormat(QImage::Format_RGB888);
        }
        return strip.constScanLine(row - top);
    };
    return encodeJpeg(s.width(), s.height(), 96, rows, 96, error);
}

QByteArray renderSvg(const QSize &size, const PaintRoutine &paint, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    const QSize s = size.expandedTo(QSize(1, 1));
    generator.setSize(s);
    generator.setViewBox(QRect(QPoint(0, 0), s));
    generator.setResolution(96);
    if (!title.isEmpty())
        generator.setTitle(title);
    {
        QPainter painter(&generator);
        if (paint)
            paint(painter);
    }
    return bytes;
}

QByteArray renderEmf(const QSize &size, const PaintRoutine &paint, EmfPaintDevice::PatternFills fills)
{
    EmfPaintDevice device(size);
    device.setPatternFills(fills);
    {
        QPainter painter(&device);
        if (paint)
            paint(painter);
    }
    return device.data();
}

QMimeData *pictureMimeData(const QImage &image, const QByteArray &svg, const QByteArray &emf)
{
    auto *mime = new QMimeData;
    if (!image.isNull())
        mime->setImageData(image);
    if (!svg.isEmpty())
        mime->setData(QStringLiteral("image/svg+xml"), svg);
    if (!emf.isEmpty()) {
        mime->setData(QStringLiteral("image/x-emf"), emf);
        mime->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Enhanced Metafile\""), emf);
    }
    return mime;
}

bool savePicture(const QString &path, const QSize &size, const PaintRoutine &paint, QString *error,
                 const QString &title) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return PagedDocuments::savePdf(
            PagedDocuments::pictures(title.isEmpty() ? QFileInfo(path).completeBaseName() : title,
                                     QPageLayout::Landscape, {PagePicture{size, paint}}),
            path, error);
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
    {
        const QByteArray bytes = renderJpeg(size, paint, error);
        return !bytes.isEmpty() && FileWriter::writeWhole(path, bytes, error);
    }
    if (suffix == QLatin1String("emf"))
        return FileWriter::writeWhole(path, renderEmf(size, paint), error);
    if (suffix == QLatin1String("svg"))
        return FileWriter::writeWhole(path, renderSvg(size, paint, title), error);
    if (suffix == QLatin1String("png")) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!renderImage(size, paint).save(&buffer, "PNG")) {
            if (error)
                *error = tr("Obrázek nelze převést do formátu PNG.");
            return false;
        }
        return FileWriter::writeWhole(path, bytes, error);
    }
    if (error)
        *error = tr("Neznámý formát obrázku „%1“: použijte .png, .jpg, .svg, .emf nebo .pdf.")
                     .arg(QFileInfo(path).fileName());
    return false;
}

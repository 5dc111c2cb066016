#include "graph/GraphExport.h"

#include "graph/GraphDocument.h"
#include "graph/GraphRenderer.h"

#include "picture/EmfPaintDevice.h"
#include "picture/PictureExport.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QPainter>

QRect GraphExport::PictureRect(const GraphDocument &document)
{
    return document.GraphBounds();
}

QSize GraphExport::PictureSize(const GraphDocument &document)
{
    const QRect r = PictureRect(document);
    return r.isEmpty() ? QSize(1, 1) : r.size() + QSize(1, 1);
}

QString GraphExport::PictureSizeError(const QSize &size, bool bitmap)
{
    const qint64 w = size.width(), h = size.height();
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    auto tooLarge = [&](const QString &allowed) {
        return QStringLiteral("Obrázek je příliš velký (%1 × %2 bodů); největší povolená velikost je %3 bodů.")
            .arg(czech.toString(w), czech.toString(h), allowed);
    };
    if (w > MaxPictureSide || h > MaxPictureSide)
        return tooLarge(QStringLiteral("%1 × %1").arg(czech.toString(MaxPictureSide)));
    if (bitmap && w * h > MaxBitmapPixels)
        return tooLarge(czech.toString(MaxBitmapPixels));
    return QString();
}

namespace {

// Whether the document's picture may be made; sets the error when not.
bool pictureAllowed(const GraphDocument &document, bool bitmap, QString *error)
{
    const QString reason = GraphExport::PictureSizeError(GraphExport::PictureSize(document), bitmap);
    if (reason.isEmpty())
        return true;
    if (error)
        *error = reason;
    return false;
}

} // namespace

void GraphExport::PaintPicture(const GraphDocument &document, QPainter &painter)
{
    const QRect r = PictureRect(document);
    painter.save();
    painter.translate(-r.topLeft());
    GraphRenderer::paintObjects(document, painter);
    painter.restore();
}

QImage GraphExport::GetAsBitmap(const GraphDocument &document, QString *error)
{
    if (!pictureAllowed(document, true, error))
        return QImage();
    return renderImage(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); })
        .convertToFormat(QImage::Format_RGB888);
}

QByteArray GraphExport::GetAsMetafile(const GraphDocument &document, QString *error)
{
    if (!pictureAllowed(document, false, error))
        return QByteArray();
    return renderEmf(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); });
}

QByteArray GraphExport::GetAsSvg(const GraphDocument &document, QString *error)
{
    if (!pictureAllowed(document, false, error))
        return QByteArray();
    return renderSvg(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); });
}

bool GraphExport::SaveAsMetafile(const GraphDocument &document, const QString &fileName, QString *error)
{
    if (!pictureAllowed(document, false, error))
        return false;
    EmfPaintDevice device(PictureSize(document));
    {
        QPainter painter(&device);
        PaintPicture(document, painter);
    }
    return device.saveToFile(fileName, error);
}

bool GraphExport::SaveToFile(const GraphDocument &document, const QString &fileName, QString *error,
                             const QString &title) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("sgp"))
        return const_cast<GraphDocument &>(document).SaveToFile(fileName, error);
    if (suffix == QLatin1String("emf"))
        return SaveAsMetafile(document, fileName, error);
    const bool bitmap = suffix == QLatin1String("png") || suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
    // Other extensions are refused by savePicture before it draws anything.
    if ((bitmap || suffix == QLatin1String("svg") || suffix == QLatin1String("pdf")) &&
        !pictureAllowed(document, bitmap, error))
        return false;
    return savePicture(
        fileName, PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); }, error, title);
}

void GraphExport::Draw(const GraphDocument &document, QPainter &painter, const QRect &target)
{
    const QRect r = PictureRect(document);
    if (r.isEmpty() || target.isEmpty())
        return;
    const QSize size = r.size() + QSize(1, 1);
    const qreal scale = qMin(qreal(target.width()) / size.width(), qreal(target.height()) / size.height());
    const QSizeF scaled(size.width() * scale, size.height() * scale);
    painter.save();
    painter.translate(target.x() + (target.width() - scaled.width()) / 2.0,
                      target.y() + (target.height() - scaled.height()) / 2.0);
    painter.scale(scale, scale);
    PaintPicture(document, painter);
    painter.restore();
}

QMimeData *GraphExport::MimeData(const GraphDocument &document, int formats, QString *error)
{
    const QImage image = (formats & cfBitmap) ? GetAsBitmap(document, error) : QImage();
    const QByteArray emf = (formats & cfMetafile) ? GetAsMetafile(document, error) : QByteArray();
    const QByteArray svg = (formats & cfMetafile) ? GetAsSvg(document, error) : QByteArray();
    QMimeData *data = pictureMimeData(image, svg, emf);
    if (formats & cfNative)
        data->setData(QLatin1String(NativeMimeType), document.SaveToBytes());
    return data;
}

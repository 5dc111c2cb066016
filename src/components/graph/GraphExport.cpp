#include "graph/GraphExport.h"

#include "graph/GraphDocument.h"
#include "graph/GraphRenderer.h"

#include "picture/EmfPaintDevice.h"
#include "picture/PictureExport.h"

#include <QFileInfo>
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

void GraphExport::PaintPicture(const GraphDocument &document, QPainter &painter)
{
    const QRect r = PictureRect(document);
    painter.save();
    painter.translate(-r.topLeft());
    GraphRenderer::paintObjects(document, painter);
    painter.restore();
}

QImage GraphExport::GetAsBitmap(const GraphDocument &document)
{
    return renderImage(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); })
        .convertToFormat(QImage::Format_RGB888);
}

QByteArray GraphExport::GetAsMetafile(const GraphDocument &document)
{
    return renderEmf(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); });
}

QByteArray GraphExport::GetAsSvg(const GraphDocument &document)
{
    return renderSvg(PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); });
}

bool GraphExport::SaveAsMetafile(const GraphDocument &document, const QString &fileName, QString *error)
{
    EmfPaintDevice device(PictureSize(document));
    {
        QPainter painter(&device);
        PaintPicture(document, painter);
    }
    return device.saveToFile(fileName, error);
}

bool GraphExport::SaveToFile(const GraphDocument &document, const QString &fileName, QString *error)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("sgp"))
        return const_cast<GraphDocument &>(document).SaveToFile(fileName, error);
    if (suffix == QLatin1String("emf"))
        return SaveAsMetafile(document, fileName, error);
    return savePicture(fileName, PictureSize(document), [&](QPainter &p) { PaintPicture(document, p); }, error);
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

QMimeData *GraphExport::MimeData(const GraphDocument &document, int formats)
{
    const QImage image = (formats & cfBitmap) ? GetAsBitmap(document) : QImage();
    const QByteArray emf = (formats & cfMetafile) ? GetAsMetafile(document) : QByteArray();
    const QByteArray svg = (formats & cfMetafile) ? GetAsSvg(document) : QByteArray();
    QMimeData *data = pictureMimeData(image, svg, emf);
    if (formats & cfNative)
        data->setData(QLatin1String(NativeMimeType), document.SaveToBytes());
    return data;
}

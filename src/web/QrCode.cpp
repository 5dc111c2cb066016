#include "web/QrCode.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <qrencode.h>

namespace QrCode {

namespace {
constexpr int kQuiet = 4; // modules of white round the code
}

QList<QList<bool>> modules(const QByteArray &text) {
    QRcode *code = QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M);
    if (!code)
        return {};
    QList<QList<bool>> rows;
    for (int y = 0; y < code->width; ++y) {
        QList<bool> row;
        for (int x = 0; x < code->width; ++x)
            row << bool(code->data[y * code->width + x] & 1);
        rows << row;
    }
    QRcode_free(code);
    return rows;
}

void paint(QPainter &painter, const QRectF &area, const QList<QList<bool>> &modules) {
    if (modules.isEmpty())
        return;
    const qreal side = std::min(area.width(), area.height());
    const qreal module = side / (modules.size() + 2 * kQuiet);
    const QRectF square(area.topLeft(), QSizeF(side, side));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.fillRect(square, Qt::white);
    painter.setBrush(Qt::black);
    // One rectangle per run of dark modules in a row: no hairline gaps between neighbours in a PDF viewer.
    for (qsizetype y = 0; y < modules.size(); ++y)
        for (qsizetype x = 0; x < modules[y].size();) {
            if (!modules[y][x]) {
                ++x;
                continue;
            }
            qsizetype end = x;
            while (end < modules[y].size() && modules[y][end])
                ++end;
            painter.drawRect(QRectF(square.left() + (kQuiet + x) * module,
                                    square.top() + (kQuiet + y) * module, (end - x) * module, module));
            x = end;
        }
    painter.restore();
}

QByteArray png(const QList<QList<bool>> &modules, int moduleSide) {
    if (modules.isEmpty())
        return {};
    const int side = int(modules.size() + 2 * kQuiet) * moduleSide;
    QImage image(side, side, QImage::Format_Grayscale8);
    {
        QPainter painter(&image);
        paint(painter, QRectF(0, 0, side, side), modules);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(&buffer, "PNG");
    return bytes;
}

} // namespace QrCode

#include "widgets/ToolBarPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <tuple>

namespace {

void person(QPainter &p, qreal x, qreal y, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(x + 2, y, 4, 4));
    p.drawRoundedRect(QRectF(x, y + 5, 8, 6), 3, 3);
}

void sheet(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

} // namespace

QIcon toolBarPicture(ToolBarPicture picture)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case ToolBarPicture::Pupils:
        person(p, 7.5, 2, QColor(40, 110, 190));
        person(p, 0.5, 4, QColor(210, 90, 40));
        break;
    case ToolBarPicture::Questionnaires:
        sheet(p, QRectF(2.5, 0.5, 11, 15));
        p.setPen(QPen(QColor(40, 110, 190), 1.2));
        for (int y : {4, 7, 10, 13})
            p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
        break;
    case ToolBarPicture::Documents: {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 80));
        QPainterPath folder;
        folder.moveTo(0.5, 3.5);
        folder.lineTo(6, 3.5);
        folder.lineTo(7.5, 5.5);
        folder.lineTo(15.5, 5.5);
        folder.lineTo(15.5, 14.5);
        folder.lineTo(0.5, 14.5);
        folder.closeSubpath();
        p.drawPath(folder);
        break;
    }
    case ToolBarPicture::TextEvaluation:
        sheet(p, QRectF(1.5, 0.5, 13, 15));
        p.setPen(QPen(QColor(30, 30, 30), 1.6));
        p.drawLine(QPointF(4, 3.5), QPointF(12, 3.5));
        p.drawLine(QPointF(8, 3.5), QPointF(8, 9));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        p.drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
        p.drawLine(QPointF(4, 13.5), QPointF(10, 13.5));
        break;
    case ToolBarPicture::Sociogram:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawLine(QPointF(4, 4), QPointF(12, 5));
        p.drawLine(QPointF(4, 4), QPointF(7, 12));
        p.setPen(QPen(QColor(220, 0, 0), 1));
        p.drawLine(QPointF(12, 5), QPointF(7, 12));
        p.setPen(QPen(QColor(40, 40, 40), 1));
        for (const QPointF &c : {QPointF(4, 4), QPointF(12, 5), QPointF(7, 12)}) {
            p.setBrush(QColor(120, 180, 240));
            p.drawEllipse(c, 3.2, 3.2);
        }
        break;
    case ToolBarPicture::BarChart:
        p.fillRect(QRectF(1.5, 8, 3, 7), QColor(40, 110, 190));
        p.fillRect(QRectF(6.5, 3, 3, 12), QColor(220, 60, 40));
        p.fillRect(QRectF(11.5, 6, 3, 9), QColor(40, 160, 80));
        p.fillRect(QRectF(0.5, 15, 15, 1), QColor(60, 60, 60));
        break;
    case ToolBarPicture::Analysis:
        // A scatter of four coloured points around a cross.
        p.setPen(QPen(QColor(120, 120, 120), 1));
        p.drawLine(QPointF(8, 1), QPointF(8, 15));
        p.drawLine(QPointF(1, 8), QPointF(15, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(46, 157, 63));
        p.drawEllipse(QRectF(10.5, 2.5, 4, 4));
        p.setBrush(QColor(214, 45, 32));
        p.drawEllipse(QRectF(1.5, 9.5, 4, 4));
        p.setBrush(QColor(232, 138, 0));
        p.drawEllipse(QRectF(3, 2, 4, 4));
        p.setBrush(QColor(58, 110, 198));
        p.drawEllipse(QRectF(9.5, 10, 4, 4));
        break;
    case ToolBarPicture::Groups:
        // Three rounded groups of two heads each, in three colours.
        p.setPen(Qt::NoPen);
        for (const auto &[x, y, colour] :
             {std::tuple{1.0, 2.0, QColor(58, 110, 198)}, std::tuple{9.0, 2.0, QColor(46, 157, 63)},
              std::tuple{5.0, 9.5, QColor(232, 138, 0)}}) {
            p.setBrush(colour);
            p.drawEllipse(QRectF(x, y, 3, 3));
            p.drawEllipse(QRectF(x + 3, y, 3, 3));
            p.drawRoundedRect(QRectF(x, y + 3, 6, 2.5), 1, 1);
        }
        break;
    case ToolBarPicture::Database:
        p.setPen(QPen(QColor(60, 80, 110), 1));
        p.setBrush(QColor(170, 190, 220));
        p.drawRect(QRectF(2.5, 3, 11, 10));
        p.drawEllipse(QRectF(2.5, 10, 11, 5));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(3, 3, 10, 9.5));
        p.setPen(QPen(QColor(60, 80, 110), 1));
        p.setBrush(QColor(200, 215, 240));
        p.drawEllipse(QRectF(2.5, 0.5, 11, 5));
        break;
    }
    return QIcon(pixmap);
}

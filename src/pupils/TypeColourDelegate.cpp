#include "pupils/TypeColourDelegate.h"

#include "data/PupilKinds.h"

#include <QApplication>
#include <QPainter>

void TypeColourDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    const QColor colour = PupilKinds::typeColour(index.data(Qt::EditRole));
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    // The type colour replaces the selection colour in this column.
    cell.state &= ~QStyle::State_Selected;
    cell.backgroundBrush = colour;
    painter->fillRect(cell.rect, colour);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

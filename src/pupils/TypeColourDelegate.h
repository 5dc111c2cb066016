#pragma once

#include <QStyledItemDelegate>

// Paints the "Typ" cells of the roster on the colour of the row's type (boys light blue, girls pink,
// anything else light grey), selected rows included; the text is drawn as usual.
class TypeColourDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TypeColourDelegate)
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

#pragma once

#include <QStyledItemDelegate>

// The "Typ otázky" cells of the question grid: the kind's label ("základní", "abcde", …) instead of its
// number.
class QuestionKindDelegate final : public QStyledItemDelegate {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuestionKindDelegate)
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

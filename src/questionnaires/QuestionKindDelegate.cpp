#include "questionnaires/QuestionKindDelegate.h"

#include "questionnaires/QuestionnaireTexts.h"

QString QuestionKindDelegate::displayText(const QVariant &value, const QLocale &) const {
    // The grid's text of an empty cell is empty: that is a NULL kind.
    return QuestionnaireTexts::kindLabel(value.toString().isEmpty() ? QVariant() : value);
}

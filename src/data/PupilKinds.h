#pragma once

#include <QColor>
#include <QStringList>
#include <QVariant>

// The kinds of `zak` rows (`pohlavi`): two sexes of real pupils and four markers of answer-option rows.
// Kinds compare as LIKE does: exactly, ignoring case.
namespace PupilKinds {

// "muž", "žena", "---", "abcde", "12345", "ano-ne": the values the type list offers, in its order.
QStringList all();
// "---", "abcde", "12345", "ano-ne".
QStringList optionKinds();
QString boy();
QString girl();

// A real pupil: kind "muž" or "žena".
bool isRealPupil(const QVariant &kind);
// An answer-option row: one of the four markers.
bool isOptionKind(const QVariant &kind);
// One of the six values, in its listed spelling; empty when the text is none of them.
QString canonical(const QString &kind);

// Background of the "Typ" cell: boys light blue, girls pink, anything else light grey.
QColor typeColour(const QVariant &kind);

// A surname with a word ending in "ová" (case-sensitive) belongs to a girl.
bool surnameMeansGirl(const QString &surname);

} // namespace PupilKinds

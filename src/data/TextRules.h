#pragma once

#include <QString>

// Rules for text that enters the database from outside (edit fields, imports, result files).
namespace TextRules {

// Length of the short text columns (VARCHAR(255)); memo columns take any length.
constexpr int kShortTextLength = 255;

// The text without control characters (NUL included; tabs and line breaks become blanks) and without
// surrounding white space.
QString cleaned(const QString &text);

// The text without control characters other than tabs and line breaks, for texts that may run over
// several lines (descriptions, notes, free-text answers).
QString withoutControls(const QString &text);

// Cuts a short text to the column's length; true when something was cut.
bool fitShortText(QString &text);

} // namespace TextRules

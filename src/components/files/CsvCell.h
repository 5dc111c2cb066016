#pragma once

#include <QChar>
#include <QString>
#include <QVariant>

// One cell of a CSV file the program writes, safe to open in a spreadsheet.
//
// A text cell that begins with "=", "+", "-", "@", a tab or a carriage return would be taken by the
// spreadsheet as a formula (a pupil's free text "=HYPERLINK(…)", a name "@x"); such a cell gets a leading
// apostrophe, which the spreadsheet shows as text. A cell that is a plain number ("-0,81", "-3", "2.5")
// stays a number: it is no formula. A cell that holds the separator, a quote or a line break is quoted,
// inner quotes doubled.
namespace CsvCell {

// The cell for `text` in a file whose cells are separated by `separator`.
QString of(const QString &text, QChar separator);
// The same for a value; a null value is an empty cell, a number is written as a number.
QString of(const QVariant &value, QChar separator);
// A plain decimal number: optional sign, digits, optionally one decimal point or comma and digits.
bool isNumber(const QString &text);

} // namespace CsvCell

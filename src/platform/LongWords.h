#pragma once

#include <QString>

// Words longer than `longest` characters (a 250-character name without a space) get invisible break
// opportunities (U+200B) every `longest` characters, so that a wrapped label or a message box wraps them
// instead of growing past the screen. For display only: stored texts never pass through it.
QString breakableLongWords(const QString &text, int longest = 30);

#pragma once

#include <QtGlobal>

class QTextDocument;
class WordProcessor;

// The layout the printed questionnaire texts share: the text pasted with its bold and italic, a tab stop
// and hanging indent of 148.8375 pt, no automatic paragraph spacing, Cambria at the body size, the first
// three lines (the title) 14 pt and centred. The insertion point is left at the start of the fourth line.
void formatTitledText(WordProcessor &word, const QTextDocument &text, qreal bodyPoints);

// The assignment sheet: the layout above with a 12 pt body.
void formatAssignmentSheet(WordProcessor &word, const QTextDocument &sheet);

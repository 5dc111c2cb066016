#pragma once

class QTextDocument;
class WordProcessor;

// Turns the assignment sheet written in the editor into the printable document: the text pasted with its
// bold and italic, a tab stop and hanging indent of 148.8375 pt, no automatic paragraph spacing, Cambria
// 12 pt, the first three lines (the questionnaire's name) 14 pt and centred.
void formatAssignmentSheet(WordProcessor &word, const QTextDocument &sheet);

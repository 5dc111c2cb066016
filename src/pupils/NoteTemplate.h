#pragma once

#include <QString>

// Putting a prepared template text in front of a pupil's note.
namespace NoteTemplate {

// The note after inserting the template: the template text, a line break, then the previous note.
// A plain-text note becomes template + CR LF + previous text. A note stored as formatted text (HTML, as
// the note editor saves it) keeps its formatting: the template becomes its first paragraph.
QString prepend(const QString &templateText, const QString &previousNote);

// Whether a stored note is formatted text rather than plain text.
bool isFormatted(const QString &note);

} // namespace NoteTemplate

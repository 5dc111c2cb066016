#pragma once

#include <QString>
#include <functional>

class QTextDocument;
struct PagedDocument;
class WordProcessor;

// How an output lays its text out in a word-processor document (tab stops, fonts, headings); empty for
// the text as it stands.
using WordLayout = std::function<void(WordProcessor &, const QTextDocument &)>;

// Puts the text into the word processor by its layout.
void layOutForWord(WordProcessor &word, const QTextDocument &document, const WordLayout &layout);

// The text's pages for the printer, its preview and a PDF (a copy of the text, portrait A4).
PagedDocument textPages(const QTextDocument &document, const QString &title);

// Saves an editor text by the file's extension: ".docx" as a word-processor document laid out as the output
// it holds lays itself out (bold, italic and fonts kept), ".pdf" as its pages with `title` as the document
// title, anything else as UTF-8 plain text. Written through a temporary file; false with a Czech error text
// when the file cannot be written.
bool saveEditorText(const QTextDocument &document, const QString &path, const WordLayout &layout = {},
                    QString *error = nullptr, const QString &title = QString());

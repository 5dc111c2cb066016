#pragma once

#include <QString>

class QTextDocument;

// Saves an editor text by the file's extension: ".docx" as a word-processor document (bold, italic and
// fonts kept), anything else as UTF-8 plain text. Written through a temporary file; false with a Czech
// error text when the file cannot be written.
bool saveEditorText(const QTextDocument &document, const QString &path, QString *error = nullptr);

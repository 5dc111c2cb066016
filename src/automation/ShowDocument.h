#pragma once

#include <QString>

class Shell;
class WordProcessor;

// Shows a finished document as the program used to show its word-processor window: saves it as a
// uniquely named .docx in the shell's temporary folder and opens that with the desktop's default
// application. False with a Czech message when it cannot be saved or opened; *path (when given) receives
// the file written, also when only opening failed.
bool showDocument(const WordProcessor &document, Shell &shell, QString *error = nullptr,
                  QString *path = nullptr);

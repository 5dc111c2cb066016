#pragma once

class TEditor_Form;
struct AppContext;

// "Textové vyhodnocení" of the current session: asks whether to list the unchosen and name the
// respondents, writes the report into the editor window, then offers to open it in the word processor or
// to keep it among the class documents.
void runTextualEvaluation(AppContext &context, TEditor_Form &editor);

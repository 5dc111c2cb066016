#pragma once

class TEditor_Form;
struct AppContext;

// "Textové vyhodnocení" of the current session: asks whether to list the unchosen and name the
// respondents, writes the report into the editor window, then offers to open it in the word processor or
// to keep it among the class documents. Made anonymously, it is the report of an anonymised copy
// (AnonymousCopy): codes for names, no school or teacher, free-text answers only when asked for.
struct EvaluationPrivacy {
    bool anonymous = false;
    bool freeText = false;
};
void runTextualEvaluation(AppContext &context, TEditor_Form &editor, EvaluationPrivacy privacy = {});

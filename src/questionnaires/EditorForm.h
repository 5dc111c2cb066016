#pragma once

#include "questionnaires/QuestionnaireTexts.h"
#include "questionnaires/TextExport.h"

#include <QDialog>

class QTextEdit;
struct AppContext;

// The editor window "Editor": one rich-text box that the previews, the assignment sheet and later the
// reports write into. Shown without blocking the window that filled it; its text can be saved (.txt,
// .docx, .pdf) and printed.
class TEditor_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TEditor_Form)
public:
    explicit TEditor_Form(AppContext &context, QWidget *parent = nullptr);

    QTextEdit *richEdit() const { return m_richEdit; }
    // Replaces the text by the lines and shows the window; `layout` is how the lines go into a Word
    // document, whether saved here ("Uložit jako...") or sent on by the window that filled the editor.
    void showLines(const QList<StyledLine> &lines, const WordLayout &layout = {});
    // Replaces the text by plain text, laid out as it stands, and shows the window.
    void showPlainText(const QString &text);
    // The editor's text in the word processor, by the layout of the output it holds.
    void layOut(WordProcessor &word) const;
    // "Uložit jako...": asks for a file and saves the text there.
    void saveAs();
    // "Uložit jako PDF": asks for a file and saves the text's pages there.
    void savePdf();
    // "Tisk...": the print preview of the text; its print button prints.
    void print();

private:
    AppContext &m_context;
    QTextEdit *m_richEdit = nullptr;
    WordLayout m_layout;
};

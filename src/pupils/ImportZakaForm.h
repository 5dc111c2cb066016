#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TDM;
struct AppContext;

// The import window "Import žáků": pupils pasted into an editor, one per line, are added to the current
// class at once; then the roster is refreshed and renumbered. The text stays and the window stays open;
// it says how many pupils were added, and "Import" waits for a change of the text, so that a second click
// does not add the same list again.
class TImport_Zaka_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TImport_Zaka_Form)
public:
    TImport_Zaka_Form(AppContext &context, QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_memo; }
    // The "Import" button: adds every line's pupil, all or nothing. Returns how many were added
    // (-1 when there is no class or the import failed; the user has been told).
    int importPupils();
    // "Přidáno 5 žáků." and the like.
    static QString addedText(int added);

private:
    AppContext &m_context;
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_importButton = nullptr;
    QLabel *m_result = nullptr;
};

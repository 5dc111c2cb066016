#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
struct AppContext;

// "Vyčištění databáze": removes every evaluation session and every answer of the open database, keeping
// classes, pupils, questionnaires, questions, notes, templates and documents. Shown not modally, centred on
// the main window; Esc closes it.
class TVycisteni_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TVycisteni_Form)
public:
    explicit TVycisteni_Form(AppContext &context, QWidget *parent = nullptr);

    QPushButton *wipeButton() const { return m_button; }
    QLabel *warning() const { return m_warning; }
    // The button: asks, then deletes the answers and the sessions in one transaction. False when declined
    // or when the engine failed (its message shown).
    bool wipe();

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &m_context;
    QLabel *m_warning = nullptr;
    QPushButton *m_button = nullptr;
};

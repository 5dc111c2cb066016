#pragma once

#include <QDialog>
#include <QHash>
#include <optional>

class Dataset;
class DatasetTableModel;
class QAction;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTableView;
class TDBNavigator;
class TDM;
class TDotaznik_Odpovedi_Form;
struct AppContext;

// "Seznam dotazníků": the evaluation sessions of the current class on `Vyhodnoceni_Query`, with the
// questionnaire and date of a new session, the notes, the participation of each session and the way
// to answer entry.
class TDotazniky_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDotazniky_Form)
public:
    explicit TDotazniky_Form(AppContext &context, QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    void setAnswersWindow(TDotaznik_Odpovedi_Form *window) { m_answersWindow = window; }
    // Number of respondents with an answer in the session, as the "Účast" column shows it.
    int participation(qint64 sessionId) const { return m_participation.value(sessionId); }

    // "Zadávat odpovědi": answer entry for the current session, shown modally. False when the session
    // has no questionnaire.
    bool enterAnswers();
    // "Textové vyhodnocení" of the current session (also run from the main window's session menu).
    void runTextualEvaluation();
    // The bar chart's "Textový souhrn": the evaluation of the current session, without names when the
    // chart has none.
    void runTextualSummary(bool anonymous);
    // "Vymazat všechny odpovědi u označeného dotazníku".
    void wipeAnswers();
    // Reads the participation of the shown sessions again.
    void reloadParticipation();
    // "Generovat HTML formuláře": the web forms of the current session, with the progress bar; then the
    // upload window. False when nothing was generated.
    bool generateForms();
    // "Importovat výsledky z HTML formulářů" for the current session. False when nothing was imported.
    bool importResults();
    // "Kódy pro žáky…": the cut-out slips with the pupils' codes of the current session, saved (.docx,
    // .pdf) or printed. False when the current session has no forms.
    bool offerCodeSlips();
    // "Vygenerovat nové kódy" for the current session, asked first. True when the codes were made anew.
    bool regenerateCodes();

    // Esc and the close button: a session being edited is saved first when the user says so.
    void reject() override;

protected:
    // "Pokročilé nástroje" follows the expert setting as it is when the window opens.
    void showEvent(QShowEvent *event) override;

private:
    void runEvaluation(const struct EvaluationPrivacy &privacy);
    void followState();
    void buildMenus(class QMenuBar *menuBar);
    QWidget *buildDetails();
    void buildNotesMenu();
    TDotaznik_Odpovedi_Form *answersWindow() const;
    // The current session when it can have web forms (it has a questionnaire and is not being edited).
    std::optional<qint64> sessionWithForms() const;
    QWidget *uploadWindow();

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_sessions;
    TDBNavigator *m_navigator = nullptr;
    QMenu *m_advancedMenu = nullptr;
    QAction *m_anonymous = nullptr; // "Anonymně" of the textual evaluation
    QAction *m_freeText = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    QWidget *m_details = nullptr;
    QTableView *m_questionnaireGrid = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QProgressBar *m_progress = nullptr;
    TDotaznik_Odpovedi_Form *m_answersWindow = nullptr;
    QWidget *m_ownUploadWindow = nullptr;
    QHash<qint64, int> m_participation;
};

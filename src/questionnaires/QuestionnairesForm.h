#pragma once

#include <QDialog>

class Dataset;
class DatasetTableModel;
class QTableView;
class QWidget;
class TDBNavigator;
class TNastaveni_Otazek_Form;
class TDM_IE;
class TDM;
struct AppContext;

// "Nastavení dotazníků": the questionnaire register on `Testy_Query`, with the way to the questions of
// the current questionnaire.
class TNastaveniDotazniku_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TNastaveniDotazniku_Form)
public:
    explicit TNastaveniDotazniku_Form(AppContext &context, QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    // The question window this window opens (found among the main window's windows unless set).
    void setQuestionsWindow(TNastaveni_Otazek_Form *window) { m_questionsWindow = window; }
    // "Přidat a upravit otázky": the questions of the current questionnaire in the question window,
    // shown modally. False when there is no questionnaire.
    bool editQuestions();

    // Menu "Import a export", through the exchange data module TDM_IE (found among the main window's
    // objects unless set). "Exportovat dotazník": the current questionnaire into a file the user names;
    // "Importovat dotazník": the questionnaire of a file as a new questionnaire, made current. A row being
    // edited is saved or dropped first, as the user answers. False when nothing was written.
    void setExchangeModule(TDM_IE *module) { m_exchange = module; }
    bool exportQuestionnaire();
    bool importQuestionnaire();

    // Esc and the close button: a questionnaire being edited is saved, dropped or kept as the user answers.
    void reject() override;

private:
    void followState();
    TNastaveni_Otazek_Form *questionsWindow() const;
    TDM_IE *exchangeModule();

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_questionnaires;
    TDBNavigator *m_navigator = nullptr;
    QWidget *m_panel = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    TNastaveni_Otazek_Form *m_questionsWindow = nullptr;
    TDM_IE *m_exchange = nullptr;
};

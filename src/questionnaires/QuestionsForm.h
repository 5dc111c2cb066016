#pragma once

#include "questionnaires/QuestionnaireTexts.h"
#include "questionnaires/TextExport.h"

#include <QDialog>

#include <functional>
#include <optional>

class Database;
class Dataset;
class DatasetTableModel;
class QAction;
class QGroupBox;
class QLineEdit;
class QTableView;
class TDBNavigator;
class TDM;
class TEditor_Form;
struct AppContext;

// "Nastavení otázek …": the questions of one questionnaire on `Otazky_Query`: the grid, the edit panel,
// keyboard reordering, the previews in the editor window and the assignment sheet.
class TNastaveni_Otazek_Form final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TNastaveni_Otazek_Form)
public:
    explicit TNastaveni_Otazek_Form(AppContext &context, QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    void setEditorWindow(TEditor_Form *editor) { m_editorWindow = editor; }

    // The menu "Nástroje".
    void showQuestionPreview();
    void showAssignmentPreview();
    void showEvaluationPreview();
    void generateAssignmentSheet();
    // The information box about the question kinds (a click on the picture beside the kinds).
    void showKindInformation();

    // Esc and the close button: a question being edited is saved, dropped or kept as the user answers.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // "Náhled zadání" follows the expert setting as it is when the window opens.
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildPanel();
    void followState();
    // Ctrl (+Alt) with Up or Down on the grid; true when the key was used.
    bool reorder(int key, Qt::KeyboardModifiers modifiers);
    void sortByColumn(int column);
    TEditor_Form *editorWindow() const;
    // A text of the saved questions read by id; nullopt, with the reason shown, when the question being
    // edited cannot be saved or the read fails.
    using TextRead = std::function<std::optional<QList<StyledLine>>(Database &, QString *)>;
    std::optional<QList<StyledLine>> readText(const TextRead &read);
    // Reads a text and shows it in the editor with its Word layout; the editor, or nullptr when nothing was shown.
    TEditor_Form *showText(const TextRead &read, const WordLayout &layout = {});
    qint64 questionnaireId() const;

    AppContext &m_context;
    TDM &m_dm;
    Dataset &m_questions;
    TDBNavigator *m_navigator = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    QWidget *m_panel = nullptr;
    QWidget *m_warning = nullptr;
    QLineEdit *m_positive = nullptr;
    QWidget *m_kindInformation = nullptr;
    QAction *m_assignmentPreview = nullptr;
    TEditor_Form *m_editorWindow = nullptr;
};

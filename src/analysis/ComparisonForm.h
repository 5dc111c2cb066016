#pragma once

#include "analysis/ResultWindowParts.h"
#include "analysis/SurveyComparison.h"
#include "data/SessionOutput.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QTabWidget;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QWidget;
class SociogramBuilder;
class TrendChartView;
class TDM;
struct AppContext;

// "Srovnání vyhodnocení": two surveys of the current class side by side (Comparison::compare). At the top
// the earlier and the later session ("Dříve:", "Nyní:", the items of the sociogram window's session menu)
// and the question of each ("Otázka dříve:", "Otázka nyní:"; every question of the session's questionnaire,
// the ones the analysis refuses greyed, with the refusal as their tool tip). Tabs: "Žáci" (the pupils,
// those who passed into another status group bold in the new group's tint), "Vazby" (kept, new and broken
// mutual pairs), "Třída" (the class indices then and now), "Vývoj" (the earlier question's text over every
// session of the class: table and line chart) and "Shrnutí". Saves to a file, a PDF or the class documents
// and prints (through the preview). Every figure and text comes from the comparison core (ComparisonTexts,
// ComparisonOutputs, TrendChart); a refusal of the core is shown in the window.
//
// Each choice reads the sessions again, so answers entered meanwhile count. Created once; the main window
// sets the current class on the session list before it shows the window.
class ComparisonForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ComparisonForm)
public:
    explicit ComparisonForm(AppContext &context, QWidget *parent = nullptr);
    ~ComparisonForm() override;

    QTabWidget *tabs() const { return m_tabs; }
    QAction *action(const QString &objectName) const;
    // What the window shows; none before a choice, after a refusal or a failure.
    const std::optional<SurveyComparison> &comparison() const { return m_comparison; }
    const std::optional<SurveyTrend> &trend() const { return m_trend; }

    // Fills the session lists again (every show): "nyní" the newest session, "dříve" the one before it,
    // the questions by default, and compares them.
    void refill();
    // Compares what the four lists name and shows it, or the reason why not; false then.
    bool build();

    void save();            // "Uložit…": a file of the kind its suffix names
    void saveToDocuments(); // "Uložit do Listin": the Word document into the class documents
    void print();           // "Tisk": the print preview of the whole comparison, the shown trend included
    void savePdf();         // "Uložit jako PDF": the same pages
    // The file name proposed for the comparison, without folder and suffix.
    QString proposedName() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus(QMenuBar *menuBar, QToolBar *toolBar);
    QWidget *buildChoices();
    QWidget *buildTrendTab();
    void fromSessionChanged();
    void fromQuestionChanged();
    void toSessionChanged();
    // Reads the session a list names; nullopt (the reason in `reason`) when there is none or it is gone.
    std::optional<SessionOutputData> readChosenSession(QComboBox *sessions, QString *reason);
    // Fills a question list from the session's questionnaire and selects `selected` (none: no selection).
    void fillQuestions(QComboBox *questions, const std::optional<SessionOutputData> &session,
                       std::optional<qint64> selected);
    // The "nyní" question that stands for the "dříve" question (Comparison::matchingQuestion).
    void matchToQuestion();
    void display(std::optional<SurveyComparison> comparison, std::optional<SurveyTrend> trend,
                 const QString &refusal);
    void fillPupils();
    void fillPairs();
    void fillClass();
    void fillTrend();
    void showError(const QString &text);
    // Writes the shown result by suffix (the Word document for the class documents).
    ResultWindowParts::SaveRoutine saveRoutine() const;
    const SurveyTrend *shownTrend() const;

    AppContext &m_context;
    TDM &m_dm;
    std::unique_ptr<SociogramBuilder> m_lists; // only its session items are used
    std::optional<SessionOutputData> m_from;   // the sessions the lists name, without roster and answers
    std::optional<SessionOutputData> m_to;
    std::optional<SurveyComparison> m_comparison;
    std::optional<SurveyTrend> m_trend;
    bool m_filling = false; // the lists are being filled: their changes build nothing

    QComboBox *m_fromSession = nullptr;
    QComboBox *m_toSession = nullptr;
    QComboBox *m_fromQuestion = nullptr;
    QComboBox *m_toQuestion = nullptr;
    QLabel *m_heading = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableWidget *m_pupils = nullptr;
    QTreeWidget *m_pairs = nullptr;
    QTableWidget *m_indices = nullptr;
    QWidget *m_trendPage = nullptr;
    QLabel *m_trendNote = nullptr;
    QTableWidget *m_trendTable = nullptr;
    TrendChartView *m_chart = nullptr;
    QListWidget *m_summary = nullptr;
    QAction *m_anonymous = nullptr;
    QList<QAction *> m_outputActions; // enabled only while a comparison is shown
};

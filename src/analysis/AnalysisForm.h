#pragma once

#include "analysis/ResultWindowParts.h"
#include "analysis/SociometricAnalysis.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <optional>

class AnalysisPupilModel;
class AnalysisScatterView;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolBar;
class QTreeWidget;
class QWidget;
class SessionQuestionMenus;
class TDM;
struct AppContext;

// "Sociometrický rozbor": the sociometric analysis of one question of one evaluation session
// (Sociometry::analyse), chosen with the sociogram window's menus "Vyhodnocení" and "Otázka" (one item per
// question). Tabs: "Žáci" (the pupil table, sortable, rows tinted by status group, the legend of the groups),
// "Třída" (class indices, pupils per status group), "Podskupiny" (mutual pairs, groups, cliques, isolates,
// stars) and "Graf" (the preference × impact scatter). Saves the analysis to a file, a PDF or the class
// documents, prints it (through the preview), copies the scatter. Every figure and text comes from the
// analysis core (AnalysisTexts, StatusScatter, AnalysisOutputs); the window only shows them.
//
// Each choice of a question reads the session from the database again, so answers entered meanwhile count.
// Created once; the main window sets the current class on the session list before it shows the window.
class AnalysisForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnalysisForm)
public:
    explicit AnalysisForm(AppContext &context, QWidget *parent = nullptr);
    ~AnalysisForm() override;

    QMenu *sessionMenu() const;
    QMenu *questionMenu() const;
    QTabWidget *tabs() const { return m_tabs; }
    QTableView *pupilTable() const { return m_pupilTable; }
    QAction *action(const QString &objectName) const;
    // The analysis shown; none before a choice, after a refusal or a failure.
    const std::optional<SociometricAnalysis> &analysis() const { return m_analysis; }

    // The light tint of a status group's colour that marks the rows of its pupils in the pupil table.
    static QColor rowTint(Sociometry::Status status);

    // Empties both choice menus, fills the session menu again and clears the analysis (every show).
    void refillSessionMenu();
    // A question item was clicked: analyses it for the checked session; a refusal or a database failure is
    // shown and leaves the window empty.
    void chooseQuestion(QAction *item);
    // Analyses the question of the session and shows it; false (shown to the user, window emptied) when the
    // core refuses or the database fails.
    bool build(qint64 sessionId, qint64 questionId);

    void save();            // "Uložit…": a file of the kind its suffix names
    void saveToDocuments(); // "Uložit do Listin": the Word document into the class documents
    void print();           // "Tisk": the print preview of the whole analysis
    void savePdf();         // "Uložit jako PDF": the same pages
    void copyPicture();     // "Kopírovat graf": the scatter to the clipboard
    // The file name proposed for the analysis, without folder and suffix.
    QString proposedName() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus(class QMenuBar *menuBar);
    void buildToolBar(QToolBar *toolBar);
    QWidget *buildPupilTab();
    QWidget *buildClassTab();
    QWidget *buildSubgroupTab();
    // Shows the analysis, or an empty window headed by the refusal (or the invitation to choose).
    void display(std::optional<SociometricAnalysis> analysis, const QString &refusal = QString());
    void fillClassTab();
    void fillSubgroupTab();
    void showError(const QString &text);
    // Writes the shown result by suffix (the Word document for the class documents).
    ResultWindowParts::SaveRoutine saveRoutine() const;

    AppContext &m_context;
    TDM &m_dm;
    SessionQuestionMenus *m_menus = nullptr;
    std::optional<SociometricAnalysis> m_analysis;
    QLabel *m_heading = nullptr;
    QTabWidget *m_tabs = nullptr;
    QLabel *m_missingStatuses = nullptr;
    QTableView *m_pupilTable = nullptr;
    AnalysisPupilModel *m_pupilModel = nullptr;
    QTableWidget *m_indices = nullptr;
    QTableWidget *m_statusCounts = nullptr;
    QLabel *m_statusReason = nullptr;
    QTreeWidget *m_subgroups = nullptr;
    AnalysisScatterView *m_scatter = nullptr;
    QAction *m_anonymous = nullptr;
    QList<QAction *> m_outputActions; // enabled only while an analysis is shown
};

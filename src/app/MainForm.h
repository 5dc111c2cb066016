#pragma once

#include <optional>

#include "app/WindowRegistry.h"

#include <QMainWindow>
#include <functional>

class DatasetFieldBinder;
class DatasetTableModel;
class QAction;
class QActionGroup;
class QDateEdit;
class QLineEdit;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;
class QWidget;
class TDBNavigator;
class TInfo_Form;
struct AppContext;
struct SessionMenuItem;

// The main window: the register of classes and the hub that opens every other window.
//
// The class register is the data module's Trida_Query: a navigator (insert, delete, edit, save, cancel),
// the edit panel shown while a class is inserted or edited, and the read-only class grid whose current
// row is the current class of the whole program. Every command that needs a class refuses with
// "Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. " when the register is empty; otherwise it sets
// the class on the datasets of the window it opens, refreshes them and shows the window (found by name
// in the WindowRegistry).
//
// Other windows hook in through the signals below (connect to them in their factory, where the main
// window is the parent): the sociogram window fills its canvas with sociogramInstructions() on
// sociogramOpening(); the bar-chart window removes its series, sets the title "Název grafu" and disables
// "Konkrétní žák" and "Konkrétní otázka" on barChartOpening(); the session window runs the textual
// evaluation on textualEvaluationRequested(). The bar-chart window borrows answerOptionMenu().
class TMain_form final : public QMainWindow
{
    Q_OBJECT
public:
    // Shows a window found in the registry, modally or not. Replaced in tests to record the calls.
    using WindowShower = std::function<void(QWidget *window, bool modal)>;

    explicit TMain_form(AppContext &context, QWidget *parent = nullptr);
    ~TMain_form() override;

    // The main window's part of start-up: navigator decoration, version text, expert menu items, database
    // menu, datasets. Raises an exception when a step fails; the steps after it do not run.
    void FormCreate();
    void setWindows(WindowRegistry *windows) { m_windows = windows; }
    void setWindowShower(WindowShower shower) { m_shower = std::move(shower); }

    QMenu *databaseMenu() const { return m_databaseMenu; }
    // Drop-down of "Textové vyhodnocení": one radio item per session of the current class, newest first;
    // each item's data (and property "Value") is the session ID.
    QMenu *sessionMenu() const { return m_sessionMenu; }
    // The four answer-option commands; the bar-chart window shows this menu on a right click.
    QMenu *answerOptionMenu() const { return m_answerOptionMenu; }
    TInfo_Form *infoForm() const { return m_info; }
    TDBNavigator *navigator() const { return m_navigator; }
    QTableView *classGrid() const { return m_grid; }

    // Switches to another database file of the data folder; failures are shown.
    void switchDatabase(const QString &fileName);
    void applyExpert(bool expert);

    // --- Commands ------------------------------------------------------------------------------------
    void showPupils();           // "Žáci"
    void showSessions();         // "Dotazníky", double-click on the class grid
    void showDocuments();        // "Listiny"
    void showSociogram();        // "Sociogram bubliny", "Sociogram - bublinový graf"
    void showPreparedBarChart(); // tool bar "Sloupcový graf"
    void showBarChart();         // "Výstup" / "Sloupcový graf": no preparation, not modal
    void showAnalysis();         // "Sociometrický rozbor" (tool bar and "Výstup"): made when first opened
    void showComparison();       // "Výstup" / "Srovnání vyhodnocení…": made when first opened
    void showGrouping();         // "Výstup" / "Rozdělení do skupin": made when first opened
    void showQuestionnaireSettings();
    void showFtp();
    void showWipe();
    // "Záloha databáze": copies the open database file to a file the user names.
    void backupDatabase();
    std::optional<qint64> chosenClass();
    void exportAnonymousClass();
    void saveCodeKey();
    // Opens the pupil card of the current roster row with its notes, not modally.
    void openPupilCard();
    // Title click on the class grid: sorts by the column's field, flipping ascending/descending.
    void DBGrid1TitleClick(int column);

signals:
    void sociogramOpening();
    void barChartOpening();
    void textualEvaluationRequested();

protected:
    // A class being edited is saved, dropped or kept as the user answers before the program ends.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildRegister();
    void buildAnswerOptionMenu();
    void buildDatabaseMenu();
    void rebuildSessionMenu(const QList<SessionMenuItem> &sessions);
    void chooseSession(qint64 sessionId);
    void followClassState();
    QToolButton *addToolButton(const QString &objectName, const QString &caption, const QIcon &icon,
                               QMenu *menu = nullptr);
    // True when the register has a class; else shows the refusal.
    bool requireClass();
    QVariant classId() const;
    void showWindow(const QString &name, bool modal);
    // Sets the current class on the session list and shows the window, made the first time it opens.
    void showOnClassSessions(const WindowRegistry::Entry &window);
    void openDatasets();

    AppContext &m_context;
    WindowRegistry *m_windows = nullptr;
    WindowShower m_shower;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_databaseMenu = nullptr;
    QMenu *m_sessionMenu = nullptr;
    QMenu *m_answerOptionMenu = nullptr;
    QActionGroup *m_databaseGroup = nullptr;
    QActionGroup *m_sessionGroup = nullptr;
    QAction *m_ftpAction = nullptr;
    QAction *m_wipeAction = nullptr;
    TInfo_Form *m_info = nullptr;
    TDBNavigator *m_navigator = nullptr;
    QWidget *m_editPanel = nullptr;
    QLineEdit *m_schoolEdit = nullptr;
    QTableView *m_grid = nullptr;
    DatasetTableModel *m_model = nullptr;
    DatasetFieldBinder *m_binder = nullptr;
};

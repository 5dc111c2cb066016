#pragma once

#include <QMainWindow>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QToolButton;
class TInfo_Form;
class WindowRegistry;
struct AppContext;

// The main window: the register of classes and the hub that opens every other window.
class TMain_form final : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMain_form(AppContext &context, QWidget *parent = nullptr);

    // The main window's part of start-up: version text, expert menu items, database menu, datasets.
    // Raises an exception when a step fails; the steps after it do not run.
    void FormCreate();
    void setWindows(WindowRegistry *windows) { m_windows = windows; }

    QMenu *databaseMenu() const { return m_databaseMenu; }
    TInfo_Form *infoForm() const { return m_info; }
    // Switches to another database file of the data folder; failures are shown.
    void switchDatabase(const QString &fileName);
    void applyExpert(bool expert);

private:
    void buildMenus();
    void buildToolBar();
    void buildDatabaseMenu();
    QToolButton *addToolButton(const QString &objectName, const QString &caption, QMenu *menu = nullptr);
    void showWindow(const QString &name, bool modal);
    void openDatasets();

    AppContext &m_context;
    WindowRegistry *m_windows = nullptr;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_databaseMenu = nullptr;
    QMenu *m_sessionMenu = nullptr;
    QActionGroup *m_databaseGroup = nullptr;
    QAction *m_ftpAction = nullptr;
    QAction *m_wipeAction = nullptr;
    TInfo_Form *m_info = nullptr;
};

#pragma once

#include "data/AppContext.h"
#include "app/WindowRegistry.h"

#include <QStringList>
#include <memory>

class Database;
class TDM;
class TMain_form;

// Starts the program: the title, the data module, the main window and then every other window once,
// hidden, in their order. A failure in one step is shown and start-up goes on with the next.
class Startup final
{
    Q_DISABLE_COPY_MOVE(Startup)
public:
    Startup(const QString &programFolder, Prompter &prompter, Shell &shell);
    ~Startup();

    void run(const QStringList &arguments, const QList<WindowRegistry::Entry> &windows = WindowRegistry::programWindows());

    // Opens a sociogram file (".sgp") named on the command line in the sociogram window; the other
    // arguments are the data-folder options and are left alone. Call once the main window is showing.
    void openFiles(const QStringList &arguments);

    AppContext &context() { return m_context; }
    TMain_form *mainWindow() const { return m_main.get(); }
    WindowRegistry &windows() { return m_windows; }

private:
    void reportFailure(const QString &text);

    std::unique_ptr<Database> m_database;
    std::unique_ptr<TDM> m_dm;
    AppContext m_context;
    std::unique_ptr<TMain_form> m_main;
    WindowRegistry m_windows;
};

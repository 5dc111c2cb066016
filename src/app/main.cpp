#include "app/MainForm.h"
#include "platform/QtPrompter.h"
#include "platform/Shell.h"
#include "platform/Translations.h"
#include "app/Startup.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installQtTranslations(app);
    QtPrompter prompter;
    QtShell shell;
    Startup startup(QCoreApplication::applicationDirPath(), prompter, shell);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    startup.run(arguments);

    TMain_form *main = startup.mainWindow();
    main->move(main->screen()->availableGeometry().center() - main->rect().center());
    main->show();
    return app.exec();
}

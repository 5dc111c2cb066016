#include "app/MainForm.h"
#include "platform/QtPrompter.h"
#include "platform/Shell.h"
#include "platform/Translations.h"
#include "app/ProgramHelp.h"
#include "app/Startup.h"
#include "platform/AppFolders.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTextStream>
#include <exception>

namespace {

// --help and --version answer on the terminal, without a display.
int answerOnTerminal(int argc, char **argv)
{
    QCoreApplication core(argc, argv);
    QTextStream out(stdout);
    if (core.arguments().contains(QLatin1String("--version"))) {
        AppFolders folders;
        folders.programFolder = withTrailingSeparator(QCoreApplication::applicationDirPath());
        try {
            out << readVersionText(folders.resourceFolder()) << '\n';
        } catch (const std::exception &e) {
            out << QString::fromUtf8(e.what()) << '\n';
            return 1;
        }
    } else {
        out << programHelpText();
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--help" || a == "-h" || a == "--version")
            return answerOnTerminal(argc, argv);
    }
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("cz.orbelis.Orbelis")));
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
    startup.openFiles(arguments);
    return app.exec();
}

#include "cli/Cli.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // Pictures are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    const int code = runCli(arguments, QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return code;
}

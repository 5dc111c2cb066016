#include "cli/Cli.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <unistd.h>

int main(int argc, char **argv)
{
    // Pictures are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (cron, ssh, CI) Qt would warn about the missing runtime folder on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/orbelis-runtime-") + QString::number(getuid());
        if (QDir().mkpath(runtime) &&
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    // Taken before the application object: QGuiApplication would swallow "--session ID" as desktop session
    // management, and the session commands use exactly that option.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Only the commands that draw pay for a platform and the fonts.
    std::unique_ptr<QCoreApplication> app;
    if (cliCommandPaints(arguments))
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = runCli(arguments, QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return code;
}

#pragma once

#include "cli/Cli.h"

#include <QStringList>
#include <QTextStream>

// One in-process run of orbelis-cli: exit code and both outputs.
struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

// Runs orbelis-cli with `--data dataFolder` in front of `args`; the program folder is `programFolder`.
inline CliRun runCliOn(const QString &dataFolder, const QString &programFolder, QStringList args)
{
    args.prepend(dataFolder);
    args.prepend(QStringLiteral("--data"));
    CliRun result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runCli(args, programFolder, out, err);
    return result;
}

#pragma once

#include "cli/Cli.h"

#include <QRegularExpression>
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

// The demo class written by `init` and `demo` into a data folder: the ids the demo printed, and what it
// printed.
struct DemoIds {
    CliRun run;
    QString classId, questionnaire, session;
    bool ok() const {
        return run.code == 0 && !classId.isEmpty() && !questionnaire.isEmpty() && !session.isEmpty();
    }
};

inline DemoIds writeDemo(const QString &dataFolder, const QString &programFolder) {
    DemoIds demo;
    demo.run = runCliOn(dataFolder, programFolder, {QStringLiteral("init")});
    if (demo.run.code != 0)
        return demo;
    demo.run = runCliOn(dataFolder, programFolder, {QStringLiteral("demo")});
    const auto id = [&](const char *what) {
        return QRegularExpression(QStringLiteral("%1 (\\d+)").arg(QString::fromUtf8(what)))
            .match(demo.run.out)
            .captured(1);
    };
    demo.classId = id("třída");
    demo.questionnaire = id("dotazník");
    demo.session = id("vyhodnocení");
    return demo;
}

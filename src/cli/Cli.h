#pragma once

#include <QStringList>
#include <QTextStream>

// The headless tool: `orbelis-cli [--data DIR] COMMAND ...`. Returns the process exit code.
// `programFolder` is where "orbelis.txt" and the program's settings file lie.
int runCli(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err);

// Whether the command of these arguments draws pictures or lays out documents, and so needs a
// QGuiApplication (fonts, a platform). The others (data, files, web forms, backups; --version and --help)
// start with a QCoreApplication, without a platform plugin or the font configuration. Unknown commands
// count as drawing.
bool cliCommandPaints(const QStringList &arguments);

#pragma once

#include <QStringList>
#include <QTextStream>

// The headless tool: `orbelis-cli [--data DIR] COMMAND ...`. Returns the process exit code.
// `programFolder` is where "orbelis.txt" and the program's settings file lie.
int runCli(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err);

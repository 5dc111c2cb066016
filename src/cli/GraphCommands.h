#pragma once

#include <QStringList>
#include <QTextStream>

// `orbelis-cli graph ...`: convert a graph file to another graph file or a picture,
// dump its objects as text. Returns the process exit code.
int runGraphCommand(const QStringList &args, QTextStream &out, QTextStream &err);

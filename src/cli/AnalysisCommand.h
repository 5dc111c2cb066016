#pragma once

#include <QStringList>
#include <QTextStream>

class Database;

// `orbelis-cli analysis --session S --question Q [--format json|csv|text] [--out FILE]`: the sociometric
// analysis of one question of one session, as text on standard output unless told otherwise.
int runAnalysisCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

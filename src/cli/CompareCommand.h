#pragma once

#include <QStringList>
#include <QTextStream>

class Database;

// orbelis-cli compare --from S1 --to S2 --question Q1 [--question-to Q2] [--format json|csv|text] [--out FILE]
int runCompareCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);
// orbelis-cli trend --class C --question-text "TEXT" [--format json|csv|text] [--out FILE]
int runTrendCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

#pragma once

#include <QStringList>
#include <QTextStream>

class Database;

// `orbelis-cli report --session S [--zeros] [--names] [--out FILE]`: the textual evaluation of a session,
// read by id and built as the session window builds it. Without --out the text goes to standard output, one line per
// line; FILE ending in .txt, .html (bold and underline kept) or .docx (as the word processor gets it).
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runReportCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

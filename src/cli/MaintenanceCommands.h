#pragma once

#include <QStringList>
#include <QTextStream>

class Database;
struct AppFolders;

// Headless maintenance commands on the open database of a data folder. Each returns the exit code:
// 0 done, 1 failure or refusal (a Czech message on err), 2 wrong usage.

// `orbelis-cli questionnaire export|import ...` (args are the words after "questionnaire"):
//   export --id ID FILE    writes the questionnaire and its questions into the exchange file FILE
//                          (".mdb" appended unless FILE ends so), prints the file written
//   import FILE            adds the questionnaire of the exchange file as a new one, prints its ID
int runExchangeCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                       QTextStream &err);

// `orbelis-cli backup FILE`: a consistent copy of the open database (never into the open file itself).
int runBackupCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

// `orbelis-cli wipe --yes`: deletes every answer and every evaluation session in one transaction; without
// --yes nothing is deleted.
int runWipeCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

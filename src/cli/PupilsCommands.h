#pragma once

#include <QStringList>
#include <QTextStream>

class Database;

// `orbelis-cli pupils ...` (args are the words after "pupils"):
//   import --class ID FILE   adds the pupils listed in FILE ("-" reads `in`), one per line as the import
//                            window reads them, then renumbers the class; all or nothing
//   list --class ID          writes the class's pupil list as the pupil window copies it
// Returns the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runPupilsCommand(const QStringList &args, Database &db, QTextStream &in, QTextStream &out,
                     QTextStream &err);

// `orbelis-cli options insert --class ID --set all|---|ano-ne|abcde|12345`: adds the answer-option rows the
// class lacks; "all" adds the four sets and renumbers the class.
int runOptionsCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err);

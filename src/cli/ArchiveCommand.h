#pragma once

#include <QStringList>
#include <QTextStream>

struct AppFolders;

// `orbelis-cli demo --archive [--classes N]` (args are the words after "demo"): writes the generated
// school archive (ArchiveGenerator: by default 100 classes of 30 pupils, 20 questionnaires, 1,000
// sessions, about 2 million answers; with --classes the first N classes of it) into the data folder's
// database, made first when missing, with a progress line on err. The same command on an empty folder
// writes the same file every time. A database that holds classes already is refused: the archive never
// mixes with a school's own data. Returns 0 done, 1 refused or failed, 2 wrong usage.
int runArchiveCommand(const QStringList &args, const AppFolders &folders, QTextStream &out, QTextStream &err);

#pragma once

#include <QStringList>
#include <QTextStream>

class Database;
class Prompter;
struct AppFolders;

// The web forms without windows, through the same core operations as the session and upload windows:
//   forms --session S                      writes the pages into the data folder's html/S/, prints the folder
//   publish --session S [--session S2 …]   uploads as "Odeslat soubory na internet" with those sessions
//   checked results import --session S [--csv F]   imports the collected answers from the server, or from a
//   local
//                                          file; prints the counts of read, added and rejected lines
// The FTP settings are those of the program's settings file. Returns the exit code: 0 done, 1 failure
// (message on err), 2 wrong usage.
int runFormsCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err);
int runPublishCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                      QTextStream &err);
int runResultsCommand(const QStringList &args, Database &db, const AppFolders &folders, Prompter &prompter,
                      QTextStream &out, QTextStream &err);

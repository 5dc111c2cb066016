#pragma once

#include <QStringList>
#include <QTextStream>

class Database;
class Prompter;
struct AppFolders;

// The web forms without windows, through the same core operations as the session and upload windows:
//   forms --session S [--site DIR]         writes the pages into the data folder's html/S/, prints the folder;
//                                          with --site also the tree the upload makes, into DIR
//   publish --session S [--session S2 …]   uploads as "Odeslat soubory na internet" with those sessions
//                                          checked; the collectors' logged faults go to err
//   results import --session S [--csv F] [--delete-remote]
//                                          imports the collected answers (data.php, or an older data.csv)
//                                          from the server, or from a local file; prints the counts of
//                                          read, added, replaced and rejected lines; --delete-remote then
//                                          deletes the file on the server (only while it is still the file
//                                          imported; otherwise exit code 1)
// The FTP settings are those of the program's settings file. Returns the exit code: 0 done, 1 failure
// (message on err), 2 wrong usage.
int runFormsCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err);
int runPublishCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                      QTextStream &err);
int runResultsCommand(const QStringList &args, Database &db, const AppFolders &folders, Prompter &prompter,
                      QTextStream &out, QTextStream &err);

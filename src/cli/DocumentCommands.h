#pragma once

#include <QStringList>
#include <QTextStream>

class ScriptedPrompter;
class TDM;

// `orbelis-cli documents ...` (args are the words after "documents"), through the data module's register
// dataset and its document rules, as the class document window uses them:
//   list --class ID                    "ID<tab>dd.MM.yyyy<tab>title<tab>file" per document, oldest first
//                                      (file: the full path of the stored copy)
//   add --class ID FILE [--title T]    copies FILE into the class's folder and registers it (title: the
//                                      file's name unless given); prints the new document's ID
//   remove ID --yes                    deletes the document's file and its row; without --yes nothing
// Returns the exit code: 0 done, 1 refused or failed (message on err), 2 wrong usage.
int runDocumentsCommand(const QStringList &args, TDM &dm, ScriptedPrompter &prompter, QTextStream &out,
                        QTextStream &err);

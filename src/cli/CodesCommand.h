#pragma once

#include <QStringList>
#include <QTextStream>

class Database;
struct AppFolders;

// The pupils' codes of a session's web forms without windows, as the session window's "Kódy pro žáky":
//   codes --session S                 prints "id;name;code" per pupil who gets a form, in list order
//                                     (codes are made for those who have none yet)
//   codes --session S --out FILE      writes the cut-out slips as .docx or .pdf (by the extension)
//   codes --session S --new [--out FILE]
//                                     "Vygenerovat nové kódy": new codes for all of them first
// The entry address on the slips comes from the FTP settings of the program's settings file. Returns
// the exit code: 0 done, 1 failure (message on err), 2 wrong usage.
int runCodesCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err);

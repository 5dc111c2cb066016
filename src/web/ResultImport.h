#pragma once

#include "web/FtpSettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class Database;
class FtpClient;
class Prompter;
class QIODevice;
struct AppFolders;

// One line of the results file "data.csv": session, question, polarity, respondent, partner, a sixth value
// (not used) and the answer text, as the text was read.
struct TImport {
    std::array<QString, 7> fields;
};
using TImportArray = QList<TImport>;

// Reading and importing the answers the result collector gathered.
namespace ResultImport {

struct Parsed {
    TImportArray lines;
    int read = 0;         // lines with at least one comma
    QStringList problems; // "řádek N: reason" of the lines that could not be read
};
// Splits the file as the collector writes it: lines without a comma are skipped; items are separated by
// commas outside single or double quotes (quotes stay), empty items dropped; in the seventh "|" means a
// comma and "_new_line" a line break (CR LF), "-" no text, and one pair of enclosing double quotes goes.
// A line with fewer than seven items is counted as a problem.
Parsed parse(QIODevice &file);

struct Counts {
    int read = 0;
    int added = 0;
    int rejected = 0;
    QStringList problems; // why lines were rejected, "řádek N: …"
};
// Adds every answer not yet stored, in one transaction. Each value is checked first: integer ids of an
// existing session, of a question of its questionnaire, of a respondent of its class and of a row that
// question offers him (-1 with a text for a free-text question), the polarity a yes/no value ("1", "0",
// "-1", "true", "false"), a negative choice only under a negative wording. A line failing any check is
// rejected and reported, never written. An answer already stored (same five values and text) is skipped.
// Raises DatabaseError (nothing written).
Counts importAnswers(Database &db, const Parsed &parsed);

// "Importovat výsledky z HTML formulářů" for a session: downloads "data.csv" from the session's remote
// folder into the local session folder (through a temporary file, replaced only when the download is
// whole), or, when the server has no such file, lets the user pick one; then parses and imports it and
// tells the counts. With localFile given, that file is imported and the server is not asked. Messages go
// through the prompter; nullopt when nothing was imported (no folder, no file, an FTP or file error: the
// message has been shown).
std::optional<Counts> run(Database &db, const AppFolders &folders, qint64 sessionId, Prompter &prompter,
                          FtpClient *ftp, const FtpSettings &settings, const QString &localFile = QString());

} // namespace ResultImport

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

// One answer line of the collector's results: session, question, polarity, respondent, partner, the time
// of the post and the answer text, as the text was read; and the post number of the answer file
// "data.php" (one number for all the lines of one post, larger for a later post), or -1 for a line of the
// older "data.csv", which has none.
struct TImport {
    std::array<QString, 7> fields;
    qint64 post = -1;
};
using TImportArray = QList<TImport>;

// Reading and importing the answers the result collector gathered.
namespace ResultImport {

// The first line of the collector's answer file "data.php": a web server executing the file answers 404.
inline constexpr char kGuardLine[] = "<?php http_response_code(404); exit; ?>";

struct Parsed {
    TImportArray lines;
    int read = 0;            // lines with at least one comma
    QStringList problems;    // "řádek N: reason" of the lines that could not be read
    bool answerFile = false; // the file began with the guard line ("data.php")
};
// Splits the file as the collector writes it: lines without a comma are skipped; items are separated by
// commas outside single or double quotes (quotes stay), empty items dropped; in the seventh "|" means a
// comma and "_new_line" a line break (CR LF), "-" no text, and one pair of enclosing double quotes goes.
// A line of exactly eight items whose eighth is a decimal number carries that post number. A file that
// begins with the guard line is the answer file "data.php": the guard line is skipped, every other line
// must carry a post number, and a last line without its line end is still being written (a problem, not
// an answer). Elsewhere a line with fewer than seven items is a problem and one without a post number is
// an answer of the older "data.csv".
Parsed parse(QIODevice &file);

struct Counts {
    int read = 0;
    int added = 0;
    int replaced = 0; // stored answers removed because a later post of the same pupil answered otherwise
    int rejected = 0;
    QStringList problems; // why lines were rejected, "řádek N: …"
    // Filled by run(): the file read from the server ("data.php", or "data.csv" of an older collector;
    // empty for a file on the disk) and whether it was deleted from the server after the import.
    QString serverFile;
    bool deletedFromServer = false;
};
// Imports the answers in one transaction. Each value is checked first: integer ids of an existing
// session, of a question of its questionnaire, of a respondent of its class and of a row that question
// offers him (-1 with a text for a free-text question), the polarity a yes/no value ("1", "0", "-1",
// "true", "false"), a negative choice only under a negative wording. A line failing any check is rejected
// and reported, never written.
// - A line without a post number is added unless the same answer (same five values and text) is stored.
// - Lines with post numbers: the last post wins. For each session, respondent, question and polarity only
//   the lines of the highest post number count; the stored answers of that group become exactly those
//   lines (answers they do not hold are removed, the missing ones added, equal ones kept as they are), so
//   importing a file again changes nothing. A group whose counting lines are all rejected is left as it
//   was; groups the file does not mention (answers typed in the answer window for a pupil who never
//   posted) are never touched.
// Raises DatabaseError (nothing written).
Counts importAnswers(Database &db, const Parsed &parsed);

// What happens to the answer file on the server after a successful import.
enum class ServerFile {
    Ask,    // the user is asked "Smazat odpovědi ze serveru"
    Delete, // deleted without asking (the headless --delete-remote)
    Keep,
};

// "Importovat výsledky z HTML formulářů" for a session: downloads the answer file "data.php" from the
// session's remote folder, or "data.csv" when the server has no "data.php" (an older collector), into
// the local session folder (through a temporary file, replaced only when the download is whole), or, when
// the server has neither, lets the user pick one; then parses and imports it and tells the counts. With
// localFile given, that file is imported and the server is not asked for it.
// After a successful import the file is deleted from the server as `serverFile` says (a local file is
// matched with "data.php" or "data.csv" by its format, and asked about never). It is deleted only when the
// server's file is still exactly the file imported: when pupils sent more answers meanwhile, it stays and
// the user is told to import again.
// Messages go through the prompter; nullopt when nothing was imported (no folder, no file, an FTP or file
// error: the message has been shown).
std::optional<Counts> run(Database &db, const AppFolders &folders, qint64 sessionId, Prompter &prompter,
                          FtpClient *ftp, const FtpSettings &settings, const QString &localFile = QString(),
                          ServerFile serverFile = ServerFile::Ask);

} // namespace ResultImport

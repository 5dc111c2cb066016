#pragma once

#include "web/FtpSettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Database;
class FtpClient;
class IniFile;
class Prompter;
struct AppFolders;

// Publishing the generated forms on the school's web server by FTP.
namespace WebPublishing {

// One generated session offered by the upload window: "ID|class, dotazník questionnaire".
struct Item {
    qint64 sessionId = 0;
    QString label; // the text after "|"
    QString text() const { return QString::number(sessionId) + u'|' + label; }
};

// The subfolders of the data folder's "html/" whose name is the id of an evaluation session, in folder order.
// Raises DatabaseError.
QList<Item> generatedSessions(Database &db, const AppFolders &folders);

// Creates the levels of a relative path ("a/b/", text after the last "/" ignored) that do not exist yet
// and changes into each. Whether the last level listed any entry.
bool ensureRemoteFolder(FtpClient &ftp, const QString &path);

// "Uložit" of the FTP settings: connects, changes to the remote folder and, when the server says it does
// not exist, offers to create it; then writes the settings and says so. A failing connection or any
// failure other than a refused folder raises FtpError and saves nothing. False when the file could not
// be written (the message has been shown).
bool testAndSave(FtpClient &ftp, const FtpSettings &settings, IniFile &file, Prompter &prompter);

// Told which file is being sent (index and count of all files); returns false to cancel the upload.
using Step = std::function<bool(const QString &file, int index, int count)>;

// A file is sent under a temporary name and then renamed into place, so a cut transfer never leaves a part
// under the real name. The mark goes before the last suffix ("zak_3.orbelis-tmp.php"), so a web server still
// runs a part of a page instead of serving it as text with the names in it.
inline constexpr char kTemporaryMark[] = ".orbelis-tmp";
QString temporaryName(const QString &remoteName);
// Where the answers are kept, for the final message of publishing.
inline const QString kAnswersWhere = QStringLiteral(
    "Odpovědi se ukládají do souboru data.php ve složce vyhodnocení na serveru; prohlížeči se nezobrazí.");

// A file to send: its local path and its name in the remote folder.
struct Upload {
    QString local;
    QString remote;
};
// A session folder's files in the order they are sent: the pages (name order, ".htaccess" included), the
// result collector "vysledky.php" of the data folder, then the code list "kody.php" and last the list of
// accepted ids "povolene.php", so a collector never reads lists naming what is not there yet. The answers
// and fault log kept locally (data.php, data.csv, chyby.php) are never sent.
QList<Upload> sessionUploads(const AppFolders &folders, qint64 sessionId);

// Stores a local file as temporaryName(remoteName) in the current remote folder and renames it to
// remoteName, replacing the file there; a failed store leaves the old file as it was (and the part is
// removed when the server still answers). Raises FtpError.
void storeInPlace(FtpClient &ftp, const QString &localPath, const QString &remoteName);

// The last reason in a collector's fault log "chyby.php" (a guard line, then "time<TAB>reason" lines) as
// "Sběr odpovědí na serveru nefunguje: <reason> (zapsáno <time>)"; nullopt when it holds none.
std::optional<QString> collectorFault(const QByteArray &log);

// What publishing did.
struct Report {
    int sent = 0;       // files sent
    QStringList faults; // the collectors' logged faults, one per session, and logs that could not be read
    // The final message: the faults, the count, and where the answers are kept (kAnswersWhere).
    QString message() const;
};

// "Odeslat soubory na internet" for the checked sessions, in order: each session's folder
// (sessionUploads) under the remote base folder, then the root index page linking them and the style
// sheet, every file through storeInPlace. Writes the root index to the data folder's "html/index.php".
// Then reads each session's fault log "chyby.php" (none is fine) into the report and deletes a log that
// was told. Needs complete settings. Raises FtpError (files sent so far stay on the server, each whole)
// or std::runtime_error for a local file.
Report publish(FtpClient &ftp, const FtpSettings &settings, const AppFolders &folders,
               const QList<Item> &checked, const Step &step = {});

// The root index page's lines.
QStringList rootIndex(const QList<Item> &checked);

} // namespace WebPublishing

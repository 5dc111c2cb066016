#pragma once

#include "web/FtpSettings.h"

#include <QList>
#include <QString>
#include <functional>

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

// "Odeslat soubory na internet" for the checked sessions, in order: each session's folder (with the
// result collector) under the remote base folder, then the root index page linking them and the style
// sheet. Writes the root index to the data folder's "html/index.php". Needs complete settings. Raises
// FtpError (files sent so far stay on the server) or std::runtime_error for a local file.
void publish(FtpClient &ftp, const FtpSettings &settings, const AppFolders &folders,
             const QList<Item> &checked, const Step &step = {});

// The root index page's lines.
QStringList rootIndex(const QList<Item> &checked);

} // namespace WebPublishing

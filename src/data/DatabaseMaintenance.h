#pragma once

#include <QString>

class Database;

// The two maintenance commands of the menu "Nastavení": the backup of the open database and the wipe of
// every session and answer. Both act on the open connection, which stays open; the headless tool runs the
// same functions.
namespace DatabaseMaintenance {

// Text of the refusal to back the database up into its own file.
QString sameFileMessage();

// True when both names lead to one existing file: the same path, a symbolic link to it or a hard link.
bool sameFile(const QString &a, const QString &b);

// Copies the open database into `target` as a consistent database even when the file is being written:
// the file whole, in one step, while the connection holds it read-locked (no program commits meanwhile),
// or, for a WAL database or inside a transaction of this connection, through the engine's online backup.
// The copy is made in a temporary file beside the target, synced and renamed into place
// (EngineFileWriter): a failure leaves the target as it was and no temporary file. A target that is the
// open database file itself (also through a link) is refused with sameFileMessage(). Raises DatabaseError.
void backup(Database &db, const QString &target);

struct WipeCount {
    qint64 answers = 0;
    qint64 sessions = 0;
};

// Deletes every answer (`odpovedi`) and every evaluation session (`vyhodnoceni`) with the pupils' codes of
// the sessions' web forms (`kody_zaku`) and the kept sociogram positions (`rozmisteni`) in one
// transaction: all go, or none. Classes, pupils, questionnaires, questions, notes, templates and documents
// stay.
// Raises DatabaseError.
WipeCount wipeAnswersAndSessions(Database &db);

} // namespace DatabaseMaintenance

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Database;
struct SessionForms;

// A person's code for the web forms of one session: the only key to the pupil's form and to sending it.
struct PupilCode {
    qint64 pupilId = 0;
    QString name;
    QString code; // "XXXX-XXXX"
};

// The codes of the pupils who get a web form, kept per session in `kody_zaku`.
namespace PupilCodes {

// 8 characters of "23456789ABCDEFGHJKLMNPQRSTUVWXYZ" from the system's secure random source (40 bits),
// shown as "XXXX-XXXX".
QString newCode();
// The code as typed, upper-cased with dashes and blanks dropped; empty when it is not 8 valid characters.
QString normalised(const QString &typed);
// SHA-256 (hex) of the normalised code: what the server keeps instead of the code.
QByteArray hashOf(const QString &code);
// The codes of the session's people who get a form (the real pupils among the respondents, in list order):
// made for those who have none yet, kept for the others; in one transaction. Raises DatabaseError.
QList<PupilCode> ensure(Database &db, qint64 sessionId);
// The same for a session already read (the pages are made from the same read).
QList<PupilCode> ensure(Database &db, const SessionForms &forms);
// "Vygenerovat nové kódy": new codes for all of them; the old ones stop working once published again.
QList<PupilCode> regenerate(Database &db, qint64 sessionId);
// The stored codes in list order; makes none.
QList<PupilCode> read(Database &db, qint64 sessionId);

} // namespace PupilCodes

#include "web/PupilCodes.h"

#include "data/Database.h"
#include "data/PupilKinds.h"
#include "web/FormPages.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>

namespace {

// No 0/O, 1/I: a code copied from a slip by hand is read one way only.
const QLatin1String kAlphabet("23456789ABCDEFGHJKLMNPQRSTUVWXYZ");
constexpr int kLength = 8;

SessionForms formsOf(Database &db, qint64 sessionId) {
    std::optional<SessionForms> forms = SessionForms::read(db, sessionId);
    if (!forms)
        throw DatabaseError(
            QStringLiteral("Vyhodnocení %1 neexistuje nebo nemá dotazník; webové formuláře ani kódy pro "
                           "žáky k němu nejsou.")
                .arg(sessionId),
            QStringLiteral("EOleException"), DatabaseError::Cause::Environment);
    return std::move(*forms);
}

// The people who get a form: the real pupils among the session's respondents, in list order, as
// FormPages makes their pages.
QList<SessionForms::Row> peopleOf(const SessionForms &forms) {
    QList<SessionForms::Row> people;
    for (const SessionForms::Row &row : forms.respondents())
        if (PupilKinds::isRealPupil(row.kind))
            people << row;
    return people;
}

QHash<qint64, QString> storedCodes(Database &db, qint64 sessionId) {
    SqlQuery query(db, QStringLiteral("SELECT id_zaka, kod FROM kody_zaku WHERE id_vyhodnoceni = :s"));
    query.bind(QStringLiteral("s"), sessionId).exec();
    QHash<qint64, QString> codes;
    while (query.next())
        codes.insert(query.value(0).toLongLong(), query.value(1).toString());
    return codes;
}

// The people who have a stored code, with it, in list order.
QList<PupilCode> listed(const QList<SessionForms::Row> &people, const QHash<qint64, QString> &stored) {
    QList<PupilCode> codes;
    for (const SessionForms::Row &row : people)
        if (stored.contains(row.id))
            codes.append({row.id, row.name, stored.value(row.id)});
    return codes;
}

bool codeTaken(Database &db, const QString &code) {
    return !db.scalar(QStringLiteral("SELECT 1 FROM kody_zaku WHERE kod = :k"), {{QStringLiteral("k"), code}})
                .isNull();
}

// A new code that no session of the file uses and that is none of `avoid`.
QString freshCode(Database &db, const QSet<QString> &avoid) {
    for (;;) {
        const QString code = PupilCodes::newCode();
        if (!avoid.contains(code) && !codeTaken(db, code))
            return code;
    }
}

void store(Database &db, qint64 sessionId, qint64 pupilId, const QString &code) {
    db.exec(QStringLiteral("INSERT INTO kody_zaku (id_vyhodnoceni, id_zaka, kod) VALUES (:s, :z, :k)"),
            {{QStringLiteral("s"), sessionId}, {QStringLiteral("z"), pupilId}, {QStringLiteral("k"), code}});
}

} // namespace

namespace PupilCodes {

QString newCode() {
    QRandomGenerator *random = QRandomGenerator::system();
    QString code;
    code.reserve(kLength + 1);
    for (int i = 0; i < kLength; ++i) {
        if (i == kLength / 2)
            code += u'-';
        code += kAlphabet.at(qsizetype(random->bounded(quint32(kAlphabet.size()))));
    }
    return code;
}

QString normalised(const QString &typed) {
    QString code;
    for (const QChar c : typed) {
        if (c == u'-' || c.isSpace())
            continue;
        const QChar upper = c.toUpper();
        if (!kAlphabet.contains(upper) || upper.unicode() > 0x7F)
            return QString();
        code += upper;
    }
    return code.size() == kLength ? code : QString();
}

// An invalid code has no hash (empty): it matches no entry of the server's list.
QByteArray hashOf(const QString &code) {
    const QString plain = normalised(code);
    if (plain.isEmpty())
        return QByteArray();
    return QCryptographicHash::hash(plain.toLatin1(), QCryptographicHash::Sha256).toHex();
}

QList<PupilCode> ensure(Database &db, qint64 sessionId) {
    return ensure(db, formsOf(db, sessionId));
}

QList<PupilCode> ensure(Database &db, const SessionForms &forms) {
    const qint64 sessionId = forms.sessionId;
    const QList<SessionForms::Row> people = peopleOf(forms);
    // Everyone has a code already (every generation after the first): nothing to write, no write lock
    // taken, and a file open read-only serves its codes too.
    if (Schema::hasTables(db, {QStringLiteral("kody_zaku")})) {
        const QList<PupilCode> codes = listed(people, storedCodes(db, sessionId));
        if (codes.size() == people.size())
            return codes;
    }
    Transaction transaction(db);
    const QHash<qint64, QString> stored = storedCodes(db, sessionId);
    QList<PupilCode> codes;
    for (const SessionForms::Row &row : people) {
        QString code = stored.value(row.id);
        if (code.isEmpty()) {
            code = freshCode(db, {});
            store(db, sessionId, row.id, code);
        }
        codes.append({row.id, row.name, code});
    }
    transaction.commit();
    return codes;
}

QList<PupilCode> regenerate(Database &db, qint64 sessionId) {
    Transaction transaction(db);
    const QList<SessionForms::Row> people = peopleOf(formsOf(db, sessionId));
    const QHash<qint64, QString> stored = storedCodes(db, sessionId);
    // The old codes are given to nobody again, not even by chance: a slip handed out before must stop
    // working.
    const QList<QString> oldList = stored.values();
    const QSet<QString> old(oldList.begin(), oldList.end());
    db.exec(QStringLiteral("DELETE FROM kody_zaku WHERE id_vyhodnoceni = :s"), {{QStringLiteral("s"), sessionId}});
    QList<PupilCode> codes;
    for (const SessionForms::Row &row : people) {
        const QString code = freshCode(db, old);
        store(db, sessionId, row.id, code);
        codes.append({row.id, row.name, code});
    }
    transaction.commit();
    return codes;
}

QList<PupilCode> read(Database &db, qint64 sessionId) {
    const QList<SessionForms::Row> people = peopleOf(formsOf(db, sessionId));
    // A file of an earlier version opened without upgrading (read-only) has no codes yet.
    if (!Schema::hasTables(db, {QStringLiteral("kody_zaku")}))
        return {};
    return listed(people, storedCodes(db, sessionId));
}

} // namespace PupilCodes

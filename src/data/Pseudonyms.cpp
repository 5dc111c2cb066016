#include "data/Pseudonyms.h"

#include "data/Database.h"
#include "data/PupilKinds.h"

#include <QMap>
#include <algorithm>

namespace Pseudonyms {

namespace {

QChar letterFor(const QString &kind) {
    const QString canonical = PupilKinds::canonical(kind.trimmed());
    if (canonical == PupilKinds::girl())
        return u'D';
    if (canonical == PupilKinds::boy())
        return u'C';
    return u'Z';
}

// "D12" → ('D', 12); a code of another form gives number 0.
std::pair<QChar, int> parts(const QString &code) {
    return {code.isEmpty() ? QChar() : code.front(), code.mid(1).toInt()};
}

} // namespace

QString neutralSchool() {
    return QStringLiteral("neuvedena");
}
QString neutralTeacher() {
    return QStringLiteral("neuveden");
}

QHash<qint64, QString> ensure(Database &db, qint64 classId) {
    const QVariantMap c{{QStringLiteral("c"), classId}};
    Transaction transaction(db);
    QHash<qint64, QString> codes;
    QMap<QChar, int> highest;
    {
        SqlQuery stored(db, QStringLiteral("SELECT id_zaka, kod FROM pseudonymy WHERE id_tridy = :c"));
        stored.bind(QStringLiteral("c"), classId).exec();
        while (stored.next()) {
            const QString code = stored.value(1).toString();
            codes.insert(stored.value(0).toLongLong(), code);
            const auto [letter, number] = parts(code);
            highest[letter] = std::max(highest.value(letter), number);
        }
    }
    SqlQuery rows(db, QStringLiteral("SELECT ID, pohlavi FROM zak WHERE id_tridy = :c "
                                     "ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech, ID"));
    rows.bind(QStringLiteral("c"), classId).exec();
    QHash<qint64, QString> present;
    QList<std::pair<qint64, QString>> added;
    while (rows.next()) {
        const qint64 id = rows.value(0).toLongLong();
        const QString kind = rows.value(1).toString();
        if (PupilKinds::isOptionKind(kind))
            continue;
        QString code = codes.value(id);
        if (code.isEmpty()) {
            const QChar letter = letterFor(kind);
            code = letter + QString::number(++highest[letter]);
            added.append({id, code});
        }
        present.insert(id, code);
    }
    // INSERT OR REPLACE: a pupil moved here from another class leaves his code there behind.
    SqlQuery insert(
        db, QStringLiteral("INSERT OR REPLACE INTO pseudonymy (id_zaka, id_tridy, kod) VALUES (:z, :c, :k)"));
    for (const auto &[id, code] : added)
        insert.bind(QStringLiteral("z"), id)
            .bind(QStringLiteral("c"), classId)
            .bind(QStringLiteral("k"), code)
            .exec();
    transaction.commit();
    return present;
}

QList<KeyEntry> key(Database &db, qint64 classId) {
    const QHash<qint64, QString> codes = ensure(db, classId);
    QList<KeyEntry> entries;
    SqlQuery rows(db,
                  QStringLiteral("SELECT ID, coalesce(jmeno, '') || coalesce(' ' || prijmeni, ''), pohlavi "
                                 "FROM zak WHERE id_tridy = :c"));
    rows.bind(QStringLiteral("c"), classId).exec();
    while (rows.next()) {
        const qint64 id = rows.value(0).toLongLong();
        if (codes.contains(id))
            entries.append(
                {codes.value(id), id, rows.value(1).toString().trimmed(), rows.value(2).toString()});
    }
    static const QString order = QStringLiteral("DCZ");
    std::sort(entries.begin(), entries.end(), [](const KeyEntry &a, const KeyEntry &b) {
        const auto [la, na] = parts(a.code);
        const auto [lb, nb] = parts(b.code);
        if (la != lb)
            return order.indexOf(la) < order.indexOf(lb);
        return na < nb;
    });
    return entries;
}

} // namespace Pseudonyms

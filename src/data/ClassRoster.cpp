#include "data/ClassRoster.h"

#include "data/Database.h"
#include "data/PupilKinds.h"
#include "data/TextOrder.h"

#include <algorithm>

namespace {

const QString kClass = QStringLiteral("c");

bool isNull(const QVariant &value) {
    return value.isNull() || !value.isValid();
}

// First names in Czech alphabetical order ignoring case; a missing name sorts first, as in SQL.
void sortByFirstName(QList<RosterEntry> &rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const RosterEntry &a, const RosterEntry &b) {
        if (isNull(a.jmeno) || isNull(b.jmeno))
            return isNull(a.jmeno) && !isNull(b.jmeno);
        return TextOrder::less(a.jmeno.toString(), b.jmeno.toString());
    });
}

} // namespace

ClassRoster::ClassRoster(Database &db, qint64 classId) : m_db(db), m_classId(classId) {}

bool ClassRoster::exists(Database &db, qint64 classId) {
    return !db.scalar(QStringLiteral("SELECT ID FROM trida WHERE ID = :c"), {{kClass, classId}}).isNull();
}

QList<RosterEntry> ClassRoster::entries() const {
    SqlQuery query(m_db,
                   QStringLiteral("SELECT ID, jmeno, prijmeni, pohlavi, poradi FROM zak WHERE id_tridy = :c "
                                  "ORDER BY poradi, jmeno COLLATE czech ASC"));
    query.bind(kClass, m_classId);
    query.exec();
    QList<RosterEntry> rows;
    while (query.next())
        rows.append(
            {query.value(0).toLongLong(), query.value(1), query.value(2), query.value(3), query.value(4)});
    return rows;
}

void ClassRoster::GenerovatPoradi() {
    Transaction transaction(m_db);
    renumber(OptionOrder::ByKindThenText);
    transaction.commit();
}

void ClassRoster::renumberByName() {
    Transaction transaction(m_db);
    renumber(OptionOrder::ByText);
    transaction.commit();
}

void ClassRoster::renumber(OptionOrder order) {
    SqlQuery query(
        m_db, QStringLiteral("SELECT ID, jmeno, pohlavi, poradi FROM zak WHERE id_tridy = :c ORDER BY ID"));
    query.bind(kClass, m_classId);
    query.exec();
    QList<RosterEntry> pupils, options;
    while (query.next()) {
        const RosterEntry row{query.value(0).toLongLong(), query.value(1), QVariant(), query.value(2),
                              query.value(3)};
        if (isNull(row.pohlavi))
            continue; // a row without a type matches neither pass and keeps its number
        (PupilKinds::isOptionKind(row.pohlavi) ? options : pupils).append(row);
    }
    sortByFirstName(pupils);
    sortByFirstName(options);
    if (order == OptionOrder::ByKindThenText)
        std::stable_sort(options.begin(), options.end(), [](const RosterEntry &a, const RosterEntry &b) {
            return a.pohlavi.toString().toCaseFolded() > b.pohlavi.toString().toCaseFolded();
        });

    SqlQuery update(m_db, QStringLiteral("UPDATE zak SET poradi = :n WHERE ID = :id"));
    int counter = 1;
    for (const QList<RosterEntry> *group : {&pupils, &options}) {
        for (const RosterEntry &row : *group) {
            const int number = counter++;
            if (!isNull(row.poradi) && row.poradi.toInt() == number)
                continue;
            update.bind(QStringLiteral("n"), number).bind(QStringLiteral("id"), row.id);
            update.exec();
        }
    }
}

int ClassRoster::insertMissing(const QList<OptionSet::Row> &rows) {
    // LIKE without wildcards: an exact match ignoring case (the texts of the sets hold no wildcard).
    SqlQuery find(
        m_db, QStringLiteral("SELECT ID FROM zak WHERE id_tridy = :c and jmeno LIKE :j and pohlavi LIKE :p"));
    SqlQuery insert(m_db, QStringLiteral("INSERT INTO zak (id_tridy, jmeno, pohlavi) VALUES (:c, :j, :p)"));
    int added = 0;
    for (const OptionSet::Row &row : rows) {
        find.bind(kClass, m_classId).bind(QStringLiteral("j"), row.text).bind(QStringLiteral("p"), row.kind);
        find.exec();
        const bool present = find.next();
        find.raw().finish();
        if (present)
            continue;
        insert.bind(kClass, m_classId)
            .bind(QStringLiteral("j"), row.text)
            .bind(QStringLiteral("p"), row.kind);
        insert.exec();
        ++added;
    }
    return added;
}

int ClassRoster::appendOptionSets(const QList<OptionSet::Kind> &sets) {
    Transaction transaction(m_db);
    SqlQuery insert(m_db, QStringLiteral("INSERT INTO zak (id_tridy, jmeno, pohlavi) VALUES (:c, :j, :p)"));
    int added = 0;
    for (OptionSet::Kind set : sets) {
        for (const OptionSet::Row &row : OptionSet::rows(set)) {
            insert.bind(kClass, m_classId).bind(QStringLiteral("j"), row.text).bind(QStringLiteral("p"), row.kind);
            insert.exec();
            ++added;
        }
    }
    transaction.commit();
    return added;
}

int ClassRoster::insertOptionSet(OptionSet::Kind set) {
    Transaction transaction(m_db);
    const int added = insertMissing(OptionSet::rows(set));
    transaction.commit();
    return added;
}

int ClassRoster::insertAllOptionSets() {
    Transaction transaction(m_db);
    int added = 0;
    for (OptionSet::Kind set : OptionSet::all())
        added += insertMissing(OptionSet::rows(set));
    renumber(OptionOrder::ByKindThenText);
    transaction.commit();
    return added;
}

int ClassRoster::importPupils(const QList<NewPupil> &pupils) {
    Transaction transaction(m_db);
    SqlQuery insert(
        m_db, QStringLiteral("INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi) VALUES (:c, :j, :s, :p)"));
    for (const NewPupil &pupil : pupils) {
        insert.bind(kClass, m_classId)
            .bind(QStringLiteral("j"), pupil.jmeno)
            .bind(QStringLiteral("s"), pupil.prijmeni)
            .bind(QStringLiteral("p"), pupil.pohlavi);
        insert.exec();
    }
    renumber(OptionOrder::ByKindThenText);
    transaction.commit();
    return int(pupils.size());
}

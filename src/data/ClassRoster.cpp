#include "data/ClassRoster.h"

#include "data/Database.h"
#include "data/PupilKinds.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace {

const QString kClass = QStringLiteral("c");

// Pupils inserted by one statement during an import.
constexpr int kImportBatch = 100;

bool isNull(const QVariant &value) {
    return value.isNull() || !value.isValid();
}

// Position of an answer-option marker when the markers are ordered by their case-folded text, descending
// ("ano-ne", "abcde", "12345", "---"); -1 for any other text.
int optionRank(const QVariant &kind) {
    static const QStringList markers = [] {
        QStringList folded;
        for (const QString &marker : PupilKinds::optionKinds())
            folded << marker.toCaseFolded();
        std::sort(folded.begin(), folded.end(), std::greater<>());
        return folded;
    }();
    return int(markers.indexOf(kind.toString().toCaseFolded()));
}

// "INSERT ... VALUES (:c0, :j0, :s0, :p0), (:c1, ...)" for `rows` pupils.
QString batchInsertSql(int rows) {
    QStringList values;
    for (int i = 0; i < rows; ++i)
        values << QStringLiteral("(:c%1, :j%1, :s%1, :p%1)").arg(i);
    return QStringLiteral("INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi) VALUES ") +
           values.join(QStringLiteral(", "));
}

} // namespace

ClassRoster::ClassRoster(Database &db, qint64 classId) : m_db(db), m_classId(classId) {}

bool ClassRoster::exists(Database &db, qint64 classId) {
    return !db.scalar(QStringLiteral("SELECT ID FROM trida WHERE ID = :c"), {{kClass, classId}}).isNull();
}

QList<RosterEntry> ClassRoster::entries() const {
    QList<RosterEntry> rows;
    forEachEntry([&](const RosterEntry &row) { rows.append(row); });
    return rows;
}

void ClassRoster::forEachEntry(const std::function<void(const RosterEntry &)> &row) const {
    SqlQuery query(m_db,
                   QStringLiteral("SELECT ID, jmeno, prijmeni, pohlavi, poradi FROM zak WHERE id_tridy = :c "
                                  "ORDER BY poradi, jmeno COLLATE czech ASC"));
    query.bind(kClass, m_classId);
    query.exec();
    while (query.next())
        row({query.value(0).toLongLong(), query.value(1), query.value(2), query.value(3), query.value(4)});
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
    // The engine orders the rows by first name with the collation TextOrder compares by (rows without a
    // name first, equal names by ID), so the real pupils are numbered as the rows come and a class of any
    // size needs no list of its pupils. Only the answer-option rows wait, as ids, for the numbers after
    // the last pupil.
    SqlQuery query(m_db, QStringLiteral("SELECT ID, pohlavi, poradi FROM zak WHERE id_tridy = :c "
                                        "ORDER BY jmeno COLLATE czech, ID"));
    query.bind(kClass, m_classId);
    query.exec();
    SqlQuery update(m_db, QStringLiteral("UPDATE zak SET poradi = :n WHERE ID = :id"));
    auto setNumber = [&](qint64 id, const QVariant &current, int number) {
        if (!isNull(current) && current.toInt() == number)
            return;
        update.bind(QStringLiteral("n"), number).bind(QStringLiteral("id"), id);
        update.exec();
    };
    struct OptionRow {
        qint64 id;
        QVariant poradi;
        int rank;
    };
    QList<OptionRow> options;
    int counter = 1;
    while (query.next()) {
        const QVariant kind = query.value(1);
        if (isNull(kind))
            continue; // a row without a type matches neither pass and keeps its number
        if (PupilKinds::isOptionKind(kind))
            options.append({query.value(0).toLongLong(), query.value(2), optionRank(kind)});
        else
            setNumber(query.value(0).toLongLong(), query.value(2), counter++);
    }
    if (order == OptionOrder::ByKindThenText)
        std::stable_sort(options.begin(), options.end(),
                         [](const OptionRow &a, const OptionRow &b) { return a.rank < b.rank; });
    for (const OptionRow &row : options)
        setNumber(row.id, row.poradi, counter++);
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
    qsizetype index = 0;
    return int(importPupils([&](NewPupil &pupil) {
        if (index == pupils.size())
            return false;
        pupil = pupils.at(index++);
        return true;
    }));
}

qint64 ClassRoster::importPupils(const std::function<bool(NewPupil &)> &next) {
    Transaction transaction(m_db);
    QStringList names; // ":c0", ":j0", ":s0", ":p0", ":c1", ...
    for (int i = 0; i < kImportBatch; ++i)
        for (const char *column : {"c", "j", "s", "p"})
            names << QStringLiteral(":%1%2").arg(QLatin1String(column)).arg(i);
    std::optional<SqlQuery> fullBatch; // prepared once, for every batch but the last
    QList<NewPupil> batch;
    batch.reserve(kImportBatch);
    auto insert = [&] {
        std::optional<SqlQuery> lastBatch;
        if (batch.size() == kImportBatch && !fullBatch)
            fullBatch.emplace(m_db, batchInsertSql(kImportBatch));
        else if (batch.size() < kImportBatch)
            lastBatch.emplace(m_db, batchInsertSql(int(batch.size())));
        SqlQuery &statement = lastBatch ? *lastBatch : *fullBatch;
        for (qsizetype i = 0; i < batch.size(); ++i) {
            statement.bind(names[4 * i], m_classId)
                .bind(names[4 * i + 1], batch[i].jmeno)
                .bind(names[4 * i + 2], batch[i].prijmeni)
                .bind(names[4 * i + 3], batch[i].pohlavi);
        }
        statement.exec();
    };
    qint64 added = 0;
    NewPupil pupil;
    while (next(pupil)) {
        batch.append(pupil);
        if (batch.size() == kImportBatch) {
            insert();
            added += batch.size();
            batch.clear();
        }
    }
    if (!batch.isEmpty()) {
        insert();
        added += batch.size();
    }
    renumber(OptionOrder::ByKindThenText);
    transaction.commit();
    return added;
}

#pragma once

#include "data/OptionSet.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class Database;

// One `zak` row as the roster lists it.
struct RosterEntry {
    qint64 id = 0;
    QVariant jmeno;
    QVariant prijmeni;
    QVariant pohlavi;
    QVariant poradi;
};

// A pupil to be added to a class.
struct NewPupil {
    QString jmeno;
    QString prijmeni;
    QString pohlavi;
    bool operator==(const NewPupil &other) const = default;
};

// The `zak` rows of one class and the commands that change them as a whole: answer-option rows,
// renumbering and pupil import. Each command runs in one transaction, so a failure leaves the class
// exactly as it was; failures are raised as DatabaseError.
class ClassRoster final {
public:
    ClassRoster(Database &db, qint64 classId);

    qint64 classId() const { return m_classId; }
    // Whether the class exists in `trida`.
    static bool exists(Database &db, qint64 classId);

    // Rows of the class in the roster's order (`poradi`, then `jmeno`; rows without a number first).
    QList<RosterEntry> entries() const;
    // The same rows handed to `row` one at a time as the query yields them, however large the class.
    void forEachEntry(const std::function<void(const RosterEntry &)> &row) const;

    // `GenerovatPoradi`: numbers the real pupils from 1 by first name, then the answer-option rows by
    // marker (descending: "ano-ne", "abcde", "12345", "---") and text. Names compare in Czech alphabetical
    // order ignoring case; rows without a type keep their number.
    void GenerovatPoradi();

    // "Připsat pořadí": numbers the real pupils from 1 by first name, then the answer-option rows by text
    // alone (kinds mixed); rows without a type keep their number.
    void renumberByName();

    // Adds every row of the sets, in their order, even rows the class already holds (the main window's
    // commands). The new rows have no surname and no number. Returns how many were added.
    int appendOptionSets(const QList<OptionSet::Kind> &sets);

    // Adds the rows of the set that the class does not hold yet (same text and marker, ignoring case);
    // existing rows are left alone. The new rows have no surname and no number. Returns how many were added.
    int insertOptionSet(OptionSet::Kind set);
    // "všechno níže uvedené": the four sets in their order, then GenerovatPoradi.
    int insertAllOptionSets();

    // Adds the pupils (no check for duplicates), then renumbers the class. Returns how many were added.
    int importPupils(const QList<NewPupil> &pupils);
    // The same for pupils handed out one at a time by `next` (false when there are no more): they are
    // inserted in batches as they come, so only one batch is held, then the class is renumbered once.
    // All in one transaction: an exception from `next` or from the engine leaves the class as it was.
    qint64 importPupils(const std::function<bool(NewPupil &)> &next);

private:
    int insertMissing(const QList<OptionSet::Row> &rows);
    enum class OptionOrder { ByKindThenText, ByText };
    void renumber(OptionOrder order);

    Database &m_db;
    qint64 m_classId;
};

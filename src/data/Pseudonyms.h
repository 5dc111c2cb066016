#pragma once

#include <QHash>
#include <QList>
#include <QString>

class Database;

// The pseudonyms that stand for a class's people in outputs without names: "D1, D2, …" for girls, "C1,
// C2, …" for boys, "Z1, …" for any other row that is no answer option, numbered in roster order when they
// are first made and kept from then on (table `pseudonymy`): a pupil added later gets the next number of
// his letter, and a number once given is never given to anyone else in the class. Answer-option rows have
// none and keep their texts.
namespace Pseudonyms {

// What stands for the school and the class teacher in outputs without names.
QString neutralSchool();
QString neutralTeacher();

// One line of the key: a code and the person it stands for.
struct KeyEntry {
    QString code;
    qint64 id = 0;
    QString name; // first name and surname
    QString kind; // `pohlavi`
};

// Gives every person of the class without a code one (in one transaction) and returns the codes of the
// class's present rows by `zak` id. Raises DatabaseError.
QHash<qint64, QString> ensure(Database &db, qint64 classId);
// The key of the class (codes made first where missing), in the order of the codes: girls, boys, others,
// each by number.
QList<KeyEntry> key(Database &db, qint64 classId);

} // namespace Pseudonyms

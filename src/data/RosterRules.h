#pragma once

#include "data/ClassRoster.h"
#include "data/OptionSet.h"

#include <QList>

class Database;
class Prompter;

// Rules of the pupil roster (`zak`) that the windows and the headless tool run by id. Failures are shown
// through the prompter; every change runs in one transaction.
class RosterRules final {
public:
    RosterRules(Database &db, Prompter &prompter);

    // "Jan Novák" (first name alone for option rows); empty when the row does not exist.
    QString pupilName(qint64 id);

    // Asks twice, naming them ("žáka Jan Novák", "3 žáky (…)"), then deletes the rows with their answers (as respondent and as chosen partner) and their
    // notes. False when declined or failed (nothing changed then).
    bool deletePupils(const QList<qint64> &ids);

    // The pupil window's option commands: only the rows the class lacks ("všechno níže uvedené" renumbers).
    void insertOptionSet(qint64 classId, OptionSet::Kind set);
    void insertAllOptionSets(qint64 classId);
    // Adds the pupils and renumbers the class, all or nothing. Returns how many were added, or -1 after
    // showing why nothing was.
    int importPupils(qint64 classId, const QList<NewPupil> &pupils);

    // The main window's option commands: every row of the sets, even rows the class already holds.
    void appendOptionSets(qint64 classId, const QList<OptionSet::Kind> &sets);
    // "Připsat pořadí": asks first; false when declined.
    bool renumberByName(qint64 classId);
    // `GenerovatPoradi`.
    void GenerovatPoradi(qint64 classId);

private:
    QString describePupils(const QList<qint64> &ids);
    void showError(const QString &message);

    Database &m_db;
    Prompter &m_prompter;
};

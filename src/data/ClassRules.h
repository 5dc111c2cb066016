#pragma once

#include <QString>

class Database;
class Prompter;

// Rules of the class register (`trida`) that act on a class by its id.
class ClassRules final {
public:
    ClassRules(Database &db, Prompter &prompter);

    // "ZŠ Lipová, 6.A, Nováková": the school, grade and teacher that are filled in.
    QString className(qint64 classId);

    // Asks twice, naming the class, then deletes the class with its pupils, their notes, every answer given by or about its
    // pupils, and its sessions with their answers, all in one transaction. False when declined or failed
    // (nothing changed then).
    bool deleteClass(qint64 classId);

    // Number of `zak` rows of the class (pupils and answer-option rows).
    int countPupils(qint64 classId);

private:
    Database &m_db;
    Prompter &m_prompter;
};

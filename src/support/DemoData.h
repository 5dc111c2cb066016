#pragma once

#include <QString>

class Database;

// What the demo generator wrote.
struct DemoSummary {
    qint64 classId = 0;
    int pupils = 0;
    int optionRows = 0;
    qint64 questionnaireId = 0;
    int questions = 0;
    qint64 sessionId = 0;
    int answers = 0;
};

// Writes a demo class into an open database: about 24 pupils with Czech names of both sexes, the
// answer-option rows, a questionnaire with every kind of question and one session in which every pupil
// answered plausibly. Deterministic for a given seed. Runs in one transaction.
DemoSummary writeDemoData(Database &db, quint32 seed = 2026);

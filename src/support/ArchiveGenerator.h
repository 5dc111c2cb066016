#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class Database;

// Size of a generated school archive. The defaults are a whole school: 100 classes of 30 pupils,
// 20 questionnaires of 10 questions, 10 sessions per class and about 2 million answers.
struct ArchiveSize {
    int classes = 100;
    int pupilsPerClass = 30;
    int questionnaires = 20;
    int questionsPerQuestionnaire = 10;
    int sessionsPerClass = 10;
    int positiveChoices = 5; // per respondent and classmate question
    int negativeChoices = 3; // per respondent and classmate question with a negative wording
    quint32 seed = 1;
};

struct ArchiveSummary {
    int classes = 0;
    int pupils = 0;     // real pupils
    int optionRows = 0; // answer-option rows
    int questionnaires = 0;
    int questions = 0;
    int sessions = 0;
    qint64 answers = 0;
    int notes = 0;
};

// Writes a deterministic archive into an open database with the schema, in one transaction, with
// prepared statements. Every class has its pupils and the "ano"/"ne" option rows; every questionnaire
// has classmate questions with a negative wording, one yes/no question and one free-text question;
// every pupil answers every question of every session of the class. The same size gives the same rows,
// in the same order, every time. progress(done, classes) is called after each class.
ArchiveSummary generateArchive(Database &db, const ArchiveSize &size = ArchiveSize(),
                               const std::function<void(int done, int classes)> &progress = {});

// The default archive for benchmarks: generated once per process into a temporary folder (its summary and
// generation time on stderr); the path of the database file.
const QString &benchmarkArchive();

// One class of `pupils` pupils with one questionnaire of ten questions (eight classmate questions with a
// negative wording) and one session, 3 positive and 3 negative choices each: the single classes of the
// benchmarks and of the large-class tests.
// Fewer questions or negative choices make the smaller classes of the sociogram's layout.
ArchiveSize classSize(int pupils, int questions = 10, int negativeChoices = 3);
// That class generated once per size and process; the path of the database file.
QString benchmarkClass(int pupils);

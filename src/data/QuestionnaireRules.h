#pragma once

#include <QtGlobal>

class Database;
class Prompter;

// Rules of questionnaires (`testy`) and their questions (`otazky`) that act by id.
class QuestionnaireRules final {
public:
    QuestionnaireRules(Database &db, Prompter &prompter);

    // Asks twice, then deletes the questionnaire, its questions, every answer to them in any class and
    // every session of it. False when declined or failed (nothing changed then).
    bool deleteQuestionnaire(qint64 questionnaireId);
    // Asks twice, then deletes the question and every answer to it; an engine error is shown.
    bool deleteQuestion(qint64 questionId);

private:
    Database &m_db;
    Prompter &m_prompter;
};

#pragma once

#include <QVariant>
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

    // The two positions of a question: in the questionnaire (`poradi`) and in the evaluation
    // (`poradi_vyhodnoceni`).
    enum class Order { Questionnaire, Evaluation };
    // Moves one question by one place (step -1 up, +1 down) in the given order. Only that question
    // changes: positions may repeat or go below 1. An empty position counts as 1. False when the statement
    // failed (the engine's message shown).
    bool shiftQuestion(qint64 questionId, Order order, const QVariant &current, int step);
    static int shiftedPosition(const QVariant &current, int step);

private:
    Database &m_db;
    Prompter &m_prompter;
};

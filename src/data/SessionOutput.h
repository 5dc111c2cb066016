#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class Database;

// What the outputs of a session (textual evaluation, sociogram, previews, answer counts) need, read by id
// into plain values: no dataset is opened, moved or re-parameterised, so the windows and the headless tool
// make the same output from the same ids. Every statement takes its values as bound parameters; a failing
// statement raises DatabaseError. Texts read as NULL are empty strings; values whose NULL matters
// (order numbers, kinds, dates, surnames) keep it.

// A class of the register.
struct OutputClass {
    qint64 id = 0;
    QString skola;
    QString stupen;
    QString tridniUcitel;
};

// A row of a class: a pupil or an answer-option row (`pohlavi` says which).
struct OutputPupil {
    qint64 id = 0;
    QString jmeno;
    std::optional<QString> prijmeni; // nullopt for NULL
    QString pohlavi;
    QVariant poradi;
    // `jmeno`, then a blank and `prijmeni` when there is one (also when it is empty).
    QString fullName() const;
};

// A question of a questionnaire.
struct OutputQuestion {
    qint64 id = 0;
    QVariant poradi;
    QVariant poradiVyhodnoceni;
    QVariant typ;
    QString textOtazky;
    QString textOtazkyNegativni;
    QString popis;       // shown in the evaluation
    QString popisProWeb; // shown to the pupils
    QString nadpisNad;
};

// A questionnaire with its questions in questionnaire order: by `poradi` (an empty one first), questions of
// the same position by id.
struct OutputQuestionnaire {
    qint64 id = 0;
    QString name; // `nazev_testu`
    QList<OutputQuestion> questions;

    // The questions in evaluation order: by `poradi_vyhodnoceni` (an empty one first), questions of the same
    // evaluation position in questionnaire order.
    QList<OutputQuestion> inEvaluationOrder() const;
    // The question of that id, or nullptr when it is not one of this questionnaire's.
    const OutputQuestion *question(qint64 questionId) const;
};

// One answer of a session: a choice of `partner` by `respondent`, or a free text.
struct OutputAnswer {
    qint64 id = 0;
    qint64 question = 0;
    qint64 respondent = 0; // `id_zaka`
    qint64 partner = 0;    // `id_partnera`
    // Stored 1: positive wording, 0: negative; any other stored value (NULL) is neither.
    std::optional<bool> positive;
    QString slovy;
};
Q_DECLARE_TYPEINFO(OutputAnswer, Q_RELOCATABLE_TYPE);

// One session with its class and questionnaire. `roster` and `answers` are filled by the full read
// (readSessionOutput) and by readSessionChoices, not by readSession.
struct SessionOutputData {
    qint64 id = 0;
    QVariant datum; // as the datasets give a date column (Dataset::dateFromStored)
    QString poznamky;
    QVariant questionnaireId; // `id_testu` as stored (NULL when the session has none)
    OutputClass trida;
    // Empty (id 0, no questions) when the session's questionnaire does not exist.
    OutputQuestionnaire questionnaire;
    QList<OutputPupil> roster;   // every row of the class, by id
    QList<OutputAnswer> answers; // every answer of the session, by id
};

// A session as the session list shows it.
struct OutputSessionItem {
    qint64 id = 0;
    QVariant datum;
    QString nazevTestu; // empty when the questionnaire does not exist
};

// The whole read of a session. Nullopt, with the Czech reason in `error`, when there is no session of
// that id or its class does not exist.
std::optional<SessionOutputData> readSessionOutput(Database &db, qint64 sessionId, QString *error = nullptr);
// The statements of readSessionOutput in the order it runs them (session with class and questionnaire,
// questions, roster, answers), with the parameters :s (session), :t (questionnaire) and :c (class).
QStringList sessionOutputStatements();
// The session, its class and its questionnaire with the questions, without the roster and the answers.
std::optional<SessionOutputData> readSession(Database &db, qint64 sessionId, QString *error = nullptr);
// Adds the roster of the session's class and the session's answers (with `question`, only those to it).
void readSessionChoices(Database &db, SessionOutputData &session, std::optional<qint64> question = std::nullopt);
// The statements of readSessionChoices for one question (roster, answers to :q), after the session's.
QStringList sessionQuestionStatements();

// A class of the register; nullopt with the reason in `error` when there is none of that id.
std::optional<OutputClass> readClassOutput(Database &db, qint64 classId, QString *error = nullptr);
// The sessions of a class, newest first (sessions of the same date: the later made first).
QList<OutputSessionItem> readClassSessions(Database &db, qint64 classId);
// The statements of readClassOutput and readClassSessions, with the parameter :c (class).
QStringList classOutputStatements();
// A questionnaire with its questions; nullopt with the reason in `error` when there is none of that id.
std::optional<OutputQuestionnaire> readQuestionnaireOutput(Database &db, qint64 questionnaireId,
                                                           QString *error = nullptr);
// One question; nullopt with the reason in `error` when there is none of that id.
std::optional<OutputQuestion> readQuestionOutput(Database &db, qint64 questionId, QString *error = nullptr);

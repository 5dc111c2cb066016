#pragma once

#include <QVariant>

#include <QString>

class Database;
class Prompter;

// Which rows the two partner lists of answer entry offer, by question kind (`typ`).
struct PartnerFilter {
    int clovek = 0;    // real pupils
    int neurcite = 0;  // "---" options
    int abcde = 0;     // a)–e)
    int dvanact = 0;   // 1–5 (`par_12345`)
    int anone = 0;     // yes / no
    bool operator==(const PartnerFilter &other) const = default;
    // Whether a row of this kind (`pohlavi`) is offered; a row without a kind, or of an unknown one, never is.
    bool admits(const QVariant &kind) const;
};

// What the answer-entry window shows for the current question (question change).
struct AnswerPanels {
    int typ = 0;
    bool changePanels = true; // false for kinds above 4: the panels stay as they are
    bool showPositive = true;
    bool showNegative = false;
    bool showText = false;
    QString positiveLabel; // `text_otazky`
    QString negativeLabel; // `text_otazky_negativni`
    QString freeText;      // stored free text of the current respondent (kind 4)
};

// Rules of evaluation sessions (`vyhodnoceni`) and of answer entry.
class SessionRules final {
public:
    SessionRules(Database &db, Prompter &prompter);

    // Asks twice, then deletes the session and its answers; an engine error is shown.
    bool deleteSession(qint64 sessionId);

    // Free text a respondent wrote to a question of a session (empty when none).
    QString loadFreeText(qint64 sessionId, qint64 questionId, qint64 respondentId);

    // Kind 0 offers pupils and "---" options, 1 the letters, 2 the numbers, 3 yes/no, anything else nothing.
    static PartnerFilter partnerFilter(int typ);
    // Kinds up to 3 show the positive list and the negative one when the question has a negative wording;
    // kind 4 shows the free-text panel instead; other kinds leave the panels as they are.
    static AnswerPanels answerPanels(int typ, const QString &positiveLabel, const QString &negativeLabel);

private:
    Database &m_db;
    Prompter &m_prompter;
};

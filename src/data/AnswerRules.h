#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <optional>

class Database;
class Prompter;

// The marks of one respondent for one question of a session, both lists.
struct AnswerMarks {
    QSet<qint64> positive;
    QSet<qint64> negative;
    bool contains(qint64 partner, bool positiveList) const {
        return positiveList ? positive.contains(partner) : negative.contains(partner);
    }
};

// Rules of answer entry (`odpovedi`): marking partners, free texts, participation and wiping a session.
// Ids are taken as they come from the datasets (QVariant): an empty id (no session, question, respondent
// or partner) makes an operation do nothing and say nothing, except a missing session, which is reported
// ("Není zadáno žádné vyhodnocení. Nejprve nějaké vytvořte."). Every multi-statement change runs in one
// transaction; engine errors are shown through the prompter.
class AnswerRules final {
public:
    AnswerRules(Database &db, Prompter &prompter);

    // Marks of the respondent for the question, read at once (grids paint from this, not per cell).
    AnswerMarks loadMarks(const QVariant &session, const QVariant &question, const QVariant &respondent);
    // Toggles one mark: inserts it when absent, deletes it when present. The new state, or nullopt when
    // nothing was done (empty id, no session, engine error).
    std::optional<bool> toggle(const QVariant &session, const QVariant &question, const QVariant &respondent,
                               const QVariant &partner, bool positive);
    // "Označit vše vybrané": the respondent's marks of that list for the question become exactly the
    // given partners (in their order), all or nothing. False when nothing was done.
    bool markAll(const QVariant &session, const QVariant &question, const QVariant &respondent,
                 const QList<qint64> &partners, bool positive);
    // "Uložit": replaces every answer of the respondent to the question by one free-text row (`id_partnera`
    // -1), the text stored as typed (an empty text too). False when nothing was done.
    bool saveFreeText(const QVariant &session, const QVariant &question, const QVariant &respondent,
                      const QString &text);
    // Number of distinct respondents with at least one answer, for each of the sessions (0 when none).
    QHash<qint64, int> participation(const QList<qint64> &sessions);
    // Asks "Odstraníte všechny odpovědi. …", then deletes every answer of the session; the session stays.
    bool wipeSession(const QVariant &session);

    // Whether the question offers the partner to the respondent: a row of the respondent's class, not the
    // respondent himself, of a kind the question's `typ` admits. For callers outside the windows, whose
    // lists already hold only such rows.
    bool offers(qint64 question, qint64 respondent, qint64 partner);

private:
    bool requireSession(const QVariant &session);

    Database &m_db;
    Prompter &m_prompter;
};

#include "data/AnswerRules.h"

#include "data/Database.h"
#include "data/SessionRules.h"
#include "platform/Prompter.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// An id as the datasets give it: a number, or nothing (no row, NULL, not a number).
std::optional<qint64> idOf(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 id = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

// The four ids of one mark, or nothing when one of them is empty.
struct MarkIds {
    qint64 session = 0;
    qint64 question = 0;
    qint64 respondent = 0;
};

std::optional<MarkIds> markIds(const QVariant &session, const QVariant &question,
                               const QVariant &respondent) {
    const auto s = idOf(session);
    const auto q = idOf(question);
    const auto r = idOf(respondent);
    if (!s || !q || !r)
        return std::nullopt;
    return MarkIds{*s, *q, *r};
}

QVariantMap markParams(const MarkIds &ids, bool positive) {
    return {{QStringLiteral("b"), Database::boolValue(positive)},
            {QStringLiteral("s"), ids.session},
            {QStringLiteral("q"), ids.question},
            {QStringLiteral("r"), ids.respondent}};
}

const QString kInsertMark =
    QStringLiteral("INSERT INTO odpovedi (pozitivni, id_otazky, id_vyhodnoceni, id_zaka, "
                   "id_partnera) VALUES (:b, :q, :s, :r, :p)");


} // namespace

AnswerRules::AnswerRules(Database &db, Prompter &prompter) : m_db(db), m_prompter(prompter) {}

bool AnswerRules::requireSession(const QVariant &session) {
    if (idOf(session))
        return true;
    m_prompter.message(QStringLiteral("Není zadáno žádné vyhodnocení. Nejprve nějaké vytvořte."));
    return false;
}

AnswerMarks AnswerRules::loadMarks(const QVariant &session, const QVariant &question,
                                   const QVariant &respondent) {
    AnswerMarks marks;
    const auto ids = markIds(session, question, respondent);
    if (!ids)
        return marks;
    try {
        SqlQuery query(m_db,
                       QStringLiteral("SELECT id_partnera, pozitivni FROM odpovedi WHERE id_vyhodnoceni = :s "
                                      "and id_otazky = :q and id_zaka = :r and id_partnera IS NOT NULL "
                                      "and (pozitivni = true or pozitivni = false)"));
        query.bind(QStringLiteral("s"), ids->session)
            .bind(QStringLiteral("q"), ids->question)
            .bind(QStringLiteral("r"), ids->respondent)
            .exec();
        while (query.next())
            (query.value(1).toInt() == 1 ? marks.positive : marks.negative)
                .insert(query.value(0).toLongLong());
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return AnswerMarks();
    }
    return marks;
}

std::optional<bool> AnswerRules::toggle(const QVariant &session, const QVariant &question,
                                        const QVariant &respondent, const QVariant &partner, bool positive) {
    if (!requireSession(session))
        return std::nullopt;
    const auto ids = markIds(session, question, respondent);
    const auto p = idOf(partner);
    if (!ids || !p)
        return std::nullopt;
    QVariantMap params = markParams(*ids, positive);
    params.insert(QStringLiteral("p"), *p);
    const QString where =
        QStringLiteral("WHERE pozitivni = :b and id_vyhodnoceni = :s and id_otazky = :q and "
                       "id_zaka = :r and id_partnera = :p");
    try {
        Transaction transaction(m_db);
        const bool marked = !m_db.scalar(QStringLiteral("SELECT ID FROM odpovedi ") + where, params).isNull();
        if (marked)
            m_db.exec(QStringLiteral("DELETE FROM odpovedi ") + where, params);
        else
            m_db.exec(kInsertMark, params);
        transaction.commit();
        return !marked;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return std::nullopt;
    }
}

bool AnswerRules::markAll(const QVariant &session, const QVariant &question, const QVariant &respondent,
                          const QList<qint64> &partners, bool positive) {
    if (!requireSession(session))
        return false;
    const auto ids = markIds(session, question, respondent);
    if (!ids)
        return false;
    const QVariantMap params = markParams(*ids, positive);
    try {
        Transaction transaction(m_db);
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE pozitivni = :b and id_vyhodnoceni = :s and "
                                 "id_otazky = :q and id_zaka = :r"),
                  params);
        SqlQuery insert(m_db, kInsertMark);
        QSet<qint64> written;
        for (qint64 partner : partners) {
            if (written.contains(partner))
                continue; // a row chosen twice is still one mark
            written.insert(partner);
            for (auto it = params.begin(); it != params.end(); ++it)
                insert.bind(it.key(), it.value());
            insert.bind(QStringLiteral("p"), partner).exec();
        }
        transaction.commit();
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}

bool AnswerRules::saveFreeText(const QVariant &session, const QVariant &question, const QVariant &respondent,
                               const QString &text) {
    if (!requireSession(session))
        return false;
    const auto ids = markIds(session, question, respondent);
    if (!ids)
        return false;
    QVariantMap params = markParams(*ids, true);
    try {
        Transaction transaction(m_db);
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni = :s and id_otazky = :q and "
                                 "id_zaka = :r"),
                  params);
        // An empty memo is stored as an empty text, not as NULL.
        params.insert(QStringLiteral("w"), text.isNull() ? QStringLiteral("") : text);
        m_db.exec(QStringLiteral("INSERT INTO odpovedi (pozitivni, id_otazky, id_vyhodnoceni, id_zaka, "
                                 "id_partnera, slovy) VALUES (:b, :q, :s, :r, -1, :w)"),
                  params);
        transaction.commit();
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}

QHash<qint64, int> AnswerRules::participation(const QList<qint64> &sessions) {
    QHash<qint64, int> counts;
    if (sessions.isEmpty())
        return counts;
    QJsonArray list;
    for (qint64 session : sessions) {
        counts.insert(session, 0);
        list.append(session);
    }
    try {
        // The ids go in as one bound JSON array, so any number of sessions is one statement.
        SqlQuery query(m_db, QStringLiteral("SELECT id_vyhodnoceni, count(DISTINCT id_zaka) FROM odpovedi "
                                            "WHERE id_vyhodnoceni IN (SELECT value FROM json_each(:ids)) "
                                            "GROUP BY id_vyhodnoceni"));
        query
            .bind(QStringLiteral("ids"),
                  QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)))
            .exec();
        while (query.next())
            counts.insert(query.value(0).toLongLong(), query.value(1).toInt());
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
    }
    return counts;
}

bool AnswerRules::wipeSession(const QVariant &session) {
    if (!requireSession(session))
        return false;
    if (!m_prompter.askYesNo(
            QStringLiteral("Odstraníte všechny odpovědi. Tento proces je nevratný. Určitě to chcete udělat?"),
            QStringLiteral("Vymazat odpovědi"), Prompter::Icon::Question))
        return false;
    try {
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni = :s"),
                  {{QStringLiteral("s"), *idOf(session)}});
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}

bool AnswerRules::offers(qint64 question, qint64 respondent, qint64 partner) {
    if (partner == respondent)
        return false;
    try {
        SqlQuery query(m_db,
                       QStringLiteral("SELECT otazky.typ, partner.pohlavi, partner.id_tridy, "
                                      "respondent.id_tridy FROM otazky, zak AS partner, zak AS respondent "
                                      "WHERE otazky.ID = :q and partner.ID = :p and respondent.ID = :r"));
        query.bind(QStringLiteral("q"), question)
            .bind(QStringLiteral("p"), partner)
            .bind(QStringLiteral("r"), respondent)
            .exec();
        if (!query.next())
            return false; // the question, the partner or the respondent does not exist
        const QVariant partnerClass = query.value(2);
        const QVariant respondentClass = query.value(3);
        if (partnerClass.isNull() || respondentClass.isNull() ||
            partnerClass.toLongLong() != respondentClass.toLongLong())
            return false;
        // A question without a kind counts as kind 0, as the partner lists read it.
        return SessionRules::partnerFilter(query.value(0).toInt()).admits(query.value(1));
    } catch (const DatabaseError &error) {
        m_prompter.message(error.message(), QString(), Prompter::Icon::Error);
        return false;
    }
}

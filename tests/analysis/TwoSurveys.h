#pragma once

#include "data/DataFixture.h"
#include "support/DemoData.h"

// The demo class surveyed twice with the demo questionnaire: the demo session (15. 1. 2026) and a later one
// (20. 5. 2026) with the same answers, except that in the later one Tomáš Zeman answered nothing and
// everybody else chose Lukáš Pokorný (whom nobody chose before) and nobody refused him: he moves into
// the popular group.
class TwoSurveys : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_demo = writeDemoData(m_db);
        m_earlier = m_demo.sessionId;
        m_db.exec(QStringLiteral("UPDATE vyhodnoceni SET datum = '2026-01-15 00:00:00' WHERE ID = :s"),
                  {{"s", m_earlier}});
        m_question = firstQuestion(m_demo.questionnaireId);
        m_tomas = pupil(QStringLiteral("Tomáš"));
        m_lukas = pupil(QStringLiteral("Lukáš"));

        m_later = copySession(QStringLiteral("2026-05-20 00:00:00"));
        m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_vyhodnoceni = :s AND id_zaka = :z"),
                  {{"s", m_later}, {"z", m_tomas}});
        m_db.exec(
            QStringLiteral(
                "DELETE FROM odpovedi WHERE id_vyhodnoceni = :s AND id_partnera = :z AND pozitivni = 0"),
            {{"s", m_later}, {"z", m_lukas}});
        SqlQuery people(
            m_db, QStringLiteral("SELECT ID FROM zak WHERE id_tridy = :c AND pohlavi IN ('muž', 'žena') "
                                 "AND ID NOT IN (:t, :l)"));
        people.bind("c", m_demo.classId).bind("t", m_tomas).bind("l", m_lukas);
        people.exec();
        QList<qint64> choosers;
        while (people.next())
            choosers << people.value(0).toLongLong();
        for (qint64 chooser : choosers)
            addAnswer(m_later, m_question, chooser, m_lukas, true);
    }

    // A new session of the demo class dated `date`, with every answer of the demo session.
    qint64 copySession(const QString &date) {
        const qint64 session = addSession(m_demo.classId, m_demo.questionnaireId, date);
        m_db.exec(
            QStringLiteral(
                "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni, slovy) "
                "SELECT :s, id_otazky, id_zaka, id_partnera, pozitivni, slovy FROM odpovedi "
                "WHERE id_vyhodnoceni = :from ORDER BY ID"),
            {{"s", session}, {"from", m_earlier}});
        return session;
    }
    qint64 firstQuestion(qint64 questionnaire) {
        return m_db
            .scalar(QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t ORDER BY poradi LIMIT 1"),
                    {{"t", questionnaire}})
            .toLongLong();
    }
    qint64 pupil(const QString &firstName) {
        return m_db.scalar(QStringLiteral("SELECT ID FROM zak WHERE jmeno = :j"), {{"j", firstName}})
            .toLongLong();
    }

    DemoSummary m_demo;
    qint64 m_earlier = 0, m_later = 0, m_question = 0, m_tomas = 0, m_lukas = 0;
};

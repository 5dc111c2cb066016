#pragma once

#include "data/DataFixture.h"

// A class of four pupils and three answer-option rows (numbered so that an option row sits between the
// pupils), a questionnaire of five questions (the third with a text longer than 50 characters, the fourth
// of kind "abcde", the fifth "ano-ne") and a session in which only the first and third questions were
// answered. Another session of the same questionnaire has a choice that must never be counted in it.
class BarChartFixture : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"), QStringLiteral("Nováková"));
        m_adam = addPupil(m_class, "Adam", "Bílý", QStringLiteral("muž"), 1);
        m_eva = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"), 2);
        m_no = addPupil(m_class, "ne", QVariant(), QStringLiteral("ano-ne"), 3);
        m_petr = addPupil(m_class, "Petr", "Dub", QStringLiteral("muž"), 4);
        m_jana = addPupil(m_class, "Jana", "Nová", QStringLiteral("žena"), 5);
        m_option = addPupil(m_class, "a", QVariant(), QStringLiteral("abcde"), 6);
        addPupil(m_class, "nikdo", QVariant(), QStringLiteral("---"), 7);
        m_test = addTest(QStringLiteral("Vztahy"));
        m_q1 = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_q2 = addQuestion(m_test, QStringLiteral("Kdo je tvůj kamarád?"), QVariant(), 0, 2);
        m_q3 = addQuestion(m_test, kLongText, QVariant(), 0, 3);
        m_q4 = addQuestion(m_test, QStringLiteral("Co tě baví?"), QVariant(), 1, 4);
        m_q5 = addQuestion(m_test, QStringLiteral("Chodíš rád do školy?"), QVariant(), 3, 5);
        m_session = addSession(m_class, m_test, QStringLiteral("2021-03-04 00:00:00"));
        m_otherSession = addSession(m_class, m_test, QStringLiteral("2021-05-06 00:00:00"));

        // Adam: 3 positive and 1 negative choices for the first question; Eva 1 positive; Jana 2
        // positive for the third question.
        for (qint64 from : {m_eva, m_petr, m_jana})
            addAnswer(m_session, m_q1, from, m_adam, true);
        addAnswer(m_session, m_q1, m_eva, m_adam, false);
        addAnswer(m_session, m_q1, m_adam, m_eva, true);
        addAnswer(m_session, m_q3, m_adam, m_jana, true);
        addAnswer(m_session, m_q3, m_eva, m_jana, true);
        addAnswer(m_otherSession, m_q2, m_eva, m_adam, true);
    }

    static QString padded(const QString &text) { return text.leftJustified(50, u' '); }

    inline static const QString kLongText =
        QStringLiteral("Se kterým spolužákem by sis nejraději vyrazil na celodenní výlet do hor?");

    qint64 m_class = 0, m_adam = 0, m_eva = 0, m_no = 0, m_petr = 0, m_jana = 0, m_option = 0;
    qint64 m_test = 0, m_q1 = 0, m_q2 = 0, m_q3 = 0, m_q4 = 0, m_q5 = 0;
    qint64 m_session = 0, m_otherSession = 0;
};

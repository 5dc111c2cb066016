// Two surveys of a class compared, and the course over time, read from real sessions: a session against
// itself, the two directions, absent pupils, the question pairing and the refusals.
#include "analysis/ComparisonTexts.h"
#include "analysis/SurveyComparison.h"
#include "data/DataFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace {

using Comparison::Presence;
using Sociometry::Status;

// The five-pupil class whose first survey gives one pupil of each status group (A popular, B controversial,
// C neglected, D rejected, E average, C isolated, A–B a mutual pair).
class ComparisonTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("6.B"), QStringLiteral("Dvořák"));
        m_test = addTest(QStringLiteral("Vztahy"));
        m_question = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        int position = 1;
        for (const QChar letter : QStringLiteral("ABCDE"))
            m_id[letter] = addPupil(m_class, QString(letter), QStringLiteral("Žák"),
                                    letter == u'B' ? QStringLiteral("žena") : QStringLiteral("muž"), position++);
    }

    // A session of the first survey's choices with the letters of `swap` exchanged ("AD": A's choices are
    // D's and D's are A's) and the choices made by `silent` left out.
    qint64 survey(const QString &date, const QString &swap = QString(), const QString &silent = QString(),
                  qint64 question = 0, qint64 test = 0) {
        const qint64 session = addSession(m_class, test ? test : m_test, date);
        auto letter = [&swap](QChar c) {
            if (swap.size() == 2 && c == swap[0])
                return swap[1];
            if (swap.size() == 2 && c == swap[1])
                return swap[0];
            return c;
        };
        auto choose = [&](const QString &choices, bool positive) {
            for (const QString &pair : choices.split(u' ', Qt::SkipEmptyParts)) {
                const QChar chooser = letter(pair[0]);
                if (!silent.contains(chooser))
                    addAnswer(session, question ? question : m_question, m_id.at(chooser), m_id.at(letter(pair[1])),
                              positive);
            }
        };
        choose(QStringLiteral("AB BA CB DE EA"), true);
        choose(QStringLiteral("AD BE CB DB ED"), false);
        return session;
    }
    SurveyComparison compare(qint64 from, qint64 to, std::optional<qint64> toQuestion = std::nullopt) {
        QString reason;
        std::optional<SurveyComparison> c = Comparison::compare(m_db, from, m_question, to, toQuestion, &reason);
        EXPECT_TRUE(c) << reason.toStdString();
        return c ? *c : SurveyComparison();
    }
    const ComparedPupil &pupil(const SurveyComparison &c, QChar letter) {
        const ComparedPupil *p = c.pupil(m_id.at(letter));
        EXPECT_NE(p, nullptr);
        static const ComparedPupil none;
        return p ? *p : none;
    }
    QPair<qint64, qint64> pair(const QString &letters) { return {m_id.at(letters[0]), m_id.at(letters[1])}; }
    static QJsonObject json(const SurveyComparison &c) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(ComparisonTexts::json(c), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return doc.object();
    }

    qint64 m_class = 0, m_test = 0, m_question = 0;
    std::map<QChar, qint64> m_id;
};

TEST_F(ComparisonTest, ASessionComparedWithItselfShowsNoChangeAnywhere) {
    const qint64 s = survey(QStringLiteral("2026-09-10 00:00:00"));
    const SurveyComparison c = compare(s, s);
    ASSERT_EQ(c.pupils.size(), 5);
    for (const ComparedPupil &p : c.pupils) {
        EXPECT_EQ(p.presence(), Presence::Both);
        EXPECT_EQ(p.posReceivedDelta(), 0);
        EXPECT_EQ(p.negReceivedDelta(), 0);
        EXPECT_FALSE(p.passage());
        EXPECT_FALSE(p.becameIsolate() || p.stoppedIsolate());
    }
    EXPECT_EQ(c.mutualPos.kept, (QList<QPair<qint64, qint64>>{pair(QStringLiteral("AB"))}));
    EXPECT_TRUE(c.mutualPos.added.isEmpty() && c.mutualPos.broken.isEmpty());
    for (const IndexChange &index : c.indices) {
        if (index.from)
            EXPECT_EQ(index.delta, 0.0) << index.key.toStdString();
    }
    const QJsonObject delta = json(c).value(QStringLiteral("group_delta")).toObject();
    EXPECT_EQ(delta.value(QStringLiteral("cohesion")).toDouble(-1), 0.0);
    EXPECT_TRUE(ComparisonTexts::summary(c).join(u'\n').contains(QStringLiteral("Soudržnost třídy se nezměnila")));
}

TEST_F(ComparisonTest, SwappingTheSessionsNegatesEveryDeltaAndSwapsNewAndBrokenPairs) {
    const qint64 before = survey(QStringLiteral("2026-09-10 00:00:00"));
    const qint64 after = survey(QStringLiteral("2027-01-15 00:00:00"), QStringLiteral("AD"));
    const SurveyComparison forward = compare(before, after);
    const SurveyComparison backward = compare(after, before);

    // A and D exchanged their places in the class: A fell from popular to rejected, D rose the other way.
    EXPECT_EQ(pupil(forward, u'A').statusFrom(), Status::Popular);
    EXPECT_EQ(pupil(forward, u'A').statusTo(), Status::Rejected);
    EXPECT_EQ(pupil(forward, u'A').statusDirection(), -1);
    EXPECT_EQ(pupil(forward, u'D').statusDirection(), 1);
    EXPECT_EQ(pupil(forward, u'A').posReceivedDelta(), -2);
    EXPECT_EQ(pupil(forward, u'A').negReceivedDelta(), 2);
    EXPECT_FALSE(pupil(forward, u'C').passage());
    EXPECT_EQ(ComparisonTexts::pupilCells(pupil(forward, u'A'))[11], QStringLiteral("oblíbený → odmítaný"));
    EXPECT_EQ(forward.mutualPos.added, (QList<QPair<qint64, qint64>>{pair(QStringLiteral("BD"))}));
    EXPECT_EQ(forward.mutualPos.broken, (QList<QPair<qint64, qint64>>{pair(QStringLiteral("AB"))}));
    EXPECT_TRUE(forward.mutualPos.kept.isEmpty());

    EXPECT_EQ(backward.mutualPos.added, forward.mutualPos.broken);
    EXPECT_EQ(backward.mutualPos.broken, forward.mutualPos.added);
    for (const ComparedPupil &p : forward.pupils) {
        const ComparedPupil *q = backward.pupil(p.id);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(*q->posReceivedDelta(), -*p.posReceivedDelta());
        EXPECT_EQ(*q->negReceivedDelta(), -*p.negReceivedDelta());
        EXPECT_EQ(q->passage(), p.passage());
        EXPECT_EQ(q->statusDirection(), -p.statusDirection());
    }
    for (int i = 0; i < forward.indices.size(); ++i) {
        if (forward.indices[i].delta)
            EXPECT_DOUBLE_EQ(*backward.indices[i].delta, -*forward.indices[i].delta);
    }

    const QJsonObject o = json(forward);
    EXPECT_EQ(o.value(QStringLiteral("from")).toObject().value(QStringLiteral("session")).toInteger(), before);
    const QJsonArray pupils = o.value(QStringLiteral("pupils")).toArray();
    ASSERT_EQ(pupils.size(), 5);
    const QJsonObject a = pupils.at(0).toObject();
    EXPECT_EQ(a.value(QStringLiteral("status_from")).toString(), QStringLiteral("popular"));
    EXPECT_EQ(a.value(QStringLiteral("status_to")).toString(), QStringLiteral("rejected"));
    EXPECT_EQ(a.value(QStringLiteral("pos_received_delta")).toInt(), -2);
    EXPECT_TRUE(a.value(QStringLiteral("passage")).toBool());
    EXPECT_EQ(o.value(QStringLiteral("mutual_pos")).toObject().value(QStringLiteral("new")).toArray(),
              (QJsonArray{QJsonArray{m_id.at(u'B'), m_id.at(u'D')}}));

    const QString summary = ComparisonTexts::summary(forward).join(u'\n');
    EXPECT_TRUE(summary.contains(QStringLiteral("Do lepší statusové skupiny se posunulo: 1 žák (D Žák)")));
    EXPECT_TRUE(summary.contains(QStringLiteral("do horší: 1 žák (A Žák)")));
    EXPECT_TRUE(summary.contains(QStringLiteral("zachováno 0, nových 1, zaniklých 1")));
}

TEST_F(ComparisonTest, AnAbsentPupilIsNamedWithoutChangeFiguresAndBreaksNoPair) {
    const qint64 before = survey(QStringLiteral("2026-09-10 00:00:00"));
    const qint64 after = survey(QStringLiteral("2027-01-15 00:00:00"), QString(), QStringLiteral("B"));
    const SurveyComparison c = compare(before, after);

    const ComparedPupil &b = pupil(c, u'B');
    EXPECT_EQ(b.presence(), Presence::From);
    EXPECT_FALSE(b.posReceivedDelta());
    EXPECT_FALSE(b.statusTo());
    EXPECT_FALSE(b.passage());
    const QStringList cells = ComparisonTexts::pupilCells(b);
    EXPECT_EQ(cells[2], QStringLiteral("chyběl"));
    EXPECT_EQ(cells[3], QStringLiteral("–"));
    // A–B was mutual before; B did not answer now, so the pair is neither kept nor broken.
    EXPECT_TRUE(c.mutualPos.broken.isEmpty());
    EXPECT_TRUE(c.mutualPos.kept.isEmpty());
    EXPECT_EQ(json(c).value(QStringLiteral("pupils")).toArray().at(1).toObject().value(QStringLiteral("in")).toString(),
              QStringLiteral("from"));
    EXPECT_TRUE(json(c).value(QStringLiteral("pupils")).toArray().at(1).toObject().value(QStringLiteral("neg_received_delta")).isNull());
    EXPECT_TRUE(ComparisonTexts::summary(c).join(u'\n').contains(QStringLiteral("chyběli (bez údajů o změně): B Žák")));
    EXPECT_TRUE(ComparisonTexts::text(c).contains(QStringLiteral("B Žák")));
}

TEST_F(ComparisonTest, QuestionsPairByTextAcrossQuestionnairesAndRefusalsAreCzech) {
    const qint64 before = survey(QStringLiteral("2026-09-10 00:00:00"));
    const qint64 other = addTest(QStringLiteral("Vztahy II"));
    addQuestion(other, QStringLiteral("S kym sedis rad?"), QVariant(), 0, 1); // diacritics count
    const qint64 same = addQuestion(other, QStringLiteral("s KÝM sedíš rád?"), QStringLiteral("S kým ne?"), 0, 2);
    const qint64 after = survey(QStringLiteral("2027-01-15 00:00:00"), QString(), QString(), same, other);
    EXPECT_EQ(compare(before, after).to.questionId, same);

    QString reason;
    const qint64 lonely = addTest(QStringLiteral("Jiný"));
    const qint64 unrelated = addQuestion(lonely, QStringLiteral("Kdo ti pomáhá?"), QVariant(), 0, 1);
    const qint64 third = addSession(m_class, lonely, QStringLiteral("2027-03-01 00:00:00"));
    EXPECT_FALSE(Comparison::compare(m_db, before, m_question, third, std::nullopt, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("nemá otázku „S kým sedíš rád?“"))) << reason.toStdString();
    EXPECT_TRUE(Comparison::compare(m_db, before, m_question, third, unrelated, &reason));

    const qint64 otherClass = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("7.A"), QStringLiteral("Malá"));
    const qint64 foreign = addSession(otherClass, m_test, QStringLiteral("2027-01-15 00:00:00"));
    EXPECT_FALSE(Comparison::compare(m_db, before, m_question, foreign, std::nullopt, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("nejsou ze stejné třídy"))) << reason.toStdString();

    const qint64 words = addQuestion(m_test, QStringLiteral("Co tě baví?"), QVariant(), 3, 2);
    EXPECT_FALSE(Comparison::compare(m_db, before, words, before, std::nullopt, &reason));
    EXPECT_EQ(reason, Sociometry::refusalForKind(3));
    EXPECT_FALSE(Comparison::compare(m_db, 999, m_question, before, std::nullopt, &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(ComparisonTest, TheTrendFollowsOneQuestionTextThroughTheSessionsInDateOrder) {
    const qint64 january = survey(QStringLiteral("2027-01-15 00:00:00"), QStringLiteral("AD"));
    const qint64 september = survey(QStringLiteral("2026-09-10 00:00:00"));
    const qint64 other = addTest(QStringLiteral("Jiný"));
    addQuestion(other, QStringLiteral("Kdo ti pomáhá?"), QVariant(), 0, 1);
    addSession(m_class, other, QStringLiteral("2026-11-01 00:00:00"));
    const qint64 june = survey(QStringLiteral("2027-06-01 00:00:00"), QString(), QStringLiteral("E"));

    QString reason;
    const std::optional<SurveyTrend> t = Comparison::trend(m_db, m_class, QStringLiteral("s kým sedíš rád?"), &reason);
    ASSERT_TRUE(t) << reason.toStdString();
    ASSERT_EQ(t->sessions.size(), 3);
    EXPECT_EQ(t->questionText, QStringLiteral("S kým sedíš rád?")); // as the questionnaire has it
    EXPECT_EQ(t->sessions[0].sessionId, september);
    EXPECT_EQ(t->sessions[1].sessionId, january);
    EXPECT_EQ(t->sessions[2].sessionId, june);
    const QList<QStringList> rows = ComparisonTexts::trendRows(*t);
    // A: LM 2 and popular, then 0 and rejected, then 2 again.
    EXPECT_EQ(rows[0].mid(0, 5), (QStringList{QStringLiteral("A Žák"), QStringLiteral("2"), QStringLiteral("oblíbený"),
                                              QStringLiteral("0"), QStringLiteral("odmítaný")}));
    EXPECT_EQ(rows[4][5], QStringLiteral("chyběl")); // E did not answer in June
    const QJsonObject o = QJsonDocument::fromJson(ComparisonTexts::trendJson(*t)).object();
    EXPECT_EQ(o.value(QStringLiteral("sessions")).toArray().at(2).toObject().value(QStringLiteral("date")).toString(),
              QStringLiteral("2027-06-01"));
    EXPECT_EQ(o.value(QStringLiteral("sessions")).toArray().at(0).toObject().value(QStringLiteral("isolates")).toInt(), 1);

    EXPECT_FALSE(Comparison::trend(m_db, m_class, QStringLiteral("Kdo tě štve?"), &reason));
    EXPECT_FALSE(reason.isEmpty());
}

} // namespace

// The analysis read from real sessions: the worked examples of the definitions, the cleaning of choices,
// the refusals and the subgroups.
#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"
#include "data/DataFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace {

using Sociometry::Status;

class AnalysisTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("6.B"), QStringLiteral("Dvořák"));
        m_test = addTest(QStringLiteral("Vztahy"));
    }

    // Pupils named by their letters, in roster order; girls for the letters in `girls`.
    void addPupils(const QString &letters, const QString &girls = QString()) {
        int position = 1;
        for (const QChar letter : letters)
            m_id[letter] = addPupil(m_class, QString(letter), QStringLiteral("Žák"),
                                    girls.contains(letter) ? QStringLiteral("žena") : QStringLiteral("muž"),
                                    position++);
    }
    // "AB CD" adds the choices A→B and C→D.
    void choose(qint64 question, const QString &choices, bool positive = true) {
        for (const QString &pair : choices.split(u' ', Qt::SkipEmptyParts))
            addAnswer(m_session, question, m_id.at(pair[0]), m_id.at(pair[1]), positive);
    }
    SociometricAnalysis analyse(qint64 question) {
        QString reason;
        const std::optional<SociometricAnalysis> result = Sociometry::analyse(m_db, m_session, question, &reason);
        EXPECT_TRUE(result) << reason.toStdString();
        return result ? *result : SociometricAnalysis();
    }
    const AnalysisPupil &pupil(const SociometricAnalysis &a, QChar letter) {
        const AnalysisPupil *p = a.pupil(m_id.at(letter));
        EXPECT_NE(p, nullptr);
        static const AnalysisPupil none;
        return p ? *p : none;
    }
    QList<qint64> ids(const QString &letters) {
        QList<qint64> list;
        for (const QChar letter : letters)
            list << m_id.at(letter);
        return list;
    }

    qint64 m_class = 0, m_test = 0, m_session = 0;
    std::map<QChar, qint64> m_id;
};

TEST_F(AnalysisTest, PositiveWordingOnlyGivesCountsGroupsAndNoStatuses) {
    addPupils(QStringLiteral("ABCDE"));
    const qint64 q = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QVariant(), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    choose(q, QStringLiteral("AB BA BC CB AC CA DA ED"));
    const SociometricAnalysis a = analyse(q);

    EXPECT_EQ(a.n, 5);
    EXPECT_FALSE(a.negativeWording);
    std::vector<int> lm;
    for (const AnalysisPupil &p : a.pupils)
        lm.push_back(p.posReceived);
    EXPECT_EQ(lm, (std::vector<int>{3, 2, 2, 1, 0}));
    EXPECT_DOUBLE_EQ(*pupil(a, u'A').choiceStatus, 0.75);
    EXPECT_TRUE(pupil(a, u'E').isolate);
    EXPECT_FALSE(pupil(a, u'D').isolate);
    EXPECT_EQ(a.group.isolates, ids(QStringLiteral("E")));
    EXPECT_EQ(a.group.mutualPosPairs, 3);
    EXPECT_DOUBLE_EQ(*a.group.cohesion, 0.3);
    EXPECT_DOUBLE_EQ(*a.group.coherence, 0.75);
    EXPECT_DOUBLE_EQ(*a.group.integration, 1.0);
    EXPECT_TRUE(a.group.stars.isEmpty());
    EXPECT_EQ(a.subgroups.components, QList<QList<qint64>>{ids(QStringLiteral("ABC"))});
    EXPECT_EQ(a.subgroups.cliques, QList<QList<qint64>>{ids(QStringLiteral("ABC"))});
    for (const AnalysisPupil &p : a.pupils) {
        EXPECT_FALSE(p.status);
        EXPECT_FALSE(p.zLm);
    }
    EXPECT_FALSE(a.group.statusCounts);
    EXPECT_FALSE(AnalysisTexts::missingStatusReason(a).isEmpty());
}

TEST_F(AnalysisTest, BothWordingsGiveTheFiveStatusGroups) {
    addPupils(QStringLiteral("ABCDE"), QStringLiteral("B"));
    const qint64 q = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    choose(q, QStringLiteral("AB BA CB DE EA"));
    choose(q, QStringLiteral("AD BE CB DB ED"), false);
    const SociometricAnalysis a = analyse(q);

    EXPECT_EQ(pupil(a, u'A').status, Status::Popular);
    EXPECT_EQ(pupil(a, u'B').status, Status::Controversial);
    EXPECT_EQ(pupil(a, u'C').status, Status::Neglected);
    EXPECT_EQ(pupil(a, u'D').status, Status::Rejected);
    EXPECT_EQ(pupil(a, u'E').status, Status::Average);
    EXPECT_NEAR(*pupil(a, u'A').sp, 1.414214, 5e-7);
    EXPECT_NEAR(*pupil(a, u'B').si, 1.414214, 5e-7);
    EXPECT_DOUBLE_EQ(*pupil(a, u'D').socialStatusIndex, -0.5);
    EXPECT_DOUBLE_EQ(*a.group.cohesion, 0.1);
    EXPECT_DOUBLE_EQ(*a.group.coherence, 0.4);
    EXPECT_EQ(a.group.isolates, ids(QStringLiteral("C")));
    EXPECT_DOUBLE_EQ(*a.group.integration, 0.5);
    EXPECT_EQ(a.group.stars, ids(QStringLiteral("AB")));
    EXPECT_EQ(a.group.mutualNegPairs, 0);
    EXPECT_EQ(*a.group.statusCounts, (QList<int>{1, 1, 1, 1, 1, 0}));
    // The girl's group in the feminine form, the boys' in the masculine.
    EXPECT_EQ(AnalysisTexts::statusOf(pupil(a, u'B')), QStringLiteral("kontroverzní"));
    EXPECT_EQ(AnalysisTexts::statusOf(pupil(a, u'D')), QStringLiteral("odmítaný"));
}

TEST_F(AnalysisTest, IgnoredChoicesAndAnAbsentPupilKeepTheClassFigures) {
    addPupils(QStringLiteral("PQRS"));
    const qint64 option = addPupil(m_class, QStringLiteral("a)"), QVariant(), QStringLiteral("abcde"), 9);
    const qint64 q = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    choose(q, QStringLiteral("PQ QP RQ"));
    addAnswer(m_session, q, m_id[u'P'], option);
    choose(q, QStringLiteral("RR PQ PQ"));
    const SociometricAnalysis a = analyse(q);

    EXPECT_EQ(a.n, 4);
    EXPECT_EQ(a.respondents, 3);
    EXPECT_TRUE(pupil(a, u'S').absent);
    EXPECT_FALSE(pupil(a, u'S').posExpansiveness);
    EXPECT_EQ(a.ignored.notPerson, 1);
    EXPECT_EQ(a.ignored.selfChoice, 1);
    EXPECT_EQ(a.ignored.duplicate, 2);
    EXPECT_EQ(a.positiveChoices, 3);
    EXPECT_NEAR(*pupil(a, u'P').zLm, 0.261116, 5e-7);
    EXPECT_EQ(pupil(a, u'P').status, Status::Average);
    EXPECT_EQ(pupil(a, u'Q').status, Status::Unclassified);
    EXPECT_EQ(pupil(a, u'R').status, Status::Unclassified);
    EXPECT_EQ(pupil(a, u'S').status, Status::Unclassified);
    EXPECT_NEAR(*a.group.cohesion, 0.166667, 5e-7);
    EXPECT_NEAR(*a.group.coherence, 0.666667, 5e-7);
    EXPECT_EQ(a.group.stars, ids(QStringLiteral("Q")));
    EXPECT_DOUBLE_EQ(*a.group.expansivenessPos, 1.0); // three choices by three respondents
}

TEST_F(AnalysisTest, QuestionsThatAreNoChoiceOfClassmatesAreRefused) {
    addPupils(QStringLiteral("AB"));
    const qint64 options = addQuestion(m_test, QStringLiteral("Jak se ti líbí ve třídě?"), QVariant(), 1, 1);
    const qint64 words = addQuestion(m_test, QStringLiteral("Co bys změnil?"), QVariant(), 4, 2);
    const qint64 other = addQuestion(addTest(QStringLiteral("Jiný")), QStringLiteral("Kdo?"), QVariant(), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    QString reason;
    EXPECT_FALSE(Sociometry::analyse(m_db, m_session, options, &reason));
    EXPECT_EQ(reason, QStringLiteral("Otázka je výběrem z možností, ne volbou spolužáků."));
    EXPECT_FALSE(Sociometry::analyse(m_db, m_session, words, &reason));
    EXPECT_EQ(reason, QStringLiteral("Otázka je slovní."));
    EXPECT_FALSE(Sociometry::analyse(m_db, m_session, other, &reason));
    EXPECT_TRUE(reason.contains(QString::number(other)));
    EXPECT_FALSE(Sociometry::analyse(m_db, m_session + 100, options, &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(AnalysisTest, RosterOrderPeopleAndOverlappingCliques) {
    // Roster positions reversed against the ids; a row without a kind is a person, an option row is not.
    m_id[u'D'] = addPupil(m_class, QStringLiteral("D"), QVariant(), QStringLiteral("Žena"), 4);
    m_id[u'C'] = addPupil(m_class, QStringLiteral("C"), QVariant(), QVariant(), 3);
    m_id[u'B'] = addPupil(m_class, QStringLiteral("B"), QVariant(), QStringLiteral("MUŽ"), 2);
    m_id[u'A'] = addPupil(m_class, QStringLiteral("A"), QVariant(), QStringLiteral("muž"), 1);
    addPupil(m_class, QStringLiteral("ano"), QVariant(), QStringLiteral("ano-ne"), 5);
    const qint64 q = addQuestion(m_test, QStringLiteral("Kdo je tvůj kamarád?"), QVariant(), 0, 1);
    m_db.exec(QStringLiteral("UPDATE otazky SET typ = NULL WHERE ID = :q"), {{QStringLiteral("q"), q}});
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    // Two triangles sharing B and C: {A, B, C} and {B, C, D}.
    choose(q, QStringLiteral("AB BA AC CA BC CB BD DB CD DC"));
    choose(q, QStringLiteral("DA AD"), false);
    const SociometricAnalysis a = analyse(q); // a NULL kind is a plain choice question
    EXPECT_EQ(a.n, 4);
    QList<qint64> order;
    for (const AnalysisPupil &p : a.pupils)
        order << p.id;
    EXPECT_EQ(order, ids(QStringLiteral("ABCD")));
    EXPECT_EQ(a.subgroups.cliques, (QList<QList<qint64>>{ids(QStringLiteral("ABC")), ids(QStringLiteral("BCD"))}));
    EXPECT_EQ(a.subgroups.components, QList<QList<qint64>>{ids(QStringLiteral("ABCD"))});
    EXPECT_EQ(a.subgroups.mutualPosPairs.first(), (QPair<qint64, qint64>{m_id[u'A'], m_id[u'B']}));
    EXPECT_EQ(pupil(a, u'B').mutualPos, 3);
    EXPECT_DOUBLE_EQ(*a.group.dyadReciprocity, 1.0);
    EXPECT_EQ(a.subgroups.mutualNegPairs, (QList<QPair<qint64, qint64>>{{m_id[u'A'], m_id[u'D']}}));
    EXPECT_EQ(pupil(a, u'D').mutualNeg, 1);
    EXPECT_NEAR(*a.group.tension, 1.0 / 6, 1e-12);
}

TEST_F(AnalysisTest, AClassThatChoseNobodyHasIsolatesAndNoStars) {
    addPupils(QStringLiteral("ABC"));
    const qint64 q = addQuestion(m_test, QStringLiteral("Kdo?"), QStringLiteral("Kdo ne?"), 0, 1);
    const qint64 words = addQuestion(m_test, QStringLiteral("Co?"), QVariant(), 4, 2);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    addAnswer(m_session, words, m_id[u'A'], 0, true, QStringLiteral("nic")); // present, but chose nobody
    const SociometricAnalysis a = analyse(q);
    EXPECT_TRUE(a.group.stars.isEmpty());
    EXPECT_EQ(a.group.isolates, ids(QStringLiteral("ABC")));
    EXPECT_EQ(a.respondents, 1);
    EXPECT_FALSE(a.group.coherence);
    EXPECT_DOUBLE_EQ(*a.group.densityPos, 0.0);
    EXPECT_DOUBLE_EQ(*pupil(a, u'A').posExpansiveness, 0.0);
    EXPECT_FALSE(pupil(a, u'B').posExpansiveness);
    for (const AnalysisPupil &p : a.pupils)
        EXPECT_EQ(p.status, Status::Average); // nothing varies: every z-score is 0
}

TEST_F(AnalysisTest, AClassWhereEveryoneChoseEveryoneIsOneClique) {
    for (int i = 0; i < 40; ++i)
        m_id[QChar(u'A' + i)] = addPupil(m_class, QString(QChar(u'A' + i)), QVariant(), QStringLiteral("muž"), i);
    const qint64 q = addQuestion(m_test, QStringLiteral("Kdo?"), QVariant(), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    Transaction transaction(m_db);
    for (const auto &[a, idA] : m_id)
        for (const auto &[b, idB] : m_id)
            if (a != b)
                addAnswer(m_session, q, idA, idB);
    transaction.commit();
    const SociometricAnalysis a = analyse(q);
    ASSERT_EQ(a.subgroups.cliques.size(), 1);
    EXPECT_EQ(a.subgroups.cliques.first().size(), 40);
    EXPECT_DOUBLE_EQ(*a.group.cohesion, 1.0);
    EXPECT_DOUBLE_EQ(*a.group.densityPos, 1.0);
}

TEST_F(AnalysisTest, JsonFollowsTheContractAndRepeatsByteForByte) {
    addPupils(QStringLiteral("ABCDE"), QStringLiteral("B"));
    const qint64 q = addQuestion(m_test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
    m_session = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
    choose(q, QStringLiteral("AB BA CB DE EA"));
    choose(q, QStringLiteral("AD BE CB DB ED"), false);
    // A name as an older file may hold it: quotes, a backslash and a control character.
    m_db.exec(QStringLiteral("UPDATE zak SET jmeno = :j WHERE ID = :z"),
              {{QStringLiteral("j"), QStringLiteral("E \"\\\x1f")}, {QStringLiteral("z"), m_id[u'E']}});
    const QByteArray first = AnalysisTexts::json(analyse(q));
    EXPECT_EQ(AnalysisTexts::json(analyse(q)), first);

    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(first, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << first.toStdString();
    EXPECT_EQ(root[u"session"].toInteger(), m_session);
    EXPECT_TRUE(root[u"negative_wording"].toBool());
    EXPECT_EQ(root[u"n"].toInt(), 5);
    EXPECT_EQ(root[u"ignored_choices"].toObject().keys().size(), 4);
    const QJsonObject a = root[u"pupils"].toArray().first().toObject();
    EXPECT_EQ(a[u"name"].toString(), QStringLiteral("A Žák"));
    EXPECT_EQ(a[u"status"].toString(), QStringLiteral("popular"));
    EXPECT_EQ(a[u"sp"].toDouble(), 1.414214);
    EXPECT_TRUE(a[u"isolate"].isBool());
    EXPECT_EQ(a.keys().size(), 21);
    const QJsonObject group = root[u"group"].toObject();
    EXPECT_EQ(group[u"status_counts"].toObject()[u"neglected"].toInt(), 1);
    EXPECT_EQ(group[u"status_counts"].toObject().keys().size(), 6);
    EXPECT_EQ(group[u"isolates"].toArray().first().toInteger(), m_id[u'C']);
    EXPECT_EQ(root[u"subgroups"].toObject()[u"mutual_pos_pairs"].toArray().first().toArray().size(), 2);
    EXPECT_TRUE(first.startsWith("{\"session\": "));
    EXPECT_EQ(root[u"pupils"].toArray()[4].toObject()[u"name"].toString(), QStringLiteral("E \"\\\x1f Žák"));
}

} // namespace

// The textual evaluation of a class of 300 pupils reads the aggregation once and sorts the second pass in
// memory: the report and the rows of that pass must be those of the statement's own negative ordering.
#include "questionnaires/TextualEvaluation.h"

#include "data/AggregationQueries.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "support/ArchiveGenerator.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class EvaluationLargeClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_db.create(m_dir.filePath(QStringLiteral("skola.mdb")));
        generateArchive(m_db, classSize(300));
        const qint64 session = m_db.scalar(QStringLiteral("SELECT min(ID) FROM vyhodnoceni")).toLongLong();
        // Ties in the negative counts broken by addressee, then respondent: a few more rejections of the
        // first pupils and one choice made twice.
        const QVariantMap ids = {{QStringLiteral("s"), session}};
        m_db.exec(QStringLiteral(
                      "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                      "SELECT :s, o.ID, z.ID, (SELECT min(ID) FROM zak) + z.ID % 3, 0 FROM otazky o, zak z "
                      "WHERE o.typ = 0 AND z.pohlavi = 'žena' AND z.ID % 7 = 0"),
                  ids);
        m_db.exec(QStringLiteral(
                      "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                      "SELECT id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni FROM odpovedi "
                      "WHERE id_vyhodnoceni = :s AND pozitivni = 0 LIMIT 1"),
                  ids);
        QString error;
        std::optional<SessionOutputData> read = readSession(m_db, session, &error);
        ASSERT_TRUE(read) << error.toStdString();
        m_session = *read;
    }

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("evaluation-large")};
    SessionOutputData m_session;
};

// What the negative pass reads of a row.
QString negativePart(const EvaluationRow &row) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
        .arg(row.questionId)
        .arg(row.countNegative)
        .arg(row.recipientId)
        .arg(row.respondentId ? QString::number(*row.respondentId) : QStringLiteral("∅"), row.recipientName,
             row.respondentName, row.textOtazkyNegativni);
}

TEST_F(EvaluationLargeClassTest, TheSecondPassSortedInMemoryIsTheStatementsNegativeOrdering) {
    const QList<EvaluationRow> positiveFirst = TextualEvaluation::readRows(
        m_db, m_session, QString::fromLatin1(AggregationQueries::positiveFirstOrder));
    const QList<EvaluationRow> negativeFirst = TextualEvaluation::readRows(
        m_db, m_session, QString::fromLatin1(AggregationQueries::negativeFirstOrder));
    ASSERT_EQ(positiveFirst.size(), negativeFirst.size());
    QStringList sorted, fromStatement;
    for (const qsizetype at : TextualEvaluation::negativeOrder(positiveFirst))
        sorted << negativePart(positiveFirst[at]);
    for (const EvaluationRow &row : negativeFirst)
        if (!row.positive)
            fromStatement << negativePart(row);
    ASSERT_GT(fromStatement.size(), 7000);
    EXPECT_EQ(sorted.size(), fromStatement.size());
    for (qsizetype i = 0; i < std::min(sorted.size(), fromStatement.size()); ++i)
        ASSERT_EQ(sorted[i].toStdString(), fromStatement[i].toStdString()) << "row " << i;
}

TEST_F(EvaluationLargeClassTest, TheReportIsThatOfTwoReadsInTheStatementsOrderings) {
    const QList<EvaluationRow> positiveFirst = TextualEvaluation::readRows(
        m_db, m_session, QString::fromLatin1(AggregationQueries::positiveFirstOrder));
    const QList<EvaluationRow> negativeFirst = TextualEvaluation::readRows(
        m_db, m_session, QString::fromLatin1(AggregationQueries::negativeFirstOrder));
    for (const EvaluationOptions options : {EvaluationOptions{false, false}, EvaluationOptions{true, true}}) {
        TextualEvaluation twoReads(evaluationHeader(m_session), options);
        twoReads.addPass(positiveFirst, true);
        twoReads.addPass(negativeFirst, false);
        const QString expected = evaluationPlainText(twoReads.lines());
        const QString report = evaluationPlainText(evaluateSession(m_db, m_session, options));
        EXPECT_GT(report.size(), options.names ? 300000 : 90000);
        EXPECT_TRUE(report == expected) << options.zeros;
    }
}

} // namespace

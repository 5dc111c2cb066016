// Reading the collector's answer file and importing it: the last post of a pupil wins, older files of the
// collector still import as before.
#include "web/WebFixture.h"

#include "data/DatabaseError.h"
#include "web/ResultImport.h"

#include <QBuffer>

namespace {

class ResultImportTest : public WebFixture {
protected:
    static ResultImport::Parsed parse(const QByteArray &bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return ResultImport::parse(buffer);
    }
    ResultImport::Counts import(const QByteArray &bytes) {
        return ResultImport::importAnswers(m_db, parse(bytes));
    }

    // A line of the answer file "data.php" as the collector appends it.
    QByteArray posted(qint64 post, qint64 q, bool positive, qint64 r, qint64 p,
                      const QByteArray &text = "-") {
        return QStringLiteral("%1,%2,%3,%4,%5,2024-03-01 10:%6:00,")
                   .arg(m_session)
                   .arg(q)
                   .arg(positive ? 1 : 0)
                   .arg(r)
                   .arg(p)
                   .arg(post % 60, 2, 10, QChar(u'0'))
                   .toUtf8() +
               text + ',' + QByteArray::number(post) + "\r\n";
    }
    QByteArray answerFile(const QByteArray &lines) {
        return QByteArray(ResultImport::kGuardLine) + "\r\n" + lines;
    }
    static QStringList sorted(QStringList rows) {
        rows.sort();
        return rows;
    }
    QString row(qint64 q, bool positive, qint64 r, qint64 p, const QString &text = QString()) {
        return QStringLiteral("%1|%2|%3|%4|").arg(q).arg(positive ? 1 : 0).arg(r).arg(p) + text;
    }
};

TEST_F(ResultImportTest, APupilWhoPostsAgainEndsWithExactlyHisLastAnswersAndTypedAnswersOfOthersStay) {
    // Typed in the answer window: Dana never posted; Adam's typed grade is replaced by what he posts.
    addAnswer(m_session, m_who, m_dana, m_adam);
    const qint64 typedGrade = addAnswer(m_session, m_grade, m_adam, m_b);

    // Adam's first post, Bára's post, then Adam corrects himself: another partner, the other letter and
    // another text; his second post does not answer the negative wording, so that answer of the first
    // post stays.
    const QByteArray first =
        posted(41, m_who, true, m_adam, m_bara) + posted(41, m_who, true, m_adam, m_cyril) +
        posted(41, m_who, false, m_adam, m_dana) + posted(41, m_grade, true, m_adam, m_a) +
        posted(41, m_text, true, m_adam, -1, "\"první| text\"");
    const QByteArray bara = posted(530, m_who, true, m_bara, m_adam);
    const QByteArray second = posted(612, m_who, true, m_adam, m_dana) +
                              posted(612, m_grade, true, m_adam, m_b) +
                              posted(612, m_text, true, m_adam, -1, "\"druhý\"");
    const ResultImport::Counts counts = import(answerFile(first + bara + second));

    EXPECT_EQ(counts.read, 9);
    EXPECT_EQ(counts.rejected, 0) << counts.problems.join('\n').toStdString();
    EXPECT_EQ(answers(m_session), sorted({row(m_who, false, m_adam, m_dana), row(m_who, true, m_adam, m_dana),
                                          row(m_who, true, m_bara, m_adam), row(m_who, true, m_dana, m_adam),
                                          row(m_grade, true, m_adam, m_b),
                                          row(m_text, true, m_adam, -1, QStringLiteral("druhý"))}));
    // The typed grade b) equals Adam's last one: kept as it was, not deleted and added again.
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_otazky = :q AND id_zaka = :z AND ID = :id",
                    {{"q", m_grade}, {"z", m_adam}, {"id", typedGrade}}),
              1);
    EXPECT_EQ(counts.added, 4);
    EXPECT_EQ(counts.replaced, 0);

    // The same file again changes nothing at all.
    const QStringList before = snapshot();
    const ResultImport::Counts again = import(answerFile(first + bara + second));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.replaced, 0);

    // A later post replaces what an earlier import stored.
    const QByteArray third = posted(700, m_grade, true, m_adam, m_a) +
                             posted(700, m_who, true, m_adam, m_cyril) +
                             posted(700, m_who, true, m_adam, m_bara);
    const ResultImport::Counts later = import(answerFile(first + bara + second + third));
    EXPECT_EQ(later.added, 3);
    EXPECT_EQ(later.replaced, 2);
    EXPECT_EQ(answers(m_session), sorted({row(m_who, false, m_adam, m_dana), row(m_who, true, m_adam, m_bara),
                                          row(m_who, true, m_adam, m_cyril), row(m_who, true, m_bara, m_adam),
                                          row(m_who, true, m_dana, m_adam), row(m_grade, true, m_adam, m_a),
                                          row(m_text, true, m_adam, -1, QStringLiteral("druhý"))}));
}

TEST_F(ResultImportTest, ALastPostThatFailsTheChecksChangesNothingAndAFailingStatementUndoesTheDeletions) {
    const qint64 typed = addAnswer(m_session, m_who, m_adam, m_bara);
    // The last post names a pupil of another class: rejected, and Adam's stored answer stays.
    const ResultImport::Counts counts = import(
        answerFile(posted(41, m_who, true, m_adam, m_cyril) + posted(90, m_who, true, m_adam, m_stranger)));
    EXPECT_EQ(counts.rejected, 1);
    ASSERT_EQ(counts.problems.size(), 1);
    EXPECT_TRUE(counts.problems[0].contains(QStringLiteral("nenabízí"))) << counts.problems[0].toStdString();
    EXPECT_EQ(answers(m_session), QStringList{row(m_who, true, m_adam, m_bara)});

    // The insert of the replacing answer fails: the deletion of the stored one is undone with it.
    m_db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON odpovedi WHEN NEW.id_partnera = %1 "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                  .arg(m_dana));
    const QStringList before = snapshot();
    EXPECT_THROW(import(answerFile(posted(41, m_who, true, m_adam, m_dana))), DatabaseError);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE ID = :id", {{"id", typed}}), 1);
}

TEST_F(ResultImportTest, TheAnswerFileAndAnOlderDataCsvAreToldApartLineByLine) {
    // The older collector's file: no guard, seven values, each answer added once beside the stored ones.
    const QByteArray older = QStringLiteral("%1,%2,1,%3,%4,2024-03-01 10:00:00,-\r\n"
                                            "%1,%2,1,%3,%5,2024-03-01 10:00:00,-\r\n"
                                            "%1,%2,1,%3,%4,2024-03-01 10:05:00,-")
                                 .arg(m_session)
                                 .arg(m_who)
                                 .arg(m_adam)
                                 .arg(m_bara)
                                 .arg(m_cyril)
                                 .toUtf8();
    const ResultImport::Parsed csv = parse(older);
    EXPECT_FALSE(csv.answerFile);
    ASSERT_EQ(csv.lines.size(), 3); // the last line needs no line end here
    EXPECT_EQ(csv.lines[0].post, -1);
    addAnswer(m_session, m_who, m_adam, m_dana);
    const ResultImport::Counts counts = import(older);
    EXPECT_EQ(counts.added, 2);
    EXPECT_EQ(counts.replaced, 0);
    EXPECT_EQ(answers(m_session), sorted({row(m_who, true, m_adam, m_bara), row(m_who, true, m_adam, m_cyril),
                                          row(m_who, true, m_adam, m_dana)}));

    // The answer file: the guard is no answer, a line without a post number is refused, and a last line
    // without its line end was still being written.
    const QByteArray written = posted(41, m_who, true, m_bara, m_adam);
    const QByteArray file = answerFile(
        written +
        QStringLiteral("%1,%2,1,%3,%4,t,-\r\n").arg(m_session).arg(m_who).arg(m_cyril).arg(m_adam).toUtf8() +
        posted(99, m_who, true, m_dana, m_adam).chopped(3));
    const ResultImport::Parsed parsed = parse("\xEF\xBB\xBF" + file);
    EXPECT_TRUE(parsed.answerFile);
    EXPECT_EQ(parsed.read, 3);
    ASSERT_EQ(parsed.lines.size(), 1);
    EXPECT_EQ(parsed.lines[0].post, 41);
    EXPECT_EQ(parsed.lines[0].fields[5], QStringLiteral("2024-03-01 10:41:00"));
    EXPECT_EQ(parsed.problems,
              (QStringList{QStringLiteral("řádek 3: chybí číslo odeslání"),
                           QStringLiteral("řádek 4: neúplný řádek (soubor se právě zapisoval)")}));
    // Outside the answer file, an eighth value that is no number leaves an older line.
    const ResultImport::Parsed mixed = parse(QStringLiteral("%1,%2,1,%3,%4,t,-,x\r\n%1,%2,1,%3,%4,t,-,7\r\n")
                                                 .arg(m_session)
                                                 .arg(m_who)
                                                 .arg(m_adam)
                                                 .arg(m_bara)
                                                 .toUtf8());
    ASSERT_EQ(mixed.lines.size(), 2);
    EXPECT_EQ(mixed.lines[0].post, -1);
    EXPECT_EQ(mixed.lines[1].post, 7);
}

} // namespace

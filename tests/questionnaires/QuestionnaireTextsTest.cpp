#include "data/DataFixture.h"

#include "questionnaires/QuestionnaireTexts.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

using Style = StyledLine::Style;

QStringList texts(const QList<StyledLine> &lines) {
    QStringList result;
    for (const StyledLine &line : lines)
        result << line.text;
    return result;
}

class QuestionnaireTextsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_test = addTest("Vztahy");
        // Questionnaire order and evaluation order differ; kinds 0, 1, NULL and 7.
        m_first = addQuestion(m_test, "S kým sedíš?", "S kým nechceš sedět?", 0, 1);
        m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = 3, popis_pro_web = 'Vyber tři', popis = 'Pro mě', "
                  "nadpis_nad = 'Třída' WHERE ID = :i",
                  {{"i", m_first}});
        m_second = addQuestion(m_test, "Kdo je \"nej\" v 'matice'?", QVariant(), 1, 2);
        m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = 1 WHERE ID = :i", {{"i", m_second}});
        m_third = addQuestion(m_test, "Bez typu", QVariant(), 0, 3);
        m_db.exec("UPDATE otazky SET typ = NULL, poradi_vyhodnoceni = 2 WHERE ID = :i", {{"i", m_third}});
        dm().Otazky_Query().setParameter("par_id_testu", m_test);
        ASSERT_TRUE(dm().RefreshDataset(dm().Otazky_Query()));
    }
    qint64 m_test = 0, m_first = 0, m_second = 0, m_third = 0;
};

TEST_F(QuestionnaireTextsTest, AssignmentPreviewNumbersQuestionsAndDrawsTheAnswerBoxesExactly) {
    const auto read = QuestionnaireTexts::assignmentPreview(m_db, m_test);
    ASSERT_TRUE(read);
    const QList<StyledLine> &lines = *read;
    EXPECT_EQ(texts(lines), QStringList({"1. S kým sedíš?", "Vyber tři", "",
                                         "[] Honzík    [] Peťa    [] Luboš     [] Vítek",
                                         "[] Anička    [] Irča    [] Lýdie     [] Pavlík", "[] Ludva", "", "",
                                         "2. Kdo je \"nej\" v 'matice'?", "[] a)     [] b)     [] c)     [] d)     [] e)",
                                         "", "", "3. Bez typu", "", ""}));
    EXPECT_EQ(lines[0].style, Style::Bold);
    EXPECT_EQ(lines[1].style, Style::Italic);
    EXPECT_EQ(lines[3].style, Style::Italic); // italic carries over to the boxes
    EXPECT_EQ(lines[9].style, Style::Bold);   // no description: the boxes stay bold
}

TEST_F(QuestionnaireTextsTest, EvaluationPreviewFollowsTheEvaluationOrderWithSampleResults) {
    const auto lines = QuestionnaireTexts::evaluationPreview(m_db, m_test);
    ASSERT_TRUE(lines);
    EXPECT_EQ(texts(*lines), QStringList({"Kdo je \"nej\" v 'matice'?", "a): 3", "b): 2", "c): 0", "d): 1", "e): 5", "", "",
                                         "Bez typu", "", "", "Třída", "", "S kým sedíš?", "Pro mě", "", "Honzík: 3",
                                         "Anička: 2", "Ludva: 0", "", ""}));
}

TEST_F(QuestionnaireTextsTest, QuestionPreviewAndTheSheet) {
    EXPECT_EQ(texts(QuestionnaireTexts::questionPreview(m_db, m_first).value_or(QList<StyledLine>())),
              QStringList({"Třída", "", "S kým sedíš?", "Pro mě", "", "Honzík: 3", "Anička: 2", "Ludva: 0"}));
    const auto sheet = QuestionnaireTexts::assignmentSheet(m_db, m_test).value_or(QList<StyledLine>());
    EXPECT_EQ(texts(sheet).mid(0, 13),
              QStringList({"Vztahy", "", "", "Jméno a příjmení: _______________________________________", "", "",
                           "Třída: _______________________________________", "", "",
                           "Odpověz prosím na následující otázky:", "", "", "1. S kým sedíš?"}));
    EXPECT_FALSE(texts(sheet).contains("[] Ludva")); // no answer boxes on the sheet
    EXPECT_EQ(sheet.size(), 12 + 3 + 4 + 1 + 4 + 1 + 4);

    QTextDocument document;
    QuestionnaireTexts::writeTo(document, sheet);
    EXPECT_EQ(document.blockCount(), sheet.size());
    EXPECT_TRUE(document.firstBlock().charFormat().font().bold());
    EXPECT_TRUE(document.findBlockByNumber(13).charFormat().font().italic());
}

TEST_F(QuestionnaireTextsTest, TextsReadByIdKeepTheirOwnOrderAndRefuseMissingIds) {
    Dataset &questions = dm().Otazky_Query();
    questions.setLastSqlLine("ORDER BY text_otazky COLLATE czech DESC"); // a title click in the window
    ASSERT_TRUE(questions.refresh());
    ASSERT_TRUE(questions.locate("ID", m_second));
    const auto lines = QuestionnaireTexts::assignmentPreview(m_db, m_test);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->value(0).text, QStringLiteral("1. S kým sedíš?")); // questionnaire order, not the window's
    EXPECT_EQ(questions.lastSqlLine(), QStringLiteral("ORDER BY text_otazky COLLATE czech DESC"));
    EXPECT_EQ(questions.value("ID").toLongLong(), m_second);

    QString reason;
    EXPECT_FALSE(QuestionnaireTexts::questionPreview(m_db, 99999, &reason));
    EXPECT_EQ(reason, QStringLiteral("Otázka s ID 99999 neexistuje."));
    using Read = std::optional<QList<StyledLine>> (*)(Database &, qint64, QString *);
    for (const Read read : {Read(&QuestionnaireTexts::assignmentPreview), Read(&QuestionnaireTexts::evaluationPreview),
                            Read(&QuestionnaireTexts::assignmentSheet)}) {
        reason.clear();
        EXPECT_FALSE(read(m_db, 99999, &reason));
        EXPECT_EQ(reason, QStringLiteral("Dotazník s ID 99999 neexistuje."));
    }
}

TEST(QuestionnaireKinds, LabelsAndUnknownKinds) {
    EXPECT_EQ(QuestionnaireTexts::kindLabel(0), QStringLiteral("základní"));
    EXPECT_EQ(QuestionnaireTexts::kindLabel(3), QStringLiteral("ano-ne"));
    EXPECT_EQ(QuestionnaireTexts::kindLabel(4), QStringLiteral("slovní"));
    EXPECT_EQ(QuestionnaireTexts::kindLabel(7), QStringLiteral("základní"));
    EXPECT_EQ(QuestionnaireTexts::kindLabel(QVariant()), QStringLiteral("základní"));
    QuestionText question;
    question.textOtazky = "Q";
    question.typ = 7;
    EXPECT_EQ(texts(QuestionnaireTexts::questionPreview(question)), QStringList({"Q", ""}));
}

} // namespace

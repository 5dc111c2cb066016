#include "DataFixture.h"

#include "support/ArchiveGenerator.h"

namespace {

using ArchiveGeneratorTest = DataFixture;

TEST_F(ArchiveGeneratorTest, WritesTheRequestedSizeConsistently) {
    ArchiveSize size;
    size.classes = 3;
    size.pupilsPerClass = 6;
    size.questionnaires = 2;
    size.questionsPerQuestionnaire = 4; // two classmate questions, one yes/no, one free text
    size.sessionsPerClass = 2;
    size.positiveChoices = 2;
    size.negativeChoices = 1;
    const ArchiveSummary summary = generateArchive(m_db, size);
    EXPECT_EQ(summary.classes, 3);
    EXPECT_EQ(summary.pupils, 18);
    EXPECT_EQ(summary.optionRows, 6);
    EXPECT_EQ(summary.questions, 8);
    EXPECT_EQ(summary.sessions, 6);
    // Per respondent and session: 2 questions × (2 + 1) + 1 + 1 answers.
    EXPECT_EQ(summary.answers, 6 * 6 * 8);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), summary.answers);
    EXPECT_EQ(count("SELECT count(*) FROM zak WHERE pohlavi IN ('muž', 'žena')"), 18);
    // Nobody chooses himself, every choice stays in the class of the session, every session has a
    // questionnaire.
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_zaka = id_partnera"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi o JOIN vyhodnoceni v ON v.ID = o.id_vyhodnoceni "
                    "JOIN zak z ON z.ID = o.id_partnera WHERE z.id_tridy <> v.id_tridy"),
              0);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni WHERE id_testu NOT IN (SELECT ID FROM testy)"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_partnera = -1 AND slovy IS NOT NULL"), 6 * 6);
}

} // namespace

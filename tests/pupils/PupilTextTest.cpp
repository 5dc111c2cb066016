#include "pupils/NoteTemplate.h"
#include "pupils/PupilImportText.h"
#include "data/PupilKinds.h"
#include "data/TextOrder.h"
#include "pupils/RosterText.h"

#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

using Pupil = PupilImportText::Pupil;

TEST(PupilImportTextTest, LinesSplitIntoNameSurnameAndType) {
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Petr S. muž")), (Pupil{"Petr", "S.", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Anetka M. žena")), (Pupil{"Anetka", "M.", "žena"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Aleš - muž")), (Pupil{"Aleš", "-", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana")), (Pupil{"Jana", "", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral(" Jana Nová žena")),
              (Pupil{" Jana Nová žena", "", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana  Nová")), (Pupil{"Jana", " Nová", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová ŽENA")), (Pupil{"Jana", "Nová", "ŽENA"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová žena navíc")),
              (Pupil{"Jana", "Nová", "žena navíc"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana ")), (Pupil{"Jana", "", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová ")), (Pupil{"Jana", "Nová", "muž"}));
    EXPECT_FALSE(PupilImportText::splitLine(QStringLiteral("Jana")).prijmeni.isNull());
}

TEST(PupilImportTextTest, EmptyAndBlankLinesAreSkippedWhateverTheLineEnds) {
    const QList<Pupil> pupils = PupilImportText::parse(QStringLiteral("\r\nA a\r\n\r\n  \t\nB b žena\rC\n"));
    EXPECT_EQ(pupils, (QList<Pupil>{{"A", "a", "muž"}, {"B", "b", "žena"}, {"C", "", "muž"}}));
    EXPECT_TRUE(PupilImportText::parse(QString()).isEmpty());
}

TEST(RosterTextTest, PupilListHoldsRealPupilsOnlyWithCrLfAfterEachName) {
    QList<RosterEntry> rows = {{1, "ano", QVariant(), "ano-ne", 3},
                               {2, "Petr", "Novák", "muž", 1},
                               {3, "Jana", QVariant(), "žena", 2},
                               {4, "Nikdo", "X", QVariant(), 4},
                               {5, "---", QVariant(), "---", 5}};
    EXPECT_EQ(RosterText::pupilList(rows), QStringLiteral("Petr Novák\r\nJana \r\n"));
    rows.remove(1, 2);
    EXPECT_EQ(RosterText::pupilList(rows), QString());
    EXPECT_EQ(RosterText::pupilName(QStringLiteral("Eva"), QStringLiteral("Nová")),
              QStringLiteral("Eva Nová"));
}

TEST(RosterTextTest, TitleClickSortsDescendingFirstThenToggles) {
    QString line = QStringLiteral("ORDER BY poradi, jmeno COLLATE czech ASC");
    line = TextOrder::toggledOrderLine(line, QStringLiteral("pohlavi"));
    EXPECT_EQ(line, QStringLiteral("ORDER BY pohlavi COLLATE czech DESC"));
    line = TextOrder::toggledOrderLine(line, QStringLiteral("pohlavi"));
    EXPECT_EQ(line, QStringLiteral("ORDER BY pohlavi COLLATE czech ASC"));
    EXPECT_EQ(TextOrder::toggledOrderLine(QStringLiteral("order by jmeno asc"), QStringLiteral("jmeno")),
              QStringLiteral("ORDER BY jmeno COLLATE czech ASC"));
    EXPECT_EQ(TextOrder::toggledOrderLine(line, QStringLiteral("jmeno; DROP TABLE zak")), QString());
}

TEST(PupilKindsTest, SurnameRuleAndKinds) {
    EXPECT_TRUE(PupilKinds::surnameMeansGirl(QStringLiteral("Nováková")));
    EXPECT_TRUE(PupilKinds::surnameMeansGirl(QStringLiteral("Novotná-Horová")));
    EXPECT_FALSE(PupilKinds::surnameMeansGirl(QStringLiteral("NOVÁKOVÁ")));
    EXPECT_TRUE(PupilKinds::surnameMeansGirl(QStringLiteral("Nováková Horá")));
    EXPECT_TRUE(PupilKinds::surnameMeansGirl(QStringLiteral("Nováková-Horá")));
    EXPECT_FALSE(PupilKinds::surnameMeansGirl(QStringLiteral("Novák")));
    EXPECT_FALSE(PupilKinds::surnameMeansGirl(QStringLiteral("Kovář")));
    EXPECT_TRUE(PupilKinds::isRealPupil(QStringLiteral("Žena")));
    EXPECT_FALSE(PupilKinds::isRealPupil(QVariant()));
    EXPECT_TRUE(PupilKinds::isOptionKind(QStringLiteral("ANO-NE")));
    EXPECT_FALSE(PupilKinds::isOptionKind(QStringLiteral("muž")));
}

TEST(NoteTemplateTest, TemplatesGoInFrontOfThePlainNote) {
    EXPECT_EQ(NoteTemplate::prepend(QStringLiteral("Pochvala"), QString()), QStringLiteral("Pochvala\r\n"));
    QString note = NoteTemplate::prepend(QStringLiteral("První"), QStringLiteral("Text"));
    note = NoteTemplate::prepend(QStringLiteral("Druhá"), note);
    EXPECT_EQ(note, QStringLiteral("Druhá\r\nPrvní\r\nText"));
}

TEST(NoteTemplateTest, AFormattedNoteKeepsItsFormattingBelowTheTemplate) {
    QTextDocument original;
    original.setHtml(QStringLiteral("<p>Jan <b>zlobí</b></p>"));
    const QString note = NoteTemplate::prepend(QStringLiteral("Šablona\r\nřádek 2"), original.toHtml());
    ASSERT_TRUE(NoteTemplate::isFormatted(note));
    QTextDocument result;
    result.setHtml(note);
    EXPECT_EQ(result.toPlainText(), QStringLiteral("Šablona\nřádek 2\nJan zlobí"));
    EXPECT_TRUE(note.contains(QStringLiteral("font-weight:700")) ||
                note.contains(QStringLiteral("font-weight:600")));
}

} // namespace

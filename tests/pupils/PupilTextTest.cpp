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
    // A line that opens with a blank is all first name; a surname that opens with one is all surname.
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral(" Jana Nová žena")),
              (Pupil{"Jana Nová žena", "", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana  Nová žena")),
              (Pupil{"Jana", "Nová žena", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová ŽENA")), (Pupil{"Jana", "Nová", "ŽENA"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová žena navíc")),
              (Pupil{"Jana", "Nová", "žena navíc"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana ")), (Pupil{"Jana", "", "muž"}));
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Jana Nová ")), (Pupil{"Jana", "Nová", "muž"}));
    EXPECT_FALSE(PupilImportText::splitLine(QStringLiteral("Jana")).prijmeni.isNull());
}

TEST(PupilImportTextTest, EmptyAndBlankLinesAreSkippedWhateverTheLineEnds) {
    PupilImportText::Tally tally;
    const QList<Pupil> pupils =
        PupilImportText::parse(QStringLiteral("\r\nA a\r\n\r\n  \t\nB b žena\rC\n"), &tally);
    EXPECT_EQ(pupils, (QList<Pupil>{{"A", "a", "muž"}, {"B", "b", "žena"}, {"C", "", "muž"}}));
    EXPECT_EQ(tally.skippedLines, 3);
    EXPECT_EQ(tally.cutNames, 0);
    EXPECT_TRUE(PupilImportText::parse(QString(), &tally).isEmpty());
    EXPECT_EQ(tally.skippedLines, 0);
    // The end of the text ends the last line; a final line end starts no further line.
    PupilImportText::parse(QStringLiteral("\n"), &tally);
    EXPECT_EQ(tally.skippedLines, 1);
    EXPECT_EQ(PupilImportText::parse(QStringLiteral("A\n\nB")),
              (QList<Pupil>{{"A", "", "muž"}, {"B", "", "muž"}}));
}

TEST(PupilImportTextTest, ControlCharactersAndSurroundingBlanksAreDropped) {
    PupilImportText::Tally tally;
    const QString text = QString::fromUtf8("Petr\0 Novak muz\n\0\0\0\n", 20);
    EXPECT_EQ(PupilImportText::parse(text, &tally), (QList<Pupil>{{"Petr", "Novak", "muz"}}));
    EXPECT_EQ(tally.skippedLines, 1);
    EXPECT_EQ(PupilImportText::splitLine(QStringLiteral("Eva\tMarie Nová\x7f \x01žena\x1b ")),
              (Pupil{"Eva Marie", "Nová", "žena"}));
    EXPECT_EQ(PupilImportText::splitLine(QString(QChar(0)) + QStringLiteral(" Novák žena")),
              (Pupil{"", "Novák", "žena"}));
    EXPECT_EQ(PupilImportText::parse(QStringLiteral("\x01\x02 \x03\t\n \x7f\r\n"), &tally), QList<Pupil>());
    EXPECT_EQ(tally.skippedLines, 2);
    const Pupil pupil = PupilImportText::splitLine(QStringLiteral("\x01"));
    EXPECT_EQ(pupil, (Pupil{"", "", "muž"}));
    EXPECT_FALSE(pupil.prijmeni.isNull());
}

TEST(PupilImportTextTest, NamesLongerThanTheColumnAreCutAndCounted) {
    const QString longName(300, u'a');
    bool cut = false;
    Pupil pupil =
        PupilImportText::splitLine(longName + u' ' + QString(256, u'b') + QStringLiteral(" muž"), &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(pupil.jmeno, QString(255, u'a'));
    EXPECT_EQ(pupil.prijmeni, QString(255, u'b'));
    EXPECT_EQ(pupil.pohlavi, QStringLiteral("muž"));
    // Exactly the column length, or longer only by blanks or control characters, is not cut.
    pupil =
        PupilImportText::splitLine(QString(255, u'c') + QString(400, QChar(0)) + QStringLiteral("   "), &cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(pupil.jmeno, QString(255, u'c'));
    // Control characters do not count: the letters after them still belong to the name.
    pupil = PupilImportText::splitLine(u'd' + QString(1000, QChar(1)) + QStringLiteral("ef Nová"), &cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(pupil, (Pupil{"def", "Nová", "muž"}));
    // Blanks inside a long field count, blanks at its end do not; a cut field keeps no blanks at its end.
    const QString type = QString(200, u'x') + QString(100, u' ');
    pupil = PupilImportText::splitLine(QStringLiteral("Jan Novák ") + type + QString(5000, u' '), &cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(pupil.pohlavi, QString(200, u'x'));
    pupil =
        PupilImportText::splitLine(QStringLiteral("Jan Novák ") + type + u'y' + QString(5000, u' '), &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(pupil.pohlavi, QString(200, u'x'));
    // A cut never splits a character outside the basic plane.
    const QString clef = QStringLiteral("\U0001D11E");
    pupil = PupilImportText::splitLine(QString(254, u'e') + clef + QStringLiteral("f"), &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(pupil.jmeno, QString(254, u'e'));

    PupilImportText::Tally tally;
    const QList<Pupil> pupils = PupilImportText::parse(
        longName + QStringLiteral("\nKrátký\n") + QStringLiteral("Jan ") + longName + u' ' + longName,
        &tally);
    EXPECT_EQ(pupils.size(), 3);
    EXPECT_EQ(tally.cutNames, 2); // pupils, not fields
    EXPECT_EQ(pupils.at(2).pohlavi, QString(255, u'a'));
}

// A reader over the text cut into pieces of `size` characters.
QList<Pupil> readInPieces(const QString &text, qsizetype size, PupilImportText::Tally *tally = nullptr) {
    qsizetype pos = 0;
    PupilListReader reader([&](QString &piece) {
        if (pos >= text.size())
            return false;
        piece = text.mid(pos, size);
        pos += size;
        return true;
    });
    QList<Pupil> pupils;
    Pupil pupil;
    while (reader.next(pupil))
        pupils.append(pupil);
    EXPECT_FALSE(reader.next(pupil)); // the end stays the end
    if (tally)
        *tally = reader.tally();
    return pupils;
}

TEST(PupilListReaderTest, PiecesOfAnySizeReadAsTheWholeText) {
    const QString text =
        QStringLiteral("\r\nAnna A. žena\r\n\r\nBořek\rCyril C.\n\x01\n  Dana D. žena\r\r\nEma");
    PupilImportText::Tally whole;
    const QList<Pupil> expected = PupilImportText::parse(text, &whole);
    ASSERT_EQ(expected.size(), 5);
    EXPECT_EQ(whole.skippedLines, 4);
    for (qsizetype size = 1; size <= text.size(); ++size) {
        SCOPED_TRACE(size);
        PupilImportText::Tally tally;
        EXPECT_EQ(readInPieces(text, size, &tally), expected);
        EXPECT_EQ(tally.skippedLines, whole.skippedLines);
    }
}

TEST(PupilListReaderTest, EmptyPiecesAndALongLineAreRead) {
    int calls = 0;
    PupilListReader reader([&](QString &piece) {
        ++calls;
        if (calls > 6)
            return false;
        piece = calls % 2 ? QString() : QStringLiteral("Jan Novák\n");
        return true;
    });
    Pupil pupil;
    int pupils = 0;
    while (reader.next(pupil))
        ++pupils;
    EXPECT_EQ(pupils, 3);

    // A line of a million characters: cut, and still one pupil.
    PupilImportText::Tally tally;
    const QList<Pupil> read = readInPieces(QString(1'000'000, u'z') + QStringLiteral(" Z\nY"), 4096, &tally);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read.at(0), (Pupil{QString(255, u'z'), "Z", "muž"}));
    EXPECT_EQ(tally.cutNames, 1);
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

#include "PupilsTestDatabase.h"

#include "platform/AppFolders.h"
#include "support/ScriptedPrompter.h"
#include "data/DataModule.h"
#include "data/ClassRoster.h"
#include "pupils/PupilImportText.h"

namespace {

using Set = OptionSet::Kind;

class ClassRosterTest : public PupilsTestDatabase {
protected:
    int kindCount(const QString &kind) {
        return m_db
            ->scalar(QStringLiteral("SELECT count(*) FROM zak WHERE id_tridy = :c AND pohlavi = :p"),
                     {{QStringLiteral("c"), m_classId}, {QStringLiteral("p"), kind}})
            .toInt();
    }
};

TEST_F(ClassRosterTest, EverySetRunTwiceAddsItsRowsOnce) {
    ClassRoster roster(*m_db, m_classId);
    EXPECT_EQ(roster.insertOptionSet(Set::Letters), 5);
    EXPECT_EQ(roster.insertOptionSet(Set::Letters), 0);
    EXPECT_EQ(kindCount(QStringLiteral("abcde")), 5);
    for (Set set : {Set::General, Set::YesNo, Set::Numbers}) {
        const int size = int(OptionSet::rows(set).size());
        EXPECT_EQ(roster.insertOptionSet(set), size);
        EXPECT_EQ(roster.insertOptionSet(set), 0);
        EXPECT_EQ(kindCount(OptionSet::marker(set)), size);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 21);
    // A single set does not renumber: the new rows have neither surname nor number.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE prijmeni IS NULL AND poradi IS NULL")),
              21);
}

TEST_F(ClassRosterTest, ExistingRowsMatchIgnoringCaseAndOnlyInTheirOwnClass) {
    const qint64 other = addClass(QStringLiteral("ZŠ Jiná"), QStringLiteral("6.B"));
    addRow(QStringLiteral("ANO"), QVariant(), QStringLiteral("ANO-NE"));
    addRow(QStringLiteral("ne"), QVariant(), QStringLiteral("ano-ne"), other);
    ClassRoster roster(*m_db, m_classId);
    EXPECT_EQ(roster.insertOptionSet(Set::YesNo), 1);
    EXPECT_EQ(rows(), QStringList({"ANO|∅|ANO-NE|∅", "ne|∅|ano-ne|∅"}));
    EXPECT_EQ(rows(other), QStringList({"ne|∅|ano-ne|∅"}));
}

TEST_F(ClassRosterTest, EverythingBelowOnAnEmptyClassGivesTwentyOneNumberedRows) {
    ClassRoster roster(*m_db, m_classId);
    EXPECT_EQ(roster.insertAllOptionSets(), 21);
    EXPECT_EQ(rows(), QStringList({"ano|∅|ano-ne|1",   "ne|∅|ano-ne|2",    "a)|∅|abcde|3",
                                   "b)|∅|abcde|4",     "c)|∅|abcde|5",     "d)|∅|abcde|6",
                                   "e)|∅|abcde|7",     "1|∅|12345|8",      "2|∅|12345|9",
                                   "3|∅|12345|10",     "4|∅|12345|11",     "5|∅|12345|12",
                                   "---|∅|---|13",     "holky|∅|---|14",   "já|∅|---|15",
                                   "kluci|∅|---|16",   "nevím|∅|---|17",   "nikdo|∅|---|18",
                                   "většina|∅|---|19", "všichni|∅|---|20", "všichni ostatní|∅|---|21"}));
    EXPECT_EQ(roster.insertAllOptionSets(), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 21);
}

TEST_F(ClassRosterTest, RenumberingPutsPupilsByFirstNameBeforeOptionRows) {
    addRow(QStringLiteral("ne"), QVariant(), QStringLiteral("ano-ne"));
    addRow(QStringLiteral("Eva"), QStringLiteral("Malá"), QStringLiteral("žena"));
    addRow(QStringLiteral("ano"), QVariant(), QStringLiteral("ano-ne"));
    addRow(QStringLiteral("Adam"), QStringLiteral("Velký"), QStringLiteral("muž"));
    addRow(QStringLiteral("Čeněk"), QStringLiteral("Zlý"), QStringLiteral("Muž"));
    addRow(QStringLiteral("Bez typu"), QStringLiteral("X"), QVariant());
    m_db->exec(QStringLiteral("UPDATE zak SET poradi = 77 WHERE pohlavi IS NULL"));
    ClassRoster(*m_db, m_classId).GenerovatPoradi();
    EXPECT_EQ(rows(), QStringList({"Adam|Velký|muž|1", "Čeněk|Zlý|Muž|2", "Eva|Malá|žena|3", "ano|∅|ano-ne|4",
                                   "ne|∅|ano-ne|5", "Bez typu|X|∅|77"}));
}

TEST_F(ClassRosterTest, RenumberingAgreesWithTheDataModule) {
    const qint64 other = addClass(QStringLiteral("ZŠ Jiná"), QStringLiteral("6.B"));
    for (qint64 c : {m_classId, other}) {
        for (const char *name : {"Žofie", "adam", "Ondřej", "Chrudoš", "Hana", "ivan", "Šimon"})
            addRow(QString::fromUtf8(name), QStringLiteral("P"), QStringLiteral("muž"), c);
        ClassRoster(*m_db, c).insertOptionSet(Set::General);
        ClassRoster(*m_db, c).insertOptionSet(Set::Numbers);
        ClassRoster(*m_db, c).insertOptionSet(Set::YesNo);
    }
    ClassRoster(*m_db, m_classId).GenerovatPoradi();

    ScriptedPrompter prompter;
    AppFolders folders;
    TDM dm(*m_db, folders, prompter);
    dm.openDatasets();
    ASSERT_TRUE(dm.Trida_Query().locate(QStringLiteral("ID"), other));
    dm.GenerovatPoradi();
    EXPECT_EQ(rows(m_classId), rows(other));
    EXPECT_TRUE(prompter.prompts().isEmpty());
}

TEST_F(ClassRosterTest, EntriesFollowTheRosterOrderWithUnnumberedRowsFirst) {
    addRow(QStringLiteral("Bára"), QStringLiteral("B"), QStringLiteral("žena"));
    addRow(QStringLiteral("Adam"), QStringLiteral("A"), QStringLiteral("muž"));
    ClassRoster roster(*m_db, m_classId);
    roster.GenerovatPoradi();
    roster.insertOptionSet(Set::YesNo);
    QStringList names;
    for (const RosterEntry &row : roster.entries())
        names << row.jmeno.toString();
    EXPECT_EQ(names, QStringList({"ano", "ne", "Adam", "Bára"}));
    EXPECT_TRUE(ClassRoster::exists(*m_db, m_classId));
    EXPECT_FALSE(ClassRoster::exists(*m_db, m_classId + 100));
}

TEST_F(ClassRosterTest, ImportStoresRowsAsTypedAndNumbersPupilsBeforeOptions) {
    ClassRoster roster(*m_db, m_classId);
    roster.insertOptionSet(Set::YesNo);
    const QString text =
        QStringLiteral("Petr S. muž\r\nAnetka M. žena\r\n\r\nAleš - muž\nJana\n Karel Novák\n"
                       "Ota  Svoboda žena\nZdena O'Hara Žena\n   \nHugo Mrkvička kluk z 5.A\n");
    EXPECT_EQ(roster.importPupils(PupilImportText::parse(text)), 8);
    EXPECT_EQ(rows(),
              QStringList({" Karel Novák||muž|1", "Aleš|-|muž|2", "Anetka|M.|žena|3",
                           "Hugo|Mrkvička|kluk z 5.A|4", "Jana||muž|5", "Ota| Svoboda žena|muž|6",
                           "Petr|S.|muž|7", "Zdena|O'Hara|Žena|8", "ano|∅|ano-ne|9", "ne|∅|ano-ne|10"}));
    // The same text again adds every pupil again.
    EXPECT_EQ(roster.importPupils(PupilImportText::parse(text)), 8);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE jmeno = 'Petr'")), 2);
}

TEST_F(ClassRosterTest, AFailingImportLeavesNoRows) {
    addRow(QStringLiteral("Věra"), QStringLiteral("V"), QStringLiteral("žena"));
    m_db->exec(QStringLiteral("CREATE TRIGGER no_chyba BEFORE INSERT ON zak WHEN NEW.jmeno = 'Chyba' "
                              "BEGIN SELECT RAISE(ABORT, 'řádek odmítnut'); END"));
    ClassRoster roster(*m_db, m_classId);
    EXPECT_THROW(roster.importPupils(PupilImportText::parse(QStringLiteral("Anna A.\nChyba B.\nPetr P."))),
                 DatabaseError);
    EXPECT_EQ(rows(), QStringList({"Věra|V|žena|∅"}));

    // A failure while renumbering undoes the inserted rows as well.
    m_db->exec(QStringLiteral("CREATE TRIGGER no_number BEFORE UPDATE OF poradi ON zak WHEN NEW.poradi = 2 "
                              "BEGIN SELECT RAISE(ABORT, 'číslo odmítnuto'); END"));
    EXPECT_THROW(roster.importPupils(PupilImportText::parse(QStringLiteral("Anna A.\nPetr P."))),
                 DatabaseError);
    EXPECT_THROW(roster.insertAllOptionSets(), DatabaseError);
    EXPECT_EQ(rows(), QStringList({"Věra|V|žena|∅"}));
    // The connection is usable afterwards.
    EXPECT_EQ(roster.insertOptionSet(Set::YesNo), 2);
}

} // namespace

#include "PupilsTestDatabase.h"

#include "data/ClassRoster.h"
#include "data/DataModule.h"
#include "data/PupilKinds.h"
#include "data/TextOrder.h"
#include "platform/AppFolders.h"
#include "pupils/PupilImportText.h"
#include "support/ScriptedPrompter.h"

#include <QRandomGenerator>
#include <algorithm>
#include <stdexcept>

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
              QStringList({"Aleš|-|muž|1", "Anetka|M.|žena|2", "Hugo|Mrkvička|kluk z 5.A|3", "Jana||muž|4",
                           "Karel Novák||muž|5", "Ota|Svoboda žena|muž|6", "Petr|S.|muž|7",
                           "Zdena|O'Hara|Žena|8", "ano|∅|ano-ne|9", "ne|∅|ano-ne|10"}));
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

// The numbering rule written out plainly over the rows in memory: real pupils and other typed rows by first
// name (Czech order ignoring case, rows without a name first, equal names by ID), then the answer-option
// rows; by kind (case-folded, descending) then name, or by name alone. Rows without a type keep their number.
QStringList expectedNumbering(const QList<RosterEntry> &rowsById, bool byKind) {
    auto byName = [](const RosterEntry &a, const RosterEntry &b) {
        if (a.jmeno.isNull() || b.jmeno.isNull())
            return a.jmeno.isNull() && !b.jmeno.isNull();
        return TextOrder::less(a.jmeno.toString(), b.jmeno.toString());
    };
    QList<RosterEntry> pupils, options, untyped;
    for (const RosterEntry &row : rowsById) {
        if (row.pohlavi.isNull())
            untyped << row;
        else
            (PupilKinds::isOptionKind(row.pohlavi) ? options : pupils) << row;
    }
    std::stable_sort(pupils.begin(), pupils.end(), byName);
    std::stable_sort(options.begin(), options.end(), byName);
    if (byKind)
        std::stable_sort(options.begin(), options.end(), [](const RosterEntry &a, const RosterEntry &b) {
            return a.pohlavi.toString().toCaseFolded() > b.pohlavi.toString().toCaseFolded();
        });
    QStringList numbered;
    int number = 1;
    for (const QList<RosterEntry> *group : {&pupils, &options})
        for (const RosterEntry &row : *group)
            numbered << QStringLiteral("%1=%2").arg(row.id).arg(number++);
    for (const RosterEntry &row : untyped)
        numbered << QStringLiteral("%1=%2").arg(row.id).arg(row.poradi.isNull() ? QStringLiteral("∅")
                                                                                : row.poradi.toString());
    numbered.sort();
    return numbered;
}

TEST_F(ClassRosterTest, RenumberingFollowsTheRuleOnMixedRows) {
    const QVariant names[] = {QVariant(),
                              QStringLiteral(""),
                              QStringLiteral("Adam"),
                              QStringLiteral("adam"),
                              QStringLiteral("ADAM"),
                              QStringLiteral("Čeněk"),
                              QStringLiteral("Cenek"),
                              QStringLiteral("Chrudoš"),
                              QStringLiteral("Hana"),
                              QStringLiteral("ano"),
                              QStringLiteral("ne"),
                              QStringLiteral("a"),
                              QStringLiteral("1"),
                              QStringLiteral("Žofie"),
                              QStringLiteral("zofie"),
                              QStringLiteral("Šimon")};
    const QVariant kinds[] = {QVariant(),
                              QStringLiteral("muž"),
                              QStringLiteral("Žena"),
                              QStringLiteral("kluk"),
                              QStringLiteral("ano-ne"),
                              QStringLiteral("ANO-NE"),
                              QStringLiteral("abcde"),
                              QStringLiteral("AbCdE"),
                              QStringLiteral("12345"),
                              QStringLiteral("---"),
                              QStringLiteral("")};
    const QVariant numbers[] = {QVariant(), 1, 2, 7, 300, QStringLiteral("x")};
    QRandomGenerator random(7);
    Transaction rowsAtOnce(*m_db);
    for (int i = 0; i < 400; ++i) {
        const qint64 id =
            addRow(QString(), QStringLiteral("P"), kinds[random.bounded(int(std::size(kinds)))]);
        m_db->exec(QStringLiteral("UPDATE zak SET jmeno = :j, poradi = :n WHERE ID = :id"),
                   {{QStringLiteral("j"), names[random.bounded(int(std::size(names)))]},
                    {QStringLiteral("n"), numbers[random.bounded(int(std::size(numbers)))]},
                    {QStringLiteral("id"), id}});
    }
    rowsAtOnce.commit();
    auto rowsById = [&] {
        QList<RosterEntry> rows = ClassRoster(*m_db, m_classId).entries();
        std::sort(rows.begin(), rows.end(),
                  [](const RosterEntry &a, const RosterEntry &b) { return a.id < b.id; });
        return rows;
    };
    auto numbering = [&] {
        QStringList numbered;
        for (const RosterEntry &row : rowsById())
            numbered << QStringLiteral("%1=%2").arg(row.id).arg(row.poradi.isNull() ? QStringLiteral("∅")
                                                                                    : row.poradi.toString());
        numbered.sort();
        return numbered;
    };
    for (const bool byKind : {true, false, true}) {
        const QStringList expected = expectedNumbering(rowsById(), byKind);
        ClassRoster roster(*m_db, m_classId);
        byKind ? roster.GenerovatPoradi() : roster.renumberByName();
        EXPECT_EQ(numbering().join(u' ').toStdString(), expected.join(u' ').toStdString());
    }
}

TEST_F(ClassRosterTest, PupilsFromASourceGoInBatchesAsTheyCome) {
    ClassRoster roster(*m_db, m_classId);
    roster.insertOptionSet(Set::YesNo);
    int handedOut = 0;
    int storedWhileReading = 0;
    const qint64 added = roster.importPupils([&](NewPupil &pupil) {
        if (handedOut == 250)
            return false;
        if (handedOut == 200) // the same connection sees the rows of its open transaction
            storedWhileReading = count(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi = 'žena'"));
        pupil = {QStringLiteral("Žákyně %1").arg(handedOut, 3, 10, QChar(u'0')), QStringLiteral("Nová"),
                 QStringLiteral("žena")};
        ++handedOut;
        return true;
    });
    EXPECT_EQ(added, 250);
    EXPECT_GE(storedWhileReading, 100);
    EXPECT_LE(storedWhileReading, 200);
    EXPECT_EQ(
        count(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi = 'žena' AND poradi BETWEEN 1 AND 250")),
        250);
    EXPECT_EQ(count(QStringLiteral("SELECT poradi FROM zak WHERE jmeno = 'Žákyně 249'")), 250);
    EXPECT_EQ(count(QStringLiteral("SELECT poradi FROM zak WHERE jmeno = 'ne'")), 252);
    EXPECT_EQ(roster.importPupils([](NewPupil &) { return false; }), 0);
}

TEST_F(ClassRosterTest, AFailingSourceUndoesEveryBatch) {
    addRow(QStringLiteral("Věra"), QStringLiteral("V"), QStringLiteral("žena"));
    ClassRoster roster(*m_db, m_classId);
    int handedOut = 0;
    EXPECT_THROW(roster.importPupils([&](NewPupil &pupil) {
        if (handedOut == 350)
            throw std::runtime_error("čtení selhalo");
        pupil = {QStringLiteral("Petr"), QStringLiteral("%1").arg(handedOut++), QStringLiteral("muž")};
        return true;
    }),
                 std::runtime_error);
    EXPECT_EQ(rows(), QStringList({"Věra|V|žena|∅"}));
    EXPECT_EQ(roster.importPupils(PupilImportText::parse(QStringLiteral("Anna"))), 1);
}

} // namespace

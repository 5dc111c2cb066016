// Czech text order and equality, in new databases and in databases made by the previous release (the
// collation declared on the text columns, removed when the program opens the file): either way the
// statements themselves ask for the Czech order.
#include "DataFixture.h"

#include "data/TextOrder.h"

namespace {

const QStringList kUnsorted = {"Běh", "Chování", "Hra", "Zdraví", "abeceda", "Čtení"};
const QStringList kCzech = {"abeceda", "Běh", "Čtení", "Hra", "Chování", "Zdraví"};

class TextOrderTest : public DataFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        if (GetParam())
            recreateAsPreviousRelease();
    }

    // The same tables as the previous release made them, the collation declared on the text columns;
    // then opened as the program opens a file.
    void recreateAsPreviousRelease() {
        QStringList statements;
        {
            SqlQuery query(m_db,
                           "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite%'");
            query.exec();
            while (query.next())
                statements << query.value(0)
                                  .toString()
                                  .replace("VARCHAR(255)", "VARCHAR(255) COLLATE czech")
                                  .replace(" TEXT", " TEXT COLLATE czech");
        }
        m_db.close();
        const QString path = m_folders.dataFolder + "stara.mdb";
        m_db.create(path, false);
        for (const QString &statement : std::as_const(statements))
            m_db.exec(statement);
        ASSERT_GT(m_db.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%COLLATE czech%'").toInt(), 8);
        m_db.close();
        m_db.open(path);
        ASSERT_EQ(m_db.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%COLLATE%'").toInt(), 0);
    }

    static QStringList column(Dataset &ds, const char *field) {
        QStringList list;
        for (int row = 0; row < ds.recordCount(); ++row)
            list << ds.value(row, ds.fieldIndex(field)).toString();
        return list;
    }
};

TEST_P(TextOrderTest, QuestionnairesClassesAndPupilsSortInCzechOrder) {
    const qint64 classId = addClass("ZŠ", "1.A", "U");
    for (const QString &name : kUnsorted) {
        addTest(name);
        addClass(name, "2.B", "V");
        addPupil(classId, name, QVariant(), "muž", 1); // equal order numbers: the names decide
    }
    dm().openDatasets();
    EXPECT_EQ(column(dm().Testy_Query(), "nazev_testu"), kCzech);

    dm().sortClassGrid("skola");
    EXPECT_EQ(column(dm().Trida_Query(), "skola").mid(0, 6), kCzech);

    dm().Zak_Query().setParameter("par_id_tridy", classId);
    dm().Zak_Query().setParameter("par_vse", 0);
    ASSERT_TRUE(dm().RefreshDataset(dm().Zak_Query()));
    EXPECT_EQ(column(dm().Zak_Query(), "jmeno"), kCzech);
}

TEST_P(TextOrderTest, NamesMatchIgnoringCaseButNotDiacritics) {
    addTest("Hra");
    addTest("Čtení");
    const QString equal = "SELECT count(*) FROM testy WHERE nazev_testu = :n COLLATE czech";
    EXPECT_EQ(m_db.scalar(equal, {{"n", "hra"}}).toInt(), 1);
    EXPECT_EQ(m_db.scalar(equal, {{"n", "HRA"}}).toInt(), 1);
    EXPECT_EQ(m_db.scalar(equal, {{"n", "čtení"}}).toInt(), 1);
    EXPECT_EQ(m_db.scalar(equal, {{"n", "Cteni"}}).toInt(), 0);

    dm().openDatasets();
    EXPECT_TRUE(dm().Testy_Query().locate("nazev_testu", "hra"));
    EXPECT_EQ(dm().Testy_Query().text("nazev_testu"), QStringLiteral("Hra"));
    EXPECT_FALSE(dm().Testy_Query().locate("nazev_testu", "Cteni"));
}

INSTANTIATE_TEST_SUITE_P(NewAndEarlierDatabases, TextOrderTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "EarlierDatabase" : "NewDatabase"; });

TEST(TextOrder, ChSortsAfterHAndCaseIsIgnored) {
    QStringList names = kUnsorted;
    std::sort(names.begin(), names.end(), TextOrder::less);
    EXPECT_EQ(names, kCzech);
    EXPECT_EQ(TextOrder::compare(u"Hra", u"hRA"), 0);
    EXPECT_LT(TextOrder::compare(u"Cteni", u"Čtení"), 0);
}

} // namespace

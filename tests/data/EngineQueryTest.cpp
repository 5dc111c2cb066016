// Reads on the engine's own handle give what the same statement gives through QtSql.
#include "data/EngineQuery.h"
#include "data/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class EngineQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_db.create(m_dir.filePath(QStringLiteral("skola.mdb")));
    }
    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("engine-query")};
};

TEST_F(EngineQueryTest, ValuesAndBoundParametersAreThoseOfQtSql) {
    const QString sql =
        QStringLiteral("SELECT :cele AS cele, :pravda, :cislo, :text, :prazdny, :nic, NULL, x'00ff', "
                       "'žluťoučký kůň', :cele + 1, "
                       "typeof(:cele), typeof(:pravda), typeof(:cislo), typeof(:text), typeof(:nic)");
    const QVariantMap values = {
        {"cele", qint64(1) << 40},         {"pravda", true},         {"cislo", 2.5},
        {"text", QStringLiteral("Čeněk")}, {"prazdny", QString("")}, {"nic", QVariant()}};
    SqlQuery qt(m_db, sql);
    EngineQuery engine(m_db, sql);
    for (auto it = values.begin(); it != values.end(); ++it) {
        qt.bind(it.key(), it.value());
        engine.bind(it.key(), it.value());
    }
    engine.bind(QStringLiteral("neni"), 7); // a name the statement does not have changes nothing
    qt.exec();
    ASSERT_TRUE(qt.next());
    ASSERT_TRUE(engine.next());
    ASSERT_EQ(engine.columnCount(), qt.record().count());
    for (int i = 0; i < engine.columnCount(); ++i) {
        const QVariant expected = qt.value(i), got = engine.value(i);
        EXPECT_EQ(got.metaType(), expected.metaType()) << i;
        EXPECT_EQ(got.isNull(), expected.isNull()) << i;
        EXPECT_EQ(got, expected) << i << ' ' << got.toString().toStdString();
        EXPECT_EQ(engine.isNull(i), expected.isNull()) << i;
        EXPECT_EQ(engine.integer(i), expected.toLongLong()) << i;
        if (expected.metaType().id() == QMetaType::QString) {
            EXPECT_EQ(engine.text(i), expected.toString()) << i;
        }
    }
    EXPECT_EQ(engine.text(10), "integer");
    EXPECT_EQ(engine.text(11), "integer"); // yes/no is stored as 1 or 0
    EXPECT_EQ(engine.text(13), "text");
    // NULL and an empty text stay apart.
    EXPECT_TRUE(engine.text(5).isNull());
    EXPECT_FALSE(engine.text(4).isNull());
    EXPECT_TRUE(engine.text(4).isEmpty());
    EXPECT_FALSE(engine.next());
}

TEST_F(EngineQueryTest, ColumnsAreFoundByNameIgnoringCaseFirstOfEqualNames) {
    EngineQuery query(m_db, QStringLiteral("SELECT 1 AS a, 2 AS \"druha_tabulka.id_otazky\", 3 AS A"));
    EXPECT_EQ(query.column(QStringLiteral("A")), 0);
    EXPECT_EQ(query.column(QStringLiteral("DRUHA_tabulka.id_otazky")), 1);
    EXPECT_EQ(query.column(QStringLiteral("b")), -1);
}

TEST_F(EngineQueryTest, FailuresRaiseTheExplainedError) {
    try {
        EngineQuery query(m_db, QStringLiteral("SELECT * FROM neni_tabulka"));
        FAIL() << "a statement on a missing table was prepared";
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("no such table: neni_tabulka"));
        EXPECT_FALSE(error.explainsItself());
    }
    // A failure while stepping ends the read with the error instead of with fewer rows.
    EngineQuery query(m_db, QStringLiteral("SELECT abs(-9223372036854775807 - :x)"));
    query.bind(QStringLiteral("x"), 1);
    EXPECT_THROW(query.next(), DatabaseError);

    Database closed(QStringLiteral("engine-query-closed"));
    EXPECT_THROW(EngineQuery(closed, QStringLiteral("SELECT 1")), DatabaseError);
}

TEST_F(EngineQueryTest, ADamagedPageIsReportedAsADamagedFile) {
    {
        Transaction rows(m_db);
        for (int i = 0; i < 2000; ++i)
            m_db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES (:n)"),
                      {{QStringLiteral("n"), QString(200, u'x')}});
        rows.commit();
    }
    const qint64 pageSize = m_db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    const qint64 page =
        m_db.scalar(
                QStringLiteral("SELECT max(pageno) FROM dbstat WHERE name = 'testy' AND pagetype = 'leaf'"))
            .toLongLong();
    const QString file = m_db.filePath();
    m_db.close();
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((page - 1) * pageSize);
        f.write(QByteArray(int(pageSize), '\0'));
    }
    m_db.open(file);
    EngineQuery query(m_db, QStringLiteral("SELECT nazev_testu FROM testy ORDER BY ID"));
    try {
        while (query.next()) {
        }
        FAIL() << "the damaged page was read as the end of the rows";
    } catch (const DatabaseError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("je poškozený")))
            << error.message().toStdString();
        EXPECT_TRUE(error.explainsItself());
    }
}

} // namespace

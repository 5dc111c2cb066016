#include "widgets/DatasetFieldBinder.h"
#include "support/ScriptedPrompter.h"
#include "data/Database.h"
#include "data/Dataset.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace {


class DatasetFieldBinderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_db.create(m_dir.filePath(QStringLiteral("skola.mdb")));
        m_db.exec(QStringLiteral("INSERT INTO poznamky (id_zaka, datum, nazev, poznamka) VALUES "
                                 "(1, '2024-05-06 14:30:00', 'První', 'řádek 1\nřádek 2'), (1, NULL, NULL, NULL)"));
        m_db.exec(QStringLiteral("INSERT INTO zak (jmeno, pohlavi) VALUES ('Eva', 'žena')"));
        m_notes = std::make_unique<Dataset>(m_db, m_prompter, QStringLiteral("Poznamky_Query"));
        m_notes->setSql({QStringLiteral("SELECT * FROM poznamky"), QStringLiteral("ORDER BY ID")});
        m_notes->setBaseTable(QStringLiteral("poznamky"));
        m_notes->open();
    }
    void TearDown() override
    {
        m_notes.reset();
        m_db.close();
    }

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("binder_test")};
    ScriptedPrompter m_prompter;
    std::unique_ptr<Dataset> m_notes;
};

TEST_F(DatasetFieldBinderTest, FieldsShowTheCurrentRowAndAcceptInputOnlyWhileEditing)
{
    QLineEdit title;
    QPlainTextEdit text;
    QDateEdit date;
    DatasetFieldBinder binder(m_notes.get());
    binder.bind(&title, QStringLiteral("nazev"));
    binder.bind(&text, QStringLiteral("poznamka"));
    binder.bind(&date, QStringLiteral("datum"));
    EXPECT_EQ(title.text(), QStringLiteral("První"));
    EXPECT_EQ(text.toPlainText(), QStringLiteral("řádek 1\nřádek 2"));
    EXPECT_EQ(date.date(), QDate(2024, 5, 6));
    EXPECT_EQ(date.displayFormat(), QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(title.isReadOnly());
    EXPECT_TRUE(text.isReadOnly());
    EXPECT_TRUE(date.isReadOnly());

    // NULLs show empty; the date picker shows its blank value.
    m_notes->next();
    EXPECT_TRUE(title.text().isEmpty());
    EXPECT_TRUE(text.toPlainText().isEmpty());
    EXPECT_EQ(date.text().trimmed(), QString());

    m_notes->first();
    ASSERT_TRUE(m_notes->edit());
    EXPECT_FALSE(title.isReadOnly());
    QTest::keyClick(&title, Qt::Key_End);
    QTest::keyClicks(&title, "X");
    EXPECT_EQ(m_notes->text(QStringLiteral("nazev")), QStringLiteral("PrvníX"));
    text.setPlainText(QString());
    date.setDate(QDate(2025, 1, 31));
    ASSERT_TRUE(m_notes->post());
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT nazev FROM poznamky WHERE ID = 1")).toString(), QStringLiteral("PrvníX"));
    // An emptied text is NULL; the picker changed the day and kept the time.
    EXPECT_TRUE(m_db.scalar(QStringLiteral("SELECT poznamka FROM poznamky WHERE ID = 1")).isNull());
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT datum FROM poznamky WHERE ID = 1")).toString(),
              QStringLiteral("2025-01-31 14:30:00"));
    EXPECT_TRUE(title.isReadOnly());

    // Input while browsing does not reach the dataset.
    title.setReadOnly(false);
    QTest::keyClicks(&title, "Y");
    EXPECT_EQ(m_notes->text(QStringLiteral("nazev")), QStringLiteral("PrvníX"));
}

TEST_F(DatasetFieldBinderTest, ComboBoxFollowsAndWritesItsText)
{
    Dataset pupils(m_db, m_prompter, QStringLiteral("Zak_Query"));
    pupils.setSql({QStringLiteral("SELECT * FROM zak")});
    pupils.setBaseTable(QStringLiteral("zak"));
    pupils.open();
    QComboBox kind;
    kind.addItems({QStringLiteral("muž"), QStringLiteral("žena"), QStringLiteral("---")});
    DatasetFieldBinder binder(&pupils);
    binder.bind(&kind, QStringLiteral("pohlavi"));
    EXPECT_EQ(kind.currentText(), QStringLiteral("žena"));
    EXPECT_FALSE(kind.isEnabled());
    ASSERT_TRUE(pupils.edit());
    EXPECT_TRUE(kind.isEnabled());
    kind.setCurrentIndex(2);
    ASSERT_TRUE(pupils.post());
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT pohlavi FROM zak")).toString(), QStringLiteral("---"));
    // Cancelling shows the stored value again.
    ASSERT_TRUE(pupils.edit());
    kind.setCurrentIndex(0);
    pupils.cancel();
    EXPECT_EQ(kind.currentText(), QStringLiteral("---"));
}

} // namespace

#include "widgets/DBNavigator.h"
#include "support/ScriptedPrompter.h"
#include "data/Database.h"
#include "data/Dataset.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {


class DBNavigatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_db.create(m_dir.filePath(QStringLiteral("skola.mdb")));
        for (int i = 1; i <= 10; ++i)
            m_db.exec(QStringLiteral("INSERT INTO trida (skola, stupen) VALUES (:s, :t)"),
                      {{QStringLiteral("s"), QStringLiteral("Škola %1").arg(i)}, {QStringLiteral("t"), QString::number(i)}});
        m_dataset = std::make_unique<Dataset>(m_db, m_prompter, QStringLiteral("Trida_Query"));
        m_dataset->setSql({QStringLiteral("SELECT trida.* FROM trida"), QStringLiteral("ORDER BY ID ASC")});
        m_dataset->setBaseTable(QStringLiteral("trida"));
        m_dataset->open();
        m_nav.setDataset(m_dataset.get());
    }
    void TearDown() override
    {
        m_nav.setDataset(nullptr);
        m_dataset.reset();
        m_db.close();
    }
    QToolButton *button(TDBNavigator::Button b) const { return m_nav.button(b); }
    QList<bool> enabled() const
    {
        QList<bool> states;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            states << button(TDBNavigator::Button(i))->isEnabled();
        return states;
    }

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("navigator_test")};
    ScriptedPrompter m_prompter;
    std::unique_ptr<Dataset> m_dataset;
    TDBNavigator m_nav;
};

TEST_F(DBNavigatorTest, DecorationSetsCaptionsPicturesAndTheInsertCaption)
{
    const QList<QIcon> pictures = navigatorPictures();
    ASSERT_EQ(pictures.size(), 10);
    EXPECT_EQ(pictures[0].availableSizes().value(0), QSize(22, 22));
    DecorateNavigator(&m_nav, pictures, QStringLiteral("Nová třída"), true);
    const QStringList expected{"První", "Předchozí", "Další", "Poslední", "Nová třída",
                               "Smazat", "Upravit",  "Uložit", "Neukládat", "Obnovit"};
    for (int i = 0; i < 10; ++i) {
        QToolButton *b = button(TDBNavigator::Button(i));
        EXPECT_EQ(b->text(), expected[i]);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }
    // Without pictures and without an insert caption: the table's captions, no picture.
    DecorateNavigator(&m_nav, pictures, QString(), false);
    EXPECT_EQ(button(TDBNavigator::Insert)->text(), QStringLiteral("Nový"));
    EXPECT_TRUE(button(TDBNavigator::First)->icon().isNull());
    EXPECT_EQ(m_nav.findChild<QToolButton *>(QStringLiteral("Refresh")), button(TDBNavigator::Refresh));
}

TEST_F(DBNavigatorTest, ButtonsFollowTheDatasetState)
{
    using B = TDBNavigator::Button;
    // First row: no moving back; browsing allows insert, delete, edit, refresh.
    EXPECT_EQ(enabled(), QList<bool>({false, false, true, true, true, true, true, false, false, true}));
    m_nav.click(B::Last);
    EXPECT_EQ(m_dataset->currentRow(), 9);
    EXPECT_EQ(enabled(), QList<bool>({true, true, false, false, true, true, true, false, false, true}));
    m_nav.click(B::Edit);
    EXPECT_EQ(m_dataset->state(), Dataset::State::Edit);
    EXPECT_EQ(enabled(), QList<bool>({true, true, false, false, false, false, false, true, true, false}));
    m_dataset->setValue(QStringLiteral("stupen"), QStringLiteral("X"));
    m_nav.click(B::Cancel);
    EXPECT_EQ(m_dataset->state(), Dataset::State::Browse);
    EXPECT_EQ(m_dataset->text(QStringLiteral("stupen")), QStringLiteral("10"));

    m_dataset->close();
    EXPECT_EQ(enabled(), QList<bool>(10, false));

    // An empty dataset offers only insert and refresh.
    m_db.exec(QStringLiteral("DELETE FROM trida"));
    m_dataset->open();
    EXPECT_EQ(enabled(), QList<bool>({false, false, false, false, true, false, false, false, false, true}));
}

TEST_F(DBNavigatorTest, InsertPostAndDeleteGoThroughTheDataset)
{
    using B = TDBNavigator::Button;
    QList<B> clicked;
    QObject::connect(&m_nav, &TDBNavigator::clicked, [&](B b) { clicked << b; });
    m_nav.click(B::Insert);
    ASSERT_EQ(m_dataset->state(), Dataset::State::Insert);
    m_dataset->setValue(QStringLiteral("skola"), QStringLiteral("Nová"));
    QTest::mouseClick(button(B::Post), Qt::LeftButton);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 11);

    // A window may veto a button; the delete confirmation is asked only when one is set.
    m_nav.setBeforeAction([](B b) { return b != B::Delete; });
    m_nav.click(B::Delete);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 11);
    m_nav.setBeforeAction({});
    int asked = 0;
    m_nav.setDeleteConfirmation([&] { ++asked; return false; });
    m_nav.click(B::Delete);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 11);
    m_nav.setDeleteConfirmation({});
    m_nav.click(B::Delete);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 10);
    EXPECT_EQ(clicked, QList<B>({B::Insert, B::Post, B::Delete, B::Delete}));
}

TEST_F(DBNavigatorTest, CtrlReleaseOnNextAndPriorMovesFiveMoreRows)
{
    using B = TDBNavigator::Button;
    // Undecorated navigators have no fast move.
    QTest::mouseClick(button(B::Next), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m_dataset->currentRow(), 1);

    DecorateNavigator(&m_nav, navigatorPictures(), QString(), true);
    DecorateNavigator(&m_nav, navigatorPictures(), QString(), true); // attached once only
    m_dataset->first();
    QTest::mouseClick(button(B::Next), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m_dataset->currentRow(), 6);
    QTest::mouseClick(button(B::Next), Qt::LeftButton);
    EXPECT_EQ(m_dataset->currentRow(), 7);
    QTest::mouseClick(button(B::Prior), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m_dataset->currentRow(), 1);
    // Near the end the move stops at the last row.
    m_dataset->setCurrentRow(7);
    QTest::mouseClick(button(B::Next), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(m_dataset->currentRow(), 9);
}

TEST_F(DBNavigatorTest, VisibleButtonsAndHints)
{
    using B = TDBNavigator::Button;
    m_nav.setVisibleButtons({B::Insert, B::Delete, B::Edit, B::Post, B::Cancel});
    EXPECT_EQ(m_nav.visibleButtons(), QList<B>({B::Insert, B::Delete, B::Edit, B::Post, B::Cancel}));
    m_nav.setHints({"", "", "", "", "Vložit - ctrl+ n", "Smazat"});
    EXPECT_EQ(button(B::Insert)->toolTip(), QStringLiteral("Vložit - ctrl+ n"));
    EXPECT_EQ(button(B::Delete)->toolTip(), QStringLiteral("Smazat"));
    EXPECT_FALSE(button(B::First)->toolTip().isEmpty());
}

} // namespace

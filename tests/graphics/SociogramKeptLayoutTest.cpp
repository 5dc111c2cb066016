// Keeping the layout of an earlier sociogram: the placing of new bubbles, lost-tie arrows against the
// arrangement, and the stored positions.
#include "SociogramFixture.h"

#include "graph/NodeShapes.h"
#include "graphics/SociogramKeptLayout.h"

namespace {

TGraphNode *bubble(GraphDocument &doc, const QString &name, const QPoint &at,
                   TColor colour = SociogramColors::Boy) {
    auto *node = doc.AddNode<TRectangularNode>(QRect(at, QSize(100, 50)));
    node->SetText(name);
    node->SetBrushColor(colour);
    return node;
}

} // namespace

TEST(SociogramKeptLayoutPlace, KeptBubblesTakeTheirPlacesAndNewOnesTheLeftmostColumnClearOfAll) {
    GraphDocument doc;
    TGraphNode *heading = doc.AddNode<TRectangularNode>(QRect(25, 30, 600, 30));
    QList<SociogramBubble> bubbles{{heading->ID(), 99}};
    for (int pupil = 1; pupil <= 6; ++pupil)
        bubbles.append({bubble(doc, QString::number(pupil), QPoint(50, 150))->ID(), pupil});
    // Pupils 1–3 were in the earlier sociogram, side by side; 4–6 are new. 99 names no bubble.
    const SociogramPositions earlier{
        {1, QPoint(50, 120)}, {2, QPoint(160, 125)}, {3, QPoint(270, 130)}, {99, QPoint(0, 0)}};
    SociogramKeptLayout::place(doc, bubbles, earlier);

    EXPECT_EQ(heading->Bounds(), QRect(25, 30, 600, 30));
    const auto at = [&](int pupil) {
        return static_cast<TGraphNode *>(doc.FindObjectByID(bubbles[pupil].nodeId))->Bounds();
    };
    EXPECT_EQ(at(1).topLeft(), QPoint(50, 120));
    EXPECT_EQ(at(3).topLeft(), QPoint(270, 130));
    // Each new one at its own height in the first column clear of the kept ones and of the new ones before
    // it.
    EXPECT_EQ(at(4).topLeft(), QPoint(380, 150));
    EXPECT_EQ(at(5).topLeft(), QPoint(490, 150));
    EXPECT_EQ(at(6).topLeft(), QPoint(600, 150));

    // The gap counts: 9 units below a kept bubble is too close, 10 is enough.
    GraphDocument gaps;
    const QList<SociogramBubble> pair{{bubble(gaps, "a", QPoint(50, 100))->ID(), 1},
                                      {bubble(gaps, "b", QPoint(50, 159))->ID(), 2},
                                      {bubble(gaps, "c", QPoint(50, 160))->ID(), 3}};
    SociogramKeptLayout::place(gaps, pair, {{1, QPoint(50, 100)}});
    EXPECT_EQ(static_cast<TGraphNode *>(gaps.FindObjectByID(pair[1].nodeId))->Left(), 160);
    EXPECT_EQ(static_cast<TGraphNode *>(gaps.FindObjectByID(pair[2].nodeId))->Left(), 50);
}

using SociogramLostTies = SociogramFixture;

TEST_F(SociogramLostTies, AreNoChoicesForTheArrangementAndComeOffAgain) {
    GraphDocument doc;
    TGraphNode *adam = bubble(doc, "Adam", QPoint(50, 300));
    TGraphNode *bob = bubble(doc, "Bob", QPoint(160, 300));
    TGraphNode *nobody = bubble(doc, "nikdo", QPoint(270, 300), SociogramColors::Option);
    doc.AddLink(bob, adam);
    // Pupil 7 has no bubble: no arrow.
    SociogramKeptLayout::showLostTies(doc, {{adam->ID(), 1}, {bob->ID(), 2}, {nobody->ID(), 3}},
                                      {{2, 1}, {1, 3}, {1, 7}});
    EXPECT_EQ(linkCount(doc), 3);
    // Koeficient 3: Adam's one real choice keeps him little-chosen, and the option bubble that only a lost
    // tie ends at goes, as without the lost ties.
    SociogramArrangement arrangement;
    arrangement.setChoice(3);
    arrangement.arrange(doc);
    EXPECT_LE(adam->Top(), 199);
    EXPECT_FALSE(node(doc, "nikdo"));
    EXPECT_TRUE(SociogramKeptLayout::showsLostTies(doc));
    SociogramKeptLayout::hideLostTies(doc);
    EXPECT_FALSE(SociogramKeptLayout::showsLostTies(doc));
    ASSERT_EQ(linkCount(doc), 1);
    EXPECT_TRUE(SociogramArrangement::isChoiceArrow(link(doc, "Bob", "Adam")));
}

using SociogramLayoutStore = SociogramFixture;

TEST_F(SociogramLayoutStore, StoringReplacesOneSociogramsPlacesWholeOrNotAtAll) {
    SociogramLayouts::store(m_db, m_session, m_question, true, {{1, QPoint(10, 20)}, {2, QPoint(30, 40)}});
    SociogramLayouts::store(m_db, m_session, m_question, false, {{1, QPoint(5, 6)}});
    SociogramLayouts::store(m_db, m_session, m_question, true, {{2, QPoint(31, 41)}, {3, QPoint(50, 60)}});
    EXPECT_EQ(SociogramLayouts::read(m_db, m_session, m_question, true),
              (SociogramPositions{{2, QPoint(31, 41)}, {3, QPoint(50, 60)}}));
    EXPECT_EQ(SociogramLayouts::read(m_db, m_session, m_question, false),
              (SociogramPositions{{1, QPoint(5, 6)}}));
    EXPECT_TRUE(SociogramLayouts::read(m_db, m_session, m_plainQuestion, true).isEmpty());

    // A write that fails part-way leaves the stored places as they were.
    m_db.exec("CREATE TRIGGER refuse BEFORE INSERT ON rozmisteni WHEN NEW.id_zaka = 9 BEGIN "
              "SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_THROW(
        SociogramLayouts::store(m_db, m_session, m_question, true, {{8, QPoint(1, 1)}, {9, QPoint(2, 2)}}),
        DatabaseError);
    EXPECT_EQ(SociogramLayouts::read(m_db, m_session, m_question, true).size(), 2);
}

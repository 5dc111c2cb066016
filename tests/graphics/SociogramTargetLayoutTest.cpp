// The target layout ("Uspořádat přehledně") against the bands, measured on the graph model's geometry.
#include "data/DataFixture.h"

#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramGeometry.h"
#include "graphics/SociogramLayouts.h"
#include "graphics/SociogramTargetLayout.h"
#include "support/ArchiveGenerator.h"
#include "support/DemoData.h"

#include <cmath>
#include <cstdio>

namespace {

using namespace SociogramGeometry;

SociogramQuestionKey firstQuestion(const SessionOutputData &session) {
    return {session.questionnaire.questions.first().id, true, true};
}

// Whether a point lies inside the ellipse of a ring's line around the centre.
bool inside(const QPointF &p, const SociogramTargetPlan &plan, int ring) {
    const QPointF d = p - plan.centre;
    const SociogramRing &r = plan.rings.at(ring);
    return std::pow(d.x() / r.a, 2) + std::pow(d.y() / r.b, 2) <= 1.0;
}

// The caption as shown, its lines joined again.
QString whole(const TGraphObject *object) {
    QStringList lines = object->DisplayLines();
    for (QString &line : lines)
        line = line.trimmed();
    return lines.join(u' ');
}

class TargetLayout : public DataFixture {
protected:
    SessionOutputData session(qint64 sessionId) {
        std::optional<SessionOutputData> data = readSessionOutput(m_db, sessionId);
        EXPECT_TRUE(data);
        return data.value_or(SessionOutputData());
    }
    // A generated class with three positive choices per pupil; its session.
    qint64 generatedClass(int pupils) {
        generateArchive(m_db, classSize(pupils, 3, 0));
        return m_db.scalar(QStringLiteral("SELECT ID FROM vyhodnoceni")).toLongLong();
    }
    void expectLegible(qint64 sessionId, const char *what) {
        const SessionOutputData data = session(sessionId);
        SociogramArrangement arrangement;
        GraphDocument bands, target;
        SociogramBuilder::draw(bands, data, firstQuestion(data), arrangement);
        SociogramBuilder::draw(target, data, firstQuestion(data), arrangement, SociogramLayout::Target);
        const Picture before = pictureOf(bands), after = pictureOf(target);
        const qint64 bandCrossings = crossings(before), targetCrossings = crossings(after);
        std::printf("%s: %lld arrows; crossings: bands %lld, target %lld; through bubbles: bands %d, target %d; "
                    "picture %d x %d\n",
                    what, qint64(after.arrows.size()), bandCrossings, targetCrossings, arrowsThroughBubbles(before),
                    arrowsThroughBubbles(after), GraphExport::PictureSize(target).width(),
                    GraphExport::PictureSize(target).height());
        ASSERT_EQ(after.arrows.size(), before.arrows.size());
        ASSERT_GT(after.arrows.size(), 0);
        EXPECT_EQ(overlappingBubbles(after), 0);
        EXPECT_EQ(arrowsThroughBubbles(after), 0);
        EXPECT_LE(2 * targetCrossings, bandCrossings);
    }
};

TEST_F(TargetLayout, DemoClassIsLegible) {
    expectLegible(writeDemoData(m_db).sessionId, "demo class");
}

TEST_F(TargetLayout, ThirtyPupilsAreLegible) {
    expectLegible(generatedClass(30), "30 pupils");
}

TEST_F(TargetLayout, ThreeHundredPupilsAreLegible) {
    expectLegible(generatedClass(300), "300 pupils");
}

TEST_F(TargetLayout, RingsByChoicesReceivedBoysLeftGirlsRightOptionsOutside) {
    const SessionOutputData data = session(writeDemoData(m_db).sessionId);
    SociogramArrangement arrangement;
    GraphDocument doc;
    SociogramBuilder::draw(doc, data, firstQuestion(data), arrangement);
    const SociogramTargetPlan plan = SociogramTargetLayout::arrange(doc);
    ASSERT_EQ(plan.rings.size(), 3);
    EXPECT_TRUE(plan.fitsPage);
    EXPECT_EQ(plan.rings.last().label, QStringLiteral("0 voleb"));

    int pupils = 0, options = 0;
    for (const TGraphObject *object : doc.Objects()) {
        if (!object->IsNode() || !SociogramArrangement::isBubbleColor(object->Brush().Color))
            continue;
        const auto *node = static_cast<const TGraphNode *>(object);
        EXPECT_EQ(node->Bounds().size(), plan.bubble);
        const QPointF centre = QRectF(node->Bounds()).center();
        const int received = int(node->LinkInputs().size());
        if (object->Brush().Color == SociogramColors::Option) {
            ++options;
            EXPECT_GT(received, 0) << "an unchosen option stays";
            EXPECT_FALSE(inside(centre, plan, int(plan.rings.size()) - 1));
            EXPECT_GT(centre.x(), plan.centre.x());
            continue;
        }
        ++pupils;
        int ring = -1;
        for (int k = 0; k < plan.rings.size(); ++k)
            if (received >= plan.rings[k].fewest && received <= plan.rings[k].most)
                ring = k;
        ASSERT_GE(ring, 0) << node->Text().toStdString();
        EXPECT_TRUE(inside(centre, plan, ring)) << node->Text().toStdString();
        if (ring > 0)
            EXPECT_FALSE(inside(centre, plan, ring - 1)) << node->Text().toStdString();
        if (object->Brush().Color == SociogramColors::Boy)
            EXPECT_LT(node->Bounds().right(), plan.centre.x()) << node->Text().toStdString();
        else
            EXPECT_GT(node->Bounds().left(), plan.centre.x()) << node->Text().toStdString();
    }
    EXPECT_EQ(pupils, 24);
    EXPECT_EQ(options, 0) << "nobody chose an answer option in a question about classmates";

    // Faint rings with their labels lie behind everything else.
    int rings = 0;
    for (int i = 0; i < doc.Objects().Count(); ++i)
        if (SociogramTargetLayout::isRingObject(doc.Objects()[i])) {
            EXPECT_EQ(i, rings) << "ring objects come first in the drawing order";
            ++rings;
        }
    EXPECT_EQ(rings, 2 * plan.rings.size());
}

TEST_F(TargetLayout, ChosenOptionsStandInAColumnRightOfTheRings) {
    const SessionOutputData data = session(writeDemoData(m_db).sessionId);
    // The question with the answers a) to e).
    SociogramQuestionKey key{0, true, true};
    for (const OutputQuestion &question : data.questionnaire.questions)
        if (question.typ == 1)
            key.questionId = question.id;
    ASSERT_NE(key.questionId, 0);
    SociogramArrangement arrangement;
    GraphDocument doc;
    SociogramBuilder::draw(doc, data, key, arrangement);
    const SociogramTargetPlan plan = SociogramTargetLayout::arrange(doc);
    const SociogramRing &outer = plan.rings.last();
    QList<int> columns;
    for (const TGraphObject *object : doc.Objects())
        if (object->IsNode() && object->Brush().Color == SociogramColors::Option) {
            const QRect bounds = static_cast<const TGraphNode *>(object)->Bounds();
            EXPECT_GT(object->LinkInputs().size(), 0) << object->Text().toStdString();
            EXPECT_GT(bounds.left(), plan.centre.x() + outer.a) << object->Text().toStdString();
            if (!columns.contains(bounds.left()))
                columns.append(bounds.left());
        }
    EXPECT_EQ(columns.size(), 1);
    const Picture picture = pictureOf(doc);
    EXPECT_EQ(overlappingBubbles(picture), 0);
    EXPECT_EQ(arrowsThroughBubbles(picture), 0);
}

TEST_F(TargetLayout, RingBoundariesAndLabelsFollowTheDistribution) {
    const QList<SociogramRing> rings = SociogramTargetLayout::ringsFor({0, 8, 1, 3, 0, 5, 2, 1});
    // Chosen: 1 1 2 3 5 8, upper quartile 5.
    ASSERT_EQ(rings.size(), 3);
    EXPECT_EQ(rings[0].label, QStringLiteral("5–8 voleb"));
    EXPECT_EQ(rings[1].label, QStringLiteral("1–3 volby"));
    EXPECT_EQ(rings[2].label, QStringLiteral("0 voleb"));
    EXPECT_EQ(SociogramTargetLayout::ringsFor({2, 2, 2}).size(), 1);
    EXPECT_EQ(SociogramTargetLayout::ringsFor({0, 0}).first().label, QStringLiteral("0 voleb"));
    EXPECT_EQ(SociogramTargetLayout::rangeLabel(1, 1), QStringLiteral("1 volba"));
    EXPECT_EQ(SociogramTargetLayout::rangeLabel(2, 4), QStringLiteral("2–4 volby"));
}

TEST_F(TargetLayout, SameDataSamePictureAndArrangingAgainChangesNothing) {
    const SessionOutputData data = session(generatedClass(30));
    SociogramArrangement arrangement;
    GraphDocument first, second;
    SociogramBuilder::draw(first, data, firstQuestion(data), arrangement, SociogramLayout::Target);
    // Whatever the graph looked like before: the bands, moved by hand.
    SociogramBuilder::draw(second, data, firstQuestion(data), arrangement);
    for (TGraphObject *object : second.Objects())
        if (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
            object->MoveBy(37, 11);
    SociogramTargetLayout::arrange(second);
    EXPECT_EQ(first.SaveToBytes(), second.SaveToBytes());

    const Picture once = pictureOf(first);
    SociogramTargetLayout::arrange(first);
    const Picture twice = pictureOf(first);
    EXPECT_EQ(once.bubbles, twice.bubbles);
    ASSERT_EQ(once.arrows.size(), twice.arrows.size());
    for (qsizetype i = 0; i < once.arrows.size(); ++i)
        EXPECT_EQ(once.arrows[i].points, twice.arrows[i].points);
}

TEST_F(TargetLayout, FortyPupilsFitThePageThreeHundredShrinkBeforeTheyGrow) {
    const SessionOutputData forty = session(generatedClass(40));
    SociogramArrangement arrangement;
    GraphDocument doc;
    SociogramBuilder::draw(doc, forty, firstQuestion(forty), arrangement, SociogramLayout::Target);
    const QSize picture = GraphExport::PictureSize(doc);
    EXPECT_LE(picture.width(), SociogramTargetLayout::Page.width());
    EXPECT_LE(picture.height(), SociogramTargetLayout::Page.height());

    m_db.exec(QStringLiteral("DELETE FROM odpovedi"));
    m_db.exec(QStringLiteral("DELETE FROM vyhodnoceni"));
    const SessionOutputData big = session(generatedClass(300));
    GraphDocument large;
    SociogramBuilder::draw(large, big, firstQuestion(big), arrangement);
    const SociogramTargetPlan plan = SociogramTargetLayout::arrange(large);
    EXPECT_FALSE(plan.fitsPage);
    EXPECT_LT(plan.bubble.width(), SociogramTargetLayout::LargestBubble.width());
    EXPECT_GE(plan.bubble.width(), SociogramTargetLayout::SmallestBubble.width());
    // Still readable: no name is cut.
    for (const TGraphObject *object : large.Objects())
        if (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
            ASSERT_EQ(whole(object), object->Text()) << object->Text().toStdString();
}

TEST_F(TargetLayout, MutualPartnersOfOneHalfRingStandSideBySide) {
    // Six boys in three mutual pairs, everybody chosen once: one half ring.
    GraphDocument doc;
    QList<TGraphNode *> boys;
    for (int i = 0; i < 6; ++i) {
        TGraphNode *node = doc.AddNode<TRectangularNode>(QRect(25, 25, 100, 50));
        node->SetText(QStringLiteral("Žák %1").arg(i));
        node->SetBrushColor(SociogramColors::Boy);
        boys << node;
    }
    for (int pair : {0, 2, 4}) {
        doc.AddLink(boys[pair], boys[(pair + 3) % 6]);
        doc.AddLink(boys[(pair + 3) % 6], boys[pair]);
    }
    const SociogramTargetPlan plan = SociogramTargetLayout::arrange(doc);
    ASSERT_EQ(plan.rings.size(), 1);
    for (int pair : {0, 2, 4}) {
        const QPointF a = QRectF(boys[pair]->Bounds()).center(), b = QRectF(boys[(pair + 3) % 6]->Bounds()).center();
        EXPECT_LE(std::abs(a.x() - b.x()), 2.0 * plan.bubble.width()) << pair;
        EXPECT_LE(std::abs(a.y() - b.y()), 2.0 * plan.bubble.height()) << pair;
    }
    EXPECT_EQ(arrowsThroughBubbles(pictureOf(doc)), 0);
}

TEST_F(TargetLayout, BandsAfterTheTargetTakeItsRingsAndBendsOff) {
    const SessionOutputData data = session(generatedClass(30));
    SociogramArrangement arrangement;
    GraphDocument doc;
    SociogramBuilder::draw(doc, data, firstQuestion(data), arrangement, SociogramLayout::Target);
    int bent = 0;
    for (const Arrow &arrow : pictureOf(doc).arrows)
        bent += arrow.points.size() > 2 ? 1 : 0;
    ASSERT_GT(bent, 0);
    for (const TGraphObject *object : doc.Objects())
        if (object->IsLink() && SociogramTargetLayout::isRingObject(object))
            EXPECT_FALSE(SociogramArrangement::isChoiceArrow(object)) << "a ring's line is no choice";
    arrangement.arrange(doc);
    for (const TGraphObject *object : doc.Objects())
        EXPECT_FALSE(SociogramTargetLayout::isRingObject(object));
    for (const Arrow &arrow : pictureOf(doc).arrows)
        EXPECT_EQ(arrow.points.size(), 2);
}

TEST_F(TargetLayout, KeptPositionsWinAndArrowsAreLedRoundTheBubbles) {
    const qint64 sessionId = writeDemoData(m_db).sessionId;
    const SessionOutputData data = session(sessionId);
    const qint64 question = firstQuestion(data).questionId;
    // The earlier sociogram: the same session, its bubbles stored where the bands put them.
    SociogramArrangement arrangement;
    GraphDocument earlier;
    const QList<SociogramBubble> bubbles = SociogramBuilder::draw(earlier, data, firstQuestion(data), arrangement);
    const SociogramPositions stored = SociogramLayouts::positionsOf(earlier, bubbles);
    SociogramLayouts::store(m_db, sessionId, question, true, stored);
    m_db.exec(QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) SELECT id_tridy, id_testu, "
                             "datum FROM vyhodnoceni WHERE ID = :s"),
              {{"s", sessionId}});
    const qint64 later = m_db.lastInsertId();
    m_db.exec(QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                             "SELECT :l, id_otazky, id_zaka, id_partnera, pozitivni FROM odpovedi WHERE "
                             "id_vyhodnoceni = :s"),
              {{"l", later}, {"s", sessionId}});

    SociogramBuilder builder(dm());
    builder.setLayout(SociogramLayout::Target);
    builder.setKeptLayoutOf(sessionId);
    GraphDocument doc;
    ASSERT_TRUE(builder.build(doc, session(later), {question, true, true}));
    ASSERT_TRUE(builder.keptLayout());
    // Both builds draw the same objects in the same order, so the node IDs name the same pupils.
    EXPECT_EQ(SociogramLayouts::positionsOf(doc, bubbles), stored);
    for (const TGraphObject *object : doc.Objects())
        EXPECT_FALSE(SociogramTargetLayout::isRingObject(object));
    EXPECT_EQ(arrowsThroughBubbles(pictureOf(doc)), 0);
}

TEST_F(TargetLayout, LongQuestionWrapsShortOneKeepsItsBox) {
    const SessionOutputData data = session(writeDemoData(m_db).sessionId);
    SociogramArrangement arrangement;
    GraphDocument doc;
    const QString question = data.questionnaire.questions.first().textOtazky;
    int margin = 0;
    EXPECT_EQ(SociogramBuilder::questionBox(doc, question, &margin), QRect(300, 70, 325, 30));
    EXPECT_EQ(margin, 8);

    const QString longQuestion = QStringLiteral("Se kterými spolužáky ze třídy bys nejraději jel na školní výlet "
                                                "do hor, kdybys mohl vybrat kohokoli, i z jiné lavice než své, "
                                                "a proč právě s nimi, když jich je tolik?");
    m_db.exec(QStringLiteral("UPDATE otazky SET text_otazky = :t WHERE ID = :q"),
              {{"t", longQuestion}, {"q", firstQuestion(data).questionId}});
    const SessionOutputData changed = session(data.id);
    for (SociogramLayout layout : {SociogramLayout::Bands, SociogramLayout::Target}) {
        SociogramBuilder::draw(doc, changed, firstQuestion(changed), arrangement, layout);
        const TGraphObject *box = nullptr;
        for (const TGraphObject *object : doc.Objects())
            if (object->Text() == longQuestion)
                box = object;
        ASSERT_TRUE(box);
        const QRect bounds = static_cast<const TGraphNode *>(box)->Bounds();
        EXPECT_EQ(bounds.topLeft(), QPoint(300, 70));
        EXPECT_GT(box->DisplayLines().size(), 1);
        EXPECT_EQ(whole(box), longQuestion) << "the whole question, nothing cut";
        // The rings start below it.
        if (layout == SociogramLayout::Target)
            for (const TGraphObject *object : doc.Objects())
                if (object->IsNode() && SociogramArrangement::isBubbleColor(object->Brush().Color))
                    EXPECT_GT(static_cast<const TGraphNode *>(object)->Top(), bounds.bottom());
    }
}

TEST(SociogramGeometryTest, CrossingsAndPassagesCountOnlyRealOnes) {
    EXPECT_TRUE(segmentsCross({0, 0}, {10, 10}, {0, 10}, {10, 0}));
    EXPECT_FALSE(segmentsCross({0, 0}, {10, 10}, {10, 10}, {20, 0})) << "a common end is no crossing";
    EXPECT_FALSE(segmentsCross({0, 0}, {10, 0}, {5, 0}, {15, 0})) << "overlapping on one line";
    EXPECT_FALSE(segmentsCross({0, 0}, {10, 0}, {5, 1}, {5, 10})) << "passing by";
    const QRectF bubble(10, 10, 20, 10);
    EXPECT_TRUE(segmentEntersRect({0, 15}, {40, 15}, bubble));
    EXPECT_FALSE(segmentEntersRect({0, 10}, {40, 10}, bubble)) << "along an edge";
    EXPECT_FALSE(segmentEntersRect({0, 0}, {10, 10}, bubble)) << "touching a corner";
    EXPECT_FALSE(segmentEntersRect({0, 15}, {9, 15}, bubble));
    EXPECT_FALSE(segmentEntersRect({0, 15}, {40, 15}, bubble, 6)) << "shrunk away";

    // Two arrows through a third bubble, one crossing between them, arrows sharing an end not counted.
    Picture picture;
    picture.bubbles = {QRectF(0, 0, 10, 10), QRectF(100, 100, 10, 10), QRectF(0, 100, 10, 10),
                       QRectF(100, 0, 10, 10), QRectF(50, 50, 10, 10)};
    picture.arrows = {{QPolygonF{{5, 5}, {105, 105}}, 0, 1}, {QPolygonF{{5, 105}, {105, 5}}, 2, 3},
                      {QPolygonF{{5, 5}, {5, 105}}, 0, 2}};
    EXPECT_EQ(crossings(picture), 1);
    EXPECT_EQ(arrowsThroughBubbles(picture), 2);
    EXPECT_EQ(overlappingBubbles(picture), 0);
    picture.bubbles.append(QRectF(55, 55, 10, 10));
    EXPECT_EQ(overlappingBubbles(picture), 1);
}

} // namespace

#include "graph/CaptionLayout.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TRectangularNode *addRect(GraphDocument &doc, int l, int t, int w = 100, int h = 50)
{
    return doc.AddNode<TRectangularNode>(QRect(l, t, w, h));
}

} // namespace

TEST(GraphGeometry, TextAreaOfDefaultNodeIsInsetByMarginAndHalfPen)
{
    GraphDocument doc;
    auto *node = addRect(doc, 10, 20);
    EXPECT_EQ(node->TextArea(), QRect(18, 28, 84, 34));
    TGraphPen pen;
    pen.Width = 4;
    node->SetPen(pen);
    EXPECT_EQ(node->TextArea().size(), QSize(80, 30));
    pen.Style = psInsideFrame;
    node->SetPen(pen);
    EXPECT_EQ(node->TextArea().size(), QSize(76, 26));
}

TEST(GraphGeometry, ShapeVerticesAndTextAreas)
{
    GraphDocument doc;
    auto *tri = doc.AddNode<TTriangularNode>(QRect(0, 0, 100, 60));
    EXPECT_EQ(tri->Vertices(), QPolygon({QPoint(50, 0), QPoint(100, 60), QPoint(0, 60)}));
    // left (50+0)/2, top 30, right (50+100)/2, bottom 60, then the margin inset
    EXPECT_EQ(tri->TextArea(), QRect(QPoint(25, 30), QSize(50, 22)));

    auto *rh = doc.AddNode<TRhomboidalNode>(QRect(0, 0, 100, 60));
    EXPECT_EQ(rh->Vertices(), QPolygon({QPoint(50, 0), QPoint(100, 30), QPoint(50, 60), QPoint(0, 30)}));
    EXPECT_EQ(rh->TextArea(), QRect(QPoint(25, 15), QSize(50, 30)));

    auto *pent = doc.AddNode<TPentagonalNode>(QRect(0, 0, 100, 60));
    EXPECT_EQ(pent->Vertices(),
              QPolygon({QPoint(50, 0), QPoint(100, 30), QPoint(75, 60), QPoint(25, 60), QPoint(0, 30)}));
    EXPECT_EQ(pent->TextArea(), QRect(QPoint(25, 15), QSize(50, 37)));

    auto *hex = doc.AddNode<THexagonalNode>(QRect(0, 0, 100, 60));
    EXPECT_EQ(hex->Vertices(), QPolygon({QPoint(25, 0), QPoint(75, 0), QPoint(100, 30), QPoint(75, 60),
                                         QPoint(25, 60), QPoint(0, 30)}));
    EXPECT_EQ(hex->TextArea(), QRect(QPoint(25, 8), QSize(50, 44)));

    // Hit regions: the ellipse misses its bounding corners, the round rectangle too.
    auto *ell = doc.AddNode<TEllipticNode>(QRect(200, 0, 100, 60));
    EXPECT_TRUE(ell->RegionContains(QPoint(250, 30)));
    EXPECT_FALSE(ell->RegionContains(QPoint(202, 2)));
    auto *rr = doc.AddNode<TRoundRectangularNode>(QRect(400, 0, 100, 60));
    EXPECT_FALSE(rr->RegionContains(QPoint(400, 0)));
    EXPECT_TRUE(rr->RegionContains(QPoint(500, 30))); // one unit larger on the right
}

TEST(GraphGeometry, LinkEndsLieOnTheOutlines)
{
    GraphDocument doc;
    auto *a = addRect(doc, 0, 0);
    auto *b = doc.AddNode<TEllipticNode>(QRect(300, 0, 100, 50));
    TGraphLink *link = doc.AddLink(a, b);
    ASSERT_EQ(link->PointCount(), 2);
    EXPECT_EQ(link->Point(0), QPoint(100, 25));
    EXPECT_EQ(link->Point(1), QPoint(300, 25));
    // Moving a node recomputes the hooked end.
    b->SetBounds(300, 200, 100, 50);
    // centre (350, 225), radii 50 and 25, approached from (50, 25)
    EXPECT_NEAR(link->Point(1).x(), 320, 1);
    EXPECT_NEAR(link->Point(1).y(), 205, 1);
    EXPECT_NEAR(link->Point(0).x(), 88, 1); // leaves through the bottom edge
    EXPECT_EQ(link->Point(0).y(), 50);
    EXPECT_THROW(link->Point(5), EPointListError);
}

TEST(GraphModel, IdsAreCountPlusOneAndUnique)
{
    GraphDocument doc;
    auto *a = addRect(doc, 0, 0);
    auto *b = addRect(doc, 0, 0);
    EXPECT_EQ(a->ID(), 1u);
    EXPECT_EQ(b->ID(), 2u);
    doc.Delete(a);
    auto *c = addRect(doc, 0, 0);
    EXPECT_EQ(c->ID(), 3u); // count 2 + 1 = 3 is free
    auto *d = addRect(doc, 0, 0);
    EXPECT_EQ(d->ID(), 4u);
    EXPECT_EQ(doc.FindObjectByID(3), c);
    EXPECT_THROW(doc.Objects().Items(7), EListError);
    try {
        doc.Objects().Items(-1);
    } catch (const EListError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Index out of range (-1)"));
    }
}

TEST(GraphModel, LinkRulesAndHooking)
{
    GraphDocument doc;
    auto *a = addRect(doc, 0, 0);
    auto *b = addRect(doc, 200, 0);
    TGraphLink *link = doc.AddLink();
    EXPECT_FALSE(link->Link(a, a));
    EXPECT_EQ(link->Source(), nullptr);
    EXPECT_EQ(a->LinkOutputs().size(), 0);
    EXPECT_THROW(doc.AddLink(b, b), EGraphInvalidOperation);
    EXPECT_EQ(doc.Objects().Count(), 3); // the failed link was not added

    a->SetOptions(goSelectable | goShowCaption);
    EXPECT_FALSE(link->Link(a, b));
    a->SetOptions(goAllOptions);
    doc.CanLinkObjects = [](TGraphLink *, TGraphObject *, TGraphObject *) { return false; };
    EXPECT_FALSE(link->Link(a, b));
    doc.CanLinkObjects = nullptr;
    ASSERT_TRUE(link->Link(a, b));
    EXPECT_EQ(a->LinkOutputs(), QList<TGraphLink *>({link}));
    EXPECT_EQ(b->LinkInputs(), QList<TGraphLink *>({link}));

    // Relinking unhooks the old ends.
    auto *c = addRect(doc, 400, 0);
    ASSERT_TRUE(link->Link(c, b));
    EXPECT_TRUE(a->LinkOutputs().isEmpty());
    EXPECT_EQ(c->LinkOutputs().size(), 1);
}

TEST(GraphModel, DeletingANodeLeavesItsLinksUnhooked)
{
    GraphDocument doc;
    auto *a = addRect(doc, 0, 0);
    auto *b = addRect(doc, 200, 0);
    TGraphLink *link = doc.AddLink(a, b);
    const QPolygon before = link->Points();
    ASSERT_TRUE(doc.Delete(b));
    ASSERT_EQ(doc.Objects().Count(), 2);
    EXPECT_EQ(link->Target(), nullptr);
    EXPECT_EQ(link->Source(), a);
    EXPECT_EQ(a->LinkOutputs().size(), 1);
    EXPECT_EQ(link->Points(), before);
    // Deleting the link unhooks it from its remaining end.
    doc.Delete(link);
    EXPECT_TRUE(a->LinkOutputs().isEmpty());
    // A veto keeps the object.
    doc.CanRemoveObject = [](TGraphObject *) { return false; };
    EXPECT_FALSE(doc.Delete(a));
    EXPECT_EQ(doc.Objects().Count(), 1);
}

TEST(GraphModel, SetBoundsRules)
{
    GraphDocument doc;
    TGraphConstraints c;
    c.MinLeft = 10;
    c.MinTop = 10;
    c.MaxRight = 1000;
    c.MaxBottom = 500;
    doc.SetGraphConstraints(c);
    auto *n = addRect(doc, 0, 0, 5, 5);
    EXPECT_EQ(n->Bounds(), QRect(10, 10, 16, 16));
    // Moving past the right edge moves back; resizing past it shrinks.
    n->SetBounds(990, 10, 16, 16);
    EXPECT_EQ(n->Bounds(), QRect(984, 10, 16, 16));
    n->SetBounds(900, 400, 300, 300);
    EXPECT_EQ(n->Bounds(), QRect(900, 400, 100, 100));
    // Fixed nodes keep position or size.
    n->SetNodeOptions(gnoResizable);
    n->SetBounds(20, 20, 50, 50);
    EXPECT_EQ(n->Bounds(), QRect(900, 400, 50, 50));
    n->SetNodeOptions(gnoMovable);
    n->SetBounds(20, 20, 80, 80);
    EXPECT_EQ(n->Bounds(), QRect(20, 20, 50, 50));
    n->SetNodeOptions(gnoAllOptions);
    doc.CanMoveResizeNode = [](TGraphNode *, const QRect &r) { return r.x() < 500; };
    EXPECT_FALSE(n->SetBounds(600, 20, 50, 50));
    EXPECT_TRUE(n->SetBounds(30, 20, 50, 50));
    EXPECT_EQ(n->Left(), 30);
}

TEST(GraphModel, AlignSelection)
{
    GraphDocument doc;
    auto *a = addRect(doc, 10, 10, 100, 50);
    auto *b = addRect(doc, 200, 300, 60, 40);
    a->SetSelected(true);
    b->SetSelected(true);
    doc.AlignSelection(1, 4); // distribute needs three objects
    EXPECT_EQ(b->Left(), 10);
    EXPECT_EQ(b->Top(), 300);
    doc.AlignSelection(2, 3);
    EXPECT_EQ(b->Left(), 10 + 50 - 30);
    EXPECT_EQ(b->Top(), 60 - 40);
    doc.AlignSelection(3, 0);
    EXPECT_EQ(b->Left(), 110 - 60);

    auto *c = addRect(doc, 0, 1000, 100, 100);
    c->SetSelected(true);
    // tops 10, 20, 1000; span 10..1100, heights 50+40+100 => gap (1090-190)/2 = 450
    doc.AlignSelection(0, 4);
    EXPECT_EQ(a->Top(), 10);
    EXPECT_EQ(b->Top(), 10 + 50 + 450);
    EXPECT_EQ(c->Top(), 1000);
    EXPECT_EQ(doc.SelectedObjects().First(), a);
}

TEST(GraphModel, NestedUpdatesNotifyOnce)
{
    GraphDocument doc;
    QSignalSpy changed(&doc, &GraphDocument::graphChanged);
    QSignalSpy invalidated(&doc, &GraphDocument::invalidated);
    doc.BeginUpdate();
    doc.BeginUpdate();
    auto *a = addRect(doc, 0, 0);
    auto *b = addRect(doc, 500, 500);
    doc.EndUpdate();
    a->SetText(QStringLiteral("x"));
    b->SetBounds(600, 600, 50, 50);
    EXPECT_EQ(changed.count(), 0);
    doc.EndUpdate();
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(invalidated.count(), 1);
    const QRect r = invalidated.at(0).at(0).toRect();
    EXPECT_TRUE(r.contains(QRect(0, 0, 100, 50)));
    EXPECT_TRUE(r.contains(QRect(600, 600, 50, 50)));
}

TEST(GraphModel, ForEachObjectToleratesDeletionAndStops)
{
    GraphDocument doc;
    for (int i = 0; i < 6; ++i)
        addRect(doc, i * 120, 0);
    QList<quint32> seen;
    doc.ForEachObject([&](TGraphObject *o) {
        seen.append(o->ID());
        if (o->ID() % 2 == 0)
            doc.Delete(o);
        return true;
    });
    EXPECT_EQ(seen, QList<quint32>({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(doc.Objects().Count(), 3);
    int calls = 0;
    doc.ForEachObject([&](TGraphObject *) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(GraphModel, ClearAndSelection)
{
    GraphDocument doc;
    auto *a = addRect(doc, 0, 0);
    auto *b = addRect(doc, 200, 0);
    a->SetSelected(true);
    b->SetSelected(true);
    doc.SelectedObjects().Delete(0);
    EXPECT_FALSE(a->Selected());
    EXPECT_EQ(doc.SelectedObjects().Count(), 1);
    b->SetOptions(goLinkable);
    EXPECT_FALSE(b->Selected()); // no longer selectable
    doc.Objects().Delete(0);
    EXPECT_EQ(doc.Objects().Count(), 1);
    doc.Clear();
    EXPECT_EQ(doc.Objects().Count(), 0);
    EXPECT_EQ(doc.SelectedObjects().Count(), 0);
}

TEST(GraphModel, HitTestingOrderAndPreferences)
{
    GraphDocument doc;
    auto *bottom = addRect(doc, 0, 0, 100, 100);
    auto *top = addRect(doc, 50, 50, 100, 100);
    auto hit = doc.ObjectAt(QPoint(60, 60));
    EXPECT_EQ(hit.object, top);
    EXPECT_EQ(doc.ObjectAt(QPoint(10, 10)).object, bottom);
    EXPECT_EQ(doc.ObjectAt(QPoint(500, 500)).object, nullptr);
    // A selected node's marker beats the body of the node above it.
    bottom->SetSelected(true);
    hit = doc.ObjectAt(QPoint(99, 99));
    EXPECT_EQ(hit.object, bottom);
    EXPECT_EQ(hit.hit, int(GraphHit::Marker));
    EXPECT_EQ(hit.marker, int(TGraphNode::BottomRight));
    // Markers are tested bottom-right first: on a tiny node several overlap.
    auto *tiny = addRect(doc, 300, 300, 16, 16);
    tiny->SetSelected(true);
    EXPECT_EQ(doc.ObjectAt(QPoint(308, 316)).marker, int(TGraphNode::BottomMiddle));
    // Links answer near their segments.
    auto *l = doc.AddLink();
    l->SetPoints(QPolygon({QPoint(0, 400), QPoint(200, 400)}));
    EXPECT_EQ(doc.ObjectAt(QPoint(100, 402)).object, l);
    EXPECT_EQ(doc.ObjectAt(QPoint(100, 410)).object, nullptr);
}

TEST(CaptionLayoutTest, WrapsAtBreakCharactersAndAddsEllipsis)
{
    GraphDocument doc;
    const TextMetrics &fm = doc.MetricsFor(doc.Font());
    const int w = fm.width(QStringLiteral("Jan Novák-"));
    const QStringList lines = CaptionLayout::wrap(QStringLiteral("  Jan Novák-Dvořák\r\nX\ny"), fm, w);
    EXPECT_EQ(lines, QStringList({QStringLiteral("Jan Novák-"), QStringLiteral("Dvořák"), QStringLiteral("X"),
                                  QStringLiteral("y")}));
    // A word longer than the line is cut.
    const QStringList cut = CaptionLayout::wrap(QStringLiteral("Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"), fm, w);
    EXPECT_GT(cut.size(), 1);
    EXPECT_EQ(cut.join(QString()), QStringLiteral("Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));

    auto *node = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    node->SetText(QStringLiteral("Jedna dva tři čtyři pět šest sedm osm devět deset jedenáct dvanáct"));
    const QStringList shown = node->DisplayLines();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_LE(shown.size() * fm.height(), 34);
    EXPECT_TRUE(shown.last().endsWith(QChar(0x2026)));
    EXPECT_LE(fm.width(shown.last()), 84);
    EXPECT_EQ(node->ToolTip(), node->Text());
    // Centred placement inside the text area.
    node->SetText(QStringLiteral("Eva"));
    const QRect cap = node->CaptionRect();
    EXPECT_NEAR(cap.x() + cap.width() / 2.0, 50, 1);
    EXPECT_TRUE(node->TextArea().contains(cap));
    EXPECT_TRUE(node->ToolTip().isEmpty());
}

TEST(CaptionLayoutTest, CaptionThatExactlyFillsTheTextAreaIsShownWhole)
{
    GraphDocument doc;
    const TextMetrics &fm = doc.MetricsFor(doc.Font());
    const QString name = QStringLiteral("Šťastná");
    const int w = fm.width(name);
    const int h = fm.height();
    // The default node insets its text area by 8 on each side.
    auto *node = addRect(doc, 0, 0, w + 16, h + 16);
    node->SetText(name);
    ASSERT_EQ(node->TextArea().size(), QSize(w, h));
    EXPECT_EQ(node->DisplayLines(), QStringList({name}));
    EXPECT_EQ(node->CaptionRect(), node->TextArea());

    // One character more, or one pixel less, no longer fits the single line.
    for (const auto &[text, width] : {std::pair(name + QLatin1Char('a'), w), std::pair(name, w - 1)}) {
        SCOPED_TRACE(width);
        node->SetBounds(0, 0, width + 16, h + 16);
        node->SetText(text);
        ASSERT_EQ(node->DisplayLines().size(), 1);
        EXPECT_TRUE(node->DisplayLines().first().endsWith(QChar(0x2026)));
        EXPECT_LE(fm.width(node->DisplayLines().first()), width);
    }
    // A pixel lower than a line shows nothing.
    node->SetBounds(0, 0, w + 16, h + 15);
    node->SetText(name);
    EXPECT_TRUE(node->DisplayLines().isEmpty());
}

TEST(CaptionLayoutTest, LongTextsAreWrappedOnlyAsFarAsTheNodeShows)
{
    GraphDocument doc;
    const TextMetrics &fm = doc.MetricsFor(doc.Font());
    const int w = fm.width(QStringLiteral("Jan Novák-"));
    // Wrapping a few lines gives the first lines of the whole wrap, and tells whether more follow;
    // blank paragraphs and a final line break count as the whole wrap counts them.
    for (const QString &text :
         {QStringLiteral("  Jan Novák-Dvořák\r\nX\ny"), QStringLiteral("a\r\n\r\nb\n"), QStringLiteral("a\r\n\r\n"),
          QStringLiteral("\n\n  \nJedna dva tři čtyři\r"), QStringLiteral("Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa bb"),
          QStringLiteral("   "), QString()}) {
        const QStringList all = CaptionLayout::wrap(text, fm, w);
        for (int n = 0; n <= all.size() + 1; ++n) {
            SCOPED_TRACE(text.toStdString() + " / " + std::to_string(n));
            bool truncated = !(all.size() > n);
            EXPECT_EQ(CaptionLayout::wrap(text, fm, w, n, &truncated), all.mid(0, n));
            EXPECT_EQ(truncated, all.size() > n);
        }
    }

    // 400,000 characters in a small node: the lines that fit, the last one marked as cut.
    QString words;
    for (int i = 0; i < 400'000 / 6; ++i)
        words += QStringLiteral("slovo ");
    auto *node = doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50));
    node->SetText(words);
    const QRect area = node->TextArea();
    const int shown = area.height() / fm.height();
    ASSERT_EQ(node->DisplayLines().size(), shown);
    EXPECT_EQ(node->DisplayLines().mid(0, shown - 1),
              CaptionLayout::wrap(words.left(1000), fm, area.width()).mid(0, shown - 1));
    EXPECT_TRUE(node->DisplayLines().last().endsWith(QChar(0x2026)));
    EXPECT_TRUE(area.contains(node->CaptionRect()));

    // As many lines as the whole canvas can show, of a text of 200,000 lines.
    QString lines;
    for (int i = 0; i < 200'000; ++i)
        lines += QStringLiteral("%1\n").arg(i % 10);
    node->SetBounds(QRect(0, 0, 65535, 65535));
    node->SetText(lines);
    const int fit = node->TextArea().height() / fm.height();
    ASSERT_EQ(node->DisplayLines().size(), fit);
    EXPECT_EQ(node->DisplayLines().at(fit - 2), QString::number((fit - 2) % 10));
    EXPECT_TRUE(node->DisplayLines().last().endsWith(QChar(0x2026)));
    // A text that fits the canvas node is shown whole, exactly as wrapped in full.
    node->SetText(words.left(40'000));
    EXPECT_EQ(node->DisplayLines(), CaptionLayout::wrap(words.left(40'000), fm, node->TextArea().width()));
}

TEST(GraphModel, LinkCaptionLiesAlongItsSegmentAndStaysUpright)
{
    GraphDocument doc;
    for (const QPolygon &points : {QPolygon({QPoint(0, 100), QPoint(200, 100)}),
                                   QPolygon({QPoint(200, 100), QPoint(0, 100)})}) {
        TGraphLink *link = doc.AddLink();
        link->SetPoints(points);
        link->SetText(QStringLiteral("vztah"));
        link->SetTextSpacing(4);
        const QRect cap = link->CaptionRect();
        ASSERT_FALSE(cap.isEmpty());
        // Upright text sits above the line in both directions, centred on the segment.
        EXPECT_LE(cap.bottom(), 100 - 4);
        EXPECT_NEAR(cap.center().x(), 100, 2);
        EXPECT_EQ(link->HitTest(QPoint(100, cap.center().y())).hit, GraphHit::Caption);
        doc.Delete(link);
    }
    // The caption segment: TextPosition, or the middle one.
    TGraphLink *link = doc.AddLink();
    link->SetPoints(QPolygon({QPoint(0, 0), QPoint(10, 0), QPoint(20, 0), QPoint(30, 0)}));
    EXPECT_EQ(link->CaptionSegment(), 1);
    link->SetTextPosition(2);
    EXPECT_EQ(link->CaptionSegment(), 2);
    link->SetTextPosition(7);
    EXPECT_EQ(link->CaptionSegment(), 1);
}

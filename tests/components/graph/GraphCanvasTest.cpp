#include "graph/GraphCanvas.h"
#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"

#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(600, 400);
        canvas.SetShowGrid(false);
        canvas.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
        canvas.setFocus();
    }
    QWidget *vp() { return canvas.viewport(); }
    QPoint toClient(int x, int y) { return canvas.GraphToClient(QPointF(x, y)).toPoint(); }
    TRectangularNode *node(int l, int t, int w = 100, int h = 50)
    {
        return canvas.Document()->AddNode<TRectangularNode>(QRect(l, t, w, h));
    }

    TGraphCanvas canvas;
};

} // namespace

TEST_F(CanvasFixture, ZoomIsClampedAndChangeZoomKeepsTheCentre)
{
    canvas.SetZoom(4);
    EXPECT_EQ(canvas.Zoom(), 5);
    canvas.SetZoom(40000);
    EXPECT_EQ(canvas.Zoom(), 36863);
    canvas.SetZoom(100);
    node(0, 0, 2000, 2000);
    canvas.horizontalScrollBar()->setValue(300);
    canvas.verticalScrollBar()->setValue(200);
    const QPointF centre(vp()->width() / 2.0, vp()->height() / 2.0);
    const QPointF before = canvas.ClientToGraph(centre);
    QSignalSpy zoomed(&canvas, &TGraphCanvas::zoomChanged);
    canvas.ChangeZoom(10, 1);
    EXPECT_EQ(canvas.Zoom(), 110);
    EXPECT_EQ(zoomed.count(), 1);
    const QPointF after = canvas.ClientToGraph(centre);
    EXPECT_NEAR(after.x(), before.x(), 1.0);
    EXPECT_NEAR(after.y(), before.y(), 1.0);
    canvas.ChangeZoom(-10, 0);
    EXPECT_EQ(canvas.Zoom(), 100);
}

TEST_F(CanvasFixture, ArrowKeysMoveByGridOrOne)
{
    auto *n = node(80, 80);
    n->SetSelected(true);
    QTest::keyClick(&canvas, Qt::Key_Right);
    EXPECT_EQ(n->Left(), 88);
    QTest::keyClick(&canvas, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(n->Top(), 81);
    QTest::keyClick(&canvas, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(n->Width(), 108);
    canvas.SetSnapToGrid(false);
    QTest::keyClick(&canvas, Qt::Key_Left);
    EXPECT_EQ(n->Left(), 87);
    QTest::keyClick(&canvas, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(n->Left(), 79);
    // Locked nodes stay.
    canvas.SetLockNodes(true);
    QTest::keyClick(&canvas, Qt::Key_Left);
    EXPECT_EQ(n->Left(), 79);
}

TEST_F(CanvasFixture, TabCyclesThroughSelectableObjects)
{
    auto *a = node(0, 0);
    auto *b = node(200, 0);
    auto *c = node(400, 0);
    b->SetOptions(goLinkable | goShowCaption);
    QTest::keyClick(&canvas, Qt::Key_Tab);
    EXPECT_TRUE(a->Selected());
    QTest::keyClick(&canvas, Qt::Key_Tab);
    EXPECT_TRUE(c->Selected());
    EXPECT_FALSE(a->Selected());
    QTest::keyClick(&canvas, Qt::Key_Tab);
    EXPECT_TRUE(a->Selected());
    QTest::keyClick(&canvas, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(c->Selected());
    EXPECT_EQ(canvas.SelectedObjects().Count(), 1);
}

TEST_F(CanvasFixture, ClickSelectsAndDragMovesWithSnapping)
{
    auto *a = node(40, 40);
    auto *b = node(300, 40);
    QTest::mouseClick(vp(), Qt::LeftButton, {}, toClient(60, 60));
    EXPECT_TRUE(a->Selected());
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ShiftModifier, toClient(320, 60));
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(b->Selected());
    QTest::mouseClick(vp(), Qt::LeftButton, Qt::ShiftModifier, toClient(320, 60));
    EXPECT_FALSE(b->Selected());

    QTest::mousePress(vp(), Qt::LeftButton, {}, toClient(60, 60));
    QTest::mouseMove(vp(), toClient(60 + 13, 60 + 5));
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, toClient(60 + 13, 60 + 5));
    // top-left (40,40) + (13,5) = (53,45) snaps to (56,48)
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(56, 48));

    // A click on empty canvas clears the selection.
    QTest::mouseClick(vp(), Qt::LeftButton, {}, toClient(250, 300));
    EXPECT_EQ(canvas.SelectedObjects().Count(), 0);
}

TEST_F(CanvasFixture, ResizeByMarkerAndEscapeCancels)
{
    auto *a = node(40, 40);
    a->SetSelected(true);
    QTest::mousePress(vp(), Qt::LeftButton, {}, toClient(140, 90)); // bottom-right marker
    QTest::mouseMove(vp(), toClient(170, 121));
    EXPECT_EQ(a->Bounds(), QRect(40, 40, 128, 80)); // corner snapped to (168, 120)
    QTest::keyClick(&canvas, Qt::Key_Escape);
    EXPECT_EQ(a->Bounds(), QRect(40, 40, 100, 50));
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, toClient(170, 121));
    EXPECT_EQ(a->Bounds(), QRect(40, 40, 100, 50));
}

TEST_F(CanvasFixture, RubberBandSelectsToggleAndNodesOnly)
{
    auto *a = node(20, 20);
    auto *b = node(300, 20);
    TGraphLink *link = canvas.Document()->AddLink(a, b);
    QTest::mousePress(vp(), Qt::LeftButton, {}, toClient(5, 5));
    QTest::mouseMove(vp(), toClient(250, 120));
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, toClient(250, 120));
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(link->Selected());
    EXPECT_FALSE(b->Selected());

    QTest::mousePress(vp(), Qt::LeftButton, Qt::ControlModifier, toClient(5, 150));
    QTest::mouseMove(vp(), toClient(550, 5));
    QTest::mouseRelease(vp(), Qt::LeftButton, Qt::ControlModifier, toClient(550, 5));
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(link->Selected());

    QTest::mousePress(vp(), Qt::LeftButton, Qt::ShiftModifier, toClient(280, 5));
    QTest::mouseMove(vp(), toClient(550, 150));
    QTest::mouseRelease(vp(), Qt::LeftButton, Qt::ShiftModifier, toClient(550, 150));
    EXPECT_TRUE(a->Selected());
    EXPECT_FALSE(b->Selected());
}

TEST_F(CanvasFixture, AltBandZoomsToTheBand)
{
    node(0, 0, 50, 50);
    node(950, 950, 50, 50);
    QTest::mousePress(vp(), Qt::LeftButton, Qt::AltModifier, toClient(100, 100));
    QTest::mouseMove(vp(), toClient(200, 150));
    QTest::mouseRelease(vp(), Qt::LeftButton, Qt::AltModifier, toClient(200, 150));
    const int expected = qMin(100 * vp()->width() / 100, 100 * vp()->height() / 50);
    EXPECT_EQ(canvas.Zoom(), expected);
}

TEST_F(CanvasFixture, DoubleClickAndContextMenuSignals)
{
    auto *a = node(40, 40);
    auto *b = node(300, 40);
    a->SetSelected(true);
    b->SetSelected(true);
    QSignalSpy dbl(&canvas, &TGraphCanvas::objectDblClick);
    QTest::mouseDClick(vp(), Qt::LeftButton, {}, toClient(320, 60));
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl.at(0).at(0).value<TGraphObject *>(), a); // the first selected object

    QMenu popup;
    canvas.SetPopupMenu(&popup);
    QSignalSpy ctx(&canvas, &TGraphCanvas::objectContextPopup);
    QContextMenuEvent event(QContextMenuEvent::Mouse, toClient(60, 60), vp()->mapToGlobal(toClient(60, 60)));
    QApplication::sendEvent(vp(), &event);
    EXPECT_EQ(ctx.count(), 1);
    EXPECT_TRUE(popup.isVisible());
    popup.hide();
}

TEST_F(CanvasFixture, CommandModesAndClear)
{
    auto *a = node(40, 40);
    node(300, 300, 400, 400);
    a->SetSelected(true);
    canvas.SetCommandMode(0);
    EXPECT_FALSE(a->Selected());
    QTest::mouseClick(vp(), Qt::LeftButton, {}, toClient(60, 60));
    EXPECT_FALSE(a->Selected()); // view only
    canvas.SetCommandMode(1);
    canvas.SetZoom(400);
    const int before = canvas.horizontalScrollBar()->value();
    QTest::mousePress(vp(), Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(vp(), QPoint(250, 200));
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, QPoint(250, 200));
    EXPECT_EQ(canvas.horizontalScrollBar()->value(), before + 50);
    canvas.Clear();
    EXPECT_EQ(canvas.CommandMode(), 2);
    EXPECT_EQ(canvas.Objects().Count(), 0);
    EXPECT_EQ(canvas.horizontalScrollBar()->value(), 0);
}

TEST_F(CanvasFixture, PaintsObjectsAndMarkers)
{
    auto *a = node(40, 40);
    a->SetBrushColor(0x0000FF);
    a->SetSelected(true);
    QImage shot = canvas.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(toClient(90, 65)), QColor(Qt::red));
    // a marker square with the canvas colour inside at the top-left corner, black outline around
    EXPECT_EQ(shot.pixelColor(toClient(40, 40) + QPoint(-3, -3)), QColor(Qt::black));
    // Inside the marker square: canvas colour; a locked node shows a second square 2 px in.
    const QPoint corner = toClient(40, 40);
    EXPECT_EQ(shot.pixelColor(corner + QPoint(-1, -1)), QColor(Qt::white));
    canvas.SetLockNodes(true);
    shot = canvas.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(corner + QPoint(-1, -1)), QColor(Qt::black));
    canvas.SetLockNodes(false);
    canvas.SetZoom(200);
    shot = canvas.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(toClient(130, 80)), QColor(Qt::red));
}

TEST_F(CanvasFixture, HandEditsAreUndoable)
{
    auto *a = node(40, 40);
    auto *b = node(300, 40);
    TGraphLink *link = canvas.Document()->AddLink(a, b);
    QUndoStack *undo = canvas.UndoStack();
    QTest::mousePress(vp(), Qt::LeftButton, {}, toClient(60, 60));
    QTest::mouseMove(vp(), toClient(80, 70));
    QTest::mouseMove(vp(), toClient(100, 100));
    QTest::mouseRelease(vp(), Qt::LeftButton, {}, toClient(100, 100));
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(80, 80));
    ASSERT_EQ(undo->count(), 1); // the whole drag is one step
    const QPoint movedEnd = link->Point(0);
    undo->undo();
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(40, 40));
    EXPECT_NE(link->Point(0), movedEnd); // the hooked end followed
    undo->redo();
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(80, 80));

    // Repeated arrow keys merge into one step.
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Down);
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(96, 88));
    EXPECT_EQ(undo->count(), 2);
    undo->undo();
    EXPECT_EQ(a->Bounds().topLeft(), QPoint(80, 80));
    // A step whose object is gone is skipped.
    canvas.Delete(a);
    undo->undo();
    EXPECT_EQ(canvas.Objects().Count(), 2);
    canvas.Clear();
    EXPECT_EQ(undo->count(), 0);
}

TEST_F(CanvasFixture, PrintsTheGraphToAPrinter)
{
    node(40, 40)->SetText(QStringLiteral("Tisk"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    QString error;
    ASSERT_TRUE(canvas.Print(printer, QStringLiteral("Orbelis"), &error)) << error.toStdString();
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(printer.docName(), QStringLiteral("Orbelis"));
    const QByteArray utf16be("\0O\0r\0b\0e\0l\0i\0s", 14);
    EXPECT_TRUE(bytes.contains(utf16be) || bytes.contains("Orbelis")) << "job title in the document info";
}

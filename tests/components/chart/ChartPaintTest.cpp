#include "ChartTestData.h"

#include "chart/ChartLayouter.h"
#include "chart/ChartPainter.h"
#include "chart/ChartPalette.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

namespace {

QImage render(const ChartLayout &layout)
{
    QImage image(layout.size, QImage::Format_RGB32);
    image.fill(Qt::green); // the chart must cover it completely
    QPainter painter(&image);
    ChartPainter::paint(painter, layout);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

int bottomOf(const QRect &r)
{
    return r.y() + r.height();
}

// Pixels of vivid colour (not a grey level), as series fills are; optionally not
// counting the pure red of the X grid.
int colouredPixels(const QImage &image, const QRect &area, bool countGridRed = true)
{
    int count = 0;
    for (int y = area.y(); y < bottomOf(area); ++y)
        for (int x = area.x(); x < area.x() + area.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (!countGridRed && c == QColor(255, 0, 0))
                continue;
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40)
                ++count;
        }
    return count;
}

} // namespace

class TwoQuestionPaint : public testing::Test {
protected:
    void SetUp() override { ChartTestData::fillTwoQuestions(model); }
    ChartLayout layoutNow() const { return ChartLayouter::layout(model, QSize(800, 600)); }
    ChartModel model;
};

TEST_F(TwoQuestionPaint, BarsInPaletteColoursUpAndDownFromZero)
{
    const ChartLayout layout = layoutNow();
    const QImage image = render(layout);
    // Question 1, pupil 1: 3 up (red); question 2, pupil 2: 1 down (blue).
    const QRect up = layout.series[0].bars[0];
    const QRect down = layout.series[1].bars[3];
    EXPECT_EQ(at(image, up.center().x(), up.center().y()), QColor(255, 0, 0));
    EXPECT_EQ(at(image, down.center().x(), down.center().y()), QColor(0, 0, 255));
    EXPECT_LT(up.center().y(), layout.zeroRow);
    EXPECT_GT(down.center().y(), layout.zeroRow);
    // Right of the bars, in the slot's gap, the chart background shows.
    EXPECT_EQ(at(image, up.x() - 2, up.center().y()), QColor(Qt::white));
}

TEST_F(TwoQuestionPaint, SolidZeroLineAndDottedGreyGrid)
{
    const ChartLayout layout = layoutNow();
    const QImage image = render(layout);
    // Scan a stretch of each grid row between the first two slots' bars.
    // Two bar series: the bars of a slot span one sub-slot either side of its tick.
    const int x0 = layout.xTicks[0].Pixel + layout.subSlotWidth + 2;
    const int x1 = layout.xTicks[1].Pixel - layout.subSlotWidth - 2;
    ASSERT_GT(x1 - x0, 6);
    for (int i = 1; i + 1 < layout.yTicks.size(); ++i) {
        SCOPED_TRACE(i);
        const int row = layout.yTicks[i].Pixel;
        std::set<QRgb> seen;
        for (int x = x0; x < x1; ++x)
            if (at(image, x, row) != QColor(Qt::red)) // dotted X grid may cross
                seen.insert(image.pixel(x, row));
        if (layout.yTicks[i].Value == 0.0) {
            EXPECT_EQ(seen, std::set<QRgb>{qRgb(0, 0, 0)});
        } else {
            EXPECT_TRUE(seen.count(QColor(Qt::gray).rgb()));
            EXPECT_TRUE(seen.count(qRgb(255, 255, 255)));
        }
    }
}

TEST_F(TwoQuestionPaint, LegendWithFrameShadowAndSwatches)
{
    const ChartLayout layout = layoutNow();
    const QImage image = render(layout);
    const QRect box = layout.legendRect;
    const int right = box.x() + box.width();
    const int mid = box.y() + box.height() / 2;
    EXPECT_EQ(at(image, box.x(), mid), QColor(Qt::black));     // frame
    EXPECT_EQ(at(image, right + 1, mid), QColor(Qt::black));   // shadow
    EXPECT_EQ(at(image, right + 3, mid), QColor(Qt::white));   // past the shadow
    EXPECT_EQ(at(image, box.x() + 2, bottomOf(box) + 1), QColor(Qt::white)); // shadow starts 3 px in
    EXPECT_EQ(at(image, box.x() + 5, bottomOf(box) + 1), QColor(Qt::black));
    // Swatches of both series near the left edge of the box.
    EXPECT_EQ(colouredPixels(image, QRect(box.x() + 2, box.y() + 2, 28, 20)),
              colouredPixels(image, QRect(box.x() + 2, box.y() + 24, 28, 20)));
    EXPECT_GT(colouredPixels(image, QRect(box.x() + 2, box.y() + 2, 28, 20)), 50);
}

TEST_F(TwoQuestionPaint, SoftPaletteReplacesColours)
{
    model.setSoftColors(true);
    const ChartLayout layout = layoutNow();
    const QImage image = render(layout);
    const QRect bar = layout.series[1].bars[2];
    EXPECT_EQ(at(image, bar.center().x(), bar.center().y()), QColor(218, 250, 90));
    EXPECT_EQ(ChartPalette::color(14, false), QColor(255, 0, 0));
    EXPECT_EQ(ChartPalette::color(27, true), QColor(128, 128, 128));
}

TEST_F(TwoQuestionPaint, MonochromeBarsAreHatchedInBlack)
{
    model.setMonochrome(true);
    const ChartLayout layout = layoutNow();
    const QImage image = render(layout);
    EXPECT_EQ(colouredPixels(image, layout.plot, false), 0);

    for (int q = 0; q < 2; ++q) {
        SCOPED_TRACE(q);
        const int point = q == 0 ? 0 : 2; // bars 3 and 2 high
        const QRect outline = layout.series[q].bars[point];
        const QRect bar = outline.adjusted(1, 1, -1, -1);
        const QImage &hatch = ChartPalette::hatch(q);
        int mismatches = 0, ink = 0;
        for (int y = bar.y(); y < bottomOf(bar); ++y)
            for (int x = bar.x(); x < bar.x() + bar.width(); ++x) {
                const bool black = image.pixel(x, y) == qRgb(0, 0, 0);
                ink += black;
                mismatches += black != (hatch.pixelIndex(x % hatch.width(), y % hatch.height()) == 1);
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(ink, 0);
        // Black outline.
        EXPECT_EQ(image.pixel(outline.x(), outline.center().y()), qRgb(0, 0, 0));
    }
}

TEST(ChartPalette, SixteenDistinctHatchesOneOfThemSixBySix)
{
    std::set<QByteArray> patterns;
    for (int i = 0; i < 16; ++i) {
        const QImage &hatch = ChartPalette::hatch(i);
        EXPECT_EQ(hatch.depth(), 1);
        EXPECT_EQ(hatch.width(), i == 10 ? 6 : 8) << i;
        QByteArray bits;
        for (int y = 0; y < hatch.height(); ++y)
            for (int x = 0; x < hatch.width(); ++x)
                bits.append(char('0' + hatch.pixelIndex(x, y)));
        patterns.insert(bits);
        EXPECT_TRUE(bits.contains('1') && bits.contains('0')) << i;
    }
    EXPECT_EQ(patterns.size(), 16u);
    EXPECT_EQ(ChartPalette::hatch(16).constBits(), ChartPalette::hatch(0).constBits());
    EXPECT_EQ(ChartPalette::marker(7), ChartPalette::Marker::TriangleUp);
}

TEST(ChartPaint, NoSeriesDrawsBackgroundTitleAndEmptyAxesOnly)
{
    ChartModel model;
    model.setTitle(QStringLiteral("Název grafu"));
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    const QImage image = render(layout);
    EXPECT_EQ(colouredPixels(image, image.rect()), 0); // no bars, no grid, nothing green left
    const int bottom = bottomOf(layout.plot);
    EXPECT_EQ(at(image, layout.plot.center().x(), bottom), QColor(Qt::black)); // X axis
    EXPECT_EQ(at(image, layout.plot.x(), layout.plot.center().y()), QColor(Qt::black)); // Y axis
    // Inside the plot nothing is drawn.
    const QRect inner = layout.plot.adjusted(3, 3, -3, -3);
    EXPECT_EQ(image.copy(inner), [&] {
        QImage blank(inner.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }());
    // The title has ink.
    int ink = 0;
    for (int y = layout.titleRect.y(); y < bottomOf(layout.titleRect); ++y)
        for (int x = 0; x < 800; ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(ink, 20);
}

TEST(ChartPaint, LineAndSmoothSeriesDrawWhiteMarkers)
{
    ChartModel model;
    model.setShowXGrid(false);
    model.setShowYGrid(false);
    TChartSeries *line = model.AddSeries(ChartSeriesKind::Line);
    TChartSeries *smooth = model.AddSeries(ChartSeriesKind::Smooth);
    for (int i = 0; i < 6; ++i) {
        line->AddXY(QString(), i, i % 3);
        smooth->AddXY(QString(), i, 5 - i % 4);
    }
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    const QImage image = render(layout);
    ASSERT_EQ(layout.markerSize, 3); // round(800 * 0.004)
    // Square marker of series 0 (red frame, white inside), circle of series 1 (blue).
    const QPoint p = layout.series[0].points[2];
    EXPECT_EQ(at(image, p.x(), p.y()), QColor(Qt::white));
    EXPECT_EQ(at(image, p.x() - 3, p.y() - 3), QColor(255, 0, 0));
    const QPoint q = layout.series[1].points[3];
    EXPECT_EQ(at(image, q.x(), q.y()), QColor(Qt::white));
    EXPECT_GT(colouredPixels(image, QRect(q.x() - 4, q.y() - 4, 9, 9)), 4);
    // The smooth curve is drawn between its points.
    const QPointF mid = layout.series[1].curve[10];
    EXPECT_GT(colouredPixels(image, QRect(int(mid.x()) - 1, int(mid.y()) - 1, 3, 3)), 0);
}

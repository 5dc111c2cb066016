#include "ChartTestData.h"

#include "chart/ChartLayouter.h"
#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"

#include <QFont>
#include <QFontMetrics>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

int rnd(double v)
{
    return int(std::nearbyint(v));
}

// Chart font (Arial 8 pt) and title font (Arial 14 pt) at 96 dpi.
QFont chartFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11); // 8 pt * 96 / 72 = 10.67
    return f;
}

QFont titleFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(19); // 14 pt * 96 / 72 = 18.67
    return f;
}

} // namespace

// The 800 x 600 chart of two bar series over five pupils, every number worked out
// step by step from the layout rules with the fonts' measured text sizes.
class TwoQuestionLayout : public testing::Test {
protected:
    void SetUp() override
    {
        ChartTestData::fillTwoQuestions(model);
        layout = ChartLayouter::layout(model, QSize(800, 600), 96);

        const QFontMetrics fm(chartFont());
        th = fm.height();
        // One-line title: one text line of the title font.
        top = 20 + QFontMetrics(titleFont()).height() + 10;
        bottom = 600 - 95 - (2 * th + 14);
        int widest = 0;
        for (int v = -3; v <= 5; ++v)
            widest = std::max(widest, fm.horizontalAdvance(QString::number(v)));
        left = 20 + th + widest + 14;
        legendWidth = std::max(fm.horizontalAdvance(QStringLiteral("Otázka 1")),
                               fm.horizontalAdvance(QStringLiteral("Otázka 2")))
                      + 42;
        right = 780 - legendWidth - 20;
    }

    int yPixel(double value) const { return rnd(bottom - (value + 3) * (bottom - top) / 8.0); }

    ChartModel model;
    ChartLayout layout;
    int th = 0, top = 0, bottom = 0, left = 0, right = 0, legendWidth = 0;
};

TEST_F(TwoQuestionLayout, PlotTitleAndLegendRectangles)
{
    EXPECT_EQ(layout.textHeight, th);
    EXPECT_EQ(layout.titleRect, QRect(20, 20, 760, QFontMetrics(titleFont()).height()));
    EXPECT_EQ(layout.plot, QRect(left, top, right - left, bottom - top));
    // Two one-line captions: 20 px each (the minimum) + 2 between, box 10 px taller.
    EXPECT_EQ(layout.legendRect, QRect(780 - legendWidth, top, legendWidth, 20 + 2 + 20 + 10));
    ASSERT_EQ(layout.legend.size(), 2);
    EXPECT_EQ(layout.legend[0].top, 0);
    EXPECT_EQ(layout.legend[1].top, 22);
    EXPECT_TRUE(layout.legendLabels.isEmpty());
}

TEST_F(TwoQuestionLayout, YTicksOnePerIntegerWithTheirRows)
{
    ASSERT_EQ(layout.yTicks.size(), 9);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(layout.yTicks[i].Value, i - 3);
        EXPECT_EQ(layout.yTicks[i].Label, QString::number(i - 3));
        EXPECT_EQ(layout.yTicks[i].Pixel, rnd(bottom - i * (bottom - top) / 8.0));
    }
    EXPECT_EQ(layout.yTicks.first().Pixel, bottom);
    EXPECT_EQ(layout.yTicks.last().Pixel, top);
    EXPECT_EQ(layout.zeroRow, yPixel(0));
}

TEST_F(TwoQuestionLayout, XTicksSitInTheSlotCentres)
{
    const double s = (right - left) / 5.0;
    ASSERT_EQ(layout.xTicks.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(layout.xTicks[i].Value, i + 1);
        EXPECT_EQ(layout.xTicks[i].Pixel, rnd(left + s * i + s / 2));
        EXPECT_EQ(layout.xTicks[i].Label, QString::number(i + 1) + QLatin1Char(' ') + ChartTestData::pupils()[i]);
    }
    EXPECT_TRUE(layout.onePerValue); // forced by the bar series
}

TEST_F(TwoQuestionLayout, BarsShareEachSlotSideBySide)
{
    const double s = (right - left) / 5.0;
    const int w = rnd(s / 3); // two bar series: three sub-slots
    const int width = rnd(0.8 * w);
    const int offset[2] = {rnd(w / 2.0 - s / 2 + 0.1 * w), rnd(w / 2.0 - s / 2 + w + 0.1 * w)};
    EXPECT_EQ(layout.subSlotWidth, w);

    for (int q = 0; q < 2; ++q) {
        const ChartSeriesGeometry &g = layout.series[q];
        ASSERT_EQ(g.bars.size(), 10);
        EXPECT_EQ(g.barIndex, q);
        for (int n = 1; n <= 5; ++n) {
            SCOPED_TRACE(testing::Message() << "question " << q << " pupil " << n);
            const int x = rnd(left + s * (n - 1) + s / 2) + offset[q];
            const int up = ChartTestData::kPositive[q][n - 1];
            const int down = ChartTestData::kNegative[q][n - 1];
            EXPECT_EQ(g.points[2 * (n - 1)], QPoint(x - offset[q], yPixel(up)));
            EXPECT_EQ(g.bars[2 * (n - 1)], QRect(x, yPixel(up), width, yPixel(0) - yPixel(up)));
            EXPECT_EQ(g.bars[2 * (n - 1) + 1], QRect(x, yPixel(0), width, yPixel(-down) - yPixel(0)));
        }
    }
    // The second question's bar starts right of the first one's and both stay in the slot.
    const QRect first = layout.series[0].bars[0], second = layout.series[1].bars[0];
    EXPECT_GT(second.x(), first.x() + first.width());
    EXPECT_GE(first.x(), left);
    EXPECT_LE(second.x() + second.width(), rnd(left + s));
}

TEST_F(TwoQuestionLayout, NegativeBarHangsBelowZero)
{
    // Pupil 5 of question 1 received 3 negative choices.
    const QRect bar = layout.series[0].bars[9];
    EXPECT_EQ(bar.y(), layout.zeroRow);
    EXPECT_EQ(bar.y() + bar.height(), yPixel(-3));
    EXPECT_EQ(bar.y() + bar.height(), bottom);
}

TEST_F(TwoQuestionLayout, ClientToChartInsideThePlotOnly)
{
    double x = 0, y = 0;
    const int tick3 = layout.xTicks[2].Pixel;
    ASSERT_TRUE(layout.clientToChart(QPointF(tick3 + 3, yPixel(2)), x, y));
    EXPECT_DOUBLE_EQ(x, 3.0);
    EXPECT_NEAR(y, 2.0, 0.05);

    x = 0;
    y = 0;
    EXPECT_FALSE(layout.clientToChart(QPointF(left - 5, yPixel(2)), x, y));
    EXPECT_FALSE(layout.clientToChart(QPointF(tick3, bottom + 1), x, y));
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);

    const QRect bar = layout.series[1].bars[6]; // question 2, pupil 4 upward
    const ChartHit hit = layout.hitTest(QPointF(bar.center()));
    EXPECT_TRUE(hit.inside);
    EXPECT_EQ(hit.series, 1);
    EXPECT_EQ(hit.point, 6);
    EXPECT_DOUBLE_EQ(hit.x, 4.0);
    EXPECT_EQ(hit.name, ChartTestData::pupils()[3]);
}

TEST(ChartLayout, AllCountsZeroGiveThreeTicks)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    for (int n = 1; n <= 3; ++n) {
        series->AddXY(QStringLiteral("P"), n, 0);
        series->AddXY(QStringLiteral("P"), n, -0.0);
    }
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    ASSERT_EQ(layout.yTicks.size(), 3);
    EXPECT_EQ(layout.yTicks[0].Value, -1);
    EXPECT_EQ(layout.yTicks[1].Value, 0);
    EXPECT_EQ(layout.yTicks[2].Value, 1);
    EXPECT_EQ(layout.zeroRow, layout.yTicks[1].Pixel);
    for (const QRect &bar : layout.series[0].bars)
        EXPECT_EQ(bar.height(), 0);
}

TEST(ChartLayout, ZeroRowIsThePlotBottomWhenZeroIsNoTick)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Line);
    series->AddXY(QString(), 0, 10);
    series->AddXY(QString(), 1, 12);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    ASSERT_EQ(layout.yTicks.size(), 3);
    EXPECT_EQ(layout.yTicks[0].Value, 10);
    EXPECT_EQ(layout.zeroRow, layout.plot.y() + layout.plot.height());
}

TEST(ChartLayout, LabelsUseTheAxisScale)
{
    QLocale::setDefault(QLocale::c());
    ChartModel model;
    model.setAxisYScale(2);
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Line);
    series->AddXY(QString(), 0, 0);
    series->AddXY(QString(), 100, 3);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    ASSERT_EQ(layout.yTicks.size(), 4);
    EXPECT_EQ(layout.yTicks[1].Label, QStringLiteral("0.5"));
    EXPECT_EQ(layout.yTicks[3].Label, QStringLiteral("1.5"));
    EXPECT_EQ(ChartLayouter::formatValue(1.7e308), QStringLiteral("~"));
    EXPECT_EQ(ChartLayouter::formatValue(2.125), QStringLiteral("2.13"));
    EXPECT_EQ(ChartLayouter::formatValue(-0.001), QStringLiteral("0"));
}

TEST(ChartLayout, LineChartGetsNiceXTicksEveryFiftyPixels)
{
    ChartModel model;
    model.setShowLegend(false);
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Line);
    series->AddXY(QString(), 0, 1);
    series->AddXY(QString(), 97, 2);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    EXPECT_FALSE(layout.onePerValue);
    const int n = layout.plot.width() / 50 + 1;
    ASSERT_EQ(layout.xTicks.size(), n);
    EXPECT_LE(layout.xTicks.first().Value, 0.0);
    EXPECT_GE(layout.xTicks.last().Value, 97.0);
    EXPECT_EQ(layout.xTicks.first().Pixel, layout.plot.x());
    EXPECT_EQ(layout.xTicks.last().Pixel, layout.plot.x() + layout.plot.width());
    // The inverse mapping returns the value of a point's pixel.
    double x = -1, y = -1;
    ASSERT_TRUE(layout.clientToChart(QPointF(layout.series[0].points[1]), x, y));
    EXPECT_NEAR(x, 97.0, 0.5);
    EXPECT_NEAR(y, 2.0, 0.05);
}

TEST(ChartLayout, LegendWrapsLongCaptionsAndListsPointLabelsInColumnsOfThirty)
{
    ChartModel model;
    model.setShowXLabel(true);
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    const QString caption = QStringLiteral("Se kterým spolužákem by ses nejraději posadil do lavice, kdyby to šlo?");
    series->setCaption(caption);
    for (int n = 1; n <= 35; ++n) {
        series->AddXY(QStringLiteral("Žák %1").arg(n), n, n % 4);
        series->AddXY(QStringLiteral("Žák %1").arg(n), n, -(n % 3));
    }
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 900));
    const QFontMetrics fm(chartFont());
    const int th = fm.height();

    ASSERT_EQ(layout.legend.size(), 1);
    const QStringList lines = layout.legend[0].lines;
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), caption);
    int widest = 0;
    for (const QString &line : lines) {
        EXPECT_LE(fm.horizontalAdvance(line), 800 / 3);
        widest = std::max(widest, fm.horizontalAdvance(line));
    }
    EXPECT_EQ(layout.legend[0].height, std::max(int(lines.size()) * th, 20));

    ASSERT_EQ(layout.legendLabels.size(), 35);
    EXPECT_EQ(layout.legendLabels[0].text, QStringLiteral("1 Žák 1"));
    EXPECT_EQ(layout.legendLabels[34].text, QStringLiteral("35 Žák 35"));
    const int labelsTop = 5 + layout.legend[0].height + 5;
    EXPECT_EQ(layout.legendLabels[0].pos, QPoint(32, labelsTop));
    EXPECT_EQ(layout.legendLabels[29].pos, QPoint(32, labelsTop + 29 * th));
    int firstColumn = 0;
    for (int i = 0; i < 30; ++i)
        firstColumn = std::max(firstColumn, 32 + fm.horizontalAdvance(layout.legendLabels[i].text));
    EXPECT_EQ(layout.legendLabels[30].pos, QPoint(firstColumn + 10, labelsTop));
    EXPECT_EQ(layout.legendRect.height(), labelsTop + 30 * th + 5);
    int secondColumn = 0;
    for (int i = 30; i < 35; ++i)
        secondColumn = std::max(secondColumn, firstColumn + 10 + fm.horizontalAdvance(layout.legendLabels[i].text));
    EXPECT_EQ(layout.legendRect.width(), std::max(widest + 32, secondColumn) + 10);
}

TEST(ChartLayout, PaddedCaptionKeepsItsBlanksAsMinimumWidth)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    series->setCaption(QStringLiteral("Kamarád").leftJustified(50));
    series->AddXY(QString(), 1, 1);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    const QFontMetrics fm(chartFont());
    ASSERT_EQ(layout.legend[0].lines.size(), 1);
    EXPECT_EQ(layout.legendRect.width(), fm.horizontalAdvance(QStringLiteral("Kamarád").leftJustified(50)) + 42);
}

TEST(ChartLayout, NoSeriesGivesEmptyAxesOnly)
{
    ChartModel model;
    model.setTitle(QStringLiteral("Prázdný"));
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    EXPECT_TRUE(layout.xTicks.isEmpty());
    EXPECT_TRUE(layout.yTicks.isEmpty());
    EXPECT_FALSE(layout.showLegend);
    EXPECT_TRUE(layout.series.isEmpty());
    EXPECT_EQ(layout.plot.x() + layout.plot.width(), 780); // no legend takes room
    EXPECT_FALSE(layout.title.isEmpty());
}

TEST(ChartLayout, SmoothSeriesPassesThroughItsPoints)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Smooth);
    const double ys[] = {1, 4, 2, 5, 3};
    for (int i = 0; i < 5; ++i)
        series->AddXY(QString(), i, ys[i]);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    const ChartSeriesGeometry &g = layout.series[0];
    ASSERT_EQ(g.curve.size(), 4 * 20 + 1);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(g.curve[i * 20].x(), g.points[i].x(), 1e-6);
        EXPECT_NEAR(g.curve[i * 20].y(), g.points[i].y(), 1e-6);
    }
    // Between two points the curve is not the straight chord.
    const QPointF mid = g.curve[10];
    const QPointF chord = (QPointF(g.points[0]) + QPointF(g.points[1])) / 2;
    EXPECT_GT(std::abs(mid.y() - chord.y()), 1.0);
}

TEST(ChartLayout, TinyOrHugeInputStaysSane)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    series->AddXY(QString(), 1, 0);
    series->AddXY(QString(), 2, 1e12);
    series->AddXY(QString(), 3, std::nan(""));
    for (const QSize size : {QSize(0, 0), QSize(10, 10), QSize(300, 200), QSize(800, 600)}) {
        const ChartLayout layout = ChartLayouter::layout(model, size);
        EXPECT_GE(layout.yTicks.size(), 3);
        EXPECT_LE(layout.yTicks.size(), std::max(3, layout.plot.height() + 1));
    }
}

TEST(ChartLayout, BarsReachTheAxisWhenZeroIsOffTheScale)
{
    ChartModel model;
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    series->AddXY(QString(), 1, -5);
    series->AddXY(QString(), 2, -2);
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600));
    ASSERT_EQ(layout.yTicks.first().Value, -5);
    ASSERT_EQ(layout.yTicks.last().Value, -2);
    const int bottom = layout.plot.y() + layout.plot.height();
    EXPECT_EQ(layout.zeroRow, bottom);
    const QRect bar = layout.series[0].bars[1];
    EXPECT_EQ(bar.y(), layout.yTicks.last().Pixel);
    EXPECT_EQ(bar.y() + bar.height(), bottom);
}

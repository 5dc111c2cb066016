// The counts of the bar chart of choices received, read from a real database file.
#include "BarChartFixture.h"

#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "graphics/BarChartBuilder.h"

namespace {

class BarChartBuilderTest : public BarChartFixture {
protected:
    BarChartData read(const QString &question = QStringLiteral("-1"), const QString &pupil = QStringLiteral("-1"),
                      bool otherRows = false, qint64 session = 0) {
        return BarChartBuilder::read(
            m_db, {QString::number(session ? session : m_session), question, pupil, otherRows});
    }
    static QVector<double> ys(const BarChartSeriesData &series) {
        QVector<double> values;
        for (const TXYInfo &point : series.points)
            values << point.Y;
        return values;
    }
};

} // namespace

TEST_F(BarChartBuilderTest, AnsweredQuestionsBecomeSeriesWithUpAndDownBarsPerPupil) {
    const BarChartData data = read();
    ASSERT_TRUE(data.built);
    EXPECT_EQ(data.noData, BarChartData::NoData::None);
    EXPECT_EQ(data.defaultTitle,
              "Preferenční volby ZŠ Lipová, 5.A, třídní učitel: Nováková, datum 04. 03. 2021");
    EXPECT_EQ(data.proposedName, "Graf ZŠ Lipová, 5.A, Nováková, zadání 04. 03. 2021");

    // Two of five questions were answered: two series, padded to 50 characters, longer texts whole.
    ASSERT_EQ(data.series.size(), 2);
    EXPECT_EQ(data.series[0].name, padded("S kým sedíš rád?"));
    EXPECT_EQ(data.series[0].name.size(), 50);
    EXPECT_EQ(data.series[1].name, kLongText);
    EXPECT_EQ(data.totals, (QVector<qint64>{5, 0, 2, 0, 0}));

    // Pupils only, in `poradi` order; Adam (X = 1) got 3 up and 1 down; the choices of the other
    // session do not count; a pupil without choices gets two zero points in every series.
    EXPECT_EQ(ys(data.series[0]), (QVector<double>{3, -1, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ys(data.series[1]), (QVector<double>{0, 0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(data.series[0].points[0].X, 1.0);
    EXPECT_EQ(data.series[0].points[0].Name, "Adam Bílý");
    EXPECT_EQ(data.series[1].points[6].X, 4.0);
    EXPECT_EQ(data.pupilList, "1. Adam Bílý\t\t2. Eva Malá\t\t3. Petr Dub\t\t4. Jana Nová\t\t");
    ASSERT_EQ(data.hover.size(), 4);
    EXPECT_EQ(data.hover[3].partnerId, m_jana);
    EXPECT_EQ(data.hover[3].name, "Jana Nová");

    // The chart receives exactly this.
    ChartModel chart;
    BarChartBuilder::setUp(chart);
    chart.setAxisXTitle(QStringLiteral("Adam Bílý"));
    BarChartBuilder::fill(chart, data, data.defaultTitle, true);
    EXPECT_EQ(chart.Title(), data.defaultTitle);
    EXPECT_TRUE(chart.AxisXTitle().isEmpty());
    EXPECT_TRUE(chart.ShowXLabel());
    EXPECT_TRUE(chart.Monochrome());
    ASSERT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.Series(1)->Kind(), ChartSeriesKind::Bar);
    EXPECT_EQ(chart.Series(1)->Caption(), kLongText);
    EXPECT_EQ(chart.Series(0)->PointCount(), 8);

    EXPECT_EQ(BarChartBuilder::pointsCsv(read(QStringLiteral("-1"), QString::number(m_adam))),
              "otazka,x,jmeno,pozitivni,negativni\r\n" + QString::number(m_q1) + ",1,Adam Bílý,3,1\r\n");
}

TEST_F(BarChartBuilderTest, FiltersChooseTheRowsThatAreCharted) {
    // One pupil: one group of bars at X = 1, only the questions that pupil received choices for.
    BarChartData data = read(QStringLiteral("-1"), QString::number(m_jana));
    ASSERT_EQ(data.series.size(), 1);
    EXPECT_EQ(data.series[0].questionId, m_q3);
    EXPECT_EQ(ys(data.series[0]), (QVector<double>{2, 0}));
    EXPECT_EQ(data.series[0].points[0].X, 1.0);

    // Other rows too: the option rows in `poradi` order among the pupils.
    data = read(QStringLiteral("-1"), QStringLiteral("-1"), true);
    EXPECT_EQ(data.pupilList,
              "1. Adam Bílý\t\t2. Eva Malá\t\t3. ne\t\t4. Petr Dub\t\t5. Jana Nová\t\t6. a\t\t7. nikdo\t\t");
    EXPECT_EQ(ys(data.series[1]), (QVector<double>{0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0}));

    // Values that are not numbers count as "all".
    EXPECT_EQ(read(QStringLiteral("x"), QStringLiteral("")).pupilList, read().pupilList);

    // An "abcde" question charts the answer options of its kind, whatever the person option says.
    addAnswer(m_session, m_q4, m_adam, m_option, true);
    data = read(QString::number(m_q4));
    EXPECT_EQ(data.pupilList, "1. a\t\t");
    ASSERT_EQ(data.series.size(), 1);
    EXPECT_EQ(ys(data.series[0]), (QVector<double>{1, 0}));

    // An unknown session charts nothing and leaves the chart alone.
    EXPECT_FALSE(BarChartBuilder::read(m_db, {QStringLiteral("9999"), {}, {}, false}).built);
}

TEST_F(BarChartBuilderTest, NoChoicesGiveTheMessageThatFitsThePersonOption) {
    const qint64 empty = addSession(m_class, m_test, QStringLiteral("2022-01-01 00:00:00"));
    BarChartData data = read(QStringLiteral("-1"), QStringLiteral("-1"), false, empty);
    EXPECT_TRUE(data.built);
    EXPECT_TRUE(data.series.isEmpty());
    EXPECT_TRUE(data.hover.isEmpty());
    EXPECT_EQ(data.noDataMessage(), "Nebyla nalezena žádná data. Možná pomůže zvolit v nabídce \"Volby "
                                    "zobrazení\" / \"Ukázat i záznamy jiné než osoby\".");
    data = read(QStringLiteral("-1"), QStringLiteral("-1"), true, empty);
    EXPECT_EQ(data.noDataMessage(), "Nebyla bohužel nalezena žádná data. ");
}

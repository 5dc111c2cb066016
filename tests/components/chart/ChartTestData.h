#pragma once

#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"

#include <QString>
#include <QStringList>

// A class of five pupils and two questions charted as the bar-chart window does:
// per pupil n two points of every series, (n, positive) and (n, -negative).
namespace ChartTestData {

inline const QStringList &pupils()
{
    static const QStringList names = {QStringLiteral("Adam Novák"), QStringLiteral("Běla Malá"),
                                      QStringLiteral("Cyril Dvořák"), QStringLiteral("Dana Černá"),
                                      QStringLiteral("Emil Kovář")};
    return names;
}

constexpr int kPositive[2][5] = {{3, 1, 0, 2, 4}, {0, 2, 1, 5, 0}};
constexpr int kNegative[2][5] = {{1, 0, 2, 0, 3}, {0, 1, 0, 0, 2}};

inline void fillTwoQuestions(ChartModel &model)
{
    model.BeginUpdate();
    model.setTitle(QStringLiteral("Třída 5.A"));
    for (int q = 0; q < 2; ++q) {
        TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
        series->setCaption(QStringLiteral("Otázka %1").arg(q + 1));
    }
    for (int n = 1; n <= 5; ++n) {
        for (int q = 0; q < 2; ++q) {
            model.Series(q)->AddXY(pupils()[n - 1], n, kPositive[q][n - 1]);
            model.Series(q)->AddXY(pupils()[n - 1], n, -kNegative[q][n - 1]);
        }
    }
    model.EndUpdate();
}

} // namespace ChartTestData

#include "chart/ChartLayouter.h"
#include "chart/ChartMetafile.h"
#include "chart/ChartModel.h"
#include "chart/ChartPainter.h"
#include "chart/ChartSeries.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// Painting needs a QGuiApplication; headless unless a platform is chosen.
void ensureApp()
{
    static int argc = 1;
    static char name[] = "chart_bench";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

// 30 bar series (questions) of 60 points: 30 pupils, one point up and one down each.
void fill(ChartModel &model, bool monochrome)
{
    model.BeginUpdate();
    model.setTitle(QStringLiteral("Preferenční volby ZŠ Komenského, 5.A, třídní učitel: Mgr. Jana Veselá"));
    model.setShowXLabel(true);
    model.setMonochrome(monochrome);
    for (int q = 0; q < 30; ++q) {
        TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
        series->setCaption(QStringLiteral("Otázka %1").arg(q + 1).leftJustified(50));
        for (int n = 1; n <= 30; ++n) {
            const QString name = QStringLiteral("Žák číslo %1").arg(n);
            series->AddXY(name, n, (n * (q + 3)) % 7);
            series->AddXY(name, n, -((n + q) % 4));
        }
    }
    model.EndUpdate();
}

void BM_Layout30x60(benchmark::State &state)
{
    ensureApp();
    ChartModel model;
    fill(model, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(ChartLayouter::layout(model, QSize(1200, 800)));
}
BENCHMARK(BM_Layout30x60)->Unit(benchmark::kMillisecond);

void BM_LayoutAndPaint30x60(benchmark::State &state)
{
    ensureApp();
    ChartModel model;
    fill(model, state.range(0) != 0);
    QImage image(1200, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        const ChartLayout layout = ChartLayouter::layout(model, image.size());
        QPainter painter(&image);
        ChartPainter::paint(painter, layout);
    }
}
BENCHMARK(BM_LayoutAndPaint30x60)->Arg(0)->Arg(1)->ArgName("monochrome")->Unit(benchmark::kMillisecond);

void BM_Emf30x60(benchmark::State &state)
{
    ensureApp();
    ChartModel model;
    fill(model, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(ChartMetafile::create(model, 1200, 800).toEmf());
}
BENCHMARK(BM_Emf30x60)->Unit(benchmark::kMillisecond);

} // namespace

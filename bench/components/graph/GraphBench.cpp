// Reading, writing and painting a graph of 10,000 objects (5,000 bubbles, 5,000 arrows).
#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphReader.h"
#include "graph/GraphRenderer.h"
#include "graph/NodeShapes.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void ensureApplication()
{
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "graph-bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

const QByteArray &bigGraphFile()
{
    static const QByteArray bytes = [] {
        ensureApplication();
        GraphDocument doc;
        doc.BeginUpdate();
        QList<TGraphNode *> nodes;
        const int count = 5000;
        for (int i = 0; i < count; ++i) {
            const QRect bounds(50 + 110 * (i % 70), 110 + 90 * (i / 70), 100, 50);
            TGraphNode *n = (i % 2) ? static_cast<TGraphNode *>(doc.AddNode<TRoundRectangularNode>(bounds))
                                    : doc.AddNode<TRectangularNode>(bounds);
            n->SetText(QStringLiteral("Žák číslo %1 Novák").arg(i));
            n->SetBrushColor(i % 2 ? 0xDCD9FF : 0xFFEED9);
            nodes.append(n);
        }
        for (int i = 0; i < count; ++i) {
            TGraphLink *link = doc.AddLink(nodes.at(i), nodes.at((i * 7 + 1) % count));
            TGraphPen pen;
            pen.Width = 2;
            link->SetPen(pen);
        }
        doc.EndUpdate();
        return doc.SaveToBytes();
    }();
    return bytes;
}

void BM_ReadGraphFile(benchmark::State &state)
{
    const QByteArray &bytes = bigGraphFile();
    for (auto _ : state) {
        GraphReader reader;
        auto doc = reader.read(bytes);
        if (!doc || doc->Objects().Count() != 10000)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(doc);
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_ReadGraphFile)->Unit(benchmark::kMillisecond);

void BM_LoadIntoDocument(benchmark::State &state)
{
    const QByteArray &bytes = bigGraphFile();
    GraphDocument doc;
    for (auto _ : state) {
        if (!doc.LoadFromBytes(bytes))
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadIntoDocument)->Unit(benchmark::kMillisecond);

void BM_WriteGraphFile(benchmark::State &state)
{
    GraphDocument doc;
    doc.LoadFromBytes(bigGraphFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.SaveToBytes());
}
BENCHMARK(BM_WriteGraphFile)->Unit(benchmark::kMillisecond);

// Every object painted at 100 % (no culling), into a window-sized bitmap.
void BM_PaintAllObjects100(benchmark::State &state)
{
    GraphDocument doc;
    doc.LoadFromBytes(bigGraphFile());
    QImage image(1127, 648, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        GraphRenderer::paintObjects(doc, painter);
    }
}
BENCHMARK(BM_PaintAllObjects100)->Unit(benchmark::kMillisecond);

// A repaint of the visible window at 100 % with grid and selection markers.
void BM_PaintWindow100(benchmark::State &state)
{
    GraphDocument doc;
    doc.LoadFromBytes(bigGraphFile());
    for (int i = 0; i < 20; ++i)
        doc.Objects()[i]->SetSelected(true);
    QImage image(1127, 648, QImage::Format_RGB32);
    GraphPaintOptions options;
    options.clip = QRect(0, 0, 1127, 648);
    options.showGrid = true;
    options.showMarkers = true;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        GraphRenderer::paint(doc, painter, options);
    }
}
BENCHMARK(BM_PaintWindow100)->Unit(benchmark::kMillisecond);

} // namespace

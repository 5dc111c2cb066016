#include "picture/EmfPaintDevice.h"
#include "picture/JpegWriter.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

QGuiApplication &application()
{
    static int argc = 1;
    static char name[] = "bench_picture";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

// A sociogram-sized scene: shapes in a few colours, each with a caption.
void paintShapes(QPainter &p, int count)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    p.setFont(font);
    for (int i = 0; i < count; ++i) {
        const int x = (i * 37) % 1900;
        const int y = (i * 53) % 1400;
        p.setPen(QPen(Qt::black, 1 + i % 2));
        p.setBrush(QColor::fromHsv((i * 13) % 360, 120, 255));
        switch (i % 3) {
        case 0:
            p.drawEllipse(QRect(x, y, 60, 30));
            break;
        case 1:
            p.drawRect(QRect(x, y, 60, 30));
            break;
        default:
            p.drawLine(x, y, x + 60, y + 30);
            break;
        }
        p.drawText(QPointF(x + 4, y + 20), QStringLiteral("Žák %1").arg(i));
    }
}

void BM_EmfTenThousandShapes(benchmark::State &state)
{
    application();
    qint64 bytes = 0;
    for (auto _ : state) {
        EmfPaintDevice device(QSize(2000, 1500));
        {
            QPainter painter(&device);
            paintShapes(painter, 10000);
        }
        const QByteArray data = device.data();
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["emf_bytes"] = double(bytes);
}
BENCHMARK(BM_EmfTenThousandShapes)->Unit(benchmark::kMillisecond);

void BM_JpegEncode2000x1500(benchmark::State &state)
{
    application();
    QImage image(2000, 1500, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintShapes(painter, 2000);
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray jpeg = encodeJpeg(image, 96);
        bytes = jpeg.size();
        benchmark::DoNotOptimize(jpeg.constData());
    }
    state.counters["jpeg_bytes"] = double(bytes);
}
BENCHMARK(BM_JpegEncode2000x1500)->Unit(benchmark::kMillisecond);

} // namespace

// libFuzzer entry for the graph file reader: any input must give a document or an
// error text, never a crash, hang or leak; a document read must write and read back.
// A document read is then taken as far as a conversion takes it: the picture size is
// checked, and the graph is drawn (scaled into a small bitmap, so the run stays short).
#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/GraphReader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

namespace {

void ensureApplication()
{
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "graph-reader-fuzzer";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    GraphReader reader;
    std::unique_ptr<GraphDocument> doc = reader.read(bytes);
    if (!doc) {
        if (reader.errorString().isEmpty())
            std::abort(); // a refusal must say why
        return 0;
    }
    const QByteArray written = doc->SaveToBytes();
    GraphReader again;
    std::unique_ptr<GraphDocument> back = again.read(written);
    if (!back || back->SaveToBytes() != written)
        std::abort(); // what we write we must read back unchanged

    // Everything read lies on the canvas, so the picture is never far larger than it.
    const QSize pictureSize = GraphExport::PictureSize(*doc);
    if (pictureSize.isEmpty())
        std::abort();
    (void)GraphExport::PictureSizeError(pictureSize, true);
    {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        GraphExport::Draw(*doc, painter, image.rect());
    }
    return 0;
}

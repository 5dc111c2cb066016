#include "graph/GraphDocument.h"
#include "graph/GraphExport.h"
#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"

#include "picture/EmfReader.h"

#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void buildGraph(GraphDocument &doc)
{
    auto *a = doc.AddNode<TRectangularNode>(QRect(100, 50, 100, 50));
    a->SetText(QStringLiteral("Petr Dvořák"));
    a->SetBrushColor(0x0000FF); // red
    auto *b = doc.AddNode<TEllipticNode>(QRect(400, 250, 100, 50));
    b->SetText(QStringLiteral("Eva"));
    doc.AddLink(a, b);
}

} // namespace

TEST(GraphExport, BitmapCoversTheObjectsPlusOne)
{
    GraphDocument doc;
    buildGraph(doc);
    const QRect bounds = doc.GraphBounds();
    // node bounds grown by half the pen width + 1
    EXPECT_EQ(bounds.topLeft(), QPoint(99, 49));
    const QImage image = GraphExport::GetAsBitmap(doc);
    EXPECT_EQ(image.size(), bounds.size() + QSize(1, 1));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    // The red node's inside, offset by the picture origin.
    EXPECT_EQ(image.pixelColor(QPoint(190, 95) - bounds.topLeft()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(QPoint(101, 51) - bounds.topLeft()), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(QPoint(100, 50) - bounds.topLeft()), QColor(Qt::black)); // outline corner
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
}

TEST(GraphExport, MetafileHoldsTheShapesAndTexts)
{
    GraphDocument doc;
    buildGraph(doc);
    const QByteArray emf = GraphExport::GetAsMetafile(doc);
    EmfReader reader;
    QString error;
    ASSERT_TRUE(reader.read(emf, &error)) << error.toStdString();
    const QStringList texts = reader.texts();
    EXPECT_TRUE(texts.join(QLatin1Char('|')).contains(QStringLiteral("Petr Dvořák")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Eva")));
    const QSize size = GraphExport::PictureSize(doc);
    EXPECT_LE(reader.header().bounds.right(), size.width());
    EXPECT_LE(reader.header().bounds.bottom(), size.height());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.emf"));
    ASSERT_TRUE(GraphExport::SaveAsMetafile(doc, path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), emf);
}

TEST(GraphExport, DrawKeepsAspectAndCentres)
{
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(0, 0, 100, 50))->SetBrushColor(0x0000FF);
    // Picture 102 x 52 (bounds -1..100 plus one); drawn into 400 x 400 it becomes 400 wide, centred.
    QImage page(400, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        GraphExport::Draw(doc, painter, page.rect());
    }
    const int pictureHeight = 400 * 52 / 102;
    const int top = (400 - pictureHeight) / 2;
    EXPECT_EQ(page.pixelColor(200, 200), QColor(Qt::red));
    EXPECT_EQ(page.pixelColor(200, top - 5), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(200, top + pictureHeight + 5), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(200, top + 20), QColor(Qt::red));

    GraphDocument empty;
    QImage untouched(50, 50, QImage::Format_RGB32);
    untouched.fill(Qt::white);
    QPainter painter(&untouched);
    GraphExport::Draw(empty, painter, untouched.rect());
    painter.end();
    EXPECT_EQ(untouched.pixelColor(25, 25), QColor(Qt::white));
}

TEST(GraphExport, ClipboardFormats)
{
    GraphDocument doc;
    buildGraph(doc);
    std::unique_ptr<QMimeData> native(GraphExport::MimeData(doc, cfNative));
    EXPECT_EQ(native->data(QLatin1String(GraphExport::NativeMimeType)), doc.SaveToBytes());
    EXPECT_FALSE(native->hasImage());
    std::unique_ptr<QMimeData> pictures(GraphExport::MimeData(doc, cfMetafile | cfBitmap));
    EXPECT_TRUE(pictures->hasImage());
    EXPECT_FALSE(pictures->data(QStringLiteral("image/x-emf")).isEmpty());
    EXPECT_FALSE(pictures->hasFormat(QLatin1String(GraphExport::NativeMimeType)));
}

TEST(GraphExport, PictureSizeIsCappedBeforeAnythingIsDrawn)
{
    // A bitmap at the cap is made; past it nothing is drawn and the caller is told why.
    EXPECT_EQ(GraphExport::PictureSizeError(QSize(100'000, 200), true), QString());
    EXPECT_EQ(GraphExport::PictureSizeError(QSize(131'072, 131'072), false), QString());
    EXPECT_EQ(GraphExport::PictureSizeError(QSize(100'001, 200), true),
              QStringLiteral("Obrázek je příliš velký (100\u00A0001 × 200 bodů); největší povolená velikost je "
                             "20\u00A0000\u00A0000 bodů."));
    EXPECT_FALSE(GraphExport::PictureSizeError(QSize(200, 131'073), true).isEmpty());
    EXPECT_EQ(GraphExport::PictureSizeError(QSize(1, 131'073), false),
              QStringLiteral("Obrázek je příliš velký (1 × 131\u00A0073 bodů); největší povolená velikost je "
                             "131\u00A0072 × 131\u00A0072 bodů."));

    // One node whose picture is 4506 x 4506, a little over the cap.
    GraphDocument doc;
    doc.AddNode<TRectangularNode>(QRect(0, 0, 4502, 4502))->SetText(QStringLiteral("Eva"));
    ASSERT_EQ(GraphExport::PictureSize(doc), QSize(4506, 4506));
    QTemporaryDir dir;
    for (const char *name : {"graph.png", "graph.jpg", "graph.jpeg"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QLatin1String(name));
        QString error;
        EXPECT_FALSE(GraphExport::SaveToFile(doc, path, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Obrázek je příliš velký (4\u00A0506 × 4\u00A0506 bodů)")))
            << error.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
    QString error;
    EXPECT_TRUE(GraphExport::GetAsBitmap(doc, &error).isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("příliš velký")));
    // The clipboard still gets the graph and the drawings, just no bitmap.
    error.clear();
    std::unique_ptr<QMimeData> data(GraphExport::MimeData(doc, cfNative | cfMetafile | cfBitmap, &error));
    EXPECT_FALSE(data->hasImage());
    EXPECT_TRUE(data->hasFormat(QLatin1String(GraphExport::NativeMimeType)));
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/x-emf")));
    EXPECT_TRUE(error.contains(QStringLiteral("příliš velký")));
    // Drawings of it are small and are made.
    for (const char *name : {"graph.svg", "graph.emf"}) {
        EXPECT_TRUE(GraphExport::SaveToFile(doc, dir.filePath(QLatin1String(name)), &error)) << error.toStdString();
    }

    // A link caption far longer than the canvas makes even a drawing too wide.
    TGraphLink *link = doc.AddLink();
    link->SetPoints(QPolygon({QPoint(0, 100), QPoint(200, 100)}));
    link->SetText(QString(20'000, QLatin1Char('W')));
    ASSERT_GT(GraphExport::PictureSize(doc).width(), GraphExport::MaxPictureSide);
    error.clear();
    EXPECT_TRUE(GraphExport::GetAsSvg(doc, &error).isEmpty());
    EXPECT_TRUE(GraphExport::GetAsMetafile(doc, &error).isEmpty());
    for (const char *name : {"wide.svg", "wide.emf"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QLatin1String(name));
        error.clear();
        EXPECT_FALSE(GraphExport::SaveToFile(doc, path, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("131\u00A0072 × 131\u00A0072"))) << error.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
}

#include "picture/EmfFormat.h"
#include "picture/EmfReader.h"
#include "picture/PictureExport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

void samplePicture(QPainter &p)
{
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 0, 0));
    p.drawRect(10, 10, 60, 40);
    p.drawText(QPointF(10, 80), QStringLiteral("Žluťoučký kůň"));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(PictureExport, RenderedImageIsOpaqueWithBackground)
{
    const QImage image = renderImage(QSize(100, 90), samplePicture, QColor(0, 0, 255));
    EXPECT_EQ(image.size(), QSize(100, 90));
    EXPECT_FALSE(image.hasAlphaChannel());
    EXPECT_EQ(image.pixel(95, 5), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(40, 30), qRgb(200, 0, 0));
    EXPECT_EQ(renderImage(QSize(5, 5), samplePicture).pixel(4, 4), qRgb(255, 255, 255));
}

TEST(PictureExport, SvgAndEmfCarryThePicture)
{
    const QByteArray svg = renderSvg(QSize(100, 90), samplePicture, QStringLiteral("Sociogram"));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("<title>Sociogram</title>"));
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 100 90\""));

    EmfReader reader;
    ASSERT_TRUE(reader.read(renderEmf(QSize(100, 90), samplePicture)));
    EXPECT_EQ(reader.header().bounds, QRect(0, 0, 100, 90));
    EXPECT_EQ(reader.count(emf::EMR_RECTANGLE), 1);
    EXPECT_EQ(reader.texts().join(QString()), QStringLiteral("Žluťoučký kůň"));
}

TEST(PictureExport, MimeDataOffersEveryFormat)
{
    const QImage image = renderImage(QSize(20, 20), samplePicture);
    const QByteArray svg = renderSvg(QSize(20, 20), samplePicture);
    const QByteArray emf = renderEmf(QSize(20, 20), samplePicture);
    std::unique_ptr<QMimeData> mime(pictureMimeData(image, svg, emf));
    EXPECT_TRUE(mime->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(mime->imageData()).size(), QSize(20, 20));
    EXPECT_EQ(mime->data(QStringLiteral("image/svg+xml")), svg);
    EXPECT_EQ(mime->data(QStringLiteral("image/x-emf")), emf);
    EXPECT_EQ(mime->data(QStringLiteral("application/x-qt-windows-mime;value=\"Enhanced Metafile\"")), emf);

    std::unique_ptr<QMimeData> onlyImage(pictureMimeData(image, QByteArray(), QByteArray()));
    EXPECT_FALSE(onlyImage->hasFormat(QStringLiteral("image/x-emf")));
    EXPECT_FALSE(onlyImage->hasFormat(QStringLiteral("image/svg+xml")));
}

TEST(PictureExport, SaveByExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QSize size(120, 90);
    QString error;
    for (const char *name : {"a.png", "b.jpg", "c.JPEG", "d.svg", "e.emf"})
        ASSERT_TRUE(savePicture(dir.filePath(QString::fromLatin1(name)), size, samplePicture, &error))
            << name << ": " << error.toStdString();

    const QImage png(dir.filePath(QStringLiteral("a.png")));
    EXPECT_EQ(png.size(), size);
    EXPECT_EQ(png.pixel(40, 30), qRgb(200, 0, 0));
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("a.png"))).startsWith("\x89PNG"));
    for (const char *name : {"b.jpg", "c.JPEG"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(readAll(path).startsWith("\xFF\xD8\xFF")) << name;
        EXPECT_EQ(QImage(path, "JPEG").size(), size) << name;
    }
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("d.svg"))).contains("<svg"));
    EmfReader reader;
    EXPECT_TRUE(reader.read(readAll(dir.filePath(QStringLiteral("e.emf")))));

    EXPECT_FALSE(savePicture(dir.filePath(QStringLiteral("f.bmp")), size, samplePicture, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("f.bmp")));
    EXPECT_FALSE(savePicture(dir.filePath(QStringLiteral("chybí/g.emf")), size, samplePicture, &error));
    EXPECT_FALSE(savePicture(dir.filePath(QStringLiteral("chybí/g.jpg")), size, samplePicture, &error));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

// A large picture is painted in strips: each strip must continue the picture where the previous one ended,
// so a shape across a strip boundary and one wholly inside a later strip come out as in one bitmap (up to
// the engine's rounding of antialiased lines clipped to a strip, a few levels of grey).
TEST(PictureExport, JpegInStripsEqualsTheWholePicture)
{
    const QSize size(140, 300);
    const auto paint = [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 3));
        p.setBrush(QColor(0, 120, 200));
        p.drawEllipse(QRectF(10.5, 40.25, 110, 90)); // across the boundary at row 64 and 128
        p.drawLine(QPointF(0, 299), QPointF(139, 150));
        p.drawText(QPointF(15, 270), QStringLiteral("Šárka Říhová"));
    };
    const QByteArray whole = renderJpeg(size, paint);
    ASSERT_FALSE(whole.isEmpty());
    const QImage expected = QImage::fromData(whole, "JPEG");
    ASSERT_EQ(expected.size(), size);
    for (int rows : {64, 7}) { // 7: strips that are no multiple of the JPEG blocks
        const QImage strips = QImage::fromData(renderJpeg(size, paint, nullptr, rows), "JPEG");
        ASSERT_EQ(strips.size(), size) << rows;
        int largest = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb a = strips.pixel(x, y), b = expected.pixel(x, y);
                largest = std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(largest, 8) << "strips of " << rows << " rows";
    }

    QString error;
    EXPECT_TRUE(renderJpeg(QSize(70000, 10), paint, &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("70000"))) << error.toStdString();
}

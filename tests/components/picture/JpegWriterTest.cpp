#include "picture/JpegWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height / 2, QColor(220, 30, 30));
    p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 180, 40));
    p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(20, 40, 200));
    p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::white);
    return image;
}

bool near(QRgb a, QColor b, int tolerance = 12)
{
    return qAbs(qRed(a) - b.red()) <= tolerance && qAbs(qGreen(a) - b.green()) <= tolerance
           && qAbs(qBlue(a) - b.blue()) <= tolerance;
}

QImage decode(const QByteArray &bytes, QByteArray *format = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    return reader.read();
}

} // namespace

TEST(JpegWriter, RoundTripKeepsSizeAndColours)
{
    const QImage source = quadrants(121, 67); // odd sizes exercise partial blocks
    const QByteArray jpeg = encodeJpeg(source);
    ASSERT_FALSE(jpeg.isEmpty());
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(jpeg.endsWith("\xFF\xD9"));
    QByteArray format;
    const QImage back = decode(jpeg, &format);
    EXPECT_EQ(format, QByteArray("jpeg"));
    ASSERT_EQ(back.size(), source.size());
    EXPECT_TRUE(near(back.pixel(10, 10), QColor(220, 30, 30)));
    EXPECT_TRUE(near(back.pixel(110, 10), QColor(30, 180, 40)));
    EXPECT_TRUE(near(back.pixel(10, 60), QColor(20, 40, 200)));
    EXPECT_TRUE(near(back.pixel(110, 60), Qt::white));
    // JFIF density of 96 dpi.
    EXPECT_NEAR(back.dotsPerMeterX(), 3780, 2);
}

TEST(JpegWriter, AnyImageFormatIsAccepted)
{
    QImage transparent(20, 10, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    QImage indexed = quadrants(16, 16).convertToFormat(QImage::Format_Indexed8);
    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(128);
    QImage mono(16, 16, QImage::Format_Mono);
    mono.fill(1);
    for (const QImage &image : {transparent, indexed, grey, mono}) {
        const QImage back = decode(encodeJpeg(image));
        ASSERT_EQ(back.size(), image.size()) << image.format();
    }
    // Transparent pixels become white, as on paper.
    EXPECT_TRUE(near(decode(encodeJpeg(transparent)).pixel(5, 5), Qt::white, 3));
    EXPECT_TRUE(near(decode(encodeJpeg(grey)).pixel(5, 5), QColor(128, 128, 128), 3));
}

TEST(JpegWriter, QualityChangesTheSize)
{
    QImage noisy(200, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            noisy.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) % 256));
    EXPECT_LT(encodeJpeg(noisy, 30).size(), encodeJpeg(noisy, 96).size());
}

TEST(JpegWriter, FailuresReturnFalseAndLeaveNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    EXPECT_TRUE(encodeJpeg(QImage()).isEmpty());
    EXPECT_FALSE(saveJpeg(QImage(), dir.filePath(QStringLiteral("prázdný.jpg")), 96, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("prázdný.jpg"))));

    error.clear();
    const QString unwritable = dir.filePath(QStringLiteral("neexistuje/graf.jpg"));
    EXPECT_FALSE(saveJpeg(quadrants(10, 10), unwritable, 96, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("graf.jpg"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // A failed save leaves an existing file as it was.
    const QString existing = dir.filePath(QStringLiteral("graf.jpg"));
    ASSERT_TRUE(saveJpeg(quadrants(10, 10), existing));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_FALSE(saveJpeg(QImage(), existing, 96, &error));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

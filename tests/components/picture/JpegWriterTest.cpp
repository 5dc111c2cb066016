#include "picture/JpegWriter.h"
#include "picture/PictureExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <vector>

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

// Example quantization tables of the JPEG standard (ITU-T T.81, Annex K), row by row.
constexpr int kLuminance[64] = {
    16,  11,  10,  16,  24,  40,  51,  61,
    12,  12,  14,  19,  26,  58,  60,  55,
    14,  13,  16,  24,  40,  57,  69,  56,
    14,  17,  22,  29,  51,  87,  80,  62,
    18,  22,  37,  56,  68,  109, 103, 77,
    24,  35,  55,  64,  81,  104, 113, 92,
    49,  64,  78,  87,  103, 121, 120, 101,
    72,  92,  95,  98,  112, 100, 103, 99,
};
constexpr int kChrominance[64] = {
    17,  18,  24,  47,  99,  99,  99,  99,
    18,  21,  26,  66,  99,  99,  99,  99,
    24,  26,  56,  99,  99,  99,  99,  99,
    47,  66,  99,  99,  99,  99,  99,  99,
    99,  99,  99,  99,  99,  99,  99,  99,
    99,  99,  99,  99,  99,  99,  99,  99,
    99,  99,  99,  99,  99,  99,  99,  99,
    99,  99,  99,  99,  99,  99,  99,  99,
};

// The table as libjpeg's quality setting (50 and above) scales it for baseline files.
std::vector<int> scaledTable(const int (&base)[64], int quality)
{
    const int scale = 200 - 2 * quality;
    std::vector<int> table;
    for (const int q : base)
        table.push_back(qBound(1, (q * scale + 50) / 100, 255));
    return table;
}

// 8-bit quantization tables of the DQT segments by table id, row by row (stored in zigzag order).
std::map<int, std::vector<int>> quantizationTables(const QByteArray &jpeg)
{
    static constexpr int kZigzag[64] = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    };
    const auto byte = [&](qsizetype at) { return at < jpeg.size() ? int(uchar(jpeg.at(at))) : -1; };
    std::map<int, std::vector<int>> tables;
    qsizetype pos = 2; // after SOI
    // Segments up to the start of scan.
    while (pos + 4 <= jpeg.size() && byte(pos) == 0xFF && byte(pos + 1) != 0xDA) {
        const qsizetype end = pos + 2 + (byte(pos + 2) << 8 | byte(pos + 3));
        if (byte(pos + 1) == 0xDB) {
            for (qsizetype at = pos + 4; at + 65 <= end && byte(at) >> 4 == 0; at += 65) {
                std::vector<int> &table = tables[byte(at) & 0x0F];
                table.assign(64, 0);
                for (int k = 0; k < 64; ++k)
                    table[kZigzag[k]] = byte(at + 1 + k);
            }
        }
        pos = end;
    }
    return tables;
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

TEST(JpegWriter, PicturesAreWrittenAtQuality96)
{
    const std::map<int, std::vector<int>> quality96 = {{0, scaledTable(kLuminance, 96)},
                                                       {1, scaledTable(kChrominance, 96)}};
    const QImage image = quadrants(40, 30);
    EXPECT_EQ(quantizationTables(encodeJpeg(image)), quality96);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString saved = dir.filePath(QStringLiteral("obrázek.jpg"));
    ASSERT_TRUE(saveJpeg(image, saved));
    const QString picture = dir.filePath(QStringLiteral("graf.jpg"));
    ASSERT_TRUE(savePicture(picture, QSize(40, 30), [](QPainter &p) { p.fillRect(0, 0, 20, 15, Qt::red); }));
    for (const QString &path : {saved, picture}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(quantizationTables(file.readAll()), quality96) << path.toStdString();
    }
}

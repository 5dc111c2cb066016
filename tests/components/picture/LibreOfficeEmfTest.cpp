// Renders metafiles with LibreOffice and compares them with QPainter's own rendering of the same routine.
#include "picture/EmfPaintDevice.h"
#include "picture/PictureExport.h"

#include <QBitmap>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QSize pictureSize(480, 320);
const QRect hatchArea(25, 125, 110, 70);
const QRect bitmapArea(25, 225, 110, 70);

void testPicture(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    // A frame along the picture's edges locates the picture on LibreOffice's page.
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(0, 0, pictureSize.width() - 1, pictureSize.height() - 1);
    // Filled shapes with known colours at known places.
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(220, 0, 0));
    p.drawRect(20, 20, 100, 60);
    p.setBrush(QColor(0, 0, 220));
    p.drawEllipse(QRect(150, 20, 100, 60));
    p.setBrush(QColor(0, 170, 0));
    const QPoint triangle[3] = {{290, 80}, {390, 80}, {340, 20}};
    p.drawPolygon(triangle, 3);
    p.setBrush(QColor(240, 200, 0));
    p.drawRoundedRect(QRectF(400, 20, 60, 60), 12, 12);
    // Dotted pen, a hatch brush and a monochrome 8 × 8 bitmap pattern as the chart's black-and-white bars.
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.drawLine(20, 100, 460, 100);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
    p.drawRect(20, 120, 120, 80);
    static const uchar cross[8] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    p.setBrush(QBrush(Qt::black, QBitmap::fromData(QSize(8, 8), cross)));
    p.drawRect(20, 220, 120, 80);
    // Czech text and text rotated to read upwards.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(160, 160), QStringLiteral("Žluťoučký kůň"));
    font.setPixelSize(18);
    font.setBold(false);
    p.setFont(font);
    p.save();
    p.translate(440, 300);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), QStringLiteral("Čtvrtek"));
    p.restore();
}

QByteArray pictureEmf(EmfPaintDevice::PatternFills fills)
{
    EmfPaintDevice device(pictureSize);
    device.setPatternFills(fills);
    {
        QPainter painter(&device);
        testPicture(painter);
    }
    return device.data();
}

QImage flattened(const QImage &image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, image);
    return flat;
}

QRect inkBounds(const QImage &image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 200) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// LibreOffice puts the picture on a page: the picture's frame finds it there.
QImage locatePicture(const QImage &page, QRect *frame)
{
    const QImage flat = flattened(page);
    *frame = inkBounds(flat);
    return frame->isEmpty() ? QImage() : flat.copy(*frame);
}

double darkFraction(const QImage &image, const QRect &area)
{
    int dark = 0;
    int all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++all)
            if (qGray(image.pixel(x, y)) < 110)
                ++dark;
    return all ? double(dark) / all : 0;
}

// Share of pixels on which two pictures agree about dark or light.
double agreement(const QImage &a, const QImage &b, const QRect &area)
{
    int same = 0;
    int all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++all)
            if ((qGray(a.pixel(x, y)) < 160) == (qGray(b.pixel(x, y)) < 160))
                ++same;
    return all ? double(same) / all : 0;
}

bool colourNear(QRgb pixel, QColor expected, int tolerance = 40)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance && qAbs(qGreen(pixel) - expected.green()) <= tolerance
           && qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
}

// What every rendering of the test picture must show, whatever its pattern fills.
void expectCommonContent(const QImage &expected, const QImage &lo)
{
    // Fill colours in the middle of each filled shape.
    EXPECT_TRUE(colourNear(lo.pixel(70, 50), QColor(220, 0, 0)));
    EXPECT_TRUE(colourNear(lo.pixel(200, 50), QColor(0, 0, 220)));
    EXPECT_TRUE(colourNear(lo.pixel(340, 65), QColor(0, 170, 0)));
    EXPECT_TRUE(colourNear(lo.pixel(430, 50), QColor(240, 200, 0)));
    // Outside the shapes the page stays white.
    EXPECT_TRUE(colourNear(lo.pixel(140, 50), Qt::white, 10));
    EXPECT_TRUE(colourNear(lo.pixel(275, 300), Qt::white, 10));
    // The dotted line is there, and broken.
    const double dotted = darkFraction(lo, QRect(20, 99, 440, 3));
    EXPECT_GT(dotted, 0.05);
    EXPECT_LT(dotted, 0.3);
    // Text covers a comparable share of its box, horizontal and rotated.
    const QRect text(155, 130, 200, 40);
    const double textQt = darkFraction(expected, text);
    const double textLo = darkFraction(lo, text);
    EXPECT_GT(textQt, 0.05);
    EXPECT_GT(textLo, textQt * 0.5);
    EXPECT_LT(textLo, textQt * 2.0);
    const QRect rotated(420, 220, 30, 90);
    const double rotatedQt = darkFraction(expected, rotated);
    const double rotatedLo = darkFraction(lo, rotated);
    EXPECT_GT(rotatedQt, 0.05);
    EXPECT_GT(rotatedLo, rotatedQt * 0.5);
    EXPECT_LT(rotatedLo, rotatedQt * 2.0);
    // Nothing of the rotated text lies where horizontal text would have gone.
    EXPECT_LT(darkFraction(lo, QRect(445, 300, 30, 18)), 0.02);
}

} // namespace

TEST(LibreOfficeEmf, RendersLikeQPainter)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty())
        << "LibreOffice (soffice) is not installed: apt-get install -y --no-install-recommends "
           "libreoffice-draw libreoffice-core";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString brushesPath = dir.filePath(QStringLiteral("brushes.emf"));
    const QString drawnPath = dir.filePath(QStringLiteral("drawn.emf"));
    for (const auto &[path, fills] : {std::pair{brushesPath, EmfPaintDevice::PatternFills::Brushes},
                                      std::pair{drawnPath, EmfPaintDevice::PatternFills::Drawn}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pictureEmf(fills));
    }
    const QImage expected = renderImage(pictureSize, testPicture);

    // One LibreOffice run converts both files, with a profile of its own.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    process.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                            QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--convert-to"),
                            QStringLiteral("png"), QStringLiteral("--outdir"), dir.path(), brushesPath, drawnPath});
    ASSERT_TRUE(process.waitForStarted(10000));
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        FAIL() << "soffice did not finish within 60 s";
    }
    const std::string output = QString::fromLocal8Bit(process.readAll()).toStdString();
    const QImage brushesPage(dir.filePath(QStringLiteral("brushes.png")));
    const QImage drawnPage(dir.filePath(QStringLiteral("drawn.png")));
    ASSERT_FALSE(brushesPage.isNull()) << "soffice wrote no PNG: " << output;
    ASSERT_FALSE(drawnPage.isNull()) << "soffice wrote no PNG: " << output;

    QRect brushesFrame;
    QRect drawnFrame;
    const QImage brushes = locatePicture(brushesPage, &brushesFrame);
    const QImage drawn = locatePicture(drawnPage, &drawnFrame);
    // Kept for a look by eye when asked to.
    const QString keep = qEnvironmentVariable("ORBELIS_KEEP_PICTURES");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        expected.save(keep + QStringLiteral("/qpainter.png"));
        brushes.save(keep + QStringLiteral("/libreoffice-brushes.png"));
        drawn.save(keep + QStringLiteral("/libreoffice-drawn.png"));
        brushesPage.save(keep + QStringLiteral("/libreoffice-page.png"));
    }
    // At 96 dpi the picture keeps its pixel size on LibreOffice's page.
    for (const QRect &frame : {brushesFrame, drawnFrame}) {
        ASSERT_FALSE(frame.isEmpty()) << "LibreOffice rendered an empty page";
        EXPECT_NEAR(frame.width(), pictureSize.width(), 3);
        EXPECT_NEAR(frame.height(), pictureSize.height(), 3);
    }
    // Same scale: compare pixel by pixel from the frame's corner.
    const QImage brushesLo = brushes.copy(QRect(QPoint(0, 0), pictureSize));
    const QImage drawnLo = drawn.copy(QRect(QPoint(0, 0), pictureSize));
    {
        SCOPED_TRACE("pattern brushes");
        expectCommonContent(expected, brushesLo);
    }
    {
        SCOPED_TRACE("drawn patterns");
        expectCommonContent(expected, drawnLo);
    }

    // GDI hatch and pattern brushes: LibreOffice fills such shapes without the pattern, so only the
    // fill is checked here; the brush records themselves are checked by the record tests.
    for (const QRect &area : {hatchArea, bitmapArea})
        EXPECT_GT(darkFraction(brushesLo, area), 0.1);
    // Drawn patterns look as QPainter paints them, pixel for pixel in the main.
    for (const QRect &area : {hatchArea, bitmapArea}) {
        const double qt = darkFraction(expected, area);
        const double lo = darkFraction(drawnLo, area);
        EXPECT_GT(qt, 0.1);
        EXPECT_GT(lo, qt * 0.7);
        EXPECT_LT(lo, qt * 1.4);
        EXPECT_GT(agreement(expected, drawnLo, area), 0.9);
    }
}

// Renders a metafile with LibreOffice and compares it with QPainter's own rendering of the same routine.
#include "picture/PictureExport.h"

#include <QBitmap>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QSize pictureSize(480, 320);

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
    // Dotted pen and a hatch brush.
    p.setPen(QPen(Qt::black, 0, Qt::DotLine));
    p.drawLine(20, 100, 460, 100);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
    p.drawRect(20, 120, 120, 80);
    // A monochrome 8 × 8 bitmap pattern, as the chart fills its bars in black and white.
    static const uchar diagonal[8] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    p.setBrush(QBrush(Qt::black, QBitmap::fromData(QSize(8, 8), diagonal)));
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

bool colourNear(QRgb pixel, QColor expected, int tolerance = 40)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance && qAbs(qGreen(pixel) - expected.green()) <= tolerance
           && qAbs(qBlue(pixel) - expected.blue()) <= tolerance;
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
    const QString emfPath = dir.filePath(QStringLiteral("picture.emf"));
    QString error;
    ASSERT_TRUE(savePicture(emfPath, pictureSize, testPicture, &error)) << error.toStdString();
    const QImage expected = renderImage(pictureSize, testPicture);

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
    QElapsedTimer timer;
    timer.start();
    process.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                            QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--convert-to"),
                            QStringLiteral("png"), QStringLiteral("--outdir"), dir.path(), emfPath});
    ASSERT_TRUE(process.waitForStarted(10000));
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        FAIL() << "soffice did not finish within 60 s";
    }
    const QString output = QString::fromLocal8Bit(process.readAll());
    const QString pngPath = dir.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(QFile::exists(pngPath)) << "soffice wrote no PNG: " << output.toStdString();
    QImage rendered(pngPath);
    ASSERT_FALSE(rendered.isNull());

    // Keep both pictures for a look by eye when asked to.
    const QString keep = qEnvironmentVariable("ORBELIS_KEEP_PICTURES");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        QFile::remove(keep + QStringLiteral("/libreoffice.png"));
        expected.save(keep + QStringLiteral("/qpainter.png"));
        QFile::remove(keep + QStringLiteral("/libreoffice-page.png"));
        rendered.save(keep + QStringLiteral("/libreoffice-page.png"));
        QFile::remove(keep + QStringLiteral("/picture.emf"));
        QFile::copy(emfPath, keep + QStringLiteral("/picture.emf"));
    }

    // LibreOffice places the picture on a page: find it by its frame. At 96 dpi it keeps its pixel size.
    const QImage page = flattened(rendered);
    const QRect frame = inkBounds(page);
    ASSERT_FALSE(frame.isEmpty()) << "LibreOffice rendered an empty page";
    EXPECT_NEAR(frame.width(), pictureSize.width(), 4);
    EXPECT_NEAR(frame.height(), pictureSize.height(), 4);
    const QImage lo = page.copy(frame).scaled(pictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!keep.isEmpty())
        lo.save(keep + QStringLiteral("/libreoffice.png"));

    // Fill colours in the middle of each filled shape.
    EXPECT_TRUE(colourNear(lo.pixel(70, 50), QColor(220, 0, 0)));
    EXPECT_TRUE(colourNear(lo.pixel(200, 50), QColor(0, 0, 220)));
    EXPECT_TRUE(colourNear(lo.pixel(340, 65), QColor(0, 170, 0)));
    EXPECT_TRUE(colourNear(lo.pixel(430, 50), QColor(240, 200, 0)));
    // Outside the shapes the page stays white.
    EXPECT_TRUE(colourNear(lo.pixel(140, 50), Qt::white, 10));
    EXPECT_TRUE(colourNear(lo.pixel(275, 300), Qt::white, 10));

    // Hatch and bitmap pattern brushes are filled. LibreOffice's EMF import draws pattern brushes in
    // their colour without the pattern; the patterns themselves are checked record by record elsewhere.
    for (const QRect &area : {QRect(25, 125, 110, 70), QRect(25, 225, 110, 70)}) {
        EXPECT_GT(darkFraction(expected, area), 0.1);
        EXPECT_GT(darkFraction(lo, area), 0.1);
    }
    // The dotted line is there.
    EXPECT_GT(darkFraction(lo, QRect(20, 99, 440, 3)), 0.05);
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
    // And nothing of the rotated text lies where horizontal text would have gone.
    EXPECT_LT(darkFraction(lo, QRect(445, 300, 30, 18)), 0.02);
    EXPECT_LT(timer.elapsed(), 60000);
}

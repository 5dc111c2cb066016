#include "ChartTestData.h"

#include "chart/ChartLayouter.h"
#include "chart/ChartMetafile.h"

#include "picture/EmfFormat.h"
#include "picture/EmfReader.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

int bottomOf(const QRect &r)
{
    return r.y() + r.height();
}

void fillThreeQuestions(ChartModel &model)
{
    ChartTestData::fillTwoQuestions(model);
    TChartSeries *third = model.AddSeries(ChartSeriesKind::Bar);
    third->setCaption(QStringLiteral("Otázka 3 – koho bys pozval na oslavu?"));
    for (int n = 1; n <= 5; ++n) {
        third->AddXY(ChartTestData::pupils()[n - 1], n, (n * 2) % 5);
        third->AddXY(ChartTestData::pupils()[n - 1], n, -(n % 2));
    }
}

// Bounding box of everything darker than near-white.
QRect contentBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

// The .emf converted to PNG by LibreOffice (a null image when that fails).
QImage renderWithLibreOffice(const QString &soffice, const QByteArray &emf, const QString &baseName)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return QImage();
    const QString emfPath = dir.filePath(baseName + QStringLiteral(".emf"));
    QFile file(emfPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(emf) != emf.size())
        return QImage();
    file.close();
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("png"),
                            QStringLiteral("--outdir"), dir.path(), emfPath});
    if (!process.waitForFinished(180000))
        return QImage();
    const QImage image(dir.filePath(baseName + QStringLiteral(".png")));
    if (qEnvironmentVariableIsSet("ORBELIS_KEEP_PICTURES")) {
        const QString keep = qEnvironmentVariable("ORBELIS_KEEP_PICTURES");
        QDir().mkpath(keep);
        image.save(keep + QLatin1Char('/') + baseName + QStringLiteral("-libreoffice.png"));
        QFile::copy(emfPath, keep + QLatin1Char('/') + baseName + QStringLiteral(".emf"));
    }
    return image;
}

// Maps a point of our picture into LibreOffice's page by the drawn areas of both.
QPoint mapped(QPointF p, const QRect &ourBox, const QRect &theirBox)
{
    const QPointF c = p - ourBox.topLeft();
    return QPointF(theirBox.x() + c.x() * theirBox.width() / ourBox.width(),
                   theirBox.y() + c.y() * theirBox.height() / ourBox.height())
        .toPoint();
}

} // namespace

TEST(ChartMetafile, KeepsTheRequestedSizeWhenEverythingFits)
{
    ChartModel model;
    ChartTestData::fillTwoQuestions(model);
    const ChartMetafile meta = ChartMetafile::create(model, 800, 600);
    EXPECT_EQ(meta.size(), QSize(800, 600));
    const ChartMetafile other = ChartMetafile::create(model, 1000, 700);
    EXPECT_EQ(other.size(), QSize(1000, 700));
    EXPECT_EQ(other.layout().plot.x() + other.layout().plot.width(), other.layout().legendRect.x() - 20);
}

TEST(ChartMetafile, TallLegendRaisesTheHeight)
{
    ChartModel model;
    model.BeginUpdate();
    for (int s = 0; s < 30; ++s) {
        TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
        series->setCaption(QStringLiteral("Otázka %1").arg(s + 1));
        series->AddXY(QStringLiteral("Adam"), 1, s % 4);
    }
    model.EndUpdate();
    const ChartLayout first = ChartLayouter::layout(model, QSize(800, 600), 96);
    ASSERT_GT(bottomOf(first.legendRect) + 20, 600);

    const ChartMetafile meta = ChartMetafile::create(model, 800, 600);
    EXPECT_EQ(meta.size().height(), bottomOf(first.legendRect) + 20);
    EXPECT_EQ(meta.layout().size, meta.size()); // laid out again for the new size
    EXPECT_EQ(bottomOf(meta.layout().legendRect) + 20, meta.size().height());
}

TEST(ChartMetafile, NarrowPlotWidensThePicture)
{
    ChartModel model;
    ChartTestData::fillTwoQuestions(model);
    const ChartLayout first = ChartLayouter::layout(model, QSize(400, 700), 96);
    ASSERT_LT(first.plot.width(), first.plot.height());
    const ChartMetafile meta = ChartMetafile::create(model, 400, 700);
    EXPECT_EQ(meta.size(), QSize(400 + first.plot.height() - first.plot.width(), 700));
    EXPECT_EQ(meta.layout().size, meta.size());
}

TEST(ChartMetafile, PrintRectangleIsTheLargestCentred2100By1600)
{
    EXPECT_EQ(ChartMetafile::printRect(QRectF(0, 0, 2100, 2000)), QRectF(0, 200, 2100, 1600));
    EXPECT_EQ(ChartMetafile::printRect(QRectF(50, 50, 4200, 1600)), QRectF(50 + 1050, 50, 2100, 1600));
    const QRectF portrait = ChartMetafile::printRect(QRectF(0, 0, 1050, 3000));
    EXPECT_DOUBLE_EQ(portrait.width(), 1050);
    EXPECT_DOUBLE_EQ(portrait.height(), 800);
    EXPECT_DOUBLE_EQ(portrait.y(), 1100);
}

TEST(ChartMetafile, PrintChartStretchesThe800By600Picture)
{
    ChartModel model;
    ChartTestData::fillTwoQuestions(model);
    QImage page(2200, 2000, QImage::Format_RGB32);
    page.fill(Qt::green);
    {
        QPainter painter(&page);
        ChartMetafile::printChart(model, painter, QRect(50, 50, 2100, 1900));
    }
    // Fitted: 2100 x 1600 at (50, 200); scale 2100 / 800 across, 1600 / 600 down.
    EXPECT_EQ(page.pixelColor(100, 150), QColor(Qt::green));
    EXPECT_EQ(page.pixelColor(100, 1850), QColor(Qt::green));
    EXPECT_EQ(page.pixelColor(100, 250), QColor(Qt::white));
    const ChartLayout layout = ChartLayouter::layout(model, QSize(800, 600), 96);
    const QRect bar = layout.series[0].bars[0]; // red, 3 up
    const QPointF centre(50 + bar.center().x() * 2100.0 / 800, 200 + bar.center().y() * 1600.0 / 600);
    EXPECT_EQ(page.pixelColor(centre.toPoint()), QColor(255, 0, 0));
}

TEST(ChartMetafile, EmfHoldsTheChartWithPatternBrushesInMonochrome)
{
    ChartModel model;
    ChartTestData::fillTwoQuestions(model);
    model.setMonochrome(true);
    const ChartMetafile meta = ChartMetafile::create(model, 800, 600);
    const QByteArray emf = meta.toEmf();
    EmfReader reader;
    QString error;
    ASSERT_TRUE(reader.read(emf, &error)) << error.toStdString();
    const QStringList texts = reader.texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("Třída 5.A")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Otázka 2")));
    EXPECT_TRUE(texts.contains(QStringLiteral("3 Cyril Dvořák")));
    EXPECT_GT(reader.count(emf::EMR_CREATEDIBPATTERNBRUSHPT) + reader.count(emf::EMR_CREATEMONOBRUSH), 0);
}

TEST(ChartMetafile, SavesByExtension)
{
    ChartModel model;
    ChartTestData::fillTwoQuestions(model);
    const ChartMetafile meta = ChartMetafile::create(model, 640, 480);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    ASSERT_TRUE(meta.save(dir.filePath(QStringLiteral("graf.emf")), &error)) << error.toStdString();
    ASSERT_TRUE(meta.save(dir.filePath(QStringLiteral("graf.jpg")), &error)) << error.toStdString();
    EXPECT_FALSE(meta.save(dir.filePath(QStringLiteral("graf.xyz")), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("graf.xyz"))));
    const QImage jpeg(dir.filePath(QStringLiteral("graf.jpg")));
    EXPECT_EQ(jpeg.size(), QSize(640, 480));
    QFile file(dir.filePath(QStringLiteral("graf.emf")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), meta.toEmf());
}

// LibreOffice draws the metafile like our own bitmap of the same chart. Set
// ORBELIS_KEEP_PICTURES to a folder to keep the pictures and the .emf for a look.
TEST(ChartMetafile, LibreOfficeRendersTheEmfLikeTheBitmap)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    ChartModel model;
    fillThreeQuestions(model);
    model.setShowXLabel(true);
    const ChartMetafile meta = ChartMetafile::create(model, 800, 600);
    const QImage ours = meta.toImage();
    const QImage theirs = renderWithLibreOffice(soffice, meta.toEmf(), QStringLiteral("chart"));
    ASSERT_FALSE(theirs.isNull());
    if (qEnvironmentVariableIsSet("ORBELIS_KEEP_PICTURES"))
        ours.save(qEnvironmentVariable("ORBELIS_KEEP_PICTURES") + QStringLiteral("/chart-ours.png"));

    // LibreOffice puts the picture on a page: compare the drawn areas of both.
    const QRect ourBox = contentBox(ours);
    const QRect theirBox = contentBox(theirs);
    ASSERT_FALSE(theirBox.isEmpty());
    EXPECT_NEAR(double(theirBox.width()) / theirBox.height(), double(ourBox.width()) / ourBox.height(), 0.03);

    // Same picture, compared coarsely: both drawn areas scaled to 80 x 60.
    const QImage a = ours.copy(ourBox).scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    const QImage b = theirs.copy(theirBox).scaled(80, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    double difference = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    difference /= 80.0 * 60.0 * 3.0;
    RecordProperty("meanChannelDifference", QString::number(difference, 'f', 2).toStdString());
    EXPECT_LT(difference, 12.0) << "mean channel difference " << difference;

    // The bars are where our layout put them, in their colours.
    const ChartLayout &layout = meta.layout();
    const auto colourAt = [&](const QRect &bar) {
        return theirs.pixelColor(mapped(QPointF(bar.center()), ourBox, theirBox));
    };
    EXPECT_EQ(colourAt(layout.series[0].bars[0]), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(layout.series[1].bars[6]), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(layout.series[2].bars[2]), QColor(0, 128, 0));
}

// With hatches drawn out, LibreOffice shows the monochrome bars hatched as well.
TEST(ChartMetafile, LibreOfficeShowsDrawnHatches)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";

    ChartModel model;
    fillThreeQuestions(model);
    model.setMonochrome(true);
    const ChartMetafile meta = ChartMetafile::create(model, 800, 600);
    const QImage theirs = renderWithLibreOffice(soffice, meta.toEmf(EmfPaintDevice::PatternFills::Drawn),
                                                QStringLiteral("monochrome"));
    ASSERT_FALSE(theirs.isNull());
    const QRect ourBox = contentBox(meta.toImage());
    const QRect theirBox = contentBox(theirs);
    for (int q = 0; q < 3; ++q) {
        SCOPED_TRACE(q);
        const QRect bar = meta.layout().series[q].bars[4]; // pupil 3 (1 to 2 up)
        const QRect area(mapped(QPointF(bar.topLeft()) + QPointF(2, 2), ourBox, theirBox),
                         mapped(QPointF(bar.x() + bar.width() - 3, bar.y() + bar.height() - 3), ourBox, theirBox));
        int dark = 0, light = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                (qGray(theirs.pixel(x, y)) < 128 ? dark : light)++;
        EXPECT_GT(dark, area.width() * area.height() / 10) << "no hatch inside the bar";
        EXPECT_GT(light, area.width() * area.height() / 4);
    }
}

// The chart of all rows of a class: 45 groups of four bars, long double-barrelled names, a dated title.
TEST(ChartMetafile, FortyFiveGroupsGetEveryNameUnderTheAxisWithoutOverlapAndTheDateStaysWhole) {
    ChartModel model;
    model.setShowXLabel(true);
    model.setTitle(
        QStringLiteral("Preferenční volby ZŠ Komenského, Brno, 6.B, třídní učitel: Mgr. Jana Malá, "
                       "datum 03. 12. 2026"));
    for (int q = 0; q < 4; ++q) {
        TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
        series->setCaption(QStringLiteral("Otázka %1").arg(q + 1));
        for (int n = 1; n <= 45; ++n)
            series->AddXY(QStringLiteral("Kristýna Nováková-Procházková %1").arg(n), n, (n * (q + 2)) % 7);
    }
    const ChartLayout picture = ChartMetafile::create(model, 800, 600).layout();
    const ChartLayout window = ChartLayouter::layout(model, QSize(800, 600), ChartMetafile::kDpi);
    EXPECT_EQ(window.xLabelStep, 2) << "the window's chart, too narrow for 45 names, labels every other";
    for (const ChartLayout *layout : {&picture, &window}) {
        ASSERT_EQ(layout->xLabelRects.size(), 45);
        const QRect whole(QPoint(0, 0), layout->size);
        for (int i = 0; i < 45; ++i) {
            if (layout->xLabels[i].isEmpty())
                continue;
            const QRect &label = layout->xLabelRects[i];
            EXPECT_TRUE(whole.contains(label)) << i;
            EXPECT_EQ(QFontMetrics(layout->font).horizontalAdvance(layout->xLabels[i]), label.height()) << i;
            for (int j = i + 1; j < 45; ++j)
                EXPECT_FALSE(label.intersects(layout->xLabelRects[j])) << i << " and " << j;
        }
    }
    EXPECT_EQ(picture.xLabelStep, 1);
    EXPECT_GT(picture.size.width(), 800);
    EXPECT_TRUE(picture.xLabels[0].startsWith(QStringLiteral("1 Kristýna N.")))
        << "shortened to the first name and initials: " << picture.xLabels[0].toStdString();

    const ChartLayout narrow = ChartLayouter::layout(model, QSize(500, 600), ChartMetafile::kDpi);
    ASSERT_GE(narrow.titleLines.size(), 2);
    EXPECT_TRUE(std::any_of(narrow.titleLines.cbegin(), narrow.titleLines.cend(), [](const QString &line) {
        return line.contains(QStringLiteral("03. 12. 2026"));
    })) << narrow.titleLines.join(u'|').toStdString();
}

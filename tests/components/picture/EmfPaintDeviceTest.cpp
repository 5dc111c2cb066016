#include "EmfTestSupport.h"

#include "picture/EmfFormat.h"
#include "picture/EmfPaintDevice.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

using namespace emf;

namespace {

QList<EmfRecord> ofType(const QList<EmfRecord> &records, quint32 type)
{
    QList<EmfRecord> result;
    for (const EmfRecord &r : records)
        if (r.type == type)
            result.append(r);
    return result;
}

} // namespace

TEST(EmfHeader, FieldsMatchSizeDpiAndContent)
{
    EmfPaintDevice device(QSize(800, 600));
    {
        QPainter painter(&device);
        painter.drawLine(0, 0, 799, 599);
        painter.setFont(QFont(QStringLiteral("Arial"), 10));
        painter.drawText(QPointF(10, 20), QStringLiteral("Ahoj"));
    }
    const QByteArray bytes = device.data();
    EmfReader reader;
    QString error;
    ASSERT_TRUE(reader.read(bytes, &error)) << error.toStdString();
    const EmfHeader &h = reader.header();
    EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
    EXPECT_EQ(h.signature, ENHMETA_SIGNATURE);
    EXPECT_EQ(h.version, 0x10000u);
    EXPECT_EQ(h.bounds, QRect(0, 0, 800, 600));
    // 800 px at 96 dpi = 211.67 mm; the frame is inclusive in .01 mm.
    EXPECT_EQ(h.frame, QRect(QPoint(0, 0), QPoint(21166, 15874)));
    EXPECT_EQ(h.bytes, quint32(bytes.size()));
    EXPECT_EQ(h.records, quint32(reader.records().size()));
    EXPECT_EQ(h.description, QStringLiteral("Orbelis") + QChar(0) + QChar(0));
    // Reference device of 96 dpi: pixels per millimetre as the picture's.
    EXPECT_DOUBLE_EQ(h.deviceSize.width() / double(h.millimeters.width()), 96 / 25.4);
    EXPECT_EQ(h.micrometers, QSize(254000, 254000));
    // One pen and one font were alive at once, plus the reserved index 0.
    EXPECT_EQ(h.handles, 3);
    EXPECT_EQ(reader.records().last().type, EMR_EOF);
    EXPECT_EQ(reader.records().last().size(), 20);
    EXPECT_EQ(reader.count(EMR_EOF), 1);
    EXPECT_EQ(reader.records().first().size() % 4, 0);
}

TEST(EmfHeader, TotalsAndEndRecordInTheRawBytes)
{
    EmfPaintDevice painted(QSize(200, 100));
    {
        QPainter painter(&painted);
        painter.drawLine(0, 0, 199, 99);
        painter.drawText(QPointF(10, 20), QStringLiteral("Ahoj"));
    }
    const EmfPaintDevice empty(QSize(50, 50));
    for (const QByteArray &bytes : {painted.data(), empty.data()}) {
        const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
        ASSERT_GE(bytes.size(), 88 + 20);
        quint32 records = 0;
        qsizetype last = 0;
        for (qsizetype at = 0; at + 8 <= bytes.size(); at += u32(at + 4)) {
            ASSERT_GE(u32(at + 4), 8u);
            last = at;
            ++records;
        }
        EXPECT_EQ(u32(48), quint32(bytes.size())); // nBytes
        EXPECT_EQ(u32(52), records);               // nRecords
        // EMR_EOF: type, size, nPalEntries, offPalEntries, the palette entries, nSizeLast.
        const quint32 size = u32(last + 4);
        EXPECT_EQ(u32(last), quint32(EMR_EOF));
        ASSERT_EQ(last + size, bytes.size());
        EXPECT_EQ(u32(last + 12), 16u);
        EXPECT_EQ(size, 20 + 4 * u32(last + 8));
        EXPECT_EQ(u32(last + size - 4), size);
    }
}

TEST(EmfHeader, FrameFollowsDpiAndEmptyPictureIsValid)
{
    EmfPaintDevice device(QSize(300, 150), 300);
    EmfReader before;
    ASSERT_TRUE(before.read(device.data()));
    EXPECT_EQ(before.records().size(), 2); // header and EOF: an empty graph still saves a valid file
    EXPECT_EQ(before.header().handles, 1);
    {
        QPainter painter(&device);
        EXPECT_EQ(painter.device()->logicalDpiX(), 300);
        EXPECT_EQ(painter.device()->widthMM(), 25);
    }
    EmfReader reader;
    ASSERT_TRUE(reader.read(device.data()));
    EXPECT_EQ(reader.header().frame, QRect(QPoint(0, 0), QPoint(2539, 1269))); // 1 inch × 1/2 inch
    EXPECT_EQ(reader.header().handles, 1);
    EXPECT_EQ(reader.records().last().type, EMR_EOF);
}

TEST(EmfHeader, EachPaintingSessionStartsAnew)
{
    EmfPaintDevice device(QSize(100, 100));
    {
        QPainter painter(&device);
        for (int i = 0; i < 5; ++i)
            painter.drawLine(0, i, 10, i);
    }
    const int first = device.data().size();
    {
        QPainter painter(&device);
        painter.drawLine(0, 0, 10, 10);
    }
    EmfReader reader;
    ASSERT_TRUE(reader.read(device.data()));
    EXPECT_LT(device.data().size(), first);
    EXPECT_EQ(reader.count(EMR_LINETO), 1);
}

TEST(EmfReaderTest, RejectsMalformedFiles)
{
    EmfPaintDevice device(QSize(10, 10));
    const QByteArray good = device.data();
    EmfReader reader;
    QString error;
    EXPECT_FALSE(reader.read(QByteArray(), &error));
    EXPECT_FALSE(reader.read(good.left(good.size() - 4), &error));
    QByteArray badSize = good;
    badSize[4] = 3; // header size not a multiple of 4
    EXPECT_FALSE(reader.read(badSize, &error));
    QByteArray trailing = good + QByteArray(8, '\0');
    EXPECT_FALSE(reader.read(trailing, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(EmfPrimitives, LinesAndPolylines)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [](QPainter &p) {
        p.drawLine(10, 20, 30, 40);
        p.drawLine(QLineF(1.4, 2.6, 50.5, 60.2));
        const QPoint points[3] = {{1, 2}, {3, 4}, {5, 7}};
        p.drawPolyline(points, 3);
    });
    const QList<EmfRecord> records = drawingRecords(reader);
    const QList<EmfRecord> moves = ofType(records, EMR_MOVETOEX);
    const QList<EmfRecord> lines = ofType(records, EMR_LINETO);
    ASSERT_EQ(moves.size(), 2);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(params(moves[0]), (QList<qint32>{10, 20}));
    EXPECT_EQ(params(lines[0]), (QList<qint32>{30, 40}));
    EXPECT_EQ(params(moves[1]), (QList<qint32>{1, 3}));
    EXPECT_EQ(params(lines[1]), (QList<qint32>{51, 60}));
    const QList<EmfRecord> polylines = ofType(records, EMR_POLYLINE);
    ASSERT_EQ(polylines.size(), 1);
    EXPECT_EQ(polyPoints(polylines[0]), (QList<QPoint>{{1, 2}, {3, 4}, {5, 7}}));
    EXPECT_EQ(polylines[0].rectAt(8), QRect(QPoint(1, 2), QPoint(5, 7))); // bounds
}

TEST(EmfPrimitives, RectanglesEllipsesAndPolygons)
{
    const EmfReader reader = paintEmf(QSize(200, 200), [](QPainter &p) {
        p.setBrush(Qt::red);
        p.drawRect(QRect(10, 10, 20, 30));
        p.drawEllipse(QRect(50, 60, 40, 20));
        const QPointF triangle[3] = {{100, 100}, {150, 100}, {125, 150}};
        p.drawPolygon(triangle, 3, Qt::WindingFill);
        p.fillRect(QRect(0, 0, 5, 5), Qt::blue);
    });
    const QList<EmfRecord> records = drawingRecords(reader);
    const QList<EmfRecord> rects = ofType(records, EMR_RECTANGLE);
    ASSERT_EQ(rects.size(), 2);
    // GDI leaves out the right and bottom edge: one past what QPainter covers.
    EXPECT_EQ(params(rects[0]), (QList<qint32>{10, 10, 31, 41}));
    EXPECT_EQ(params(rects[1]), (QList<qint32>{0, 0, 6, 6}));
    const QList<EmfRecord> ellipses = ofType(records, EMR_ELLIPSE);
    ASSERT_EQ(ellipses.size(), 1);
    EXPECT_EQ(params(ellipses[0]), (QList<qint32>{50, 60, 91, 81}));
    const QList<EmfRecord> polygons = ofType(records, EMR_POLYGON);
    ASSERT_EQ(polygons.size(), 1);
    EXPECT_EQ(polyPoints(polygons[0]), (QList<QPoint>{{100, 100}, {150, 100}, {125, 150}}));
    // Winding fill for the triangle, then back to alternate is not needed: the mode stays until changed.
    const QList<EmfRecord> modes = ofType(records, EMR_SETPOLYFILLMODE);
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(modes[0].param(0), WINDING);
    // fillRect selects the null pen and a blue brush just before its rectangle.
    bool nullPenBeforeFill = false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records[i].type == EMR_RECTANGLE && params(records[i]) == QList<qint32>{0, 0, 6, 6}) {
            for (qsizetype j = i - 1; j >= 0 && records[j].type != EMR_POLYGON; --j)
                if (records[j].type == EMR_SELECTOBJECT && records[j].param(0) == NULL_PEN)
                    nullPenBeforeFill = true;
        }
    }
    EXPECT_TRUE(nullPenBeforeFill);
    const QList<EmfRecord> brushes = ofType(records, EMR_CREATEBRUSHINDIRECT);
    ASSERT_EQ(brushes.size(), 2);
    EXPECT_EQ(brushes[0].param(1), BS_SOLID);
    EXPECT_EQ(brushes[0].param(2), 0x0000FFu); // red as COLORREF 0x00BBGGRR
    EXPECT_EQ(brushes[1].param(2), 0xFF0000u); // blue
}

TEST(EmfPrimitives, PathsArcsAndRoundedRectangles)
{
    const EmfReader reader = paintEmf(QSize(200, 200), [](QPainter &p) {
        p.setBrush(Qt::yellow);
        p.drawRoundedRect(QRectF(10, 10, 80, 40), 8, 8);
        p.drawArc(QRect(100, 100, 50, 50), 0, 90 * 16);
        QPainterPath open;
        open.moveTo(0, 150);
        open.lineTo(50, 150);
        open.lineTo(50, 190);
        p.drawPath(open); // filled as closed, stroked open
    });
    const QList<EmfRecord> records = drawingRecords(reader);
    EXPECT_EQ(reader.count(EMR_BEGINPATH), reader.count(EMR_ENDPATH));
    const QList<EmfRecord> strokeAndFill = ofType(records, EMR_STROKEANDFILLPATH);
    ASSERT_EQ(strokeAndFill.size(), 1); // the rounded rectangle
    EXPECT_EQ(strokeAndFill[0].rectAt(8), QRect(QPoint(10, 10), QPoint(90, 50)));
    EXPECT_GE(reader.count(EMR_POLYBEZIERTO), 2);
    for (const EmfRecord &r : ofType(records, EMR_POLYBEZIERTO))
        EXPECT_EQ(polyPoints(r).size() % 3, 0);
    EXPECT_GE(reader.count(EMR_CLOSEFIGURE), 1);
    // The arc and the open path's outline are strokes; the open path is also filled on its own.
    EXPECT_EQ(reader.count(EMR_STROKEPATH), 2);
    EXPECT_EQ(reader.count(EMR_FILLPATH), 1);
    // The arc starts at 3 o'clock of its circle and ends at 12 o'clock.
    bool arcFound = false;
    for (qsizetype i = 0; i + 1 < records.size(); ++i) {
        if (records[i].type == EMR_MOVETOEX && params(records[i]) == QList<qint32>{150, 125}
            && records[i + 1].type == EMR_POLYBEZIERTO) {
            arcFound = polyPoints(records[i + 1]).last() == QPoint(125, 100);
        }
    }
    EXPECT_TRUE(arcFound);
}

TEST(EmfPrimitives, PointsAndImages)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(3, 1, qRgb(0, 0, 255));
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        p.setPen(QPen(Qt::green, 0));
        p.drawPoint(5, 6);
        p.drawImage(QRect(10, 20, 8, 4), image);
        p.drawPixmap(QPoint(50, 50), QPixmap::fromImage(image));
    });
    const QList<EmfRecord> pixels = reader.recordsOfType(EMR_SETPIXELV);
    ASSERT_EQ(pixels.size(), 1);
    EXPECT_EQ(params(pixels[0]), (QList<qint32>{5, 6, 0x00FF00}));
    const QList<EmfRecord> images = reader.recordsOfType(EMR_STRETCHDIBITS);
    ASSERT_EQ(images.size(), 2);
    const EmfRecord &r = images[0];
    EXPECT_EQ(r.i32(24), 10); // xDest
    EXPECT_EQ(r.i32(28), 20); // yDest
    EXPECT_EQ(r.i32(40), 4);  // cxSrc
    EXPECT_EQ(r.i32(44), 2);  // cySrc
    EXPECT_EQ(r.u32(68), SRCCOPY);
    EXPECT_EQ(r.i32(72), 8); // cxDest
    EXPECT_EQ(r.i32(76), 4); // cyDest
    const quint32 offBmi = r.u32(48);
    const quint32 offBits = r.u32(56);
    EXPECT_EQ(r.u32(offBmi), 40u);      // BITMAPINFOHEADER
    EXPECT_EQ(r.u16(offBmi + 14), 24u); // bits per pixel
    EXPECT_EQ(r.u32(60), 24u);          // 2 rows of 4 px × 3 bytes, already 4-byte aligned
    // Bottom-up rows: the first stored row is the image's last; pixels are B, G, R.
    EXPECT_EQ(r.u8(offBits + 9), 255);  // (3,1) blue channel
    EXPECT_EQ(r.u8(offBits + 11), 0);   // (3,1) red channel
    EXPECT_EQ(r.u8(offBits + 12 + 2), 255); // (0,0) red channel
    EXPECT_EQ(r.u8(offBits + 12 + 0), 0);
    EXPECT_EQ(images[1].i32(24), 50);
    EXPECT_EQ(images[1].i32(72), 4);
}

TEST(EmfText, CzechTextFontAndColour)
{
    const QString czech = QStringLiteral("Žluťoučký kůň");
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    font.setBold(true);
    font.setItalic(true);
    qreal width = 0;
    const EmfReader reader = paintEmf(QSize(300, 100), [&](QPainter &p) {
        p.setFont(font);
        p.setPen(QColor(10, 20, 30));
        p.drawText(QPointF(15, 40), czech);
        width = QFontMetricsF(p.font()).horizontalAdvance(czech);
    });
    EXPECT_EQ(reader.texts().join(QString()), czech);
    const QList<EmfRecord> fonts = reader.recordsOfType(EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 1);
    const EmfRecord &f = fonts[0];
    EXPECT_GE(f.size(), 104);
    EXPECT_EQ(f.i32(12), -20); // lfHeight: character height in pixels
    EXPECT_EQ(f.i32(16), 0);
    EXPECT_EQ(f.i32(20), 0); // no escapement
    EXPECT_EQ(f.i32(28), 700);
    EXPECT_EQ(f.u8(32), 1); // italic
    EXPECT_EQ(f.utf16At(40, 5), QStringLiteral("Arial"));
    EXPECT_EQ(f.u16(50), 0);
    const QList<EmfRecord> colours = reader.recordsOfType(EMR_SETTEXTCOLOR);
    ASSERT_EQ(colours.size(), 1);
    EXPECT_EQ(colours[0].param(0), 0x1E140Au);

    const QList<EmfRecord> outs = reader.recordsOfType(EMR_EXTTEXTOUTW);
    ASSERT_EQ(outs.size(), 1);
    const EmfRecord &t = outs[0];
    EXPECT_EQ(t.i32(36), 15); // reference point on the baseline
    EXPECT_EQ(t.i32(40), 40);
    const quint32 chars = t.u32(44);
    EXPECT_EQ(chars, quint32(czech.size()));
    const quint32 offDx = t.u32(72);
    qint64 total = 0;
    for (quint32 i = 0; i < chars; ++i) {
        EXPECT_GT(t.i32(offDx + 4 * i), 0);
        total += t.i32(offDx + 4 * i);
    }
    EXPECT_NEAR(double(total), width, 1.0);
    // Baseline alignment was set at the start.
    const QList<EmfRecord> aligns = reader.recordsOfType(EMR_SETTEXTALIGN);
    ASSERT_EQ(aligns.size(), 1);
    EXPECT_EQ(aligns[0].param(0), TA_BASELINE);
}

TEST(EmfText, RotationScalingAndPointSizes)
{
    QFont font(QStringLiteral("Arial"), 12); // 12 pt = 16 px at 96 dpi
    const EmfReader reader = paintEmf(QSize(300, 300), [&](QPainter &p) {
        p.setFont(font);
        p.save();
        p.translate(100, 200);
        p.rotate(-90); // reading upwards, as the chart's X labels
        p.drawText(QPointF(0, 0), QStringLiteral("Nahoru"));
        p.restore();
        p.save();
        p.scale(2, 2);
        p.drawText(QPointF(10, 20), QStringLiteral("Dvakrát"));
        p.restore();
    });
    const QList<EmfRecord> fonts = reader.recordsOfType(EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 2);
    EXPECT_EQ(fonts[0].i32(12), -16);
    EXPECT_EQ(fonts[0].i32(20), 900); // escapement, tenths of a degree counter-clockwise
    EXPECT_EQ(fonts[0].i32(24), 900); // orientation
    EXPECT_EQ(fonts[1].i32(12), -32);
    EXPECT_EQ(fonts[1].i32(20), 0);
    const QList<EmfRecord> outs = reader.recordsOfType(EMR_EXTTEXTOUTW);
    ASSERT_EQ(outs.size(), 2);
    EXPECT_EQ(outs[0].i32(36), 100);
    EXPECT_EQ(outs[0].i32(40), 200);
    EXPECT_EQ(outs[1].i32(36), 20);
    EXPECT_EQ(outs[1].i32(40), 40);
    // Advances of the scaled text are in device pixels: twice the unscaled width.
    qint64 scaled = 0;
    for (quint32 i = 0; i < outs[1].u32(44); ++i)
        scaled += outs[1].i32(outs[1].u32(72) + 4 * i);
    qint64 plain = 0;
    for (quint32 i = 0; i < outs[0].u32(44); ++i)
        plain += outs[0].i32(outs[0].u32(72) + 4 * i);
    EXPECT_GT(scaled, plain); // "Dvakrát" is longer and doubled
}

TEST(EmfText, AlignedTextInRectangles)
{
    const EmfReader reader = paintEmf(QSize(400, 100), [](QPainter &p) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(14);
        p.setFont(font);
        p.drawText(QRect(0, 0, 400, 50), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("vpravo"));
        p.drawText(QRect(0, 50, 400, 50), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("střed"));
    });
    const QList<EmfRecord> outs = reader.recordsOfType(EMR_EXTTEXTOUTW);
    ASSERT_EQ(outs.size(), 2);
    // Right-aligned text ends at the right edge: reference x + advances = 400.
    qint64 advance = 0;
    for (quint32 i = 0; i < outs[0].u32(44); ++i)
        advance += outs[0].i32(outs[0].u32(72) + 4 * i);
    EXPECT_NEAR(outs[0].i32(36) + advance, 400, 2);
    EXPECT_GT(outs[0].i32(40), 20);
    EXPECT_LT(outs[0].i32(40), 40);
    // Centred text sits around x = 200, its baseline below the top of its box.
    EXPECT_GT(outs[1].i32(36), 150);
    EXPECT_LT(outs[1].i32(36), 200);
    EXPECT_GT(outs[1].i32(40), 55);
}

TEST(EmfText, UnderlineIsDrawnOnce)
{
    const EmfReader reader = paintEmf(QSize(200, 50), [](QPainter &p) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(16);
        font.setUnderline(true);
        p.setFont(font);
        p.drawText(QPointF(10, 30), QStringLiteral("podtržené"));
    });
    const QList<EmfRecord> fonts = reader.recordsOfType(EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 1);
    // QPainter draws the underline itself, so the font must not add a second one.
    EXPECT_EQ(fonts[0].u8(33), 0);
    const int shapes = reader.count(EMR_RECTANGLE) + reader.count(EMR_LINETO) + reader.count(EMR_POLYGON)
                       + reader.count(EMR_FILLPATH) + reader.count(EMR_STROKEANDFILLPATH);
    EXPECT_GE(shapes, 1);
}

TEST(EmfTransform, TranslateScaleAndRotateAreApplied)
{
    const EmfReader reader = paintEmf(QSize(400, 400), [](QPainter &p) {
        p.setBrush(Qt::gray);
        p.translate(100, 50);
        p.scale(2, 3);
        p.drawRect(QRect(10, 10, 20, 20));
        p.drawLine(0, 0, 10, 0);
        p.resetTransform();
        p.translate(200, 200);
        p.rotate(90);
        p.drawRect(QRectF(0, 0, 40, 20));
        p.drawEllipse(QRectF(0, 0, 40, 20));
    });
    const QList<EmfRecord> rects = reader.recordsOfType(EMR_RECTANGLE);
    ASSERT_EQ(rects.size(), 1);
    EXPECT_EQ(params(rects[0]), (QList<qint32>{120, 80, 161, 141}));
    const QList<EmfRecord> lines = reader.recordsOfType(EMR_LINETO);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(params(lines[0]), (QList<qint32>{120, 50}));
    // A rotated rectangle is a polygon of its turned corners.
    const QList<EmfRecord> polygons = reader.recordsOfType(EMR_POLYGON);
    ASSERT_EQ(polygons.size(), 1);
    EXPECT_EQ(polyPoints(polygons[0]), (QList<QPoint>{{200, 200}, {200, 240}, {180, 240}, {180, 200}}));
    // A rotated ellipse becomes a path of Bézier curves.
    EXPECT_EQ(reader.count(EMR_STROKEANDFILLPATH), 1);
    // Pen width follows the scale: the default 1-pixel pen is 2.45 px (√6) under scale(2, 3).
    const QList<EmfRecord> pens = reader.recordsOfType(EMR_EXTCREATEPEN);
    ASSERT_GE(pens.size(), 2);
    EXPECT_EQ(pens[0].u32(32), 2u);
    EXPECT_EQ(pens.last().u32(32), 1u);
}

TEST(EmfClip, RectanglesRegionsAndRestore)
{
    const EmfReader reader = paintEmf(QSize(200, 200), [](QPainter &p) {
        p.save();
        p.translate(10, 10);
        p.setClipRect(QRect(0, 0, 50, 40));
        p.drawLine(0, 0, 100, 100);
        p.restore();
        p.drawLine(0, 0, 100, 100); // unclipped again
        QRegion region(QRect(0, 0, 10, 10));
        region += QRect(20, 20, 10, 10);
        p.setClipRegion(region);
        p.drawLine(0, 0, 30, 30);
        p.setClipping(false);
        p.drawLine(0, 0, 30, 30);
    });
    const QList<EmfRecord> records = drawingRecords(reader);
    QList<quint32> clipAndLines;
    for (const EmfRecord &r : records)
        if (r.type == EMR_INTERSECTCLIPRECT || r.type == EMR_EXTSELECTCLIPRGN || r.type == EMR_LINETO)
            clipAndLines.append(r.type);
    EXPECT_EQ(clipAndLines, (QList<quint32>{EMR_INTERSECTCLIPRECT, EMR_LINETO, EMR_EXTSELECTCLIPRGN, EMR_LINETO,
                                            EMR_EXTSELECTCLIPRGN, EMR_LINETO, EMR_EXTSELECTCLIPRGN, EMR_LINETO}));
    const QList<EmfRecord> rects = reader.recordsOfType(EMR_INTERSECTCLIPRECT);
    ASSERT_EQ(rects.size(), 1);
    EXPECT_EQ(params(rects[0]), (QList<qint32>{10, 10, 60, 50})); // exclusive right and bottom
    const QList<EmfRecord> regions = reader.recordsOfType(EMR_EXTSELECTCLIPRGN);
    ASSERT_EQ(regions.size(), 3);
    EXPECT_EQ(regions[0].param(0), 0u); // reset to the default clip
    EXPECT_EQ(regions[0].param(1), RGN_COPY);
    const EmfRecord &two = regions[1];
    EXPECT_EQ(two.param(1), RGN_COPY);
    EXPECT_EQ(two.u32(16 + 8), 2u); // two rectangles in the region data
    EXPECT_EQ(two.rectAt(16 + 32), QRect(QPoint(0, 0), QPoint(10, 10)));
    EXPECT_EQ(two.rectAt(16 + 48), QRect(QPoint(20, 20), QPoint(30, 30)));
    EXPECT_EQ(regions[2].param(0), 0u);
}

TEST(EmfPaintDeviceFile, SavesAndReportsFailures)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EmfPaintDevice device(QSize(50, 50));
    {
        QPainter painter(&device);
        painter.drawEllipse(5, 5, 40, 40);
    }
    const QString good = dir.filePath(QStringLiteral("kruh.emf"));
    QString error;
    ASSERT_TRUE(device.saveToFile(good, &error)) << error.toStdString();
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), device.data());

    const QString bad = dir.filePath(QStringLiteral("chybí/kruh.emf"));
    EXPECT_FALSE(device.saveToFile(bad, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("kruh.emf")));
    EXPECT_FALSE(QFile::exists(bad));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("kruh.emf")});
}

TEST(EmfReaderTest, DamagedFilesNeverCrashTheReader)
{
    const QByteArray good = renderEmf(QSize(120, 80), [](QPainter &p) {
        p.setBrush(QBrush(Qt::red, Qt::CrossPattern));
        p.drawRect(5, 5, 50, 30);
        p.drawText(QPointF(10, 60), QStringLiteral("Žluťoučký kůň"));
        p.drawImage(QPoint(60, 10), QImage(8, 8, QImage::Format_RGB32));
    });
    std::mt19937 random(20240611);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = good;
        const int flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i)
            damaged[qsizetype(random() % damaged.size())] = char(random());
        if (round % 5 == 0)
            damaged.truncate(qsizetype(random() % damaged.size()));
        EmfReader reader;
        if (reader.read(damaged)) {
            ++accepted;
            // Whatever was accepted can be inspected safely.
            (void)reader.texts();
            (void)reader.dump();
            for (const EmfRecord &r : reader.records())
                (void)r.utf16At(r.u32(48), r.u32(44));
        }
    }
    EXPECT_GT(accepted, 0); // flips inside drawing records keep the framing intact
    EXPECT_LT(accepted, 3000);
}

TEST(EmfTransform, RotatedImagesUseAWorldTransformForTheirRecordOnly)
{
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent); // composed over white: 24-bit pixels have no alpha
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        p.translate(50, 10);
        p.rotate(90);
        p.drawImage(QPoint(0, 0), image);
        p.drawLine(0, 0, 10, 0);
    });
    const QList<EmfRecord> records = drawingRecords(reader);
    QList<quint32> order;
    for (const EmfRecord &r : records)
        if (r.type == EMR_SETWORLDTRANSFORM || r.type == EMR_STRETCHDIBITS || r.type == EMR_MODIFYWORLDTRANSFORM
            || r.type == EMR_LINETO)
            order.append(r.type);
    EXPECT_EQ(order, (QList<quint32>{EMR_SETWORLDTRANSFORM, EMR_STRETCHDIBITS, EMR_MODIFYWORLDTRANSFORM, EMR_LINETO}));
    const EmfRecord xform = reader.recordsOfType(EMR_SETWORLDTRANSFORM).first();
    EXPECT_NEAR(xform.f32(8), 0.0f, 1e-6);  // m11
    EXPECT_NEAR(xform.f32(12), 1.0f, 1e-6); // m12
    EXPECT_NEAR(xform.f32(16), -1.0f, 1e-6);
    EXPECT_NEAR(xform.f32(20), 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(xform.f32(24), 50.0f);
    EXPECT_FLOAT_EQ(xform.f32(28), 10.0f);
    const EmfRecord reset = reader.recordsOfType(EMR_MODIFYWORLDTRANSFORM).first();
    EXPECT_EQ(reset.u32(32), MWT_IDENTITY);
    const EmfRecord dib = reader.recordsOfType(EMR_STRETCHDIBITS).first();
    EXPECT_EQ(dib.i32(24), 0); // drawn at its own coordinates under the world transform
    EXPECT_EQ(dib.i32(72), 6);
    EXPECT_EQ(dib.u8(dib.u32(56)), 255); // transparent became white
    // The line after it is transformed by the engine again: from (50, 10) downwards.
    EXPECT_EQ(params(reader.recordsOfType(EMR_LINETO).first()), (QList<qint32>{50, 20}));
}

TEST(EmfPrimitives, ExtremeCoordinatesStayWellFormed)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [](QPainter &p) {
        p.setBrush(Qt::red);
        p.drawRect(QRectF(-1e12, -1e12, 2e12, 2e12));
        p.drawLine(QLineF(qQNaN(), 0, 10, qInf()));
        const QPointF empty[1] = {{1, 1}};
        p.drawPolygon(empty, 1);
        p.drawText(QPointF(10, 10), QString());
        p.drawImage(QRect(0, 0, 0, 0), QImage(4, 4, QImage::Format_RGB32));
    });
    const QList<EmfRecord> rects = reader.recordsOfType(EMR_RECTANGLE);
    ASSERT_EQ(rects.size(), 1);
    EXPECT_EQ(rects[0].i32(8), -1000000000); // clamped, not wrapped
    EXPECT_EQ(reader.count(EMR_EXTTEXTOUTW), 0);
    EXPECT_EQ(reader.count(EMR_STRETCHDIBITS), 0);
    EXPECT_EQ(objectProblems(reader), QString());
}

TEST(EmfText, ControlCharactersBecomeSpaces)
{
    const EmfReader reader = paintEmf(QSize(200, 50), [](QPainter &p) {
        p.drawText(QPointF(5, 20), QStringLiteral("c\nd"));
        p.drawText(QPointF(5, 40), QString::fromUtf16(u"e\u0001f\u0085g"));
    });
    const QString text = reader.texts().join(QString());
    for (QChar c : text)
        EXPECT_TRUE(c.unicode() >= 0x20 && !(c.unicode() >= 0x7F && c.unicode() < 0xA0)) << int(c.unicode());
    EXPECT_EQ(text, QStringLiteral("c de f g"));
}

#include "EmfTestSupport.h"

#include "picture/EmfFormat.h"
#include "picture/EmfPaintDevice.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

using namespace emf;

namespace {

// EXTCREATEPEN fields by offset: style 28, width 32, brush style 36, colour 40, entries 48.
struct PenFields
{
    quint32 style;
    quint32 width;
    quint32 color;
    QList<quint32> entries;
};

PenFields penOf(const EmfRecord &r)
{
    PenFields f{r.u32(28), r.u32(32), r.u32(40), {}};
    for (quint32 i = 0; i < r.u32(48); ++i)
        f.entries.append(r.u32(52 + 4 * i));
    return f;
}

QList<PenFields> pensDrawnWith(const QList<QPen> &pens)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        for (const QPen &pen : pens) {
            p.setPen(pen);
            p.drawLine(0, 0, 10, 10);
        }
    });
    QList<PenFields> result;
    for (const EmfRecord &r : reader.recordsOfType(EMR_EXTCREATEPEN))
        result.append(penOf(r));
    return result;
}

// Bits of an 8-wide monochrome DIB pattern, top row first, as strings of '#' and '.'.
QStringList patternRows(const EmfRecord &brush)
{
    const quint32 offBmi = brush.u32(16);
    const quint32 offBits = brush.u32(24);
    const int width = brush.i32(offBmi + 4);
    const int height = brush.i32(offBmi + 8);
    const int stride = ((width + 31) / 32) * 4;
    QStringList rows;
    for (int y = 0; y < height; ++y) {
        const qsizetype row = offBits + qsizetype(stride) * (height - 1 - y);
        QString text;
        for (int x = 0; x < width; ++x)
            text += (brush.u8(row + x / 8) & (0x80 >> (x % 8))) ? QLatin1Char('#') : QLatin1Char('.');
        rows.append(text);
    }
    return rows;
}

} // namespace

TEST(EmfPens, StylesWidthsAndCosmeticPens)
{
    QPen custom(Qt::black, 2);
    custom.setDashPattern({3, 1});
    const QList<PenFields> pens = pensDrawnWith({
        QPen(Qt::red, 0, Qt::SolidLine),
        QPen(Qt::black, 0, Qt::DashLine),
        QPen(Qt::black, 0, Qt::DotLine),
        QPen(Qt::black, 0, Qt::DashDotLine),
        QPen(Qt::black, 0, Qt::DashDotDotLine),
        QPen(Qt::blue, 3, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin),
        QPen(Qt::blue, 3, Qt::DotLine, Qt::RoundCap, Qt::RoundJoin),
        custom,
        QPen(Qt::red, 1, Qt::DotLine),
        QPen(Qt::red, 1, Qt::SolidLine),
    });
    ASSERT_EQ(pens.size(), 10);
    EXPECT_EQ(pens[0].style, PS_COSMETIC | PS_SOLID);
    EXPECT_EQ(pens[0].width, 1u);
    EXPECT_EQ(pens[0].color, 0x0000FFu);
    EXPECT_EQ(pens[1].style, PS_COSMETIC | PS_DASH);
    EXPECT_EQ(pens[2].style, PS_COSMETIC | PS_DOT);
    EXPECT_EQ(pens[3].style, PS_COSMETIC | PS_DASHDOT);
    EXPECT_EQ(pens[4].style, PS_COSMETIC | PS_DASHDOTDOT);
    EXPECT_EQ(pens[5].style, PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_BEVEL);
    EXPECT_EQ(pens[5].width, 3u);
    EXPECT_EQ(pens[5].color, 0xFF0000u);
    // Wide dashed pens get flat ends so that GDI's caps do not fill the gaps.
    EXPECT_EQ(pens[6].style, PS_GEOMETRIC | PS_DOT | PS_ENDCAP_FLAT | PS_JOIN_ROUND);
    EXPECT_EQ(pens[7].style & PS_STYLE_MASK, PS_USERSTYLE);
    EXPECT_EQ(pens[7].style & PS_ENDCAP_MASK, PS_ENDCAP_FLAT);
    // A 1-pixel dotted pen, as the chart's grid lines, is a cosmetic GDI dot pen even when not cosmetic
    // in Qt; a 1-pixel solid pen stays geometric so that it scales with the picture.
    EXPECT_EQ(pens[8].style, PS_COSMETIC | PS_DOT);
    EXPECT_EQ(pens[9].style, PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_BEVEL);
    EXPECT_EQ(pens[7].entries, (QList<quint32>{6, 2})); // dash pattern in pen widths
}

TEST(EmfPens, WidthFollowsTransformUnlessCosmetic)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [](QPainter &p) {
        p.scale(3, 3);
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(0, 0, 10, 10);
        QPen cosmetic(Qt::black, 1);
        cosmetic.setCosmetic(true);
        p.setPen(cosmetic);
        p.drawLine(0, 0, 10, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::red);
        p.drawRect(0, 0, 5, 5);
    });
    const QList<EmfRecord> pens = reader.recordsOfType(EMR_EXTCREATEPEN);
    ASSERT_EQ(pens.size(), 2);
    EXPECT_EQ(pens[0].u32(32), 6u);
    EXPECT_EQ(pens[0].u32(28) & PS_TYPE_MASK, PS_GEOMETRIC);
    EXPECT_EQ(pens[1].u32(32), 1u);
    EXPECT_EQ(pens[1].u32(28) & PS_TYPE_MASK, PS_COSMETIC);
    bool nullPen = false;
    for (const EmfRecord &r : reader.recordsOfType(EMR_SELECTOBJECT))
        nullPen = nullPen || r.param(0) == NULL_PEN;
    EXPECT_TRUE(nullPen);
}

TEST(EmfBrushes, QtHatchesBecomeGdiHatches)
{
    const QList<Qt::BrushStyle> styles = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                          Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        for (Qt::BrushStyle style : styles) {
            p.setBrush(QBrush(QColor(0, 128, 255), style));
            p.drawRect(0, 0, 10, 10);
        }
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, 10, 10);
    });
    const QList<EmfRecord> brushes = reader.recordsOfType(EMR_CREATEBRUSHINDIRECT);
    ASSERT_EQ(brushes.size(), 6);
    const QList<quint32> hatches = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(brushes[i].param(1), BS_HATCHED) << i;
        EXPECT_EQ(brushes[i].param(2), 0xFF8000u) << i;
        EXPECT_EQ(brushes[i].param(3), hatches[i]) << i;
    }
    bool nullBrush = false;
    for (const EmfRecord &r : reader.recordsOfType(EMR_SELECTOBJECT))
        nullBrush = nullBrush || r.param(0) == NULL_BRUSH;
    EXPECT_TRUE(nullBrush);
}

TEST(EmfBrushes, MonochromeBitmapPatternsKeepTheirBits)
{
    // An 8 × 8 diagonal and a 6 × 6 checker, as the chart's hatch bitmaps.
    const uchar diagonal[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    const QBitmap eight = QBitmap::fromData(QSize(8, 8), diagonal, QImage::Format_Mono);
    const uchar checker[6] = {0xA8, 0x54, 0xA8, 0x54, 0xA8, 0x54};
    const QBitmap six = QBitmap::fromData(QSize(6, 6), checker, QImage::Format_Mono);
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        p.setBackground(QColor(255, 255, 200));
        p.setBrush(QBrush(Qt::darkGreen, eight));
        p.drawRect(0, 0, 40, 40);
        p.setBrush(QBrush(Qt::black, six));
        p.drawRect(50, 50, 40, 40);
    });
    const QList<EmfRecord> brushes = reader.recordsOfType(EMR_CREATEDIBPATTERNBRUSHPT);
    ASSERT_EQ(brushes.size(), 2);
    const EmfRecord &b = brushes[0];
    EXPECT_EQ(b.u32(12), DIB_RGB_COLORS);
    const quint32 offBmi = b.u32(16);
    EXPECT_EQ(b.i32(offBmi + 4), 8);
    EXPECT_EQ(b.i32(offBmi + 8), 8);
    EXPECT_EQ(b.u16(offBmi + 14), 1u);
    // Colour table: 0-bits in the painter's background colour, 1-bits in the brush colour.
    EXPECT_EQ(b.u32(offBmi + 40), 0x00FFFFC8u);
    EXPECT_EQ(b.u32(offBmi + 44), 0x00008000u);
    EXPECT_EQ(patternRows(b), (QStringList{"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..",
                                           "......#.", ".......#"}));
    EXPECT_EQ(patternRows(brushes[1]),
              (QStringList{"#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#"}));
}

TEST(EmfBrushes, DenseImageAndGradientBrushes)
{
    QImage mono(8, 8, QImage::Format_Mono);
    mono.setColor(0, qRgb(255, 0, 0));
    mono.setColor(1, qRgb(0, 0, 255));
    mono.fill(0);
    mono.setPixel(0, 0, 1);
    QImage colour(4, 4, QImage::Format_RGB32);
    colour.fill(qRgb(10, 200, 30));
    QLinearGradient gradient(0, 0, 10, 0);
    gradient.setColorAt(0, QColor(1, 2, 3));
    gradient.setColorAt(1, Qt::white);
    const EmfReader reader = paintEmf(QSize(100, 100), [&](QPainter &p) {
        p.setBrush(QBrush(Qt::black, Qt::Dense4Pattern));
        p.drawRect(0, 0, 10, 10);
        p.setBrush(QBrush(mono));
        p.drawRect(0, 0, 10, 10);
        p.setBrush(QBrush(colour));
        p.drawRect(0, 0, 10, 10);
        p.setBrush(QBrush(gradient));
        p.drawRect(0, 0, 10, 10);
    });
    const QList<EmfRecord> patterns = reader.recordsOfType(EMR_CREATEDIBPATTERNBRUSHPT);
    ASSERT_EQ(patterns.size(), 3);
    // Dense4 is a checkerboard: half of the 64 bits set.
    int set = 0;
    for (const QString &row : patternRows(patterns[0]))
        set += int(row.count(QLatin1Char('#')));
    EXPECT_EQ(set, 32);
    // A mono QImage keeps its own two colours.
    const quint32 offBmi = patterns[1].u32(16);
    EXPECT_EQ(patterns[1].u32(offBmi + 40), 0x00FF0000u); // red as RGBQUAD (B, G, R, 0)
    EXPECT_EQ(patterns[1].u32(offBmi + 44), 0x000000FFu);
    EXPECT_EQ(patternRows(patterns[1]).first(), QStringLiteral("#......."));
    // A colour texture is a 24-bit pattern.
    EXPECT_EQ(patterns[2].u16(patterns[2].u32(16) + 14), 24u);
    const QList<EmfRecord> solid = reader.recordsOfType(EMR_CREATEBRUSHINDIRECT);
    ASSERT_EQ(solid.size(), 1);
    EXPECT_EQ(solid[0].param(2), 0x030201u);
}

TEST(EmfObjects, SelectionAndDeletionStayBalanced)
{
    const QBitmap bitmap = QBitmap::fromData(QSize(8, 8), reinterpret_cast<const uchar *>("\x81\x42\x24\x18\x18\x24\x42\x81"));
    const EmfReader reader = paintEmf(QSize(400, 400), [&](QPainter &p) {
        QFont font(QStringLiteral("Arial"));
        for (int i = 0; i < 50; ++i) {
            p.setPen(QPen(QColor::fromHsv(i * 7, 255, 200), i % 4, Qt::PenStyle(1 + i % 5)));
            switch (i % 4) {
            case 0:
                p.setBrush(QColor::fromHsv(i * 5, 100, 255));
                break;
            case 1:
                p.setBrush(QBrush(Qt::black, Qt::BrushStyle(Qt::HorPattern + i % 6)));
                break;
            case 2:
                p.setBrush(QBrush(Qt::blue, bitmap));
                break;
            default:
                p.setBrush(Qt::NoBrush);
            }
            p.drawRect(i * 7, i * 7, 30, 20);
            p.drawEllipse(QPointF(200, 200), i, i / 2);
            font.setPixelSize(8 + i % 5);
            font.setBold(i % 2);
            p.setFont(font);
            p.drawText(QPointF(i, 300), QStringLiteral("Šárka %1").arg(i));
            if (i % 10 == 0)
                p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRectF(i, 350, 40, 20), 5, 5);
        }
    });
    EXPECT_EQ(objectProblems(reader), QString());
    // Only the selected pen, brush and font are alive at a time: a small handle table.
    EXPECT_LE(reader.header().handles, 5);
    EXPECT_GT(reader.count(EMR_DELETEOBJECT), 50);
    // The end selects stock objects before deleting what is left.
    const QList<EmfRecord> records = reader.records();
    ASSERT_GE(records.size(), 3);
    EXPECT_EQ(records.last().type, EMR_EOF);
    EXPECT_EQ(records[records.size() - 2].type, EMR_DELETEOBJECT);
}

TEST(EmfObjects, UnchangedObjectsAreNotRecreated)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [](QPainter &p) {
        p.setPen(QPen(Qt::red, 2));
        p.setBrush(Qt::green);
        for (int i = 0; i < 20; ++i) {
            p.save();
            p.drawRect(i, i, 10, 10);
            p.drawText(QPointF(i, 50), QStringLiteral("x"));
            p.restore();
        }
    });
    EXPECT_EQ(reader.count(EMR_EXTCREATEPEN), 1);
    EXPECT_EQ(reader.count(EMR_CREATEBRUSHINDIRECT), 1);
    EXPECT_EQ(reader.count(EMR_EXTCREATEFONTINDIRECTW), 1);
    EXPECT_EQ(reader.count(EMR_SETTEXTCOLOR), 1);
    EXPECT_EQ(objectProblems(reader), QString());
}

TEST(EmfObjects, OpaqueBackgroundOfDashedLinesIsDrawn)
{
    const EmfReader reader = paintEmf(QSize(100, 100), [](QPainter &p) {
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(QColor(0, 0, 128));
        p.setPen(QPen(Qt::black, 0, Qt::DotLine));
        p.drawLine(0, 0, 50, 0);
        p.setBackgroundMode(Qt::TransparentMode);
        p.drawLine(0, 5, 50, 5);
    });
    // The gaps are filled by a solid line of the background colour under the dotted one; the metafile's
    // own background mode stays transparent so that nothing is filled twice.
    const QList<EmfRecord> pens = reader.recordsOfType(EMR_EXTCREATEPEN);
    ASSERT_EQ(pens.size(), 2);
    EXPECT_EQ(pens[0].u32(28) & PS_STYLE_MASK, PS_SOLID);
    EXPECT_EQ(pens[0].u32(40), 0x800000u);
    EXPECT_EQ(pens[1].u32(28) & PS_STYLE_MASK, PS_DOT);
    const QList<EmfRecord> modes = reader.recordsOfType(EMR_SETBKMODE);
    ASSERT_EQ(modes.size(), 1);
    EXPECT_EQ(modes[0].param(0), TRANSPARENT);
    EXPECT_EQ(reader.count(EMR_STROKEPATH), 2); // background stroke and dots of the opaque line
    EXPECT_EQ(reader.count(EMR_MOVETOEX) - reader.count(EMR_BEGINPATH), 1); // the transparent one
}

TEST(EmfBrushes, DrawnPatternsAreClippedLinesAndBitmaps)
{
    const uchar diagonal[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    const QBitmap bitmap = QBitmap::fromData(QSize(8, 8), diagonal, QImage::Format_Mono);
    EmfPaintDevice device(QSize(200, 200));
    device.setPatternFills(EmfPaintDevice::PatternFills::Drawn);
    {
        QPainter p(&device);
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QBrush(QColor(0, 0, 255), Qt::HorPattern));
        p.drawRect(10, 10, 40, 20); // hatch lines at y = 8k + 3 between y 10 and 30: 11, 19, 27
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(Qt::red, bitmap));
        p.drawEllipse(QRect(61, 3, 30, 20));
        p.setBrush(QBrush(Qt::black, Qt::Dense5Pattern));
        const QPoint triangle[3] = {{100, 100}, {150, 100}, {125, 150}};
        p.drawPolygon(triangle, 3);
    }
    EmfReader reader;
    ASSERT_TRUE(reader.read(device.data()));
    EXPECT_EQ(objectProblems(reader), QString());
    EXPECT_EQ(reader.count(EMR_CREATEDIBPATTERNBRUSHPT), 0);
    for (const EmfRecord &r : reader.recordsOfType(EMR_CREATEBRUSHINDIRECT))
        EXPECT_EQ(r.param(1), BS_SOLID);
    EXPECT_EQ(reader.count(EMR_SAVEDC), 3);
    EXPECT_EQ(reader.count(EMR_RESTOREDC), 3);
    EXPECT_EQ(reader.count(EMR_SELECTCLIPPATH), 3);
    for (const EmfRecord &r : reader.recordsOfType(EMR_SELECTCLIPPATH))
        EXPECT_EQ(r.param(0), RGN_AND);
    for (const EmfRecord &r : reader.recordsOfType(EMR_RESTOREDC))
        EXPECT_EQ(r.i32(8), -1);

    // The hatch: horizontal lines of a 1-pixel pen in the brush colour, inside SaveDC … RestoreDC,
    // then the outline with the null brush.
    const QList<EmfRecord> &all = reader.records();
    qsizetype save = -1;
    for (qsizetype i = 0; i < all.size() && save < 0; ++i)
        if (all[i].type == EMR_SAVEDC)
            save = i;
    ASSERT_GE(save, 0);
    QList<int> rows;
    qsizetype i = save;
    for (; all[i].type != EMR_RESTOREDC; ++i)
        if (all[i].type == EMR_LINETO && all[i - 1].type == EMR_MOVETOEX && all[i].i32(12) == all[i - 1].i32(12))
            rows.append(all[i].i32(12));
    EXPECT_EQ(rows, (QList<int>{11, 19, 27}));
    const QList<EmfRecord> pens = reader.recordsOfType(EMR_EXTCREATEPEN);
    ASSERT_GE(pens.size(), 2);
    EXPECT_EQ(pens[0].u32(40), 0xFF0000u);
    EXPECT_EQ(pens[0].u32(28) & PS_TYPE_MASK, PS_COSMETIC);
    bool outlined = false;
    for (++i; i < all.size() && !outlined; ++i)
        outlined = all[i].type == EMR_RECTANGLE && params(all[i]) == QList<qint32>{10, 10, 51, 31};
    EXPECT_TRUE(outlined);

    // The bitmap: the ellipse's bounding box filled with the tile repeated from the device origin.
    const QList<EmfRecord> dibs = reader.recordsOfType(EMR_STRETCHDIBITS);
    ASSERT_EQ(dibs.size(), 2);
    const EmfRecord &dib = dibs[0];
    EXPECT_EQ(dib.i32(24), 61);
    EXPECT_EQ(dib.i32(28), 3);
    const int width = dib.i32(40);
    const int height = dib.i32(44);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 20);
    const quint32 offBmi = dib.u32(48);
    const quint32 offBits = dib.u32(56);
    EXPECT_EQ(dib.u16(offBmi + 14), 1u);
    EXPECT_EQ(dib.u32(offBmi + 44), 0x00FF0000u); // 1-bits red (RGBQUAD: blue, green, red, 0)
    const int stride = ((width + 31) / 32) * 4;
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool bit = dib.u8(offBits + stride * (height - 1 - y) + x / 8) & (0x80 >> (x % 8));
            const bool expected = (61 + x) % 8 == (3 + y) % 8;
            mismatches += bit != expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

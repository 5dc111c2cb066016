#include "picture/EmfPaintEngine.h"

#include "picture/EmfFormat.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <QtEndian>
#include <QtMath>

#include <cstring>

using namespace emf;

namespace {

void put32(QByteArray &b, quint32 v)
{
    char raw[4];
    qToLittleEndian<quint32>(v, raw);
    b.append(raw, 4);
}

void puti(QByteArray &b, qint32 v)
{
    put32(b, static_cast<quint32>(v));
}

void put16(QByteArray &b, quint16 v)
{
    char raw[2];
    qToLittleEndian<quint16>(v, raw);
    b.append(raw, 2);
}

void put8(QByteArray &b, quint8 v)
{
    b.append(static_cast<char>(v));
}

void putFloat(QByteArray &b, float v)
{
    quint32 raw;
    std::memcpy(&raw, &v, sizeof raw);
    put32(b, raw);
}

void putRect(QByteArray &b, const QRect &r)
{
    puti(b, r.left());
    puti(b, r.top());
    puti(b, r.right());
    puti(b, r.bottom());
}

void putPoints(QByteArray &b, const QList<QPoint> &points)
{
    for (const QPoint &p : points) {
        puti(b, p.x());
        puti(b, p.y());
    }
}

quint32 colorRef(const QColor &color)
{
    const QRgb rgb = color.rgb();
    return quint32(qRed(rgb)) | (quint32(qGreen(rgb)) << 8) | (quint32(qBlue(rgb)) << 16);
}

// UTF-16 text of fixed length, cut or padded with zeros.
void putFixedUtf16(QByteArray &b, const QString &text, int units)
{
    for (int i = 0; i < units; ++i)
        put16(b, (i < text.size() && i < units - 1) ? text.at(i).unicode() : 0);
}

QRect boundsOf(const QList<QPoint> &points)
{
    if (points.isEmpty())
        return QRect(QPoint(0, 0), QPoint(-1, -1));
    int left = points.first().x(), right = left, top = points.first().y(), bottom = top;
    for (const QPoint &p : points) {
        left = qMin(left, p.x());
        right = qMax(right, p.x());
        top = qMin(top, p.y());
        bottom = qMax(bottom, p.y());
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int rounded(qreal v)
{
    // Coordinates far outside the 32-bit range are clamped rather than wrapped.
    return static_cast<int>(qBound<qreal>(-1.0e9, std::floor(v + 0.5), 1.0e9));
}

// BITMAPINFOHEADER followed by the colour table, for a bottom-up DIB.
QByteArray bitmapInfo(int width, int height, int bitCount, const QList<QColor> &colorTable, quint32 imageSize)
{
    QByteArray b;
    put32(b, 40);
    puti(b, width);
    puti(b, height);
    put16(b, 1);
    put16(b, static_cast<quint16>(bitCount));
    put32(b, 0); // BI_RGB
    put32(b, imageSize);
    puti(b, 0);
    puti(b, 0);
    put32(b, static_cast<quint32>(colorTable.size()));
    put32(b, 0);
    for (const QColor &c : colorTable) {
        put8(b, static_cast<quint8>(c.blue()));
        put8(b, static_cast<quint8>(c.green()));
        put8(b, static_cast<quint8>(c.red()));
        put8(b, 0);
    }
    return b;
}

int dibStride(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

// 24-bit bottom-up DIB pixels; transparent pixels are composed over the given colour.
QByteArray dib24(const QImage &source, const QColor &under)
{
    QImage image = source;
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(under);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        image = flat;
    }
    image = image.convertToFormat(QImage::Format_BGR888);
    const int stride = dibStride(image.width(), 24);
    QByteArray bits(qsizetype(stride) * image.height(), '\0');
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bits.data() + qsizetype(stride) * (image.height() - 1 - y), image.constScanLine(y),
                    size_t(image.width()) * 3);
    return bits;
}

// 1-bit bottom-up DIB pixels: bit set where isSet(x, y).
template <typename Predicate>
QByteArray dib1(int width, int height, Predicate isSet)
{
    const int stride = dibStride(width, 1);
    QByteArray bits(qsizetype(stride) * height, '\0');
    for (int y = 0; y < height; ++y) {
        char *row = bits.data() + qsizetype(stride) * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            if (isSet(x, y))
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    }
    return bits;
}

bool isHatch(Qt::BrushStyle style, quint32 *hatch)
{
    switch (style) {
    case Qt::HorPattern:
        *hatch = HS_HORIZONTAL;
        return true;
    case Qt::VerPattern:
        *hatch = HS_VERTICAL;
        return true;
    case Qt::FDiagPattern: // "\\\\" lines, as HS_FDIAGONAL
        *hatch = HS_FDIAGONAL;
        return true;
    case Qt::BDiagPattern: // "////" lines, as HS_BDIAGONAL
        *hatch = HS_BDIAGONAL;
        return true;
    case Qt::CrossPattern:
        *hatch = HS_CROSS;
        return true;
    case Qt::DiagCrossPattern:
        *hatch = HS_DIAGCROSS;
        return true;
    default:
        return false;
    }
}

// A monochrome pattern: Qt's dense patterns and bitmap textures, with the colours of its 0 and 1 bits.
struct MonoTile
{
    int width = 0;
    int height = 0;
    QList<bool> set;
    QColor zero;
    QColor one;

    bool isNull() const { return width <= 0 || height <= 0; }
    bool at(int x, int y) const { return set.at(qsizetype(y) * width + x); }
};

MonoTile monoTileOf(const QBrush &brush, const QColor &background)
{
    MonoTile tile;
    const Qt::BrushStyle style = brush.style();
    if (style >= Qt::Dense1Pattern && style <= Qt::Dense7Pattern) {
        // Qt's dense patterns, sampled as an 8 × 8 bitmap of the brush colour.
        QImage sample(8, 8, QImage::Format_RGB32);
        sample.fill(Qt::white);
        QPainter painter(&sample);
        painter.fillRect(sample.rect(), QBrush(Qt::black, style));
        painter.end();
        tile.width = tile.height = 8;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                tile.set.append(qGray(sample.pixel(x, y)) < 128);
        tile.zero = background;
        tile.one = brush.color();
        return tile;
    }
    if (style != Qt::TexturePattern)
        return tile;
    const QPixmap pixmap = brush.texture();
    QImage mono;
    bool oneIsSet = true;
    if (!pixmap.isNull() && pixmap.isQBitmap()) {
        // A bitmap texture paints its set bits in the brush colour, the others in the background.
        mono = pixmap.toImage().convertToFormat(QImage::Format_MonoLSB);
        oneIsSet = mono.colorCount() < 2 || qGray(mono.color(1)) < qGray(mono.color(0));
        tile.zero = background;
        tile.one = brush.color();
    } else {
        const QImage image = brush.textureImage();
        if (image.isNull() || image.depth() != 1)
            return tile;
        // A monochrome image keeps its own two colours.
        mono = image.convertToFormat(QImage::Format_MonoLSB);
        tile.zero = mono.colorCount() > 0 ? QColor::fromRgb(mono.color(0)) : QColor(Qt::white);
        tile.one = mono.colorCount() > 1 ? QColor::fromRgb(mono.color(1)) : QColor(Qt::black);
    }
    tile.width = mono.width();
    tile.height = mono.height();
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x)
            tile.set.append((mono.pixelIndex(x, y) == 1) == oneIsSet);
    return tile;
}

} // namespace

EmfPaintEngine::EmfPaintEngine(const QSize &sizePixels, int dpi)
    : QPaintEngine(QPaintEngine::AllFeatures)
    , m_size(sizePixels.expandedTo(QSize(1, 1)))
    , m_dpi(dpi > 0 ? dpi : 96)
{
    m_finished = assemble(QByteArray(), 0, 1);
}

EmfPaintEngine::~EmfPaintEngine() = default;

QByteArray EmfPaintEngine::data() const
{
    return m_finished;
}

QPaintEngine::Type EmfPaintEngine::type() const
{
    return QPaintEngine::User;
}

bool EmfPaintEngine::begin(QPaintDevice *)
{
    m_records.clear();
    m_records.reserve(64 * 1024);
    m_recordCount = 0;
    m_handleUsed = QList<bool>{true}; // index 0: the metafile
    for (Selected &s : m_selected)
        s = Selected();
    m_pen = QPen();
    m_brush = QBrush();
    m_transform = QTransform();
    m_clip = QRegion();
    m_clipEnabled = false;
    m_clipSet = false;
    m_clipWritten = false;
    m_stretchModeWritten = false;

    // Device context set-up that QPainter's defaults assume.
    writeSimple(EMR_SETMAPMODE, {MM_TEXT});
    writeSimple(EMR_SETBKMODE, {TRANSPARENT});
    writeSimple(EMR_SETTEXTALIGN, {TA_BASELINE | TA_LEFT});
    writeSimple(EMR_SETPOLYFILLMODE, {ALTERNATE});
    m_fillMode = ALTERNATE;
    m_textColor = 0;
    return true;
}

bool EmfPaintEngine::end()
{
    deleteAllObjects();
    if (m_clipWritten)
        writeSimple(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY});
    // EMR_EOF: no palette entries; nSizeLast repeats the record size.
    writeSimple(EMR_EOF, {0, 16, 20});
    m_finished = assemble(m_records, m_recordCount, quint32(m_handleUsed.size()));
    m_records.clear();
    m_records.squeeze();
    return true;
}

QByteArray EmfPaintEngine::assemble(const QByteArray &body, quint32 recordCount, quint32 handles) const
{
    QByteArray eof;
    if (body.isEmpty()) {
        put32(eof, EMR_EOF);
        put32(eof, 20);
        put32(eof, 0);
        put32(eof, 16);
        put32(eof, 20);
        recordCount = 1;
    }
    QByteArray description;
    const QString text = QStringLiteral("Orbelis");
    for (QChar c : text)
        put16(description, c.unicode());
    put16(description, 0);
    put16(description, 0);
    const quint32 descriptionChars = quint32(text.size() + 2);
    while (description.size() % 4)
        description.append('\0');

    const quint32 headerSize = quint32(HEADER_SIZE + description.size());
    const quint32 total = headerSize + quint32(body.size() + eof.size());
    const int frameWidth = qRound(m_size.width() * 2540.0 / m_dpi);
    const int frameHeight = qRound(m_size.height() * 2540.0 / m_dpi);

    QByteArray h;
    h.reserve(int(total));
    put32(h, EMR_HEADER);
    put32(h, headerSize);
    putRect(h, QRect(0, 0, m_size.width(), m_size.height()));             // bounds, inclusive pixels
    putRect(h, QRect(QPoint(0, 0), QPoint(frameWidth - 1, frameHeight - 1))); // frame, inclusive .01 mm
    put32(h, ENHMETA_SIGNATURE);
    put32(h, EMF_VERSION);
    put32(h, total);
    put32(h, recordCount + 1);
    put16(h, static_cast<quint16>(qMin<quint32>(handles, 0xFFFF)));
    put16(h, 0);
    put32(h, descriptionChars);
    put32(h, HEADER_SIZE);
    put32(h, 0); // palette entries
    // Reference device of exactly the picture's dpi: 254 mm across dpi * 10 pixels.
    puti(h, m_dpi * 10);
    puti(h, m_dpi * 10);
    puti(h, 254);
    puti(h, 254);
    put32(h, 0); // no pixel format
    put32(h, 0);
    put32(h, 0); // not OpenGL
    puti(h, 254000);
    puti(h, 254000);
    h.append(description);
    h.append(body);
    h.append(eof);
    return h;
}

void EmfPaintEngine::writeRecord(quint32 type, const QByteArray &payload)
{
    const qsizetype padded = (payload.size() + 3) & ~qsizetype(3);
    put32(m_records, type);
    put32(m_records, quint32(8 + padded));
    m_records.append(payload);
    m_records.append(padded - payload.size(), '\0');
    ++m_recordCount;
}

void EmfPaintEngine::writeSimple(quint32 type, std::initializer_list<quint32> args)
{
    put32(m_records, type);
    put32(m_records, quint32(8 + 4 * args.size()));
    for (quint32 v : args)
        put32(m_records, v);
    ++m_recordCount;
}

// ---------------------------------------------------------------------------------------------
// State

void EmfPaintEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        m_transform = state.transform();
    if (flags & DirtyPen)
        m_pen = state.pen();
    if (flags & DirtyBrush)
        m_brush = state.brush();
    // Background brush and mode are not followed: QPainter fills opaque backgrounds of dashed lines
    // and text itself for engines like this one.

    bool clipChanged = false;
    // A clip is given in the coordinates of the transform in force when it was set; QPainter replays
    // saved clips with their own transform, so the state's transform is used here, not m_transform.
    if (flags & DirtyClipRegion) {
        combineClip(state.transform().map(state.clipRegion()), state.clipOperation());
        clipChanged = true;
    }
    if (flags & DirtyClipPath) {
        const QPainterPath path = state.transform().map(state.clipPath());
        combineClip(QRegion(path.toFillPolygon().toPolygon(), path.fillRule()), state.clipOperation());
        clipChanged = true;
    }
    if (flags & DirtyClipEnabled) {
        // QPainter's restore() reports "enabled" together with a NoClip operation: no clip is set then.
        m_clipEnabled = state.isClipEnabled() && m_clipSet;
        clipChanged = true;
    }
    if (clipChanged)
        writeClip();
}

void EmfPaintEngine::combineClip(const QRegion &deviceRegion, Qt::ClipOperation operation)
{
    switch (operation) {
    case Qt::NoClip:
        m_clip = QRegion();
        m_clipSet = false;
        m_clipEnabled = false;
        break;
    case Qt::ReplaceClip:
        m_clip = deviceRegion;
        m_clipSet = true;
        m_clipEnabled = true;
        break;
    case Qt::IntersectClip:
        m_clip = m_clipEnabled ? m_clip.intersected(deviceRegion) : deviceRegion;
        m_clipSet = true;
        m_clipEnabled = true;
        break;
    }
}

void EmfPaintEngine::writeClip()
{
    if (!m_clipEnabled) {
        if (m_clipWritten)
            writeSimple(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY}); // back to the default clip
        m_clipWritten = false;
        return;
    }
    if (m_clipWritten)
        writeSimple(EMR_EXTSELECTCLIPRGN, {0, RGN_COPY});
    m_clipWritten = true;
    if (m_clip.rectCount() == 1) {
        const QRect r = m_clip.boundingRect();
        // IntersectClipRect takes an exclusive right and bottom edge.
        writeSimple(EMR_INTERSECTCLIPRECT, {quint32(r.left()), quint32(r.top()), quint32(r.left() + r.width()),
                                            quint32(r.top() + r.height())});
        return;
    }
    if (m_clip.isEmpty()) {
        // Nothing may be drawn: an empty rectangle clips everything.
        writeSimple(EMR_INTERSECTCLIPRECT, {0, 0, 0, 0});
        return;
    }
    QByteArray region;
    const int count = m_clip.rectCount();
    put32(region, 32); // RegionDataHeader
    put32(region, 1);  // RDH_RECTANGLES
    put32(region, quint32(count));
    put32(region, quint32(count * 16));
    const QRect b = m_clip.boundingRect();
    putRect(region, QRect(b.left(), b.top(), b.width() + 1, b.height() + 1)); // exclusive edges
    for (const QRect &r : m_clip) {
        puti(region, r.left());
        puti(region, r.top());
        puti(region, r.left() + r.width());
        puti(region, r.top() + r.height());
    }
    QByteArray payload;
    put32(payload, quint32(region.size()));
    put32(payload, RGN_COPY);
    payload.append(region);
    writeRecord(EMR_EXTSELECTCLIPRGN, payload);
}

// ---------------------------------------------------------------------------------------------
// Objects

quint32 EmfPaintEngine::allocateHandle()
{
    for (qsizetype i = 1; i < m_handleUsed.size(); ++i) {
        if (!m_handleUsed.at(i)) {
            m_handleUsed[i] = true;
            return quint32(i);
        }
    }
    m_handleUsed.append(true);
    return quint32(m_handleUsed.size() - 1);
}

void EmfPaintEngine::select(Slot slot, quint32 createType, const QByteArray &payload, quint32 stock)
{
    Selected &current = m_selected[int(slot)];
    // The key of a stock selection is its handle; the key of a created object its record payload.
    QByteArray key = payload;
    if (createType == 0) {
        key.clear();
        put32(key, stock);
    }
    if (!current.key.isEmpty() && current.key == key)
        return;
    quint32 fresh = 0;
    if (createType == 0) {
        writeSimple(EMR_SELECTOBJECT, {stock});
    } else {
        fresh = allocateHandle();
        QByteArray record;
        put32(record, fresh);
        record.append(payload);
        writeRecord(createType, record);
        writeSimple(EMR_SELECTOBJECT, {fresh});
    }
    if (current.handle != 0) {
        // The replaced object is no longer selected, so it can go.
        writeSimple(EMR_DELETEOBJECT, {current.handle});
        m_handleUsed[current.handle] = false;
    }
    current.handle = fresh;
    current.key = key;
}

void EmfPaintEngine::deleteAllObjects()
{
    const quint32 stock[3] = {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT};
    for (int i = 0; i < 3; ++i) {
        Selected &s = m_selected[i];
        if (s.handle == 0)
            continue;
        writeSimple(EMR_SELECTOBJECT, {stock[i]});
        writeSimple(EMR_DELETEOBJECT, {s.handle});
        m_handleUsed[s.handle] = false;
        s = Selected();
    }
}

qreal EmfPaintEngine::transformScale() const
{
    return std::sqrt(std::abs(m_transform.determinant()));
}

QByteArray EmfPaintEngine::penPayload(bool *isNull) const
{
    QByteArray payload;
    *isNull = m_pen.style() == Qt::NoPen || m_pen.brush().style() == Qt::NoBrush || m_pen.color().alpha() == 0;
    if (*isNull)
        return payload;

    const bool cosmetic = m_pen.isCosmetic();
    const qreal width = m_pen.widthF() <= 0 ? 1.0 : m_pen.widthF();
    const qreal deviceWidth = cosmetic ? width : width * transformScale();
    const int pixels = qMax(1, qRound(deviceWidth));

    quint32 style = PS_SOLID;
    QList<quint32> entries;
    switch (m_pen.style()) {
    case Qt::DashLine:
        style = PS_DASH;
        break;
    case Qt::DotLine:
        style = PS_DOT;
        break;
    case Qt::DashDotLine:
        style = PS_DASHDOT;
        break;
    case Qt::DashDotDotLine:
        style = PS_DASHDOTDOT;
        break;
    case Qt::CustomDashLine:
        style = PS_USERSTYLE;
        for (qreal v : m_pen.dashPattern())
            entries.append(quint32(qMax(1, qRound(v * deviceWidth))));
        if (entries.size() % 2)
            entries.append(entries.last());
        if (entries.isEmpty())
            style = PS_SOLID; // an empty pattern draws a solid line in QPainter too
        break;
    default:
        break;
    }

    quint32 penStyle = style;
    const bool dashed = style != PS_SOLID;
    if (pixels == 1 && (cosmetic || dashed)) {
        // Thin dashed lines as GDI draws them for a 1-pixel styled pen: the pattern stays visible.
        penStyle |= PS_COSMETIC;
    } else {
        penStyle |= PS_GEOMETRIC;
        // GDI puts caps on every dash of a wide pen; square or round ones would close the gaps of its
        // shorter dot pattern, so dashed lines get flat ends.
        switch (dashed ? Qt::FlatCap : m_pen.capStyle()) {
        case Qt::FlatCap:
            penStyle |= PS_ENDCAP_FLAT;
            break;
        case Qt::SquareCap:
            penStyle |= PS_ENDCAP_SQUARE;
            break;
        default:
            penStyle |= PS_ENDCAP_ROUND;
            break;
        }
        switch (m_pen.joinStyle()) {
        case Qt::BevelJoin:
            penStyle |= PS_JOIN_BEVEL;
            break;
        case Qt::RoundJoin:
            penStyle |= PS_JOIN_ROUND;
            break;
        default:
            penStyle |= PS_JOIN_MITER;
            break;
        }
    }
    const quint32 fixedEnd = 52 + 4 * quint32(entries.size()); // no brush bitmap: offsets point at the end
    put32(payload, fixedEnd); // offBmi
    put32(payload, 0);        // cbBmi
    put32(payload, fixedEnd); // offBits
    put32(payload, 0);        // cbBits
    put32(payload, penStyle);
    put32(payload, quint32(pixels));
    put32(payload, BS_SOLID);
    put32(payload, colorRef(m_pen.color()));
    put32(payload, 0);
    put32(payload, quint32(entries.size()));
    for (quint32 e : entries)
        put32(payload, e);
    return payload;
}

void EmfPaintEngine::selectPen()
{
    bool isNull = false;
    const QByteArray payload = penPayload(&isNull);
    if (isNull)
        select(Slot::Pen, 0, {}, NULL_PEN);
    else
        select(Slot::Pen, EMR_EXTCREATEPEN, payload, 0);
}

QByteArray EmfPaintEngine::brushPayload(quint32 *createType, bool *isNull) const
{
    QByteArray payload;
    *isNull = false;
    const Qt::BrushStyle style = m_brush.style();
    const QColor color = m_brush.color();
    quint32 hatch = 0;
    if (style == Qt::NoBrush || (style <= Qt::DiagCrossPattern && color.alpha() == 0)) {
        *isNull = true;
        return payload;
    }
    if (style == Qt::SolidPattern || isHatch(style, &hatch)) {
        *createType = EMR_CREATEBRUSHINDIRECT;
        put32(payload, style == Qt::SolidPattern ? BS_SOLID : BS_HATCHED);
        put32(payload, colorRef(color));
        put32(payload, hatch);
        return payload;
    }

    // EMF pattern brushes are opaque: their 0-bits take the painter's background colour.
    QByteArray info;
    QByteArray bits;
    const MonoTile tile = monoTileOf(m_brush, backgroundColor());
    if (!tile.isNull()) {
        bits = dib1(tile.width, tile.height, [&](int x, int y) { return tile.at(x, y); });
        info = bitmapInfo(tile.width, tile.height, 1, {tile.zero, tile.one}, quint32(bits.size()));
    } else if (style == Qt::TexturePattern) {
        const QImage image = m_brush.textureImage();
        if (image.isNull()) {
            *isNull = true;
            return payload;
        }
        bits = dib24(image, backgroundColor());
        info = bitmapInfo(image.width(), image.height(), 24, {}, quint32(bits.size()));
    } else {
        // Gradients have no EMF brush: the first stop's colour stands for them.
        const QGradient *gradient = m_brush.gradient();
        const QColor solid = (gradient && !gradient->stops().isEmpty()) ? gradient->stops().first().second : color;
        *createType = EMR_CREATEBRUSHINDIRECT;
        put32(payload, BS_SOLID);
        put32(payload, colorRef(solid));
        put32(payload, 0);
        return payload;
    }
    *createType = EMR_CREATEDIBPATTERNBRUSHPT;
    // Usage, offBmi, cbBmi, offBits, cbBits; offsets from the record start (8 + 4 handle + 20).
    put32(payload, DIB_RGB_COLORS);
    put32(payload, 32);
    put32(payload, quint32(info.size()));
    put32(payload, quint32(32 + info.size()));
    put32(payload, quint32(bits.size()));
    payload.append(info);
    payload.append(bits);
    return payload;
}

QColor EmfPaintEngine::backgroundColor() const
{
    const QBrush brush = painter() ? painter()->background() : QBrush(Qt::white);
    return brush.style() == Qt::NoBrush ? QColor(Qt::white) : brush.color();
}

void EmfPaintEngine::selectBrush(bool fill)
{
    quint32 createType = 0;
    bool isNull = !fill;
    const QByteArray payload = fill ? brushPayload(&createType, &isNull) : QByteArray();
    if (isNull)
        select(Slot::Brush, 0, {}, NULL_BRUSH);
    else
        select(Slot::Brush, createType, payload, 0);
}

void EmfPaintEngine::selectFont(const QFont &font, qreal pixelHeight, int escapement)
{
    QByteArray payload;
    puti(payload, -qMax(1, qRound(pixelHeight))); // negative: character height, not cell height
    puti(payload, 0);
    puti(payload, escapement);
    puti(payload, escapement);
    puti(payload, qBound(1, int(font.weight()), 1000));
    put8(payload, font.italic() ? 1 : 0);
    put8(payload, 0); // underline and strike-out lines are drawn by QPainter as lines of their own
    put8(payload, 0);
    put8(payload, DEFAULT_CHARSET);
    put8(payload, 0); // OUT_DEFAULT_PRECIS
    put8(payload, 0); // CLIP_DEFAULT_PRECIS
    put8(payload, 0); // DEFAULT_QUALITY
    put8(payload, 0); // DEFAULT_PITCH | FF_DONTCARE
    const QStringList families = font.families();
    const QString family = families.isEmpty() ? font.family() : families.first();
    putFixedUtf16(payload, family, LOGFONT_FACESIZE);
    // LogFontExDv as GDI writes it: full name, style, script, and an empty design vector.
    putFixedUtf16(payload, QString(), 64);
    putFixedUtf16(payload, QString(), 32);
    putFixedUtf16(payload, QString(), 32);
    put32(payload, 0x08007664u);
    put32(payload, 0);
    select(Slot::Font, EMR_EXTCREATEFONTINDIRECTW, payload, 0);
}

void EmfPaintEngine::setTextColor(const QColor &color)
{
    const quint32 ref = colorRef(color);
    if (ref != m_textColor) {
        writeSimple(EMR_SETTEXTCOLOR, {ref});
        m_textColor = ref;
    }
}

void EmfPaintEngine::setFillRule(Qt::FillRule rule)
{
    const quint32 mode = rule == Qt::WindingFill ? WINDING : ALTERNATE;
    if (mode != m_fillMode) {
        writeSimple(EMR_SETPOLYFILLMODE, {mode});
        m_fillMode = mode;
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

bool EmfPaintEngine::axisAligned() const
{
    return m_transform.type() <= QTransform::TxScale;
}

QPoint EmfPaintEngine::mapPoint(const QPointF &p) const
{
    const QPointF m = m_transform.map(p);
    return QPoint(rounded(m.x()), rounded(m.y()));
}

// A box for Rectangle/Ellipse: GDI leaves out the right and bottom edge, so they are one past the
// last pixel that QPainter covers.
QRect EmfPaintEngine::mapBox(const QRectF &r) const
{
    const QRectF m = m_transform.mapRect(r.normalized());
    return QRect(QPoint(rounded(m.left()), rounded(m.top())), QPoint(rounded(m.right()), rounded(m.bottom())));
}

bool EmfPaintEngine::penVisible() const
{
    return m_pen.style() != Qt::NoPen && m_pen.brush().style() != Qt::NoBrush && m_pen.color().alpha() != 0;
}

bool EmfPaintEngine::brushVisible() const
{
    if (m_brush.style() == Qt::NoBrush)
        return false;
    if (m_brush.style() <= Qt::DiagCrossPattern && m_brush.color().alpha() == 0)
        return false;
    return true;
}

void EmfPaintEngine::writePoly(quint32 type, const QList<QPoint> &points)
{
    QByteArray payload;
    putRect(payload, boundsOf(points));
    put32(payload, quint32(points.size()));
    putPoints(payload, points);
    writeRecord(type, payload);
}

void EmfPaintEngine::writeBox(quint32 type, const QRectF &r)
{
    const QRect box = mapBox(r);
    // Stored as left, top, right + 1, bottom + 1 (exclusive edges).
    writeSimple(type, {quint32(box.left()), quint32(box.top()), quint32(box.right() + 1), quint32(box.bottom() + 1)});
}

void EmfPaintEngine::writePathRecords(const QPainterPath &devicePath)
{
    writeSimple(EMR_BEGINPATH, {});
    QList<QPoint> run;
    quint32 runType = 0;
    auto flush = [&]() {
        if (run.isEmpty())
            return;
        if (runType == EMR_LINETO && run.size() == 1)
            writeSimple(EMR_LINETO, {quint32(run.first().x()), quint32(run.first().y())});
        else
            writePoly(runType == EMR_LINETO ? EMR_POLYLINETO : EMR_POLYBEZIERTO, run);
        run.clear();
    };
    auto toPoint = [](const QPainterPath::Element &e) { return QPoint(rounded(e.x), rounded(e.y)); };
    QPointF subpathStart;
    QPointF last;
    int subpathElements = 0;
    auto closeIfNeeded = [&]() {
        if (subpathElements > 1 && last == subpathStart) {
            flush();
            writeSimple(EMR_CLOSEFIGURE, {});
        }
    };
    for (int i = 0; i < devicePath.elementCount(); ++i) {
        const QPainterPath::Element e = devicePath.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            flush();
            closeIfNeeded();
            writeSimple(EMR_MOVETOEX, {quint32(rounded(e.x)), quint32(rounded(e.y))});
            subpathStart = last = QPointF(e.x, e.y);
            subpathElements = 1;
            break;
        case QPainterPath::LineToElement:
            if (runType != EMR_LINETO)
                flush();
            runType = EMR_LINETO;
            run.append(toPoint(e));
            last = QPointF(e.x, e.y);
            ++subpathElements;
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= devicePath.elementCount())
                break;
            if (runType != EMR_POLYBEZIERTO)
                flush();
            runType = EMR_POLYBEZIERTO;
            run.append(toPoint(e));
            run.append(toPoint(devicePath.elementAt(i + 1)));
            run.append(toPoint(devicePath.elementAt(i + 2)));
            last = QPointF(devicePath.elementAt(i + 2).x, devicePath.elementAt(i + 2).y);
            ++subpathElements;
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    flush();
    closeIfNeeded();
    writeSimple(EMR_ENDPATH, {});
}

void EmfPaintEngine::writeDevicePath(const QPainterPath &devicePath, bool fill, bool stroke)
{
    if (devicePath.isEmpty() || (!fill && !stroke))
        return;
    const QRectF cr = devicePath.controlPointRect();
    const QRect bounds(QPoint(rounded(cr.left()), rounded(cr.top())), QPoint(rounded(cr.right()), rounded(cr.bottom())));
    auto finishWith = [&](quint32 type) {
        writeSimple(type, {quint32(bounds.left()), quint32(bounds.top()), quint32(bounds.right()),
                           quint32(bounds.bottom())});
    };

    // Is every subpath closed? GDI closes figures for filling but strokes open ones open.
    bool allClosed = true;
    {
        QPointF start;
        QPointF last;
        for (int i = 0; i < devicePath.elementCount(); ++i) {
            const QPainterPath::Element e = devicePath.elementAt(i);
            if (e.type == QPainterPath::MoveToElement) {
                if (i > 0 && last != start)
                    allClosed = false;
                start = last = QPointF(e.x, e.y);
            } else {
                last = QPointF(e.x, e.y);
            }
        }
        if (last != start)
            allClosed = false;
    }

    if (fill && patternDrawn() && drawPatternFill(devicePath)) {
        fill = false;
        if (!stroke)
            return;
    }
    if (fill)
        setFillRule(devicePath.fillRule());
    if (fill && stroke && allClosed) {
        selectPen();
        selectBrush();
        writePathRecords(devicePath);
        finishWith(EMR_STROKEANDFILLPATH);
        return;
    }
    if (fill) {
        selectBrush();
        writePathRecords(devicePath);
        finishWith(EMR_FILLPATH);
    }
    if (stroke) {
        selectPen();
        writePathRecords(devicePath);
        finishWith(EMR_STROKEPATH);
    }
}

void EmfPaintEngine::setPatternFills(EmfPaintDevice::PatternFills fills)
{
    m_patternFills = fills;
}

bool EmfPaintEngine::patternDrawn() const
{
    if (m_patternFills != EmfPaintDevice::PatternFills::Drawn)
        return false;
    quint32 hatch = 0;
    if (isHatch(m_brush.style(), &hatch))
        return true;
    return !monoTileOf(m_brush, backgroundColor()).isNull();
}

// Fills a device path with the brush's pattern drawn out: hatch lines, or the monochrome tile as a
// bitmap, clipped to the path. Objects are selected before SaveDC so that RestoreDC leaves the
// selection as this engine knows it.
bool EmfPaintEngine::drawPatternFill(const QPainterPath &devicePath)
{
    const QRect box = devicePath.boundingRect().toAlignedRect().intersected(QRect(QPoint(0, 0), m_size));
    if (box.isEmpty())
        return true; // nothing of it is inside the picture
    quint32 hatch = 0;
    const bool hatched = isHatch(m_brush.style(), &hatch);
    // A bitmap larger than 8192 × 8192 pixels would be too much memory: the pattern brush does then.
    if (!hatched && qint64(box.width()) * box.height() > qint64(8192) * 8192)
        return false;
    if (hatched) {
        const QPen pen = m_pen;
        m_pen = QPen(m_brush.color(), 0);
        selectPen();
        m_pen = pen;
    }
    setFillRule(devicePath.fillRule());
    writeSimple(EMR_SAVEDC, {});
    writePathRecords(devicePath);
    writeSimple(EMR_SELECTCLIPPATH, {RGN_AND});
    auto mod = [](int a, int n) { return ((a % n) + n) % n; };
    if (hatched) {
        // Where Qt puts the lines of this hatch within its 8 × 8 cell.
        QImage sample(8, 8, QImage::Format_RGB32);
        sample.fill(Qt::white);
        QPainter painter(&sample);
        painter.fillRect(sample.rect(), QBrush(Qt::black, m_brush.style()));
        painter.end();
        auto dark = [&](int x, int y) { return qGray(sample.pixel(mod(x, 8), mod(y, 8))) < 128; };
        auto line = [&](int x1, int y1, int x2, int y2) {
            writeSimple(EMR_MOVETOEX, {quint32(x1), quint32(y1)});
            writeSimple(EMR_LINETO, {quint32(x2), quint32(y2)});
        };
        const int left = box.left() - 1, right = box.right() + 2, top = box.top() - 1, bottom = box.bottom() + 2;
        for (int c = 0; c < 8; ++c) {
            bool row = true, column = true, falling = true, rising = true;
            for (int i = 0; i < 8; ++i) {
                row = row && dark(i, c);
                column = column && dark(c, i);
                falling = falling && dark(i + c, i); // x - y = c
                rising = rising && dark(c - i, i);   // x + y = c
            }
            if (row)
                for (int y = top + mod(c - top, 8); y <= bottom; y += 8)
                    line(left, y, right, y);
            if (column)
                for (int x = left + mod(c - left, 8); x <= right; x += 8)
                    line(x, top, x, bottom);
            if (falling)
                for (int d = (left - bottom) + mod(c - (left - bottom), 8); d <= right - top; d += 8)
                    line(left, left - d, right, right - d);
            if (rising)
                for (int sum = (left + top) + mod(c - (left + top), 8); sum <= right + bottom; sum += 8)
                    line(left, sum - left, right, sum - right);
        }
    } else {
        // The tile repeats from the device origin, as QPainter aligns it.
        const MonoTile tile = monoTileOf(m_brush, backgroundColor());
        const QByteArray bits = dib1(box.width(), box.height(), [&](int x, int y) {
            return tile.at(mod(box.left() + x, tile.width), mod(box.top() + y, tile.height));
        });
        const QByteArray info = bitmapInfo(box.width(), box.height(), 1, {tile.zero, tile.one}, quint32(bits.size()));
        writeDib(box, box.size(), info, bits);
    }
    writeSimple(EMR_RESTOREDC, {quint32(-1)});
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void EmfPaintEngine::drawRects(const QRectF *rects, int rectCount)
{
    const bool fill = brushVisible();
    const bool stroke = penVisible();
    if (!fill && !stroke)
        return;
    for (int i = 0; i < rectCount; ++i) {
        if (axisAligned()) {
            bool fillHere = fill;
            if (fill && patternDrawn()) {
                QPainterPath path;
                path.addRect(rects[i]);
                if (drawPatternFill(m_transform.map(path))) {
                    fillHere = false;
                    if (!stroke)
                        continue;
                }
            }
            selectPen();
            selectBrush(fillHere);
            writeBox(EMR_RECTANGLE, rects[i]);
        } else {
            const QRectF &r = rects[i];
            const QPointF corners[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
            drawPolygon(corners, 4, OddEvenMode);
        }
    }
}

void EmfPaintEngine::drawRects(const QRect *rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        const QRectF r(rects[i]);
        drawRects(&r, 1);
    }
}

void EmfPaintEngine::drawLines(const QLineF *lines, int lineCount)
{
    if (!penVisible())
        return;
    selectPen();
    for (int i = 0; i < lineCount; ++i) {
        const QPoint a = mapPoint(lines[i].p1());
        const QPoint b = mapPoint(lines[i].p2());
        writeSimple(EMR_MOVETOEX, {quint32(a.x()), quint32(a.y())});
        writeSimple(EMR_LINETO, {quint32(b.x()), quint32(b.y())});
    }
}

void EmfPaintEngine::drawLines(const QLine *lines, int lineCount)
{
    for (int i = 0; i < lineCount; ++i) {
        const QLineF l(lines[i]);
        drawLines(&l, 1);
    }
}

void EmfPaintEngine::drawEllipse(const QRectF &r)
{
    const bool fill = brushVisible();
    const bool stroke = penVisible();
    if (!fill && !stroke)
        return;
    if (axisAligned()) {
        bool fillHere = fill;
        if (fill && patternDrawn()) {
            QPainterPath path;
            path.addEllipse(r);
            if (drawPatternFill(m_transform.map(path))) {
                fillHere = false;
                if (!stroke)
                    return;
            }
        }
        selectPen();
        selectBrush(fillHere);
        writeBox(EMR_ELLIPSE, r);
        return;
    }
    QPainterPath path;
    path.addEllipse(r);
    writeDevicePath(m_transform.map(path), fill, stroke);
}

void EmfPaintEngine::drawEllipse(const QRect &r)
{
    drawEllipse(QRectF(r));
}

void EmfPaintEngine::drawPath(const QPainterPath &path)
{
    const bool fill = brushVisible();
    const bool stroke = penVisible();
    if (!fill && !stroke)
        return;
    writeDevicePath(m_transform.map(path), fill, stroke);
}

void EmfPaintEngine::drawPoints(const QPointF *points, int pointCount)
{
    if (!penVisible())
        return;
    const qreal width = m_pen.isCosmetic() ? qMax<qreal>(1, m_pen.widthF())
                                           : qMax<qreal>(1, m_pen.widthF()) * transformScale();
    if (width <= 1.5) {
        const quint32 color = colorRef(m_pen.color());
        for (int i = 0; i < pointCount; ++i) {
            const QPoint p = mapPoint(points[i]);
            writeSimple(EMR_SETPIXELV, {quint32(p.x()), quint32(p.y()), color});
        }
        return;
    }
    // Wide points are dots of the pen's width, filled with the pen's colour.
    const QPen pen = m_pen;
    const QBrush brush = m_brush;
    const QTransform transform = m_transform;
    m_brush = QBrush(pen.color());
    m_pen = QPen(Qt::NoPen);
    m_transform = QTransform();
    for (int i = 0; i < pointCount; ++i) {
        const QPointF c = transform.map(points[i]);
        const QRectF dot(c.x() - width / 2, c.y() - width / 2, width, width);
        if (pen.capStyle() == Qt::RoundCap)
            drawEllipse(dot);
        else
            drawRects(&dot, 1);
    }
    m_pen = pen;
    m_brush = brush;
    m_transform = transform;
}

void EmfPaintEngine::drawPoints(const QPoint *points, int pointCount)
{
    for (int i = 0; i < pointCount; ++i) {
        const QPointF p(points[i]);
        drawPoints(&p, 1);
    }
}

void EmfPaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode)
{
    if (pointCount < 2)
        return;
    QList<QPoint> mapped;
    mapped.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        mapped.append(mapPoint(points[i]));
    if (mode == PolylineMode) {
        if (!penVisible())
            return;
        selectPen();
        writePoly(EMR_POLYLINE, mapped);
        return;
    }
    const bool fill = brushVisible();
    const bool stroke = penVisible();
    if (!fill && !stroke)
        return;
    bool fillHere = fill;
    if (fill && patternDrawn()) {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + pointCount)));
        path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        if (drawPatternFill(m_transform.map(path))) {
            fillHere = false;
            if (!stroke)
                return;
        }
    }
    if (mode == WindingMode)
        setFillRule(Qt::WindingFill);
    else if (mode == OddEvenMode)
        setFillRule(Qt::OddEvenFill);
    selectPen();
    selectBrush(fillHere);
    writePoly(EMR_POLYGON, mapped);
}

void EmfPaintEngine::drawPolygon(const QPoint *points, int pointCount, PolygonDrawMode mode)
{
    QList<QPointF> converted;
    converted.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        converted.append(QPointF(points[i]));
    drawPolygon(converted.constData(), pointCount, mode);
}

void EmfPaintEngine::drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr)
{
    writeImage(r, pm.toImage(), sr);
}

void EmfPaintEngine::drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags)
{
    writeImage(r, image, sr);
}

void EmfPaintEngine::writeImage(const QRectF &r, const QImage &image, const QRectF &sr)
{
    if (image.isNull() || r.isEmpty())
        return;
    const QRect source = sr.toAlignedRect().intersected(image.rect());
    if (source.isEmpty())
        return;
    const QImage part = source == image.rect() ? image : image.copy(source);
    const QByteArray bits = dib24(part, Qt::white);
    const QByteArray info = bitmapInfo(part.width(), part.height(), 24, {}, quint32(bits.size()));

    const bool rotated = !axisAligned();
    const QRectF mapped = m_transform.mapRect(r);
    if (rounded(mapped.right()) <= rounded(mapped.left()) || rounded(mapped.bottom()) <= rounded(mapped.top()))
        return; // narrower than a pixel
    QRect target;
    if (rotated) {
        // StretchDIBits draws axis-aligned only: let the world transform turn it for this one record.
        QByteArray xform;
        putFloat(xform, float(m_transform.m11()));
        putFloat(xform, float(m_transform.m12()));
        putFloat(xform, float(m_transform.m21()));
        putFloat(xform, float(m_transform.m22()));
        putFloat(xform, float(m_transform.dx()));
        putFloat(xform, float(m_transform.dy()));
        writeRecord(EMR_SETWORLDTRANSFORM, xform);
        target = QRect(QPoint(rounded(r.left()), rounded(r.top())), QPoint(rounded(r.right()) - 1, rounded(r.bottom()) - 1));
    } else {
        target = QRect(QPoint(rounded(mapped.left()), rounded(mapped.top())),
                       QPoint(rounded(mapped.right()) - 1, rounded(mapped.bottom()) - 1));
    }
    writeDib(target, part.size(), info, bits);
    if (rotated)
        writeSimple(EMR_MODIFYWORLDTRANSFORM, {0, 0, 0, 0, 0, 0, MWT_IDENTITY});
}

void EmfPaintEngine::writeDib(const QRect &target, const QSize &source, const QByteArray &info, const QByteArray &bits)
{
    if (!m_stretchModeWritten) {
        writeSimple(EMR_SETSTRETCHBLTMODE, {STRETCH_HALFTONE});
        m_stretchModeWritten = true;
    }
    QByteArray payload;
    putRect(payload, target);
    puti(payload, target.left());
    puti(payload, target.top());
    puti(payload, 0);
    puti(payload, 0);
    puti(payload, source.width());
    puti(payload, source.height());
    put32(payload, 80); // offBmiSrc: after the fixed part of the record
    put32(payload, quint32(info.size()));
    put32(payload, quint32(80 + info.size()));
    put32(payload, quint32(bits.size()));
    put32(payload, DIB_RGB_COLORS);
    put32(payload, SRCCOPY);
    puti(payload, target.width());
    puti(payload, target.height());
    payload.append(info);
    payload.append(bits);
    writeRecord(EMR_STRETCHDIBITS, payload);
}

void EmfPaintEngine::drawTextItem(const QPointF &p, const QTextItem &textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty() || !penVisible())
        return;
    const QFont font = textItem.font();

    // Direction of the baseline and of the ascent after the transform.
    const QPointF along = m_transform.map(QLineF(0, 0, 1, 0)).p2() - m_transform.map(QPointF(0, 0));
    const QPointF up = m_transform.map(QLineF(0, 0, 0, 1)).p2() - m_transform.map(QPointF(0, 0));
    const qreal scaleX = std::hypot(along.x(), along.y());
    const qreal scaleY = std::hypot(up.x(), up.y());
    // Escapement in tenths of a degree, counter-clockwise on the page (y grows downwards).
    qreal angle = qRadiansToDegrees(std::atan2(-along.y(), along.x()));
    if (angle < 0)
        angle += 360;
    const int escapement = qRound(angle * 10) % 3600;

    const qreal pixelSize = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * m_dpi / 72.0;
    selectFont(font, pixelSize * scaleY, escapement);
    setTextColor(m_pen.color());

    // Advances per UTF-16 unit, stretched to QPainter's own width of the run so that the text
    // takes the same room whatever font the reader substitutes.
    const QFontMetricsF metrics(font);
    QList<qreal> advances;
    advances.reserve(text.size());
    qreal natural = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qreal advance = 0;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) {
            advance = metrics.horizontalAdvance(text.mid(i, 2));
            advances.append(advance);
            advances.append(0);
            ++i;
        } else {
            advance = metrics.horizontalAdvance(text.at(i));
            advances.append(advance);
        }
        natural += advance;
    }
    const qreal width = textItem.width();
    const qreal stretch = (natural > 0 && width > 0) ? width / natural : 1.0;
    QList<qint32> dx;
    dx.reserve(advances.size());
    qreal position = 0;
    int placed = 0;
    for (qreal advance : advances) {
        position += advance * stretch * scaleX;
        const int next = qRound(position);
        dx.append(next - placed);
        placed = next;
    }

    const QPoint reference = mapPoint(p);
    const QRectF logicalBounds(p.x(), p.y() - textItem.ascent(), width, textItem.ascent() + textItem.descent());
    const QRectF deviceBounds = m_transform.mapRect(logicalBounds);
    const QRect bounds(QPoint(rounded(deviceBounds.left()), rounded(deviceBounds.top())),
                       QPoint(rounded(deviceBounds.right()), rounded(deviceBounds.bottom())));

    const quint32 chars = quint32(text.size());
    const quint32 stringOffset = 76;
    const quint32 stringBytes = ((chars * 2) + 3) & ~3u;
    QByteArray payload;
    putRect(payload, bounds);
    put32(payload, GM_COMPATIBLE);
    putFloat(payload, 0.0f);
    putFloat(payload, 0.0f);
    puti(payload, reference.x());
    puti(payload, reference.y());
    put32(payload, chars);
    put32(payload, stringOffset);
    put32(payload, 0);                         // options
    for (int i = 0; i < 4; ++i)
        puti(payload, 0); // no clipping or opaquing rectangle
    put32(payload, stringOffset + stringBytes); // offDx
    for (QChar c : text) {
        // Control characters (tabs, line breaks) have no glyph in GDI fonts: their room is kept by dx.
        const ushort unit = c.unicode();
        put16(payload, (unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) ? ushort(' ') : unit);
    }
    if (chars % 2)
        put16(payload, 0);
    for (qint32 d : dx)
        puti(payload, d);
    writeRecord(EMR_EXTTEXTOUTW, payload);
}

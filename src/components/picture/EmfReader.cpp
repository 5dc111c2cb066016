#include "picture/EmfReader.h"

#include "picture/EmfFormat.h"

#include <QtEndian>

#include <cstring>

namespace {

template <typename T>
T readLe(const QByteArray &bytes, qsizetype at)
{
    if (at < 0 || at + qsizetype(sizeof(T)) > bytes.size())
        return T{};
    return qFromLittleEndian<T>(bytes.constData() + at);
}

} // namespace

quint32 EmfRecord::u32(qsizetype at) const
{
    return readLe<quint32>(bytes, at);
}

qint32 EmfRecord::i32(qsizetype at) const
{
    return readLe<qint32>(bytes, at);
}

quint16 EmfRecord::u16(qsizetype at) const
{
    return readLe<quint16>(bytes, at);
}

quint8 EmfRecord::u8(qsizetype at) const
{
    return (at >= 0 && at < bytes.size()) ? quint8(bytes.at(at)) : 0;
}

float EmfRecord::f32(qsizetype at) const
{
    const quint32 raw = u32(at);
    float value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

QRect EmfRecord::rectAt(qsizetype at) const
{
    return QRect(QPoint(i32(at), i32(at + 4)), QPoint(i32(at + 8), i32(at + 12)));
}

QString EmfRecord::utf16At(qsizetype at, qsizetype units) const
{
    QString text;
    for (qsizetype i = 0; i < units && at + 2 * i + 2 <= bytes.size(); ++i)
        text.append(QChar(u16(at + 2 * i)));
    return text;
}

quint32 EmfRecord::param(int i) const
{
    return u32(8 + 4 * qsizetype(i));
}

bool EmfReader::read(const QByteArray &bytes, QString *error)
{
    m_records.clear();
    m_header = EmfHeader();
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (at + 8 > bytes.size())
            return fail(QStringLiteral("truncated record at offset %1").arg(at));
        const quint32 type = readLe<quint32>(bytes, at);
        const quint32 size = readLe<quint32>(bytes, at + 4);
        if (size < 8 || size % 4 != 0 || at + qsizetype(size) > bytes.size())
            return fail(QStringLiteral("record %1 at offset %2 has a bad size %3").arg(type).arg(at).arg(size));
        EmfRecord record;
        record.type = type;
        record.offset = at;
        record.bytes = bytes.mid(at, size);
        m_records.append(record);
        at += size;
        if (type == emf::EMR_EOF)
            break;
    }
    if (m_records.isEmpty() || m_records.first().type != emf::EMR_HEADER)
        return fail(QStringLiteral("the first record is not EMR_HEADER"));
    if (m_records.last().type != emf::EMR_EOF)
        return fail(QStringLiteral("no EMR_EOF record"));
    if (at != bytes.size())
        return fail(QStringLiteral("%1 bytes follow EMR_EOF").arg(bytes.size() - at));

    const EmfRecord &h = m_records.first();
    if (h.size() < 88)
        return fail(QStringLiteral("header record too short"));
    m_header.bounds = h.rectAt(8);
    m_header.frame = h.rectAt(24);
    m_header.signature = h.u32(40);
    m_header.version = h.u32(44);
    m_header.bytes = h.u32(48);
    m_header.records = h.u32(52);
    m_header.handles = h.u16(56);
    const quint32 descriptionLength = h.u32(60);
    const quint32 descriptionOffset = h.u32(64);
    m_header.deviceSize = QSize(h.i32(72), h.i32(76));
    m_header.millimeters = QSize(h.i32(80), h.i32(84));
    if (h.size() >= 108)
        m_header.micrometers = QSize(h.i32(100), h.i32(104));
    if (descriptionLength > 0 && descriptionOffset >= 88
        && qsizetype(descriptionOffset) + 2 * qsizetype(descriptionLength) <= h.size())
        m_header.description = h.utf16At(descriptionOffset, descriptionLength);
    if (m_header.signature != emf::ENHMETA_SIGNATURE)
        return fail(QStringLiteral("bad signature"));
    return true;
}

QList<EmfRecord> EmfReader::recordsOfType(quint32 type) const
{
    QList<EmfRecord> result;
    for (const EmfRecord &record : m_records)
        if (record.type == type)
            result.append(record);
    return result;
}

int EmfReader::count(quint32 type) const
{
    int n = 0;
    for (const EmfRecord &record : m_records)
        if (record.type == type)
            ++n;
    return n;
}

QStringList EmfReader::texts() const
{
    QStringList result;
    for (const EmfRecord &record : m_records) {
        if (record.type != emf::EMR_EXTTEXTOUTW)
            continue;
        const quint32 chars = record.u32(44);
        const quint32 offset = record.u32(48);
        result.append(record.utf16At(offset, chars));
    }
    return result;
}

QString EmfReader::typeName(quint32 type)
{
    using namespace emf;
    switch (type) {
#define EMF_NAME(x) \
    case x: \
        return QStringLiteral(#x);
        EMF_NAME(EMR_HEADER) EMF_NAME(EMR_POLYBEZIER) EMF_NAME(EMR_POLYGON) EMF_NAME(EMR_POLYLINE)
        EMF_NAME(EMR_POLYBEZIERTO) EMF_NAME(EMR_POLYLINETO) EMF_NAME(EMR_POLYPOLYLINE) EMF_NAME(EMR_POLYPOLYGON)
        EMF_NAME(EMR_SETWINDOWEXTEX) EMF_NAME(EMR_SETWINDOWORGEX) EMF_NAME(EMR_SETVIEWPORTEXTEX)
        EMF_NAME(EMR_SETVIEWPORTORGEX) EMF_NAME(EMR_SETBRUSHORGEX) EMF_NAME(EMR_EOF) EMF_NAME(EMR_SETPIXELV)
        EMF_NAME(EMR_SETMAPPERFLAGS) EMF_NAME(EMR_SETMAPMODE) EMF_NAME(EMR_SETBKMODE) EMF_NAME(EMR_SETPOLYFILLMODE)
        EMF_NAME(EMR_SETROP2) EMF_NAME(EMR_SETSTRETCHBLTMODE) EMF_NAME(EMR_SETTEXTALIGN)
        EMF_NAME(EMR_SETCOLORADJUSTMENT) EMF_NAME(EMR_SETTEXTCOLOR) EMF_NAME(EMR_SETBKCOLOR)
        EMF_NAME(EMR_OFFSETCLIPRGN) EMF_NAME(EMR_MOVETOEX) EMF_NAME(EMR_SETMETARGN) EMF_NAME(EMR_EXCLUDECLIPRECT)
        EMF_NAME(EMR_INTERSECTCLIPRECT) EMF_NAME(EMR_SCALEVIEWPORTEXTEX) EMF_NAME(EMR_SCALEWINDOWEXTEX)
        EMF_NAME(EMR_SAVEDC) EMF_NAME(EMR_RESTOREDC) EMF_NAME(EMR_SETWORLDTRANSFORM)
        EMF_NAME(EMR_MODIFYWORLDTRANSFORM) EMF_NAME(EMR_SELECTOBJECT) EMF_NAME(EMR_CREATEPEN)
        EMF_NAME(EMR_CREATEBRUSHINDIRECT) EMF_NAME(EMR_DELETEOBJECT) EMF_NAME(EMR_ANGLEARC) EMF_NAME(EMR_ELLIPSE)
        EMF_NAME(EMR_RECTANGLE) EMF_NAME(EMR_ROUNDRECT) EMF_NAME(EMR_ARC) EMF_NAME(EMR_CHORD) EMF_NAME(EMR_PIE)
        EMF_NAME(EMR_SELECTPALETTE) EMF_NAME(EMR_CREATEPALETTE) EMF_NAME(EMR_SETPALETTEENTRIES)
        EMF_NAME(EMR_RESIZEPALETTE) EMF_NAME(EMR_REALIZEPALETTE) EMF_NAME(EMR_EXTFLOODFILL) EMF_NAME(EMR_LINETO)
        EMF_NAME(EMR_ARCTO) EMF_NAME(EMR_POLYDRAW) EMF_NAME(EMR_SETARCDIRECTION) EMF_NAME(EMR_SETMITERLIMIT)
        EMF_NAME(EMR_BEGINPATH) EMF_NAME(EMR_ENDPATH) EMF_NAME(EMR_CLOSEFIGURE) EMF_NAME(EMR_FILLPATH)
        EMF_NAME(EMR_STROKEANDFILLPATH) EMF_NAME(EMR_STROKEPATH) EMF_NAME(EMR_FLATTENPATH) EMF_NAME(EMR_WIDENPATH)
        EMF_NAME(EMR_SELECTCLIPPATH) EMF_NAME(EMR_ABORTPATH) EMF_NAME(EMR_COMMENT) EMF_NAME(EMR_FILLRGN)
        EMF_NAME(EMR_FRAMERGN) EMF_NAME(EMR_INVERTRGN) EMF_NAME(EMR_PAINTRGN) EMF_NAME(EMR_EXTSELECTCLIPRGN)
        EMF_NAME(EMR_BITBLT) EMF_NAME(EMR_STRETCHBLT) EMF_NAME(EMR_MASKBLT) EMF_NAME(EMR_PLGBLT)
        EMF_NAME(EMR_SETDIBITSTODEVICE) EMF_NAME(EMR_STRETCHDIBITS) EMF_NAME(EMR_EXTCREATEFONTINDIRECTW)
        EMF_NAME(EMR_EXTTEXTOUTA) EMF_NAME(EMR_EXTTEXTOUTW) EMF_NAME(EMR_POLYBEZIER16) EMF_NAME(EMR_POLYGON16)
        EMF_NAME(EMR_POLYLINE16) EMF_NAME(EMR_POLYBEZIERTO16) EMF_NAME(EMR_POLYLINETO16)
        EMF_NAME(EMR_POLYPOLYLINE16) EMF_NAME(EMR_POLYPOLYGON16) EMF_NAME(EMR_POLYDRAW16)
        EMF_NAME(EMR_CREATEMONOBRUSH) EMF_NAME(EMR_CREATEDIBPATTERNBRUSHPT) EMF_NAME(EMR_EXTCREATEPEN)
#undef EMF_NAME
    default:
        return QStringLiteral("EMR_%1").arg(type);
    }
}

QString EmfReader::dump() const
{
    QString text;
    for (const EmfRecord &record : m_records) {
        text += typeName(record.type);
        const qsizetype words = qMin<qsizetype>((record.size() - 8) / 4, 12);
        for (qsizetype i = 0; i < words; ++i)
            text += QLatin1Char(' ') + QString::number(record.i32(8 + 4 * i));
        if ((record.size() - 8) / 4 > words)
            text += QStringLiteral(" …");
        text += QLatin1Char('\n');
    }
    return text;
}

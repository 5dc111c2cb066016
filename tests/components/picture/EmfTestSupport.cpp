#include "EmfTestSupport.h"

#include "picture/EmfFormat.h"
#include "picture/EmfPaintDevice.h"

#include <QHash>
#include <QPainter>

#include <gtest/gtest.h>

using namespace emf;

EmfReader paintEmf(const QSize &size, const PaintRoutine &paint, int dpi)
{
    EmfPaintDevice device(size, dpi);
    {
        QPainter painter(&device);
        EXPECT_TRUE(painter.isActive());
        paint(painter);
    }
    EmfReader reader;
    QString error;
    EXPECT_TRUE(reader.read(device.data(), &error)) << error.toStdString();
    return reader;
}

QList<EmfRecord> drawingRecords(const EmfReader &reader)
{
    QList<EmfRecord> result;
    const QList<EmfRecord> &all = reader.records();
    // Header, map mode, background mode, text alignment and fill mode open every file.
    for (qsizetype i = 5; i < all.size(); ++i) {
        if (all.at(i).type == EMR_EOF)
            break;
        result.append(all.at(i));
    }
    return result;
}

QList<qint32> params(const EmfRecord &record)
{
    QList<qint32> result;
    for (qsizetype at = 8; at + 4 <= record.size(); at += 4)
        result.append(record.i32(at));
    return result;
}

QList<QPoint> polyPoints(const EmfRecord &record)
{
    QList<QPoint> points;
    const quint32 count = record.u32(24);
    for (quint32 i = 0; i < count; ++i)
        points.append(QPoint(record.i32(28 + 8 * i), record.i32(32 + 8 * i)));
    return points;
}

QList<quint32> types(const QList<EmfRecord> &records)
{
    QList<quint32> result;
    for (const EmfRecord &r : records)
        result.append(r.type);
    return result;
}

QString objectProblems(const EmfReader &reader)
{
    enum Kind { Pen, Brush, Font, None };
    auto stockKind = [](quint32 handle) {
        const quint32 index = handle & 0x7FFFFFFFu;
        if (index <= 5)
            return Brush;
        if (index <= 8)
            return Pen;
        if (index >= 10 && index <= 17 && index != 15)
            return Font;
        return None;
    };
    QHash<quint32, Kind> alive;
    quint32 selected[3] = {BLACK_PEN, WHITE_BRUSH, SYSTEM_FONT};
    const quint32 tableSize = reader.header().handles;
    for (const EmfRecord &r : reader.records()) {
        Kind created = None;
        if (r.type == EMR_EXTCREATEPEN || r.type == EMR_CREATEPEN)
            created = Pen;
        else if (r.type == EMR_CREATEBRUSHINDIRECT || r.type == EMR_CREATEDIBPATTERNBRUSHPT
                 || r.type == EMR_CREATEMONOBRUSH)
            created = Brush;
        else if (r.type == EMR_EXTCREATEFONTINDIRECTW)
            created = Font;
        const quint32 handle = r.param(0);
        if (created != None) {
            if (handle == 0 || handle >= tableSize)
                return QStringLiteral("handle %1 outside the table of %2").arg(handle).arg(tableSize);
            if (alive.contains(handle))
                return QStringLiteral("handle %1 created while still in use").arg(handle);
            alive.insert(handle, created);
        } else if (r.type == EMR_SELECTOBJECT) {
            if (handle & 0x80000000u) {
                const Kind kind = stockKind(handle);
                if (kind == None)
                    return QStringLiteral("unknown stock object %1").arg(handle, 0, 16);
                selected[kind] = handle;
            } else {
                if (!alive.contains(handle))
                    return QStringLiteral("selects handle %1 that does not exist").arg(handle);
                selected[alive.value(handle)] = handle;
            }
        } else if (r.type == EMR_DELETEOBJECT) {
            if (!alive.contains(handle))
                return QStringLiteral("deletes handle %1 that does not exist").arg(handle);
            if (selected[alive.value(handle)] == handle)
                return QStringLiteral("deletes handle %1 while it is selected").arg(handle);
            alive.remove(handle);
        }
    }
    if (!alive.isEmpty())
        return QStringLiteral("%1 objects never deleted").arg(alive.size());
    return QString();
}

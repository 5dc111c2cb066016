#pragma once

#include "picture/EmfReader.h"
#include "picture/PictureExport.h"

#include <QList>
#include <QPoint>
#include <QString>

// Paints into an EmfPaintDevice and reads the result back; fails the test when the file is malformed.
EmfReader paintEmf(const QSize &size, const PaintRoutine &paint, int dpi = 96);

// Records after the fixed set-up that every metafile starts with, without the closing ones.
QList<EmfRecord> drawingRecords(const EmfReader &reader);

// Signed 32-bit parameters of a record (all words after type and size).
QList<qint32> params(const EmfRecord &record);

// Points of a POLYGON/POLYLINE/POLYBEZIERTO/POLYLINETO record.
QList<QPoint> polyPoints(const EmfRecord &record);

// Follows creation, selection and deletion of objects; empty when balanced, else the first problem.
QString objectProblems(const EmfReader &reader);

// Types of the records, for compact expectations.
QList<quint32> types(const QList<EmfRecord> &records);

#pragma once

#include "picture/EmfPaintDevice.h"

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QList>
#include <QPaintEngine>
#include <QPen>
#include <QRegion>
#include <QSize>
#include <QTransform>

// Paint engine behind EmfPaintDevice: turns QPainter calls into EMF records.
// World transforms are applied to the coordinates here, so the metafile stays in MM_TEXT pixels with an
// identity world transform; pen widths, font heights and text escapement follow the painter's transform.
// Pens, brushes and fonts are created when a primitive needs a different one than the selected one;
// the replaced object is deleted after the new one is selected, and end() selects stock objects and
// deletes whatever is left, so the handle table is balanced.
class EmfPaintEngine final : public QPaintEngine
{
public:
    EmfPaintEngine(const QSize &sizePixels, int dpi);
    ~EmfPaintEngine() override;
    Q_DISABLE_COPY_MOVE(EmfPaintEngine)

    // Bytes of the last finished metafile (an empty metafile before the first painting session).
    QByteArray data() const;

    bool begin(QPaintDevice *pdev) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;

    void drawRects(const QRect *rects, int rectCount) override;
    void drawRects(const QRectF *rects, int rectCount) override;
    void drawLines(const QLine *lines, int lineCount) override;
    void drawLines(const QLineF *lines, int lineCount) override;
    void drawEllipse(const QRectF &r) override;
    void drawEllipse(const QRect &r) override;
    void drawPath(const QPainterPath &path) override;
    void drawPoints(const QPointF *points, int pointCount) override;
    void drawPoints(const QPoint *points, int pointCount) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawPolygon(const QPoint *points, int pointCount, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override;
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;

    Type type() const override;

    void setPatternFills(EmfPaintDevice::PatternFills fills);

private:
    enum class Slot { Pen, Brush, Font };
    struct Selected
    {
        quint32 handle = 0; // 0 while a stock object is selected
        QByteArray key;     // record payload that created it; empty: not known yet
    };

    void writeRecord(quint32 type, const QByteArray &payload);
    void writeSimple(quint32 type, std::initializer_list<quint32> args);
    QByteArray assemble(const QByteArray &body, quint32 recordCount, quint32 handles) const;

    // Graphic objects
    quint32 allocateHandle();
    void select(Slot slot, quint32 createType, const QByteArray &payload, quint32 stock);
    void selectPen();
    void selectBrush(bool fill = true);
    QColor backgroundColor() const;
    bool patternDrawn() const;
    bool drawPatternFill(const QPainterPath &devicePath);
    void selectFont(const QFont &font, qreal pixelHeight, int escapement);
    void deleteAllObjects();
    QByteArray penPayload(bool *isNull) const;
    QByteArray brushPayload(quint32 *createType, bool *isNull) const;
    void setTextColor(const QColor &color);
    void setFillRule(Qt::FillRule rule);
    void combineClip(const QRegion &deviceRegion, Qt::ClipOperation operation);
    void writeClip();

    // Geometry helpers
    bool axisAligned() const;
    qreal transformScale() const;
    QPoint mapPoint(const QPointF &p) const;
    QRect mapBox(const QRectF &r) const;
    bool penVisible() const;
    bool brushVisible() const;
    void writePoly(quint32 type, const QList<QPoint> &points);
    void writeBox(quint32 type, const QRectF &r);
    void writePathRecords(const QPainterPath &devicePath);
    void writeDevicePath(const QPainterPath &devicePath, bool fill, bool stroke);
    void writeImage(const QRectF &r, const QImage &image, const QRectF &sr);
    void writeDib(const QRect &target, const QSize &source, const QByteArray &info, const QByteArray &bits);

    QSize m_size;
    int m_dpi;
    EmfPaintDevice::PatternFills m_patternFills = EmfPaintDevice::PatternFills::Brushes;
    QByteArray m_records;
    quint32 m_recordCount = 0;
    QByteArray m_finished;

    // Handle table: index 0 stands for the metafile itself.
    QList<bool> m_handleUsed;
    Selected m_selected[3];

    // Painter state mirrored from updateState()
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    QRegion m_clip;
    bool m_clipEnabled = false;
    bool m_clipSet = false; // a clip region is defined (it may be switched off by setClipping(false))

    // Values already set in the metafile's device context
    quint32 m_textColor = 0;
    quint32 m_fillMode = 0;
    bool m_clipWritten = false;
    bool m_stretchModeWritten = false;
};

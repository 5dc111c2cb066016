#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPaintEngine>
#include <QPen>
#include <QBrush>
#include <QFont>
#include <QRegion>
#include <QSize>
#include <QTransform>

// Paint engine behind EmfPaintDevice: turns QPainter calls into EMF records.
// World transforms are applied to the coordinates here; the metafile itself stays in MM_TEXT pixels.
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

private:
    struct ObjectKey;

    // Record building
    void startRecord(quint32 type);
    void finishRecord();
    void putU32(quint32 v);
    void putI32(qint32 v);
    void putU16(quint16 v);
    void putU8(quint8 v);
    void putFloat(float v);
    void putRect(const QRect &r);
    void putPoint(const QPoint &p);
    void putColor(const QColor &c);
    void emitSimple(quint32 type, std::initializer_list<quint32> args);
    QByteArray finishedMetafile() const;

    // Graphic objects
    quint32 allocateHandle();
    void releaseHandle(quint32 handle);
    void selectPen();
    void selectBrush();
    void selectFont(const QFont &font, const QTransform &transform);
    void replaceSelected(quint32 &current, quint32 fresh);
    void deleteAllObjects();
    quint32 createPen(const QPen &pen);
    quint32 createBrush(const QBrush &brush);
    quint32 createPatternBrush(const QImage &pattern, const QColor &foreground, bool mono);
    void setTextColor(const QColor &color);
    void setBackground();
    void setFillRule(Qt::FillRule rule);
    void applyClip();

    // Geometry helpers
    bool simpleTransform() const;
    QPoint mapPoint(const QPointF &p) const;
    QRect mapBox(const QRectF &r) const;
    QRect boundsOf(const QList<QPoint> &points) const;
    qreal penWidthPixels() const;
    bool penVisible() const;
    bool brushVisible() const;
    void drawMappedPolygon(const QList<QPoint> &points, bool closed);
    void drawStroke(const QPainterPath &path);
    void emitPath(const QPainterPath &devicePath, bool fill, bool stroke);
    void emitImage(const QRect &target, const QImage &image, const QRect &source);

    QSize m_size;
    int m_dpi;
    QByteArray m_records;
    int m_recordStart = 0;
    quint32 m_recordCount = 0;
    QByteArray m_finished;

    // Handle table: index 0 is reserved for the metafile itself.
    QList<bool> m_handleUsed;
    quint32 m_maxHandles = 1;
    quint32 m_currentPen = 0;   // 0: a stock object is selected
    quint32 m_currentBrush = 0;
    quint32 m_currentFont = 0;
    QByteArray m_penKey;
    QByteArray m_brushKey;
    QByteArray m_fontKey;
    bool m_penKnown = false;
    bool m_brushKnown = false;
    bool m_fontKnown = false;

    // Painter state mirrored from updateState()
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QTransform m_transform;
    QBrush m_background = QBrush(Qt::white);
    Qt::BGMode m_bgMode = Qt::TransparentMode;
    QRegion m_clip;
    bool m_clipEnabled = false;

    // Values already written to the metafile's DC
    quint32 m_textColor = 0;
    quint32 m_bkColor = 0xFFFFFFu;
    quint32 m_bkMode = 0;
    quint32 m_fillMode = 0;
    bool m_clipWritten = false;
};

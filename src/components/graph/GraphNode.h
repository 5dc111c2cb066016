#pragma once

#include "graph/GraphObject.h"

#include <QMargins>
#include <QPainterPath>
#include <QPolygon>

// Rectangle-bounded shape with a caption. Subclasses give the outline and the text area.
class TGraphNode : public TGraphObject {
public:
    // Marker order of the eight size markers (also the hit-test order).
    enum Marker { BottomRight, BottomLeft, TopRight, TopLeft, BottomMiddle, RightMiddle, LeftMiddle, TopMiddle };

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    QRect Bounds() const { return QRect(m_left, m_top, m_width, m_height); }
    void SetLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
    void SetTop(int v) { SetBounds(m_left, v, m_width, m_height); }
    void SetWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
    void SetHeight(int v) { SetBounds(m_left, m_top, m_width, v); }
    // Applies the size minimum, the canvas constraints, the movable/resizable options and
    // the canvas veto; returns whether anything changed.
    bool SetBounds(int left, int top, int width, int height);
    bool SetBounds(const QRect &r) { return SetBounds(r.x(), r.y(), r.width(), r.height()); }

    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout layout);
    int Margin() const { return m_margin; }
    void SetMargin(int margin);
    int NodeOptions() const { return m_nodeOptions; }
    void SetNodeOptions(int options);
    // Percentages of width/height that inset the background picture.
    QMargins BackgroundMargins() const { return m_backgroundMargins; }
    void SetBackgroundMargins(const QMargins &margins);

    // Text area after the margin inset; the caption is laid out in it.
    QRect TextArea() const;
    // Outline figure in graph units.
    QPainterPath Outline() const { return m_outline; }
    // Hit region (polygon with winding fill, curved shapes one unit larger right and bottom).
    bool RegionContains(const QPoint &pt) const;
    // Where the line from the centre toward `toward` leaves the outline; the centre when
    // `toward` lies inside.
    QPoint OutlinePointToward(const QPoint &toward) const;

    QPoint Center() const override;
    QList<QPoint> MarkerPoints() const override;
    bool IsMarkerMovable(int marker) const override;
    GraphHitInfo HitTest(const QPoint &pt) const override;
    void DrawOutline(QPainter &painter) const override;
    void MoveBy(int dx, int dy) override;

protected:
    explicit TGraphNode(GraphDocument *owner);

    // Shape geometry for bounds (l, t, r, b); all divisions truncate.
    virtual QPainterPath ShapeOutline(int l, int t, int r, int b) const = 0;
    virtual QPainterPath ShapeRegion(int l, int t, int r, int b) const = 0;
    virtual QRect ShapeTextArea(int l, int t, int r, int b) const = 0;

    void UpdateLayout(int flags) override;
    void DrawBody(QPainter &painter) const override;
    TAlignment CaptionAlignment() const override { return m_alignment; }

private:
    friend class GraphReader;
    // Bounds exactly as given (file reading), before any rules.
    void SetBoundsDirect(int left, int top, int width, int height);

    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    TAlignment m_alignment = taCenter;
    TTextLayout m_layout = tlCenter;
    int m_margin = 8;
    int m_nodeOptions = gnoAllOptions;
    QMargins m_backgroundMargins;
    QPainterPath m_outline;
    QPainterPath m_region;
    QPolygonF m_outlinePolygon;
};

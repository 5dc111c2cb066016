#pragma once

#include "graph/GraphObject.h"

#include <QPolygon>
#include <QTransform>

// Polyline between two objects with decorated ends. The first point is the start, the
// last the end, the others are break points.
class TGraphLink final : public TGraphObject {
public:
    explicit TGraphLink(GraphDocument *owner);
    ~TGraphLink() override;

    QString ClassName() const override { return QStringLiteral("TGraphLink"); }
    bool IsLink() const override { return true; }

    TLinkBeginEndStyle BeginStyle() const { return m_beginStyle; }
    void SetBeginStyle(TLinkBeginEndStyle style);
    TLinkBeginEndStyle EndStyle() const { return m_endStyle; }
    void SetEndStyle(TLinkBeginEndStyle style);
    int BeginSize() const { return m_beginSize; }
    void SetBeginSize(quint8 size);
    int EndSize() const { return m_endSize; }
    void SetEndSize(quint8 size);
    int LinkOptions() const { return m_linkOptions; }
    void SetLinkOptions(int options) { m_linkOptions = options; }
    int TextPosition() const { return m_textPosition; }
    void SetTextPosition(int position);
    int TextSpacing() const { return m_textSpacing; }
    void SetTextSpacing(int spacing);

    const QPolygon &Points() const { return m_points; }
    int PointCount() const { return int(m_points.size()); }
    QPoint Point(int index) const; // throws EPointListError
    void SetPoints(const QPolygon &points);

    TGraphObject *Source() const { return m_source; }
    TGraphObject *Target() const { return m_target; }
    quint32 SourceID() const { return m_sourceId; }
    quint32 TargetID() const { return m_targetId; }

    // Whether source and target may be linked by this link (different, both linkable,
    // neither is this link, canvas veto).
    bool CanLink(TGraphObject *source, TGraphObject *target) const;
    // Hooks both ends; false (and nothing changed) when the ends are unsuitable.
    bool Link(TGraphObject *source, TGraphObject *target);
    void Unhook();
    // Recomputes hooked end points on the outlines of their nodes.
    void UpdateEndPoints();

    QPoint Center() const override;
    QList<QPoint> MarkerPoints() const override;
    bool IsMarkerMovable(int marker) const override;
    GraphHitInfo HitTest(const QPoint &pt) const override;
    void DrawOutline(QPainter &painter) const override;
    void MoveBy(int dx, int dy) override;

    // Segment that carries the caption.
    int CaptionSegment() const;

protected:
    void UpdateLayout(int flags) override;
    void DrawBody(QPainter &painter) const override;
    void DrawCaption(QPainter &painter) const override;

private:
    friend class GraphDocument;
    friend class GraphReader;
    void HookSource(TGraphObject *object);
    void HookTarget(TGraphObject *object);
    void UnhookSource();
    void UnhookTarget();
    // Called by the document when a hooked object goes away; the points stay.
    void ObjectDestroyed(TGraphObject *object);
    void SetEndIDs(quint32 sourceId, quint32 targetId) { m_sourceId = sourceId; m_targetId = targetId; }
    // Draws one end decoration and returns where the line should end.
    QPointF DrawDecoration(QPainter *painter, const QPointF &end, const QPointF &prev, TLinkBeginEndStyle style,
                           int size) const;
    QPolygonF CaptionPolygon() const;
    QTransform CaptionTransform() const;

    TLinkBeginEndStyle m_beginStyle = lsNone;
    TLinkBeginEndStyle m_endStyle = lsArrow;
    quint8 m_beginSize = 6;
    quint8 m_endSize = 6;
    int m_linkOptions = 0;
    int m_textPosition = -1;
    int m_textSpacing = 0;
    QPolygon m_points;
    TGraphObject *m_source = nullptr;
    TGraphObject *m_target = nullptr;
    quint32 m_sourceId = 0;
    quint32 m_targetId = 0;
    QPolygonF m_captionPolygon;
};

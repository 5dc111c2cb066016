#pragma once

#include "graph/GraphTypes.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;
class GraphDocument;
class TGraphLink;

// What a point hits on an object.
enum class GraphHit {
    None,
    Inside,  // node body, link line
    Caption, // caption rectangle
    Marker,  // a size marker of a node or a point marker of a link (index in Marker)
};

struct GraphHitInfo {
    GraphHit hit = GraphHit::None;
    int marker = -1;
    explicit operator bool() const { return hit != GraphHit::None; }
};

// Common part of nodes and links: caption, colours, options, identity and link hooks.
// Objects belong to one GraphDocument, which creates and destroys them.
class TGraphObject {
public:
    Q_DISABLE_COPY_MOVE(TGraphObject)
    virtual ~TGraphObject();

    virtual QString ClassName() const = 0;
    virtual bool IsLink() const { return false; }
    bool IsNode() const { return !IsLink(); }

    GraphDocument *Owner() const { return m_owner; }
    quint32 ID() const { return m_id; }

    QString Text() const { return m_text; }
    void SetText(const QString &text);
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint);
    const TGraphBrush &Brush() const { return m_brush; }
    void SetBrush(const TGraphBrush &brush);
    void SetBrushColor(TColor color);
    const TGraphPen &Pen() const { return m_pen; }
    void SetPen(const TGraphPen &pen);
    // The object's own font, or the canvas font while ParentFont is on.
    const TGraphFont &Font() const;
    void SetFont(const TGraphFont &font); // also turns ParentFont off
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool parentFont);
    int Options() const { return m_options; }
    void SetOptions(int options);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    bool HasCustomData() const { return m_hasCustomData; }
    void SetHasCustomData(bool value) { m_hasCustomData = value; }
    QByteArray CustomData() const { return m_customData; }
    void SetCustomData(const QByteArray &data) { m_customData = data; }

    bool Selected() const { return m_selected; }
    void SetSelected(bool selected);
    bool IsSelectable() const { return (m_options & goSelectable) != 0; }
    bool IsLinkable() const { return (m_options & goLinkable) != 0; }
    // Visible or shown because the canvas shows hidden objects.
    bool IsShown() const;

    // Links whose target / source is this object.
    const QList<TGraphLink *> &LinkInputs() const { return m_linkInputs; }
    const QList<TGraphLink *> &LinkOutputs() const { return m_linkOutputs; }

    // Rectangle covering everything the object paints (pen, decorations, caption).
    QRect BoundsRect() const { return m_boundsRect; }
    // Caption after wrapping and shortening, lines joined with CR LF.
    QString DisplayText() const { return m_displayText; }
    QStringList DisplayLines() const { return m_displayLines; }
    QRect CaptionRect() const { return m_captionRect; }
    // Tooltip: Hint, or the full Text when the caption was shortened.
    QString ToolTip() const;

    // Nests changes: caches and notifications wait until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    // Center used as a link end and for alignment.
    virtual QPoint Center() const = 0;
    // Points where selection markers are drawn.
    virtual QList<QPoint> MarkerPoints() const = 0;
    // Whether the marker can be dragged (a locked marker shows a double square).
    virtual bool IsMarkerMovable(int marker) const = 0;
    virtual GraphHitInfo HitTest(const QPoint &pt) const = 0;
    // Paints body and caption (when goShowCaption) with the object's own tools.
    void Draw(QPainter &painter) const;
    // Outline only (drag feedback), with the painter's current pen.
    virtual void DrawOutline(QPainter &painter) const = 0;
    // Moves the whole object by a delta; nodes follow their move rules.
    virtual void MoveBy(int dx, int dy) = 0;

protected:
    explicit TGraphObject(GraphDocument *owner);

    enum ChangeFlag { BoundsChanged = 1, TextChanged = 2, AppearanceChanged = 4 };
    // Records a change; layout and notification happen now or at the outermost EndUpdate.
    void Changed(int flags);
    // Recomputes the cached layout (bounding rect, caption, region).
    virtual void UpdateLayout(int flags) = 0;
    virtual void DrawBody(QPainter &painter) const = 0;
    virtual void DrawCaption(QPainter &painter) const;
    virtual TAlignment CaptionAlignment() const { return taCenter; }
    int HitTolerance() const;

    void SetBoundsRect(const QRect &rect) { m_boundsRect = rect; }
    void SetCaption(const QStringList &lines, const QRect &rect);

private:
    friend class GraphDocument;
    friend class GraphReader;
    friend class TGraphLink;
    void Notify(int flags);

    GraphDocument *m_owner = nullptr;
    quint32 m_id = 0;
    QString m_text;
    QString m_hint;
    TGraphBrush m_brush;
    TGraphPen m_pen;
    TGraphFont m_font;
    bool m_parentFont = true;
    int m_options = goAllOptions;
    bool m_visible = true;
    int m_tag = 0;
    bool m_hasCustomData = false;
    QByteArray m_customData;
    bool m_selected = false;
    QList<TGraphLink *> m_linkInputs;
    QList<TGraphLink *> m_linkOutputs;
    QRect m_boundsRect;
    QStringList m_displayLines;
    QString m_displayText;
    QRect m_captionRect;
    int m_updateCount = 0;
    int m_pendingFlags = 0;
    QRect m_pendingOldBounds;
};

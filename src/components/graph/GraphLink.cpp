#include "graph/GraphLink.h"

#include "graph/CaptionLayout.h"
#include "graph/GraphDocument.h"
#include "graph/GraphErrors.h"
#include "graph/GraphNode.h"

#include <QLineF>
#include <QPainter>
#include <QRegularExpression>
#include <QTransform>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

double distanceToSegment(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    if (len2 <= 0)
        return QLineF(p, a).length();
    const double t = qBound(0.0, QPointF::dotProduct(p - a, ab) / len2, 1.0);
    return QLineF(p, a + t * ab).length();
}

QPointF polar(const QPointF &origin, double distance, double angle)
{
    return origin + QPointF(distance * std::cos(angle), distance * std::sin(angle));
}

} // namespace

TGraphLink::TGraphLink(GraphDocument *owner)
    : TGraphObject(owner)
{
}

TGraphLink::~TGraphLink() = default;

void TGraphLink::SetBeginStyle(TLinkBeginEndStyle style)
{
    if (m_beginStyle != style) {
        m_beginStyle = style;
        Changed(BoundsChanged);
    }
}

void TGraphLink::SetEndStyle(TLinkBeginEndStyle style)
{
    if (m_endStyle != style) {
        m_endStyle = style;
        Changed(BoundsChanged);
    }
}

void TGraphLink::SetBeginSize(quint8 size)
{
    if (m_beginSize != size) {
        m_beginSize = size;
        Changed(BoundsChanged);
    }
}

void TGraphLink::SetEndSize(quint8 size)
{
    if (m_endSize != size) {
        m_endSize = size;
        Changed(BoundsChanged);
    }
}

void TGraphLink::SetTextPosition(int position)
{
    if (m_textPosition != position) {
        m_textPosition = position;
        Changed(TextChanged);
    }
}

void TGraphLink::SetTextSpacing(int spacing)
{
    spacing = qBound(-TGraphConstraints::CanvasMax, spacing, TGraphConstraints::CanvasMax);
    if (m_textSpacing != spacing) {
        m_textSpacing = spacing;
        Changed(TextChanged);
    }
}

QPoint TGraphLink::Point(int index) const
{
    if (index < 0 || index >= m_points.size())
        throw EPointListError(QString::fromLatin1(GraphErrorText::PointIndexOutOfRange).arg(index));
    return m_points.at(index);
}

void TGraphLink::SetPoints(const QPolygon &points)
{
    const TGraphConstraints area = Owner() ? Owner()->GraphConstraints() : TGraphConstraints();
    m_points = points;
    for (QPoint &pt : m_points)
        pt = area.Confine(pt);
    UpdateEndPoints();
    Changed(BoundsChanged);
}

bool TGraphLink::CanLink(TGraphObject *source, TGraphObject *target) const
{
    if (!source || !target || source == target || source == this || target == this)
        return false;
    if (source->Owner() != Owner() || target->Owner() != Owner())
        return false;
    if (!source->IsLinkable() || !target->IsLinkable())
        return false;
    GraphDocument *doc = Owner();
    if (doc && doc->CanLinkObjects && !doc->CanLinkObjects(const_cast<TGraphLink *>(this), source, target))
        return false;
    return true;
}

bool TGraphLink::Link(TGraphObject *source, TGraphObject *target)
{
    if (!CanLink(source, target))
        return false;
    BeginUpdate();
    Unhook();
    if (m_points.size() < 2) {
        m_points = QPolygon({source->Center(), target->Center()});
    }
    HookSource(source);
    HookTarget(target);
    UpdateEndPoints();
    Changed(BoundsChanged);
    EndUpdate();
    return true;
}

void TGraphLink::HookSource(TGraphObject *object)
{
    m_source = object;
    m_sourceId = object->ID();
    object->m_linkOutputs.append(this);
    if (Owner())
        Owner()->NotifyHook(this, object, true);
}

void TGraphLink::HookTarget(TGraphObject *object)
{
    m_target = object;
    m_targetId = object->ID();
    object->m_linkInputs.append(this);
    if (Owner())
        Owner()->NotifyHook(this, object, true);
}

void TGraphLink::UnhookSource()
{
    if (!m_source)
        return;
    TGraphObject *old = m_source;
    old->m_linkOutputs.removeOne(this);
    m_source = nullptr;
    m_sourceId = 0;
    if (Owner())
        Owner()->NotifyHook(this, old, false);
}

void TGraphLink::UnhookTarget()
{
    if (!m_target)
        return;
    TGraphObject *old = m_target;
    old->m_linkInputs.removeOne(this);
    m_target = nullptr;
    m_targetId = 0;
    if (Owner())
        Owner()->NotifyHook(this, old, false);
}

void TGraphLink::Unhook()
{
    UnhookSource();
    UnhookTarget();
}

void TGraphLink::ObjectDestroyed(TGraphObject *object)
{
    if (m_source == object)
        UnhookSource();
    if (m_target == object)
        UnhookTarget();
}

void TGraphLink::UpdateEndPoints()
{
    if (m_points.size() < 2)
        return;
    const qsizetype n = m_points.size();
    bool changed = false;
    auto endPoint = [](TGraphObject *end, const QPoint &toward) {
        if (end->IsNode())
            return static_cast<TGraphNode *>(end)->OutlinePointToward(toward);
        return end->Center();
    };
    if (m_source) {
        const QPoint toward = (n == 2 && m_target) ? m_target->Center() : m_points.at(1);
        const QPoint p = endPoint(m_source, toward);
        changed |= p != m_points.at(0);
        m_points[0] = p;
    }
    if (m_target) {
        const QPoint toward = (n == 2 && m_source) ? m_source->Center() : m_points.at(n - 2);
        const QPoint p = endPoint(m_target, toward);
        changed |= p != m_points.at(n - 1);
        m_points[n - 1] = p;
    }
    if (changed)
        Changed(BoundsChanged);
}

QPoint TGraphLink::Center() const
{
    if (m_points.isEmpty())
        return {};
    if (m_points.size() == 1)
        return m_points.first();
    const int seg = CaptionSegment();
    return (m_points.at(seg) + m_points.at(seg + 1)) / 2;
}

int TGraphLink::CaptionSegment() const
{
    const int segments = int(m_points.size()) - 1;
    if (segments <= 0)
        return 0;
    if (m_textPosition >= 0 && m_textPosition < segments)
        return m_textPosition;
    return (segments - 1) / 2;
}

QList<QPoint> TGraphLink::MarkerPoints() const
{
    return QList<QPoint>(m_points.begin(), m_points.end());
}

bool TGraphLink::IsMarkerMovable(int marker) const
{
    const int last = int(m_points.size()) - 1;
    if (marker == 0)
        return !(m_linkOptions & (gloFixedStartPoint | gloFixedAnchorStartPoint));
    if (marker == last)
        return !(m_linkOptions & (gloFixedEndPoint | gloFixedAnchorEndPoint));
    return !(m_linkOptions & gloFixedBreakPoints);
}

GraphHitInfo TGraphLink::HitTest(const QPoint &pt) const
{
    const int tol = HitTolerance();
    for (qsizetype i = m_points.size() - 1; i >= 0; --i) {
        const QPoint &p = m_points.at(i);
        if (qAbs(pt.x() - p.x()) <= tol && qAbs(pt.y() - p.y()) <= tol)
            return Selected() ? GraphHitInfo{GraphHit::Marker, int(i)} : GraphHitInfo{GraphHit::Inside, -1};
    }
    for (qsizetype i = 0; i + 1 < m_points.size(); ++i)
        if (distanceToSegment(pt, m_points.at(i), m_points.at(i + 1)) <= tol)
            return {GraphHit::Inside, -1};
    if ((Options() & goShowCaption) && !m_captionPolygon.isEmpty() &&
        m_captionPolygon.containsPoint(QPointF(pt), Qt::WindingFill))
        return {GraphHit::Caption, -1};
    return {};
}

void TGraphLink::MoveBy(int dx, int dy)
{
    if (m_points.isEmpty())
        return;
    const TGraphConstraints area = Owner() ? Owner()->GraphConstraints() : TGraphConstraints();
    // Far enough to reach any side of the canvas, near enough not to overflow.
    dx = qBound(-TGraphConstraints::CanvasMax, dx, TGraphConstraints::CanvasMax);
    dy = qBound(-TGraphConstraints::CanvasMax, dy, TGraphConstraints::CanvasMax);
    const qsizetype n = m_points.size();
    for (qsizetype i = 0; i < n; ++i) {
        if ((i == 0 && m_source) || (i == n - 1 && m_target))
            continue;
        m_points[i] = area.Confine(m_points[i] + QPoint(dx, dy));
    }
    UpdateEndPoints();
    Changed(BoundsChanged);
}

QTransform TGraphLink::CaptionTransform() const
{
    // Origin at the middle of the caption segment, x along it, never upside down.
    const int seg = CaptionSegment();
    const QPointF a = m_points.at(seg), b = m_points.at(seg + 1);
    double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180.0 / kPi;
    if (angle > 90.0 || angle <= -90.0)
        angle += 180.0;
    QTransform tr;
    tr.translate((a.x() + b.x()) / 2.0, (a.y() + b.y()) / 2.0);
    tr.rotate(angle);
    return tr;
}

QPolygonF TGraphLink::CaptionPolygon() const
{
    if (m_points.size() < 2 || DisplayLines().isEmpty() || !Owner())
        return {};
    const QSize size = CaptionLayout::measure(DisplayLines(), Owner()->MetricsFor(Font()));
    const QRectF rect(-size.width() / 2.0, -double(m_textSpacing) - size.height() - Pen().Width / 2.0, size.width(),
                      size.height());
    return CaptionTransform().map(QPolygonF(rect));
}

void TGraphLink::UpdateLayout(int)
{
    QStringList lines;
    if (!Text().isEmpty())
        lines = Text().split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    SetCaption(lines, QRect());
    m_captionPolygon = CaptionPolygon();
    if (!m_captionPolygon.isEmpty())
        SetCaption(lines, m_captionPolygon.boundingRect().toAlignedRect());
    if (m_points.isEmpty()) {
        SetBoundsRect(QRect());
        return;
    }
    const int w = Pen().Width;
    const int decoration = qMax(2 * (qMax<int>(m_beginSize, m_endSize) + w), w);
    QRect rect = m_points.boundingRect();
    rect = QRect(rect.topLeft(), rect.bottomRight() + QPoint(1, 1)).adjusted(-decoration - 1, -decoration - 1,
                                                                             decoration + 1, decoration + 1);
    if (!m_captionPolygon.isEmpty())
        rect |= m_captionPolygon.boundingRect().toAlignedRect();
    SetBoundsRect(rect);
}

QPointF TGraphLink::DrawDecoration(QPainter *painter, const QPointF &end, const QPointF &prev,
                                   TLinkBeginEndStyle style, int size) const
{
    if (end == prev)
        return end;
    const int w = Pen().Width;
    const double a = std::atan2(prev.y() - end.y(), prev.x() - end.x());
    const double rad20 = 20.0 * kPi / 180.0, rad30 = 30.0 * kPi / 180.0;
    switch (style) {
    case lsArrow: {
        const double d = 2.0 * (size + w);
        const QPointF axis = polar(end, 0.6 * d, a);
        if (painter) {
            const QPointF poly[] = {end, polar(end, d, a + rad20), axis, polar(end, d, a - rad20)};
            painter->drawPolygon(poly, 4);
        }
        return axis;
    }
    case lsArrowSimple: {
        const double d = 2.0 * (size + w);
        if (painter) {
            painter->drawLine(end, polar(end, d, a + rad30));
            painter->drawLine(end, polar(end, d, a - rad30));
        }
        return end;
    }
    case lsCircle: {
        const double d = (size + w + 1) / 2;
        if (painter)
            painter->drawEllipse(end, d, d);
        return polar(end, d, a);
    }
    case lsDiamond: {
        const double d = (size + w + 1) / 2;
        if (painter) {
            const QPointF poly[] = {polar(end, d, a), polar(end, d, a + kPi / 2), polar(end, d, a + kPi),
                                    polar(end, d, a - kPi / 2)};
            painter->drawPolygon(poly, 4);
        }
        return polar(end, d, a);
    }
    case lsNone:
        break;
    }
    return end;
}

void TGraphLink::DrawBody(QPainter &painter) const
{
    if (m_points.isEmpty())
        return;
    const QPen linePen = painter.pen();
    if (m_points.size() == 1) {
        const double r = Pen().Width / 2.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(linePen.color());
        painter.drawEllipse(QPointF(m_points.first()), r, r);
        return;
    }
    const qsizetype n = m_points.size();
    QPen decorationPen = linePen;
    if (decorationPen.style() != Qt::NoPen)
        decorationPen.setStyle(Qt::SolidLine);
    painter.setPen(decorationPen);
    const QPointF start = DrawDecoration(&painter, m_points.at(0), m_points.at(1), m_beginStyle, m_beginSize);
    const QPointF end = DrawDecoration(&painter, m_points.at(n - 1), m_points.at(n - 2), m_endStyle, m_endSize);
    QPolygonF line;
    line.reserve(n);
    line.append(start);
    for (qsizetype i = 1; i + 1 < n; ++i)
        line.append(m_points.at(i));
    line.append(end);
    painter.setPen(linePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
}

void TGraphLink::DrawOutline(QPainter &painter) const
{
    painter.drawPolyline(m_points);
}

void TGraphLink::DrawCaption(QPainter &painter) const
{
    if (m_points.size() < 2 || !Owner())
        return;
    const TGraphFont &font = Font();
    const TextMetrics &fm = Owner()->MetricsFor(font);
    const QSize size = CaptionLayout::measure(DisplayLines(), fm);
    painter.save();
    painter.setTransform(CaptionTransform(), true);
    painter.setFont(GraphTypes::toQFont(font));
    painter.setPen(GraphTypes::toQColor(font.Color));
    double y = -double(m_textSpacing) - size.height() - Pen().Width / 2.0;
    for (const QString &line : DisplayLines()) {
        const int lw = fm.width(line);
        painter.drawText(QPointF(-lw / 2.0, y + fm.ascent()), line);
        y += fm.height();
    }
    painter.restore();
}

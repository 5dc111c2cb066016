#include "graph/GraphObject.h"

#include "graph/GraphDocument.h"

#include <QPainter>

TGraphObject::TGraphObject(GraphDocument *owner)
    : m_owner(owner)
{
    if (owner)
        m_font = owner->Font();
}

TGraphObject::~TGraphObject() = default;

void TGraphObject::SetText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    Changed(TextChanged);
}

void TGraphObject::SetHint(const QString &hint)
{
    m_hint = hint;
}

void TGraphObject::SetBrush(const TGraphBrush &brush)
{
    if (m_brush == brush)
        return;
    m_brush = brush;
    Changed(AppearanceChanged);
}

void TGraphObject::SetBrushColor(TColor color)
{
    TGraphBrush brush = m_brush;
    brush.Color = color;
    SetBrush(brush);
}

void TGraphObject::SetPen(const TGraphPen &pen)
{
    if (m_pen == pen)
        return;
    const bool widthChanged = m_pen.Width != pen.Width || m_pen.Style != pen.Style;
    m_pen = pen;
    Changed(widthChanged ? (AppearanceChanged | BoundsChanged) : AppearanceChanged);
}

const TGraphFont &TGraphObject::Font() const
{
    return (m_parentFont && m_owner) ? m_owner->Font() : m_font;
}

void TGraphObject::SetFont(const TGraphFont &font)
{
    if (!m_parentFont && m_font == font)
        return;
    m_font = font;
    m_parentFont = false;
    Changed(TextChanged);
}

void TGraphObject::SetParentFont(bool parentFont)
{
    if (m_parentFont == parentFont)
        return;
    if (!parentFont && m_owner)
        m_font = m_owner->Font();
    m_parentFont = parentFont;
    Changed(TextChanged);
}

void TGraphObject::SetOptions(int options)
{
    options &= goAllOptions;
    if (m_options == options)
        return;
    m_options = options;
    if (!IsSelectable() && m_selected)
        SetSelected(false);
    Changed(TextChanged);
}

void TGraphObject::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_owner)
        m_owner->Invalidate(m_boundsRect);
    Changed(AppearanceChanged);
}

bool TGraphObject::IsShown() const
{
    return m_visible || (m_owner && m_owner->ShowHiddenObjects());
}

void TGraphObject::SetSelected(bool selected)
{
    if (selected && !IsSelectable())
        return;
    if (m_selected == selected)
        return;
    m_selected = selected;
    if (m_owner)
        m_owner->SelectionFlagChanged(this, selected);
}

QString TGraphObject::ToolTip() const
{
    if (!m_hint.isEmpty())
        return m_hint;
    return m_displayText != m_text ? m_text : QString();
}

void TGraphObject::BeginUpdate()
{
    if (m_updateCount++ == 0) {
        m_pendingFlags = 0;
        m_pendingOldBounds = m_boundsRect;
    }
}

void TGraphObject::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && m_pendingFlags != 0) {
        const int flags = m_pendingFlags;
        m_pendingFlags = 0;
        const QRect old = m_pendingOldBounds;
        UpdateLayout(flags);
        if (m_owner)
            m_owner->ObjectChanged(this, old, flags & BoundsChanged);
    }
}

void TGraphObject::Changed(int flags)
{
    if (m_updateCount > 0) {
        m_pendingFlags |= flags;
        return;
    }
    Notify(flags);
}

void TGraphObject::Notify(int flags)
{
    const QRect old = m_boundsRect;
    UpdateLayout(flags);
    if (m_owner)
        m_owner->ObjectChanged(this, old, flags & BoundsChanged);
}

int TGraphObject::HitTolerance() const
{
    return qMax(m_pen.Width / 2, m_owner ? m_owner->MarkerSize() : 3);
}

void TGraphObject::SetCaption(const QStringList &lines, const QRect &rect)
{
    m_displayLines = lines;
    m_displayText = lines.join(QStringLiteral("\r\n"));
    m_captionRect = lines.isEmpty() ? QRect() : rect;
}

void TGraphObject::Draw(QPainter &painter) const
{
    painter.save();
    painter.setBrush(GraphTypes::toQBrush(m_brush));
    painter.setPen(GraphTypes::toQPen(m_pen));
    DrawBody(painter);
    if ((m_options & goShowCaption) && !m_displayLines.isEmpty())
        DrawCaption(painter);
    painter.restore();
}

void TGraphObject::DrawCaption(QPainter &painter) const
{
    const TGraphFont &font = Font();
    painter.setFont(GraphTypes::toQFont(font));
    painter.setPen(GraphTypes::toQColor(font.Color));
    if (!m_owner)
        return;
    const TextMetrics &fm = m_owner->MetricsFor(font);
    const int lineHeight = fm.height();
    int y = m_captionRect.top();
    for (const QString &line : m_displayLines) {
        const int w = fm.width(line);
        int x = m_captionRect.left();
        const int align = CaptionAlignment();
        if (align == taRightJustify)
            x = m_captionRect.left() + m_captionRect.width() - w;
        else if (align == taCenter)
            x = m_captionRect.left() + (m_captionRect.width() - w) / 2;
        painter.drawText(QPoint(x, y + fm.ascent()), line);
        y += lineHeight;
    }
}

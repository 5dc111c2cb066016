#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

// Font measurements for caption layout. Widths are sums of cached per-character
// advances, so laying out thousands of captions does no text shaping; layout and
// placement use the same measure and stay consistent. No advance is negative, so a
// longer text is never narrower.
class TextMetrics final {
public:
    explicit TextMetrics(const QFont &font);
    Q_DISABLE_COPY_MOVE(TextMetrics)

    // Widths of texts stop growing at MaxExtent: far wider than any canvas, far from overflowing
    // the rectangle arithmetic built on them.
    static constexpr int MaxExtent = 1 << 24;

    int width(QStringView text) const;
    int width(const QString &text) const { return width(QStringView(text)); }
    int width(QChar c) const;
    int height() const { return m_height; }
    int ascent() const { return m_ascent; }
    bool inFont(QChar c) const { return m_metrics.inFont(c); }

private:
    QFontMetrics m_metrics;
    int m_height;
    int m_ascent;
    mutable int m_latin[256];
    mutable QHash<char16_t, int> m_other;
};

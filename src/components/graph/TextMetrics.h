#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

// Font measurements for caption layout. Widths are sums of cached per-character
// advances, so laying out thousands of captions does no text shaping; layout and
// placement use the same measure and stay consistent.
class TextMetrics final {
public:
    explicit TextMetrics(const QFont &font);
    Q_DISABLE_COPY_MOVE(TextMetrics)

    int width(const QString &text) const;
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

#include "graph/TextMetrics.h"

TextMetrics::TextMetrics(const QFont &font)
    : m_metrics(font)
    , m_height(m_metrics.height())
    , m_ascent(m_metrics.ascent())
{
    std::fill(std::begin(m_latin), std::end(m_latin), -1);
}

int TextMetrics::width(QChar c) const
{
    const char16_t u = c.unicode();
    if (u < 256) {
        int &w = m_latin[u];
        if (w < 0)
            w = qMax(0, m_metrics.horizontalAdvance(c));
        return w;
    }
    auto it = m_other.constFind(u);
    if (it == m_other.cend())
        it = m_other.insert(u, qMax(0, m_metrics.horizontalAdvance(c)));
    return it.value();
}

int TextMetrics::width(QStringView text) const
{
    qint64 w = 0;
    for (const QChar c : text) {
        w += width(c);
        if (w >= MaxExtent)
            return MaxExtent;
    }
    return int(w);
}

#include "graph/CaptionLayout.h"

#include <limits>

namespace {

const QString kEllipsis = QString(QChar(0x2026));

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

QString trimRight(QStringView s)
{
    qsizetype end = s.size();
    while (end > 0 && isBlank(s.at(end - 1)))
        --end;
    return s.left(end).toString();
}

qsizetype skipBlanks(QStringView s, qsizetype pos)
{
    while (pos < s.size() && isBlank(s.at(pos)))
        ++pos;
    return pos;
}

// Collects wrapped lines until it holds `limit` of them.
class LineSink final {
public:
    explicit LineSink(qsizetype limit) : m_limit(limit) {}
    bool full() const { return m_lines.size() >= m_limit; }
    void add(QString line) { m_lines.append(std::move(line)); }
    QStringList &lines() { return m_lines; }

private:
    qsizetype m_limit;
    QStringList m_lines;
};

// One paragraph (no line breaks) wrapped to the width. Each line is measured as it grows, one
// character at a time, so the work is linear in the length of what is wrapped; the rest of the
// paragraph is not looked at once the sink is full.
void wrapParagraph(QStringView para, const TextMetrics &fm, int width, LineSink &out)
{
    qsizetype pos = skipBlanks(para, 0);
    if (pos >= para.size()) {
        out.add(QString());
        return;
    }
    while (pos < para.size() && !out.full()) {
        // The line takes characters while they fit; the first one always, however wide.
        qint64 lineWidth = 0;
        qsizetype lastBreak = -1; // index after the last break character that fits
        qsizetype end = pos;
        while (end < para.size()) {
            lineWidth += fm.width(para.at(end));
            if (end > pos && lineWidth > width)
                break;
            if (CaptionLayout::isBreakChar(para.at(end)))
                lastBreak = end + 1;
            ++end;
        }
        qsizetype cut = end;
        if (end < para.size()) {
            // The blank right after a fitting word is a break as well.
            if (isBlank(para.at(end)))
                cut = end;
            else if (lastBreak > pos)
                cut = lastBreak;
        }
        out.add(trimRight(para.sliced(pos, cut - pos)));
        pos = skipBlanks(para, cut);
    }
}

} // namespace

bool CaptionLayout::isBreakChar(QChar c)
{
    switch (c.unicode()) {
    case ' ': case '!': case ')': case ',': case '-': case '.': case '/': case ':':
    case ';': case '>': case '?': case '\\': case ']': case '}':
        return true;
    default:
        return false;
    }
}

QStringList CaptionLayout::wrap(const QString &text, const TextMetrics &fm, int width, int maxLines,
                                bool *truncated)
{
    // Two lines beyond the wanted ones are enough to tell whether any were left over: only the
    // last line of all can still be dropped below.
    const qsizetype wanted = maxLines < 0 ? std::numeric_limits<qsizetype>::max() : maxLines;
    LineSink sink(maxLines < 0 ? wanted : wanted + 2);
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size() && !sink.full(); ++i) {
        const QChar c = all.at(i);
        if (!isLineBreak(c))
            continue;
        wrapParagraph(all.sliced(start, i - start), fm, width, sink);
        if (c == QLatin1Char('\r') && i + 1 < all.size() && all.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    QStringList &lines = sink.lines();
    if (!sink.full()) {
        if (start < all.size() || lines.isEmpty())
            wrapParagraph(all.sliced(start), fm, width, sink);
        // A final line break adds no visible line. (A paragraph cut short ends in a line that is
        // not empty, so this never drops a line of a text only partly wrapped.)
        if (lines.size() > 1 && lines.last().isEmpty() && !all.isEmpty() && isLineBreak(all.back()))
            lines.removeLast();
    }
    // A full sink holds two lines more than wanted, so at least one is left over even if the last is dropped.
    const bool more = lines.size() > wanted;
    if (more)
        lines.resize(wanted);
    if (truncated)
        *truncated = more;
    return lines;
}

QSize CaptionLayout::measure(const QStringList &lines, const TextMetrics &fm)
{
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, fm.width(line));
    const qint64 height = qint64(lines.size()) * fm.height();
    return QSize(width, int(qMin<qint64>(height, TextMetrics::MaxExtent)));
}

CaptionLayout::Result CaptionLayout::layout(const QString &text, const TextMetrics &fm, const QRect &area,
                                            HAlign halign, VAlign valign)
{
    Result result;
    if (text.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return result;
    // Only the lines that fit the height are wrapped at all.
    const int lineHeight = qMax(1, fm.height());
    const int fit = area.height() / lineHeight;
    bool truncated = false;
    QStringList lines = wrap(text, fm, area.width(), qMax(fit, 1), &truncated);
    if (!truncated && lines.size() == 1 && lines.first().isEmpty())
        return result;
    if (truncated || fit < lines.size()) {
        lines.resize(qMin<qsizetype>(fit, lines.size()));
        if (!lines.isEmpty()) {
            const QString ellipsis = fm.inFont(kEllipsis.at(0)) ? kEllipsis : QStringLiteral("...");
            const int ellipsisWidth = fm.width(ellipsis);
            QString last = lines.last();
            // Characters come off the end until the ellipsis fits after them.
            qint64 lastWidth = fm.width(last);
            qsizetype keep = last.size();
            while (keep > 0 && lastWidth + ellipsisWidth > area.width())
                lastWidth -= fm.width(last.at(--keep));
            last.truncate(keep);
            lines.last() = last + ellipsis;
        }
    }
    if (lines.isEmpty())
        return result;
    const QSize size = measure(lines, fm);
    int x = area.left();
    if (halign == Right)
        x = area.left() + area.width() - size.width();
    else if (halign == Center)
        x = area.left() + (area.width() - size.width()) / 2;
    int y = area.top();
    if (valign == Bottom)
        y = area.top() + area.height() - size.height();
    else if (valign == Middle)
        y = area.top() + (area.height() - size.height()) / 2;
    result.lines = lines;
    result.rect = QRect(QPoint(x, y), size);
    return result;
}

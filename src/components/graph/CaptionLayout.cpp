#include "graph/CaptionLayout.h"

namespace {

const QString kEllipsis = QString(QChar(0x2026));

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

QString trimRight(const QString &s)
{
    int end = s.size();
    while (end > 0 && isBlank(s.at(end - 1)))
        --end;
    return s.left(end);
}

int skipBlanks(const QString &s, int pos)
{
    while (pos < s.size() && isBlank(s.at(pos)))
        ++pos;
    return pos;
}

void wrapParagraph(const QString &para, const TextMetrics &fm, int width, QStringList &out)
{
    int pos = skipBlanks(para, 0);
    if (pos >= para.size()) {
        out.append(QString());
        return;
    }
    while (pos < para.size()) {
        // Common case first: the rest of the paragraph fits.
        if (fm.width(para.mid(pos)) <= width) {
            out.append(trimRight(para.mid(pos)));
            return;
        }
        int lastBreak = -1; // index after the last break character that fits
        int end = pos;
        while (end < para.size()) {
            if (end > pos && fm.width(para.mid(pos, end - pos + 1)) > width)
                break;
            if (CaptionLayout::isBreakChar(para.at(end)))
                lastBreak = end + 1;
            ++end;
        }
        int cut = end;
        if (end < para.size()) {
            // The blank right after a fitting word is a break as well.
            if (isBlank(para.at(end)))
                cut = end;
            else if (lastBreak > pos)
                cut = lastBreak;
        }
        out.append(trimRight(para.mid(pos, cut - pos)));
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

QStringList CaptionLayout::wrap(const QString &text, const TextMetrics &fm, int width)
{
    QStringList lines;
    QString para;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            wrapParagraph(para, fm, width, lines);
            para.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            para.append(c);
        }
    }
    if (!para.isEmpty() || lines.isEmpty())
        wrapParagraph(para, fm, width, lines);
    // A final line break adds no visible line.
    if (lines.size() > 1 && lines.last().isEmpty() && (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))))
        lines.removeLast();
    return lines;
}

QSize CaptionLayout::measure(const QStringList &lines, const TextMetrics &fm)
{
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, fm.width(line));
    return QSize(width, int(lines.size()) * fm.height());
}

CaptionLayout::Result CaptionLayout::layout(const QString &text, const TextMetrics &fm, const QRect &area,
                                            HAlign halign, VAlign valign)
{
    Result result;
    if (text.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return result;
    QStringList lines = wrap(text, fm, area.width());
    if (lines.size() == 1 && lines.first().isEmpty())
        return result;
    const int lineHeight = qMax(1, fm.height());
    const int fit = area.height() / lineHeight;
    if (fit < lines.size()) {
        lines = lines.mid(0, fit);
        if (!lines.isEmpty()) {
            const QString ellipsis = fm.inFont(kEllipsis.at(0)) ? kEllipsis : QStringLiteral("...");
            QString last = lines.last();
            while (!last.isEmpty() && fm.width(last + ellipsis) > area.width())
                last.chop(1);
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

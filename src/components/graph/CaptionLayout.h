#pragma once

#include "graph/TextMetrics.h"

#include <QRect>
#include <QString>
#include <QStringList>

// Fits a caption into a text area: word wrap at break characters, only the lines
// that fit the height (the rest of a long text is never wrapped), an ellipsis on the
// last kept line when lines were dropped, and placement by horizontal alignment and
// vertical layout.
class CaptionLayout final {
public:
    enum HAlign { Left, Right, Center };
    enum VAlign { Top, Middle, Bottom };

    struct Result {
        QStringList lines;
        QRect rect; // measured text placed inside the area
    };

    static bool isBreakChar(QChar c);
    // Lines of the text wrapped to the width; CR, LF and CR LF force breaks. With maxLines >= 0 only
    // that many lines are returned and wrapping stops soon after them; *truncated tells whether
    // there were more. The work is linear in the length of the text wrapped.
    static QStringList wrap(const QString &text, const TextMetrics &fm, int width, int maxLines = -1,
                            bool *truncated = nullptr);
    static Result layout(const QString &text, const TextMetrics &fm, const QRect &area, HAlign halign,
                         VAlign valign);
    // Unwrapped lines placed in an area (link captions).
    static QSize measure(const QStringList &lines, const TextMetrics &fm);
};

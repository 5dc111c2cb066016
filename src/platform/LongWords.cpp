#include "platform/LongWords.h"

QString breakableLongWords(const QString &text, int longest)
{
    static constexpr QChar kZeroWidthSpace(0x200B);
    QString result;
    result.reserve(text.size() + text.size() / qMax(longest, 1));
    int run = 0;
    for (const QChar ch : text) {
        if (ch.isSpace() || ch == kZeroWidthSpace) {
            run = 0;
        } else if (run == longest) {
            result += kZeroWidthSpace;
            run = 0;
        }
        if (!ch.isSpace() && ch != kZeroWidthSpace)
            ++run;
        result += ch;
    }
    return result;
}

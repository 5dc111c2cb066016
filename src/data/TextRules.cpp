#include "data/TextRules.h"

QString TextRules::cleaned(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            result += u' ';
        else if (c.category() != QChar::Other_Control)
            result += c;
    }
    return result.trimmed();
}

QString TextRules::withoutControls(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r' || c.category() != QChar::Other_Control)
            result += c;
    }
    return result;
}

bool TextRules::fitShortText(QString &text) {
    if (text.size() <= kShortTextLength)
        return false;
    // Never split a surrogate pair: the stored text stays valid UTF-8.
    int length = kShortTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    text.truncate(length);
    return true;
}

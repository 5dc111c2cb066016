#include "files/CsvCell.h"

namespace {

bool startsFormula(const QString &text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r';
}

} // namespace

namespace CsvCell {

bool isNumber(const QString &text) {
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype integerStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i == integerStart)
        return false;
    if (i < text.size() && (text[i] == u'.' || text[i] == u',')) {
        const qsizetype fractionStart = ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == fractionStart)
            return false;
    }
    return i == text.size();
}

QString of(const QString &text, QChar separator) {
    QString cell = text;
    if (startsFormula(cell) && !isNumber(cell))
        cell.prepend(u'\'');
    if (cell.contains(separator) || cell.contains(u'"') || cell.contains(u'\r') || cell.contains(u'\n'))
        return u'"' + cell.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return cell;
}

QString of(const QVariant &value, QChar separator) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString(); // a number, never a formula (also "-1e-05")
    default:
        return of(value.toString(), separator);
    }
}

} // namespace CsvCell

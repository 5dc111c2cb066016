#include "analysis/JsonText.h"

#include <QLocale>

#include <cmath>

QByteArray JsonText::jsonString(const QString &text) {
    QByteArray out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            out += '\\' + QByteArray(1, char(u));
        else if (u == '\n')
            out += "\\n";
        else if (u == '\r')
            out += "\\r";
        else if (u == '\t')
            out += "\\t";
        else if (u < 0x20)
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
        else
            out += QString(c).toUtf8();
    }
    return out + '"';
}

QByteArray JsonText::jsonNumber(double value) {
    double rounded = std::round(value * 1e6) / 1e6;
    if (rounded == 0)
        rounded = 0;
    return QByteArray::number(rounded, 'g', QLocale::FloatingPointShortest);
}
QByteArray JsonText::jsonNumber(const std::optional<double> &value) {
    return value ? jsonNumber(*value) : QByteArray("null");
}
QByteArray JsonText::jsonBool(bool value) {
    return value ? "true" : "false";
}
QByteArray JsonText::jsonIds(const QList<qint64> &ids) {
    QList<QByteArray> items;
    for (qint64 id : ids)
        items.append(QByteArray::number(id));
    return jsonArray(items);
}
QByteArray JsonText::jsonPairs(const QList<QPair<qint64, qint64>> &pairs) {
    QList<QByteArray> items;
    for (const auto &pair : pairs)
        items.append(jsonIds({pair.first, pair.second}));
    return jsonArray(items);
}
QByteArray JsonText::jsonGroups(const QList<QList<qint64>> &groups) {
    QList<QByteArray> items;
    for (const QList<qint64> &group : groups)
        items.append(jsonIds(group));
    return jsonArray(items);
}

QByteArray JsonText::jsonArray(const QList<QByteArray> &items) {
    return '[' + items.join(", ") + ']';
}

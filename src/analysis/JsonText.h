#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The pieces of the JSON the analysis and the comparison write by hand, so that keys keep the documented
// order: strings escaped, numbers rounded to six decimals (a rounded negative zero written as 0), ids, pairs
// and groups of ids.
namespace JsonText {

// A JSON object written in the order its members are added.
class JsonObject {
public:
    JsonObject &add(const char *key, const QByteArray &value) {
        m_members.append(QByteArray("\"") + key + "\": " + value);
        return *this;
    }
    QByteArray text() const { return '{' + m_members.join(", ") + '}'; }

private:
    QList<QByteArray> m_members;
};

QByteArray jsonString(const QString &text);
QByteArray jsonNumber(double value);
QByteArray jsonNumber(const std::optional<double> &value); // null for none
QByteArray jsonBool(bool value);
QByteArray jsonIds(const QList<qint64> &ids);
QByteArray jsonPairs(const QList<QPair<qint64, qint64>> &pairs);
QByteArray jsonGroups(const QList<QList<qint64>> &groups);
// "[a, b, …]" of values already written.
QByteArray jsonArray(const QList<QByteArray> &items);

} // namespace JsonText

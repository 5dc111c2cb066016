#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Bounds-checked reader of the tagged binary property stream. Every read either
// succeeds or records the first error (with its offset) and makes all later reads fail.
class PropertyStreamReader final {
public:
    // A value as read: the type byte and its decoded content.
    struct Value {
        quint8 type = 0;
        qint64 integer = 0;
        QString text;        // strings and identifiers
        QByteArray binary;   // binary data
        QStringList elements; // set elements
        bool isInteger() const { return type >= 2 && type <= 4; }
        bool isString() const { return type == 6 || type == 12 || type == 20; }
        bool isBool() const { return type == 8 || type == 9; }
    };

    explicit PropertyStreamReader(const QByteArray &data, qsizetype offset = 0) : m_data(data), m_pos(offset) {}

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    void fail(const QString &message);
    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }

    std::optional<qint32> readRawInt32();
    std::optional<QByteArray> readBytes(qsizetype count);
    std::optional<quint8> readByte();
    std::optional<QByteArray> readShortString();
    std::optional<Value> readValue();

private:
    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QString m_error;
};

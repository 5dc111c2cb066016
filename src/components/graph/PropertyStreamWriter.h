#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes the tagged binary property stream ("TPF0" form): short-string property names,
// each followed by a type byte and its data; integers little-endian in the smallest type.
class PropertyStreamWriter final {
public:
    enum ValueType : quint8 {
        vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
        vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaUTF8String = 20
    };

    explicit PropertyStreamWriter(QByteArray &out) : m_out(out) {}

    void writeRawInt32(qint32 value);
    void writeRawBytes(const QByteArray &bytes) { m_out.append(bytes); }
    void writeShortString(const QByteArray &bytes); // length byte + bytes (at most 255)

    void writeName(const char *name) { writeShortString(QByteArray(name)); }
    void writeInteger(qint64 value);
    // Type 20 when the text has non-ASCII characters, else 6 (up to 255 bytes) or 12.
    void writeString(const QString &text);
    void writeIdent(const QString &ident);
    void writeBool(bool value) { m_out.append(char(value ? vaTrue : vaFalse)); }
    void writeBinary(const QByteArray &bytes);
    // Elements whose bit is set in mask, in list order.
    void writeSet(int mask, const QStringList &names);

private:
    QByteArray &m_out;
};

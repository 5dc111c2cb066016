#include "graph/PropertyStreamWriter.h"

#include <QtEndian>

void PropertyStreamWriter::writeRawInt32(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    m_out.append(bytes, 4);
}

void PropertyStreamWriter::writeShortString(const QByteArray &bytes)
{
    const QByteArray s = bytes.left(255);
    m_out.append(char(quint8(s.size())));
    m_out.append(s);
}

void PropertyStreamWriter::writeInteger(qint64 value)
{
    if (value >= -128 && value <= 127) {
        m_out.append(char(vaInt8));
        m_out.append(char(qint8(value)));
    } else if (value >= -32768 && value <= 32767) {
        m_out.append(char(vaInt16));
        char bytes[2];
        qToLittleEndian(qint16(value), bytes);
        m_out.append(bytes, 2);
    } else {
        m_out.append(char(vaInt32));
        writeRawInt32(qint32(value));
    }
}

void PropertyStreamWriter::writeString(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        const QByteArray utf8 = text.toUtf8();
        m_out.append(char(vaUTF8String));
        writeRawInt32(qint32(utf8.size()));
        m_out.append(utf8);
        return;
    }
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() <= 255) {
        m_out.append(char(vaString));
        writeShortString(bytes);
    } else {
        m_out.append(char(vaLString));
        writeRawInt32(qint32(bytes.size()));
        m_out.append(bytes);
    }
}

void PropertyStreamWriter::writeIdent(const QString &ident)
{
    m_out.append(char(vaIdent));
    writeShortString(ident.toLatin1());
}

void PropertyStreamWriter::writeBinary(const QByteArray &bytes)
{
    m_out.append(char(vaBinary));
    writeRawInt32(qint32(bytes.size()));
    m_out.append(bytes);
}

void PropertyStreamWriter::writeSet(int mask, const QStringList &names)
{
    m_out.append(char(vaSet));
    for (int i = 0; i < names.size(); ++i)
        if (mask & (1 << i))
            writeShortString(names.at(i).toLatin1());
    m_out.append(char(0));
}

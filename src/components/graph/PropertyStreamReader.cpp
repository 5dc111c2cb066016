#include "graph/PropertyStreamReader.h"

#include "graph/Cp1250.h"

#include <QtEndian>

void PropertyStreamReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1 (bajt %2)").arg(message).arg(m_pos);
}

std::optional<QByteArray> PropertyStreamReader::readBytes(qsizetype count)
{
    if (!ok())
        return std::nullopt;
    if (count < 0 || count > remaining()) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    QByteArray bytes = m_data.mid(m_pos, count);
    m_pos += count;
    return bytes;
}

std::optional<quint8> PropertyStreamReader::readByte()
{
    if (!ok())
        return std::nullopt;
    if (remaining() < 1) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    return quint8(m_data.at(m_pos++));
}

std::optional<qint32> PropertyStreamReader::readRawInt32()
{
    if (!ok())
        return std::nullopt;
    if (remaining() < 4) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    const qint32 value = qFromLittleEndian<qint32>(m_data.constData() + m_pos);
    m_pos += 4;
    return value;
}

std::optional<QByteArray> PropertyStreamReader::readShortString()
{
    const auto length = readByte();
    if (!length)
        return std::nullopt;
    return readBytes(*length);
}

std::optional<PropertyStreamReader::Value> PropertyStreamReader::readValue()
{
    const auto type = readByte();
    if (!type)
        return std::nullopt;
    Value value;
    value.type = *type;
    switch (*type) {
    case 2: {
        const auto b = readBytes(1);
        if (!b)
            return std::nullopt;
        value.integer = qint8(b->at(0));
        break;
    }
    case 3: {
        const auto b = readBytes(2);
        if (!b)
            return std::nullopt;
        value.integer = qFromLittleEndian<qint16>(b->constData());
        break;
    }
    case 4: {
        const auto v = readRawInt32();
        if (!v)
            return std::nullopt;
        value.integer = *v;
        break;
    }
    case 6: {
        const auto s = readShortString();
        if (!s)
            return std::nullopt;
        value.text = Cp1250::decode(*s);
        break;
    }
    case 7: {
        const auto s = readShortString();
        if (!s)
            return std::nullopt;
        value.text = QString::fromLatin1(*s);
        break;
    }
    case 8:
    case 9:
        value.integer = *type == 9;
        break;
    case 10:
    case 12:
    case 20: {
        const auto length = readRawInt32();
        if (!length)
            return std::nullopt;
        const auto bytes = readBytes(*length);
        if (!bytes)
            return std::nullopt;
        if (*type == 10)
            value.binary = *bytes;
        else if (*type == 12)
            value.text = Cp1250::decode(*bytes);
        else
            value.text = QString::fromUtf8(*bytes);
        break;
    }
    case 11:
        for (;;) {
            const auto name = readShortString();
            if (!name)
                return std::nullopt;
            if (name->isEmpty())
                break;
            value.elements.append(QString::fromLatin1(*name));
        }
        break;
    default:
        --m_pos;
        fail(QStringLiteral("nepodporovaný typ hodnoty %1").arg(*type));
        return std::nullopt;
    }
    return value;
}

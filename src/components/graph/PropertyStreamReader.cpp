#include "graph/PropertyStreamReader.h"

#include "graph/Cp1250.h"

#include <QIODevice>
#include <QtEndian>

PropertyStreamReader::PropertyStreamReader(const QByteArray &data, qsizetype offset)
    : m_buffer(data), m_bufferPos(qBound<qsizetype>(0, offset, data.size())), m_end(data.size()),
      m_pos(m_bufferPos)
{
}

PropertyStreamReader::PropertyStreamReader(QIODevice &device, qint64 offset)
    : m_device(&device),
      m_end(device.isSequential() ? -1 : offset + qMax<qint64>(0, device.size() - device.pos())),
      m_pos(offset)
{
}

void PropertyStreamReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1 (bajt %2)").arg(message).arg(m_pos);
}

qint64 PropertyStreamReader::readDevice(QByteArray &bytes, qint64 count)
{
    const qsizetype had = bytes.size();
    bytes.resize(had + qsizetype(count));
    qint64 got = 0;
    while (got < count) {
        const qint64 n = m_device->read(bytes.data() + had + got, count - got);
        if (n < 0) {
            bytes.resize(had + qsizetype(got));
            fail(QStringLiteral("soubor nelze číst: %1").arg(m_device->errorString()));
            return -1;
        }
        if (n == 0 && !(m_device->isSequential() && m_device->waitForReadyRead(30'000)))
            break;
        got += n;
    }
    bytes.resize(had + qsizetype(got));
    return got;
}

bool PropertyStreamReader::fill(qsizetype count)
{
    if (m_buffer.size() - m_bufferPos >= count)
        return true;
    if (!m_device)
        return false;
    m_buffer.remove(0, m_bufferPos);
    m_bufferPos = 0;
    qint64 wanted = PieceSize;
    if (m_end >= 0)
        wanted = qMin(wanted, m_end - m_pos - m_buffer.size());
    wanted = qMax<qint64>(wanted, count - m_buffer.size());
    if (readDevice(m_buffer, wanted) < 0)
        return false;
    return m_buffer.size() >= count;
}

void PropertyStreamReader::consume(qsizetype count)
{
    m_bufferPos += count;
    m_pos += count;
}

std::optional<QByteArray> PropertyStreamReader::readBytes(qsizetype count)
{
    if (!ok())
        return std::nullopt;
    if (count < 0 || (m_end >= 0 && count > remaining())) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    if (count <= PieceSize || !m_device) {
        if (!fill(count)) {
            fail(QStringLiteral("soubor je zkrácený"));
            return std::nullopt;
        }
        QByteArray bytes = m_buffer.mid(m_bufferPos, count);
        consume(count);
        return bytes;
    }
    // A long value straight from the device: with the size known the value fits into the rest of the
    // stream and is allocated once; otherwise it grows piece by piece with the bytes that really come.
    const qsizetype buffered = qMin(count, m_buffer.size() - m_bufferPos);
    QByteArray bytes = m_buffer.mid(m_bufferPos, buffered);
    consume(buffered);
    if (m_end >= 0)
        bytes.reserve(count);
    while (bytes.size() < count) {
        const qint64 got = readDevice(bytes, qMin<qint64>(count - bytes.size(), PieceSize));
        if (got < 0)
            return std::nullopt;
        m_pos += got;
        if (got == 0) {
            fail(QStringLiteral("soubor je zkrácený"));
            return std::nullopt;
        }
    }
    return bytes;
}

bool PropertyStreamReader::skipBytes(qint64 count)
{
    if (!ok())
        return false;
    if (count < 0 || (m_end >= 0 && count > remaining())) {
        fail(QStringLiteral("soubor je zkrácený"));
        return false;
    }
    const qsizetype buffered = qsizetype(qMin<qint64>(count, m_buffer.size() - m_bufferPos));
    consume(buffered);
    count -= buffered;
    QByteArray piece;
    while (count > 0) {
        piece.resize(0);
        const qint64 got = m_device ? readDevice(piece, qMin<qint64>(count, PieceSize)) : 0;
        if (got < 0)
            return false;
        if (got == 0) {
            fail(QStringLiteral("soubor je zkrácený"));
            return false;
        }
        m_pos += got;
        count -= got;
    }
    return true;
}

std::optional<quint8> PropertyStreamReader::peekByte()
{
    if (!ok())
        return std::nullopt;
    if (!fill(1)) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    return quint8(m_buffer.at(m_bufferPos));
}

std::optional<quint8> PropertyStreamReader::readByte()
{
    if (!ok())
        return std::nullopt;
    if (!fill(1)) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    const quint8 value = quint8(m_buffer.at(m_bufferPos));
    consume(1);
    return value;
}

std::optional<qint32> PropertyStreamReader::readRawInt32()
{
    if (!ok())
        return std::nullopt;
    if (!fill(4)) {
        fail(QStringLiteral("soubor je zkrácený"));
        return std::nullopt;
    }
    const qint32 value = qFromLittleEndian<qint32>(m_buffer.constData() + m_bufferPos);
    consume(4);
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

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// Bounds-checked reader of the tagged binary property stream. Every read either
// succeeds or records the first error (with its offset) and makes all later reads fail.
//
// The stream is bytes in memory or a device read a piece at a time. A declared length is checked
// against the bytes left before anything is read or allocated for it; where the bytes left are not
// known (a sequential device), a long value is read in pieces and grows only with the bytes that
// really arrive. Either way the reader never holds more than the stream's real content.
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

    // Reads `data` from `offset` on.
    explicit PropertyStreamReader(const QByteArray &data, qsizetype offset = 0);
    // Reads the device from its current position on, which is `offset` bytes into the stream (the
    // offsets of the error texts count from the stream's start).
    explicit PropertyStreamReader(QIODevice &device, qint64 offset = 0);

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    void fail(const QString &message);
    qint64 pos() const { return m_pos; }
    // Bytes left in the stream; -1 when a sequential device does not tell.
    qint64 remaining() const { return m_end < 0 ? -1 : m_end - m_pos; }

    std::optional<qint32> readRawInt32();
    std::optional<QByteArray> readBytes(qsizetype count);
    // Passes over `count` bytes without holding them; false when the stream is shorter.
    bool skipBytes(qint64 count);
    std::optional<quint8> readByte();
    // The next byte, left to be read again.
    std::optional<quint8> peekByte();
    std::optional<QByteArray> readShortString();
    std::optional<Value> readValue();

private:
    // Bytes asked of the device at a time.
    static constexpr qsizetype PieceSize = 64 * 1024;

    // Makes `count` bytes (at most PieceSize) available in the buffer; false at the end of the stream.
    bool fill(qsizetype count);
    // Appends up to `count` bytes from the device to `bytes`; how many came, -1 on a device error.
    qint64 readDevice(QByteArray &bytes, qint64 count);
    void consume(qsizetype count);

    QByteArray m_buffer;       // the bytes in memory, or the device's bytes read and not yet used
    qsizetype m_bufferPos = 0; // first unused byte of m_buffer
    QIODevice *m_device = nullptr;
    qint64 m_end = -1; // stream offset of the end; -1 when unknown
    qint64 m_pos = 0;  // stream offset of the next byte
    QString m_error;
};

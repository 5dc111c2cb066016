#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// One record of a metafile: its type and its whole bytes (type and size included).
struct EmfRecord
{
    quint32 type = 0;
    qsizetype offset = 0; // position in the file
    QByteArray bytes;

    qsizetype size() const { return bytes.size(); }
    // Little-endian fields by byte offset from the record's start (0 when past the end).
    quint32 u32(qsizetype at) const;
    qint32 i32(qsizetype at) const;
    quint16 u16(qsizetype at) const;
    quint8 u8(qsizetype at) const;
    float f32(qsizetype at) const;
    QRect rectAt(qsizetype at) const;          // RECTL (left, top, right, bottom), inclusive as stored
    QString utf16At(qsizetype at, qsizetype units) const;
    // Parameter i (0-based) counted in 32-bit words after type and size: u32(8 + 4 * i).
    quint32 param(int i) const;
};

// The fields of EMR_HEADER.
struct EmfHeader
{
    QRect bounds;     // device pixels, inclusive
    QRect frame;      // .01 mm, inclusive
    quint32 signature = 0;
    quint32 version = 0;
    quint32 bytes = 0;
    quint32 records = 0;
    quint16 handles = 0;
    QString description;
    QSize deviceSize;      // szlDevice
    QSize millimeters;     // szlMillimeters
    QSize micrometers;     // szlMicrometers (0 when absent)
};

// Minimal reader of Enhanced Metafiles: splits the file into records and checks the framing.
// Used by tests to verify written records, and by anything that needs to inspect an .emf.
class EmfReader final
{
public:
    EmfReader() = default;

    // Reads the records; false with a message when the bytes are not a well-framed EMF.
    bool read(const QByteArray &bytes, QString *error = nullptr);

    const QList<EmfRecord> &records() const { return m_records; }
    const EmfHeader &header() const { return m_header; }
    QList<EmfRecord> recordsOfType(quint32 type) const;
    int count(quint32 type) const;
    // Texts of all EMR_EXTTEXTOUTW records, in order.
    QStringList texts() const;

    static QString typeName(quint32 type);
    // One line per record: name and its 32-bit parameters (for diagnostics).
    QString dump() const;

private:
    QList<EmfRecord> m_records;
    EmfHeader m_header;
};

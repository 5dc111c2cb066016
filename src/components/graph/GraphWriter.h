#pragma once

#include <QByteArray>
#include <QString>

class GraphDocument;
class QIODevice;
class TGraphObject;

// Writes a graph file: signature, object count and one record per object (class name
// and the object's property stream).
class GraphWriter final {
public:
    static constexpr quint32 Signature = 0x53472E30;

    static QByteArray toBytes(const GraphDocument &document);
    static bool write(const GraphDocument &document, QIODevice &device, QString *error = nullptr);
    // The component stream of one object ("TPF0" ... end of children).
    static QByteArray objectStream(const TGraphObject &object);
};

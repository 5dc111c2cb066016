#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class GraphDocument;
class PropertyStreamReader;
class QIODevice;
class TGraphObject;

// Reads a graph file into a new document. Returns nullptr and an error text for any
// malformed or truncated input; "Invalid stream content" for a wrong signature.
//
// The header (signature and object count) is checked before anything else is read: a file that is not a
// graph is refused after its first 8 bytes, and an object count or a length that the rest of the file
// cannot hold is refused before anything is allocated for it.
//
// Geometry lies on the canvas (0..65535 on both axes, see TGraphConstraints): a node's position
// and size and its whole rectangle, every link point, and a caption's distance from its link.
// Anything else is refused as a damaged or foreign file, so no picture of a graph read is ever
// much larger than the canvas.
class GraphReader final {
public:
    // settings: document whose font and constraints the new objects follow (may be null).
    std::unique_ptr<GraphDocument> read(const QByteArray &data, const GraphDocument *settings = nullptr);
    // Reads the device from its current position, a piece at a time; the file is never held whole.
    std::unique_ptr<GraphDocument> read(QIODevice &device, const GraphDocument *settings = nullptr);
    QString errorString() const { return m_error; }

    // Upper bound of objects in one file; more is refused as damaged input.
    static constexpr int MaxObjects = 10'000'000;
    // Length of the header: signature and object count.
    static constexpr int HeaderSize = 8;

private:
    // Whether the first bytes of a file are a graph file's signature; sets the error when not.
    bool checkSignature(const QByteArray &header);
    std::unique_ptr<GraphDocument> readObjects(PropertyStreamReader &in, qint32 count,
                                               const GraphDocument *settings);
    bool readObject(PropertyStreamReader &in, TGraphObject &object);
    bool readProperty(PropertyStreamReader &in, TGraphObject &object, const QString &name);

    QString m_error;
};

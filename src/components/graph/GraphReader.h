#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class GraphDocument;
class PropertyStreamReader;
class TGraphObject;

// Reads a graph file into a new document. Returns nullptr and an error text for any
// malformed or truncated input; "Invalid stream content" for a wrong signature.
class GraphReader final {
public:
    // settings: document whose font and constraints the new objects follow (may be null).
    std::unique_ptr<GraphDocument> read(const QByteArray &data, const GraphDocument *settings = nullptr);
    QString errorString() const { return m_error; }

    // Upper bound of objects in one file; more is refused as damaged input.
    static constexpr int MaxObjects = 10'000'000;

private:
    bool readObject(PropertyStreamReader &in, TGraphObject &object);
    bool readProperty(PropertyStreamReader &in, TGraphObject &object, const QString &name);

    QString m_error;
};

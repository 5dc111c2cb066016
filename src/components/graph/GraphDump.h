#pragma once

#include <QString>

class GraphDocument;
class TGraphObject;

// Readable text description of a graph: one block per object with its class, ID,
// bounds or points, hooks and every property that differs from its default.
class GraphDump final {
public:
    static QString toText(const GraphDocument &document);
    static QString objectText(const TGraphObject &object);
};

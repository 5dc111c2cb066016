#pragma once

#include "graph/GraphNode.h"

// The seven node shapes. Each is a small leaf class that only supplies its geometry,
// so they share one header.

class TPolygonalNode : public TGraphNode {
public:
    // Outline vertices for the current bounds.
    QPolygon Vertices() const;

protected:
    using TGraphNode::TGraphNode;
    virtual QPolygon ShapeVertices(int l, int t, int r, int b) const = 0;
    QPainterPath ShapeOutline(int l, int t, int r, int b) const override;
    QPainterPath ShapeRegion(int l, int t, int r, int b) const override;
};

class TRectangularNode final : public TPolygonalNode {
public:
    explicit TRectangularNode(GraphDocument *owner) : TPolygonalNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TRectangularNode"); }

protected:
    QPolygon ShapeVertices(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class TTriangularNode final : public TPolygonalNode {
public:
    explicit TTriangularNode(GraphDocument *owner) : TPolygonalNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TTriangularNode"); }

protected:
    QPolygon ShapeVertices(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class TRhomboidalNode final : public TPolygonalNode {
public:
    explicit TRhomboidalNode(GraphDocument *owner) : TPolygonalNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TRhomboidalNode"); }

protected:
    QPolygon ShapeVertices(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class TPentagonalNode final : public TPolygonalNode {
public:
    explicit TPentagonalNode(GraphDocument *owner) : TPolygonalNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TPentagonalNode"); }

protected:
    QPolygon ShapeVertices(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class THexagonalNode final : public TPolygonalNode {
public:
    explicit THexagonalNode(GraphDocument *owner) : TPolygonalNode(owner) {}
    QString ClassName() const override { return QStringLiteral("THexagonalNode"); }

protected:
    QPolygon ShapeVertices(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class TRoundRectangularNode final : public TGraphNode {
public:
    explicit TRoundRectangularNode(GraphDocument *owner) : TGraphNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TRoundRectangularNode"); }

protected:
    QPainterPath ShapeOutline(int l, int t, int r, int b) const override;
    QPainterPath ShapeRegion(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

class TEllipticNode final : public TGraphNode {
public:
    explicit TEllipticNode(GraphDocument *owner) : TGraphNode(owner) {}
    QString ClassName() const override { return QStringLiteral("TEllipticNode"); }

protected:
    QPainterPath ShapeOutline(int l, int t, int r, int b) const override;
    QPainterPath ShapeRegion(int l, int t, int r, int b) const override;
    QRect ShapeTextArea(int l, int t, int r, int b) const override;
};

#include "graph/GraphClassRegistry.h"

#include "graph/GraphLink.h"
#include "graph/NodeShapes.h"

#include <QHash>

namespace {

struct Registry {
    QStringList links;
    QStringList nodes;
    QHash<QString, GraphClassRegistry::Factory> factories;

    Registry()
    {
        add(links, QStringLiteral("TGraphLink"), [](GraphDocument *d) { return new TGraphLink(d); });
        add(nodes, QStringLiteral("TRectangularNode"), [](GraphDocument *d) { return new TRectangularNode(d); });
        add(nodes, QStringLiteral("TRoundRectangularNode"),
            [](GraphDocument *d) { return new TRoundRectangularNode(d); });
        add(nodes, QStringLiteral("TEllipticNode"), [](GraphDocument *d) { return new TEllipticNode(d); });
        add(nodes, QStringLiteral("TTriangularNode"), [](GraphDocument *d) { return new TTriangularNode(d); });
        add(nodes, QStringLiteral("TRhomboidalNode"), [](GraphDocument *d) { return new TRhomboidalNode(d); });
        add(nodes, QStringLiteral("TPentagonalNode"), [](GraphDocument *d) { return new TPentagonalNode(d); });
        add(nodes, QStringLiteral("THexagonalNode"), [](GraphDocument *d) { return new THexagonalNode(d); });
    }

    void add(QStringList &list, const QString &name, GraphClassRegistry::Factory factory)
    {
        if (!factories.contains(name))
            list.append(name);
        factories.insert(name, std::move(factory));
    }
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

void GraphClassRegistry::RegisterLinkClass(const QString &name, Factory factory)
{
    registry().add(registry().links, name, std::move(factory));
}

void GraphClassRegistry::RegisterNodeClass(const QString &name, Factory factory)
{
    registry().add(registry().nodes, name, std::move(factory));
}

QStringList GraphClassRegistry::LinkClasses()
{
    return registry().links;
}

QStringList GraphClassRegistry::NodeClasses()
{
    return registry().nodes;
}

bool GraphClassRegistry::IsRegistered(const QString &name)
{
    return registry().factories.contains(name);
}

TGraphObject *GraphClassRegistry::Create(const QString &name, GraphDocument *owner)
{
    const auto it = registry().factories.constFind(name);
    return it == registry().factories.cend() ? nullptr : (*it)(owner);
}

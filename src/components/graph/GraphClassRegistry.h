#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class GraphDocument;
class TGraphObject;

// Graph object classes that can be created by name (file reading, insertion). The link
// class and the seven node classes are registered on first use, in that order; the first
// class of each list is the default for insertion.
class GraphClassRegistry final {
public:
    using Factory = std::function<TGraphObject *(GraphDocument *)>;

    static void RegisterLinkClass(const QString &name, Factory factory);
    static void RegisterNodeClass(const QString &name, Factory factory);
    static QStringList LinkClasses();
    static QStringList NodeClasses();
    static bool IsRegistered(const QString &name);
    // A new object of the class for the document (not yet added to it); nullptr if unknown.
    static TGraphObject *Create(const QString &name, GraphDocument *owner);
};

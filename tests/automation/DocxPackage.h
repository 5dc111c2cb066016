#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

// One element of a parsed XML file, by its qualified name as written ("w:p").
struct XmlElement {
    QString name;
    QMap<QString, QString> attributes; // by qualified name ("w:val")
    QList<std::shared_ptr<XmlElement>> children;
    QString text; // character data directly inside the element

    QString attribute(const QString &qualifiedName) const { return attributes.value(qualifiedName); }
    // The first child of that name, or nullptr.
    const XmlElement *child(const QString &childName) const;
    QList<const XmlElement *> childrenNamed(const QString &childName) const;
    // Every element of that name below this one, in document order.
    QList<const XmlElement *> descendants(const QString &descendantName) const;
    // The text of a paragraph or run: w:t contents, "\t" for w:tab, "\n" for w:br.
    QString wordText() const;
};

// Parses an XML file; a null pointer and a message when it is not well-formed.
std::shared_ptr<XmlElement> parseXml(const QByteArray &bytes, QString *error = nullptr);

// Every entry of a zip file by name; empty with a message when the file is no zip.
QMap<QString, QByteArray> readZip(const QString &path, QString *error = nullptr);

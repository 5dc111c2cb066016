#include "DocxPackage.h"

#include <QXmlStreamReader>

#include <zip.h>

const XmlElement *XmlElement::child(const QString &childName) const {
    for (const auto &c : children)
        if (c->name == childName)
            return c.get();
    return nullptr;
}

QList<const XmlElement *> XmlElement::childrenNamed(const QString &childName) const {
    QList<const XmlElement *> result;
    for (const auto &c : children)
        if (c->name == childName)
            result.append(c.get());
    return result;
}

QList<const XmlElement *> XmlElement::descendants(const QString &descendantName) const {
    QList<const XmlElement *> result;
    for (const auto &c : children) {
        if (c->name == descendantName)
            result.append(c.get());
        result += c->descendants(descendantName);
    }
    return result;
}

QString XmlElement::wordText() const {
    QString result;
    for (const auto &c : children) {
        if (c->name == QStringLiteral("w:t"))
            result += c->text;
        else if (c->name == QStringLiteral("w:tab") && name == QStringLiteral("w:r"))
            result += u'\t';
        else if (c->name == QStringLiteral("w:br"))
            result += u'\n';
        else if (c->name == QStringLiteral("w:r"))
            result += c->wordText();
    }
    return result;
}

std::shared_ptr<XmlElement> parseXml(const QByteArray &bytes, QString *error) {
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    std::shared_ptr<XmlElement> root;
    QList<XmlElement *> open;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            auto element = std::make_shared<XmlElement>();
            element->name = reader.qualifiedName().toString();
            for (const QXmlStreamAttribute &a : reader.attributes())
                element->attributes.insert(a.qualifiedName().toString(), a.value().toString());
            if (open.isEmpty())
                root = element;
            else
                open.last()->children.append(element);
            open.append(element.get());
        } else if (reader.isEndElement()) {
            open.removeLast();
        } else if (reader.isCharacters() && !open.isEmpty()) {
            open.last()->text += reader.text();
        }
    }
    if (reader.hasError()) {
        if (error)
            *error = reader.errorString();
        return nullptr;
    }
    return root;
}

QMap<QString, QByteArray> readZip(const QString &path, QString *error) {
    QMap<QString, QByteArray> entries;
    int code = 0;
    zip_t *archive = zip_open(path.toUtf8().constData(), ZIP_RDONLY, &code);
    if (!archive) {
        if (error)
            *error = QStringLiteral("zip_open failed with %1").arg(code);
        return entries;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            continue;
        QByteArray content(qsizetype(stat.size), Qt::Uninitialized);
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file)
            continue;
        const zip_int64_t read = zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        if (read == zip_int64_t(stat.size))
            entries.insert(QString::fromUtf8(stat.name), content);
    }
    zip_close(archive);
    return entries;
}

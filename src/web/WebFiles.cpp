#include "web/WebFiles.h"

#include "files/FileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

// The resources live in a static library: registered on first use (the macro must stand outside namespaces).
static bool registerWebResources() {
    Q_INIT_RESOURCE(web);
    return true;
}

namespace {

QByteArray resource(const QString &name) {
    static const bool registered = registerWebResources();
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/web/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::logic_error("missing resource");
    return file.readAll();
}

} // namespace

namespace WebFiles {

QByteArray collectorScript() {
    return resource(QStringLiteral("vysledky.php"));
}
QByteArray styleSheet() {
    return resource(QStringLiteral("style.css"));
}
QByteArray formScript() {
    return resource(QStringLiteral("formular.js"));
}

void restoreMissing(const QString &dataFolder) {
    const std::pair<QString, QByteArray> files[] = {{QStringLiteral("vysledky.php"), collectorScript()},
                                                    {QStringLiteral("style.css"), styleSheet()}};
    for (const auto &[name, content] : files) {
        const QString path = dataFolder + name;
        QString error;
        if (QFileInfo::exists(path)) {
            QFile existing(path);
            if (!existing.open(QIODevice::ReadOnly))
                throw std::runtime_error(QStringLiteral("Soubor „%1“ nelze přečíst: %2")
                                             .arg(path, existing.errorString())
                                             .toStdString());
            const QByteArray old = existing.readAll();
            const bool current = name == QLatin1String("vysledky.php")
                                     ? old.contains("kody.php") && old.contains("viewport")
                                     : old.contains("phone layout 2");
            if (current)
                continue;
            // An older file, made before the pupil codes or before the pages worked on a phone.
            if (!FileWriter::writeWhole(path + QStringLiteral(".stary"), old, &error))
                throw std::runtime_error(error.toStdString());
        }
        if (!FileWriter::writeWhole(path, content, &error))
            throw std::runtime_error(error.toStdString());
    }
}

} // namespace WebFiles

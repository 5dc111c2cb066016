#include "graphics/PictureFiles.h"

#include "platform/AppFolders.h"
#include "platform/Prompter.h"

namespace PictureFiles {

QString ask(Prompter &prompter, const QString &suffix, const QString &name) {
    const bool jpeg = suffix == QLatin1String("jpg");
    return prompter.saveFileName(
        jpeg ? QStringLiteral("Uložit do obrázku JPG") : QStringLiteral("Uložit do obrázku EMF"),
        jpeg ? QStringLiteral("Obrázek JPEG (*.jpg)") : QStringLiteral("Rozšířený metasoubor (*.emf)"),
        suffix, name + u'.' + suffix);
}

QString forDocuments(const AppFolders &folders, const QString &suffix) {
    return folders.dataFolder + QStringLiteral("temp_file.") + suffix;
}

} // namespace PictureFiles

#include "graphics/PictureFiles.h"

#include "platform/AppFolders.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace PictureFiles {

namespace {

QString &lastFolder() {
    static QString folder;
    return folder;
}

QString startFolder(QStandardPaths::StandardLocation fallback) {
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    const QString folder = QStandardPaths::writableLocation(fallback);
    return QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

} // namespace

QString safeFileName(const QString &name, const QString &suffix) {
    static const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    safe.reserve(name.size());
    for (const QChar ch : name)
        safe += ch.category() == QChar::Other_Control || kForbidden.contains(ch) ? QChar(u'_') : ch;
    const auto trimEnds = [](QString &text) {
        while (!text.isEmpty() && (text.front().isSpace() || text.front() == u'.'))
            text.remove(0, 1);
        while (!text.isEmpty() && (text.back().isSpace() || text.back() == u'.'))
            text.chop(1);
    };
    trimEnds(safe);
    const qsizetype room = 255 - 1 - suffix.toUtf8().size();
    while (safe.toUtf8().size() > room)
        safe.chop(safe.size() >= 2 && safe.at(safe.size() - 1).isLowSurrogate() ? 2 : 1);
    trimEnds(safe);
    return safe.isEmpty() ? QStringLiteral("obrazek") : safe;
}

QString ask(Prompter &prompter, const QString &suffix, const QString &name) {
    if (suffix == QLatin1String("pdf"))
        return askFile(prompter, QStringLiteral("Uložit jako PDF"), QStringLiteral("Dokument PDF (*.pdf)"),
                       suffix, name, QStandardPaths::DocumentsLocation);
    const bool jpeg = suffix == QLatin1String("jpg");
    return askFile(prompter, jpeg ? QStringLiteral("Uložit do obrázku JPG") : QStringLiteral("Uložit do obrázku EMF"),
                   jpeg ? QStringLiteral("Obrázek JPEG (*.jpg)") : QStringLiteral("Rozšířený metasoubor (*.emf)"),
                   suffix, name, QStandardPaths::PicturesLocation);
}

QString askFile(Prompter &prompter, const QString &title, const QString &filter, const QString &suffix,
                const QString &name, QStandardPaths::StandardLocation fallback) {
    const QString proposed = QDir(startFolder(fallback)).filePath(safeFileName(name, suffix) + u'.' + suffix);
    const QString chosen = prompter.saveFileName(title, filter, suffix, proposed);
    if (!chosen.isEmpty())
        lastFolder() = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString forDocuments(const AppFolders &folders, const QString &suffix) {
    return folders.dataFolder + QStringLiteral("temp_file.") + suffix;
}

} // namespace PictureFiles

#include "platform/AppFolders.h"

#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

QString withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder;
    return folder + u'/';
}

QString AppFolders::defaultDataFolder(const Shell &shell)
{
    const QString base = shell.appDataFolder();
    if (base.isEmpty())
        throw std::runtime_error("Could not find MyDocuments folder location.");
    return withTrailingSeparator(base) + QStringLiteral("Orbelis/");
}

AppFolders AppFolders::resolve(const QStringList &arguments, const QString &programFolder, const Shell &shell)
{
    AppFolders folders;
    folders.programFolder = withTrailingSeparator(programFolder);
    QString data;
    for (qsizetype i = arguments.size() - 1; i >= 0; --i)
        if (arguments[i] == QLatin1String("/portable"))
            data = folders.programFolder;
    for (qsizetype i = arguments.size() - 1; i >= 0; --i)
        if (arguments[i] == QLatin1String("/files"))
            data = i + 1 < arguments.size() ? arguments[i + 1] : QString();
    if (data.isEmpty() || !QFileInfo(data).isDir())
        data = defaultDataFolder(shell);
    // A folder given without its trailing separator still holds the files inside it.
    folders.dataFolder = withTrailingSeparator(data);
    return folders;
}

QString AppFolders::resourceFolder() const
{
    if (QFileInfo::exists(programFolder + QStringLiteral("orbelis.txt")))
        return programFolder;
    const QString shared = QDir::cleanPath(programFolder + QStringLiteral("../share/orbelis")) + u'/';
    if (QFileInfo::exists(shared + QStringLiteral("orbelis.txt")))
        return shared;
    return programFolder;
}

QString AppFolders::programSettingsPath() const
{
    return (installed() ? dataFolder : programFolder) + QStringLiteral("nastaveni.ini");
}

bool AppFolders::createFolders(QString *error) const
{
    for (const QString &folder : {dataFolder, listinyFolder(), sablonyFolder()}) {
        if (!QDir().mkpath(folder)) {
            if (error)
                *error = QStringLiteral("Složku \"%1\" nelze vytvořit.").arg(folder);
            return false;
        }
    }
    return true;
}

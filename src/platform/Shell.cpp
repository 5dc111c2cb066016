#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>

bool QtShell::openFile(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool QtShell::openFolder(const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

bool QtShell::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

QString QtShell::appDataFolder() const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    while (folder.endsWith(u'/') && folder.size() > 1)
        folder.chop(1);
    return folder;
}

QString QtShell::tempFolder() const
{
    QString folder = QDir::tempPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

#include "app/Shell.h"

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

RecordingShell::RecordingShell(const QString &appData, const QString &temp) : m_appData(appData), m_temp(temp)
{
    if (m_temp.isEmpty())
        m_temp = QDir::tempPath() + u'/';
}

bool RecordingShell::openFile(const QString &path)
{
    calls << QStringLiteral("file:") + path;
    return true;
}

bool RecordingShell::openFolder(const QString &path)
{
    calls << QStringLiteral("folder:") + path;
    return true;
}

bool RecordingShell::openUrl(const QUrl &url)
{
    calls << QStringLiteral("url:") + url.toString();
    return true;
}

#include "support/RecordingShell.h"

#include <QDir>

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

#pragma once

#include "platform/Shell.h"

#include <QStringList>

// A shell that opens nothing and records what it was asked to open (tests, headless runs).
class RecordingShell final : public Shell
{
public:
    explicit RecordingShell(const QString &appData = QString(), const QString &temp = QString());
    bool openFile(const QString &path) override;
    bool openFolder(const QString &path) override;
    bool openUrl(const QUrl &url) override;
    QString appDataFolder() const override { return m_appData; }
    QString tempFolder() const override { return m_temp; }

    // Calls as "file:<path>", "folder:<path>", "url:<address>".
    QStringList calls;

private:
    QString m_appData;
    QString m_temp;
};

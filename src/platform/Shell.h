#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// What the program asks of the desktop shell: opening documents, folders and addresses with their
// default applications, and the per-user data and temporary folders.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool openFile(const QString &path) = 0;
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openUrl(const QUrl &url) = 0;
    // Per-user application data location, without a trailing separator; empty when unknown.
    virtual QString appDataFolder() const = 0;
    // Temporary folder, with a trailing separator.
    virtual QString tempFolder() const = 0;
};

// The desktop's shell through QDesktopServices and QStandardPaths.
class QtShell final : public Shell
{
public:
    bool openFile(const QString &path) override;
    bool openFolder(const QString &path) override;
    bool openUrl(const QUrl &url) override;
    QString appDataFolder() const override;
    QString tempFolder() const override;
};

#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A program folder with its version file and an empty data folder, both inside `root`.
inline bool makeProgramAndDataFolders(const QTemporaryDir &root, const QByteArray &version)
{
    if (!root.isValid() || !QDir(root.path()).mkpath(QStringLiteral("program")) ||
        !QDir(root.path()).mkpath(QStringLiteral("data")))
        return false;
    QFile file(root.filePath(QStringLiteral("program/orbelis.txt")));
    return file.open(QIODevice::WriteOnly) && file.write(version + '\n') > 0;
}

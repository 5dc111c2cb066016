#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes a zip archive (the container of .docx and .xlsx files) in one go, atomically.
class ZipWriter final
{
public:
    void add(const QString &name, const QByteArray &content);
    // Writes every entry added; false with a message in *error on failure (no partial file is left).
    bool write(const QString &path, QString *error = nullptr) const;

private:
    QList<QPair<QString, QByteArray>> m_entries;
};

// Minimal valid empty Office documents.
bool writeEmptyDocx(const QString &path, QString *error = nullptr);
bool writeEmptyXlsx(const QString &path, QString *error = nullptr);

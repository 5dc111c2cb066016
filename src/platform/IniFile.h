#pragma once

#include <QString>
#include <QStringList>

// A plain INI settings file ("[section]" lines and "key=value" lines), read and written key by key.
// A missing file or key yields the default. Writing keeps every other line of the file as it was and
// replaces the file atomically. Booleans are written "1"/"0" and read as true for any non-zero number.
class IniFile final
{
public:
    explicit IniFile(const QString &path);

    QString path() const { return m_path; }
    // From now on every write leaves the file readable and writable by its owner only (mode 0600): the
    // file holds a password.
    void setOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue = false) const;
    // Returns false (with a message in *error) when the file cannot be written.
    bool writeString(const QString &section, const QString &key, const QString &value, QString *error = nullptr);
    bool writeBool(const QString &section, const QString &key, bool value, QString *error = nullptr);

private:
    QStringList readLines() const;

    QString m_path;
    bool m_ownerOnly = false;
};

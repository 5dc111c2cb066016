#pragma once

#include "platform/AppFolders.h"
#include "platform/IniFile.h"

// The two settings files: the data folder's "nastaveni.ini" (sections `databaze`, `nastaveni`) and the
// program folder's "nastaveni.ini" (section `ftp`). Under "/portable" they are the same file.
class Settings final
{
public:
    explicit Settings(const AppFolders &folders);

    QString databaseFile() const; // `soubor`, default "skola.mdb"
    bool setDatabaseFile(const QString &fileName, QString *error = nullptr);
    bool expert() const;
    bool setExpert(bool value, QString *error = nullptr);

    IniFile &dataFile() { return m_data; }
    IniFile &programFile() { return m_program; }

private:
    IniFile m_data;
    IniFile m_program;
};

// "Verze programu: " + the first line of "orbelis.txt" in the resource folder (AppFolders) with its first "." removed.
// Raises std::runtime_error when the file cannot be read.
QString readVersionText(const QString &resourceFolder);

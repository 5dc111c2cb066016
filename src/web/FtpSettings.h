#pragma once

#include <QString>

class IniFile;

// The web-publishing settings, section "ftp" of the program's settings file
// (AppFolders::programSettingsPath).
struct FtpSettings {
    QString host;     // "host", may carry ":port"
    QString user;     // "jmeno"
    QString password; // "heslo", kept in plain text
    QString folder;   // "dir": remote base folder, relative, each level ending in "/"
    QString address;  // "stranky": public web address of the base folder

    static FtpSettings load(const IniFile &file);
    // Writes the five keys; false (with *error) when the file cannot be written.
    bool save(IniFile &file, QString *error = nullptr) const;
    // Host, user and password are all given.
    bool complete() const { return !host.isEmpty() && !user.isEmpty() && !password.isEmpty(); }
};

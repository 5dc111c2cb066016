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
    bool allowPlain = false;     // "nesifrovane": plain FTP allowed (the password crosses the network readable)
    QString trustedKey;          // "certifikat": the server key pin ("sha256//…") the teacher accepted
    bool openCollection = false; // "bez_kodu": forms without pupil codes

    static FtpSettings load(const IniFile &file);
    // Writes the keys, the file readable by its owner only; false (with *error) when it cannot be written.
    bool save(IniFile &file, QString *error = nullptr) const;
    // Host, user and password are all given.
    bool complete() const { return !host.isEmpty() && !user.isEmpty() && !password.isEmpty(); }
};

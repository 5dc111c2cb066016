#include "web/FtpSettings.h"

#include "platform/IniFile.h"

namespace {
const QString kSection = QStringLiteral("ftp");
}

FtpSettings FtpSettings::load(const IniFile &file) {
    FtpSettings s;
    s.host = file.readString(kSection, QStringLiteral("host"));
    s.user = file.readString(kSection, QStringLiteral("jmeno"));
    s.password = file.readString(kSection, QStringLiteral("heslo"));
    s.folder = file.readString(kSection, QStringLiteral("dir"));
    s.address = file.readString(kSection, QStringLiteral("stranky"), QStringLiteral("http://"));
    s.allowPlain = file.readBool(kSection, QStringLiteral("nesifrovane"), false);
    s.trustedKey = file.readString(kSection, QStringLiteral("certifikat"));
    s.openCollection = file.readBool(kSection, QStringLiteral("bez_kodu"), false);
    return s;
}

bool FtpSettings::save(IniFile &file, QString *error) const {
    // The password is kept in the file: nobody else on this computer may read it.
    file.setOwnerOnly(true);
    return file.writeString(kSection, QStringLiteral("host"), host, error) &&
           file.writeString(kSection, QStringLiteral("jmeno"), user, error) &&
           file.writeString(kSection, QStringLiteral("heslo"), password, error) &&
           file.writeString(kSection, QStringLiteral("dir"), folder, error) &&
           file.writeString(kSection, QStringLiteral("stranky"), address, error) &&
           file.writeBool(kSection, QStringLiteral("nesifrovane"), allowPlain, error) &&
           file.writeString(kSection, QStringLiteral("certifikat"), trustedKey, error) &&
           file.writeBool(kSection, QStringLiteral("bez_kodu"), openCollection, error);
}

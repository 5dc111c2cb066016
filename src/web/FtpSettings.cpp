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
    return s;
}

bool FtpSettings::save(IniFile &file, QString *error) const {
    return file.writeString(kSection, QStringLiteral("host"), host, error) &&
           file.writeString(kSection, QStringLiteral("jmeno"), user, error) &&
           file.writeString(kSection, QStringLiteral("heslo"), password, error) &&
           file.writeString(kSection, QStringLiteral("dir"), folder, error) &&
           file.writeString(kSection, QStringLiteral("stranky"), address, error);
}

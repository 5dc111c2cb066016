#include "platform/IniFile.h"
#include "platform/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll());
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(IniFileTest, MissingFileOrKeyGivesTheDefault)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("nastaveni.ini")));
    EXPECT_EQ(ini.readString(QStringLiteral("databaze"), QStringLiteral("soubor"), QStringLiteral("skola.mdb")),
              QStringLiteral("skola.mdb"));
    EXPECT_FALSE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert")));
    EXPECT_TRUE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert"), true));
}

TEST(IniFileTest, AByteOrderMarkAndTheCaseOfSectionNamesDoNotHideTheFirstSection)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nastaveni.ini"));
    writeAll(path, "\xEF\xBB\xBF[databaze]\r\nsoubor=archiv.mdb\r\n[Nastaveni]\r\nexpert=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("databaze"), QStringLiteral("soubor")), QStringLiteral("archiv.mdb"));
    EXPECT_EQ(ini.readString(QStringLiteral("DATABAZE"), QStringLiteral("soubor")), QStringLiteral("archiv.mdb"));
    EXPECT_TRUE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert")));
}

TEST(IniFileTest, WritesPlainKeyValueLinesAndKeepsTheRest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nastaveni.ini"));
    writeAll(path, "; poznámka\r\n[ftp]\r\nhost=ftp.skola.cz\r\n\r\n[databaze]\r\nsoubor=stara.mdb\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeString(QStringLiteral("databaze"), QStringLiteral("soubor"), QStringLiteral("nová třída.mdb")));
    ASSERT_TRUE(ini.writeBool(QStringLiteral("nastaveni"), QStringLiteral("expert"), true));
    ASSERT_TRUE(ini.writeString(QStringLiteral("ftp"), QStringLiteral("dir"), QStringLiteral("www/dotazniky")));
    EXPECT_EQ(readAll(path), QStringLiteral("; poznámka\r\n[ftp]\r\nhost=ftp.skola.cz\r\ndir=www/dotazniky\r\n\r\n"
                                            "[databaze]\r\nsoubor=nová třída.mdb\r\n\r\n[nastaveni]\r\nexpert=1\r\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("databaze"), QStringLiteral("soubor")), QStringLiteral("nová třída.mdb"));
    EXPECT_TRUE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert")));
}

TEST(IniFileTest, BooleansAreTrueForAnyNonZeroNumber)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    writeAll(path, "[nastaveni]\nexpert=-1\nx=0\ny=ano\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("expert")));
    EXPECT_FALSE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("x"), true));
    EXPECT_TRUE(ini.readBool(QStringLiteral("nastaveni"), QStringLiteral("y"), true)); // not a number: default
}

TEST(IniFileTest, AnUnwritableFileIsReported)
{
    IniFile ini(QStringLiteral("/nonexistent-folder/nastaveni.ini"));
    QString error;
    EXPECT_FALSE(ini.writeBool(QStringLiteral("nastaveni"), QStringLiteral("expert"), true, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SettingsTest, PortableRunSharesOneFileAndVersionTextDropsTheFirstDot)
{
    QTemporaryDir dir;
    AppFolders folders{dir.path() + u'/', dir.path() + u'/'};
    Settings settings(folders);
    EXPECT_EQ(settings.databaseFile(), QStringLiteral("skola.mdb"));
    ASSERT_TRUE(settings.setExpert(true));
    ASSERT_TRUE(settings.programFile().writeString(QStringLiteral("ftp"), QStringLiteral("host"), QStringLiteral("h")));
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("nastaveni.ini"))).contains(QStringLiteral("expert=1")));
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("nastaveni.ini"))).contains(QStringLiteral("host=h")));

    writeAll(dir.filePath(QStringLiteral("orbelis.txt")), "1.2.3\nignored\n");
    EXPECT_EQ(readVersionText(dir.path() + u'/'), QStringLiteral("Verze programu: 12.3"));
    QFile::remove(dir.filePath(QStringLiteral("orbelis.txt")));
    EXPECT_THROW(readVersionText(dir.path() + u'/'), std::runtime_error);
}

} // namespace

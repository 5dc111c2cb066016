#include "graphics/PictureFiles.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PictureFiles, TheProposedNameIsASafeFileInThePicturesFolderThenInTheLastFolderUsed) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Pictures")));
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Tisk")));

    ScriptedPrompter prompter;
    const QString chosen = home.filePath(QStringLiteral("Tisk/sociogram.jpg"));
    prompter.answer(chosen);
    EXPECT_EQ(PictureFiles::ask(prompter, QStringLiteral("jpg"),
                                QStringLiteral("Sociogram ZŠ, 6.A, Nováková, Kdo je tvůj kamarád/kamarádka?")),
              chosen);
    EXPECT_EQ(prompter.prompts().last().folder,
              home.filePath(QStringLiteral("Pictures/Sociogram ZŠ, 6.A, Nováková, Kdo je tvůj kamarád_kamarádka_.jpg")));
    // The next picture is proposed where the last one went; a cancelled dialog changes nothing.
    PictureFiles::ask(prompter, QStringLiteral("emf"), QStringLiteral("Graf: \"přestávky\" <5.A>"));
    EXPECT_EQ(prompter.prompts().last().folder, home.filePath(QStringLiteral("Tisk/Graf_ _přestávky_ _5.A_.emf")));
    PictureFiles::ask(prompter, QStringLiteral("emf"), QStringLiteral("x"));
    EXPECT_EQ(prompter.prompts().last().folder, home.filePath(QStringLiteral("Tisk/x.emf")));

    qputenv("HOME", oldHome);
    if (!oldConfig.isNull())
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(PictureFiles, ANameAlwaysFitsAFileName) {
    // 250 two-byte letters: cut to whole characters so that name + ".jpg" takes at most 255 bytes.
    const QString cut = PictureFiles::safeFileName(QString(250, QChar(u'Š')), QStringLiteral("jpg"));
    EXPECT_LE(cut.toUtf8().size() + 4, 255);
    EXPECT_GE(cut.toUtf8().size() + 4, 254);
    EXPECT_EQ(cut, QString(cut.size(), QChar(u'Š')));
    EXPECT_EQ(PictureFiles::safeFileName(QStringLiteral(" ..a\tb.. "), QStringLiteral("jpg")), QStringLiteral("a_b"));
    EXPECT_EQ(PictureFiles::safeFileName(QStringLiteral("../.."), QStringLiteral("jpg")), QStringLiteral("_"));
    EXPECT_EQ(PictureFiles::safeFileName(QStringLiteral("?"), QStringLiteral("jpg")), QStringLiteral("_"));
    EXPECT_EQ(PictureFiles::safeFileName(QStringLiteral(" . "), QStringLiteral("jpg")), QStringLiteral("obrazek"));
}

} // namespace

#include "platform/AppFolders.h"
#include "support/RecordingShell.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AppFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        QDir(m_root.path()).mkpath(QStringLiteral("appdata"));
        QDir(m_root.path()).mkpath(QStringLiteral("program"));
        QDir(m_root.path()).mkpath(QStringLiteral("one"));
        QDir(m_root.path()).mkpath(QStringLiteral("two"));
    }
    QString path(const QString &name) const { return m_root.filePath(name); }
    AppFolders resolve(const QStringList &args) const
    {
        RecordingShell shell(path(QStringLiteral("appdata")));
        return AppFolders::resolve(args, path(QStringLiteral("program")), shell);
    }
    QString defaultFolder() const { return path(QStringLiteral("appdata/Orbelis/")); }

    QTemporaryDir m_root;
};

TEST_F(AppFoldersTest, CommandLineChoosesTheDataFolder)
{
    EXPECT_EQ(resolve({}).dataFolder, defaultFolder());
    EXPECT_EQ(resolve({}).programFolder, path(QStringLiteral("program/")));
    EXPECT_EQ(resolve({QStringLiteral("/portable")}).dataFolder, path(QStringLiteral("program/")));
    EXPECT_EQ(resolve({QStringLiteral("/files"), path(QStringLiteral("one/"))}).dataFolder, path(QStringLiteral("one/")));
    // The first occurrence wins.
    EXPECT_EQ(resolve({QStringLiteral("/files"), path("one/"), QStringLiteral("/files"), path("two/")}).dataFolder,
              path(QStringLiteral("one/")));
    // "/files" wins over "/portable", in either order.
    EXPECT_EQ(resolve({QStringLiteral("/portable"), QStringLiteral("/files"), path("two/")}).dataFolder, path("two/"));
    EXPECT_EQ(resolve({QStringLiteral("/files"), path("two/"), QStringLiteral("/portable")}).dataFolder, path("two/"));
    // A missing folder, an empty value and a case variant of the switch fall back to the default.
    EXPECT_EQ(resolve({QStringLiteral("/files"), path(QStringLiteral("missing/"))}).dataFolder, defaultFolder());
    EXPECT_EQ(resolve({QStringLiteral("/files")}).dataFolder, defaultFolder());
    EXPECT_EQ(resolve({QStringLiteral("/Portable")}).dataFolder, defaultFolder());
}

TEST_F(AppFoldersTest, AFolderWithoutTrailingSeparatorKeepsItsFilesInside)
{
    const AppFolders folders = resolve({QStringLiteral("/files"), path(QStringLiteral("one"))});
    EXPECT_EQ(folders.dataFolder, path(QStringLiteral("one/")));
    EXPECT_EQ(folders.listinyFolder(), path(QStringLiteral("one/Listiny/")));
}

TEST_F(AppFoldersTest, CreatesTheFolderLayoutAndFailsWithoutAppData)
{
    const AppFolders folders = resolve({});
    ASSERT_TRUE(folders.createFolders());
    EXPECT_TRUE(QDir(defaultFolder() + QStringLiteral("Listiny")).exists());
    EXPECT_TRUE(QDir(defaultFolder() + QStringLiteral("Sablony")).exists());

    RecordingShell noAppData;
    try {
        AppFolders::resolve({}, path(QStringLiteral("program")), noAppData);
        FAIL() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Could not find MyDocuments folder location.");
    }
}

} // namespace

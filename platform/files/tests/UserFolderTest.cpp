#include "platform/files/UserFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int modeOf(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class UserFolder : public ::testing::Test
{
protected:
    QTemporaryDir runtime;
    QTemporaryDir temp;
    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    QByteArray oldTemp = qgetenv("TMPDIR");
    QString own = temp.path() + QStringLiteral("/quorva-") + QString::number(geteuid());

    void SetUp() override
    {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qputenv("TMPDIR", temp.path().toUtf8());
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
    }
};

TEST_F(UserFolder, RuntimeFolderFirstThenTheTemporaryFolder)
{
    QString error;
    EXPECT_EQ(files::userRuntimeFolder(&error), runtime.path() + QStringLiteral("/quorva"));
    EXPECT_EQ(modeOf(runtime.path() + QStringLiteral("/quorva")), 0700);

    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(files::userRuntimeFolder(&error), own);
    EXPECT_EQ(modeOf(own), 0700);
    // A relative runtime folder is no runtime folder.
    qputenv("XDG_RUNTIME_DIR", "relative");
    EXPECT_EQ(files::userRuntimeFolder(&error), own);
}

TEST_F(UserFolder, OursIsNarrowedPlantedOnesAreRefused)
{
    qunsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(QDir().mkdir(own));
    ASSERT_EQ(chmod(QFile::encodeName(own).constData(), 0777), 0);
    EXPECT_EQ(files::userRuntimeFolder(), own);
    EXPECT_EQ(modeOf(own), 0700);

    // A link in its place (someone else's folder behind it) is refused, and nothing is written
    // through it.
    ASSERT_TRUE(QDir(own).removeRecursively());
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), own));
    QString error;
    EXPECT_EQ(files::userRuntimeFolder(&error), QString());
    EXPECT_TRUE(error.contains(own)) << error.toStdString();
    EXPECT_NE(modeOf(elsewhere.path()), -1);
    QFile::remove(own);

    // So is a file.
    QFile f(own);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(files::userRuntimeFolder(&error), QString());
    QFile::remove(own);

    // And a folder of another user's (only root can make one here).
    if (geteuid() == 0) {
        ASSERT_TRUE(QDir().mkdir(own));
        ASSERT_EQ(chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
        EXPECT_EQ(files::userRuntimeFolder(&error), QString());
        EXPECT_TRUE(error.contains(QStringLiteral("another user"))) << error.toStdString();
    }
}

TEST_F(UserFolder, APlantedRuntimeSubfolderFallsBackToTheTemporaryFolder)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), runtime.path() + QStringLiteral("/quorva")));
    EXPECT_EQ(files::userRuntimeFolder(), own);
}

} // namespace

#include "platform/files/UserFolder.h"
#include "platform/files/FileSystem.h"

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
    QString sub = runtime.path() + QStringLiteral("/quorva");

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

TEST_F(UserFolder, RuntimeFolderFirstThenTheProgramsTemporaryFolder)
{
    QString error;
    EXPECT_EQ(files::userRuntimeFolder(&error), sub);
    EXPECT_EQ(modeOf(sub), 0700);

    const QString own = files::tempFolder();
    ASSERT_TRUE(own.startsWith(temp.path())) << own.toStdString();
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(files::userRuntimeFolder(&error), own);
    // A relative runtime folder is no runtime folder.
    qputenv("XDG_RUNTIME_DIR", "relative");
    EXPECT_EQ(files::userRuntimeFolder(&error), own);
}

TEST_F(UserFolder, OursIsNarrowedAnythingElseIsPassedOver)
{
    ASSERT_TRUE(QDir().mkdir(sub));
    ASSERT_EQ(chmod(QFile::encodeName(sub).constData(), 0777), 0);
    EXPECT_EQ(files::userRuntimeFolder(), sub);
    EXPECT_EQ(modeOf(sub), 0700);

    // A link in its place is never followed.
    ASSERT_TRUE(QDir(sub).removeRecursively());
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), sub));
    EXPECT_EQ(files::userRuntimeFolder(), files::tempFolder());
    QFile::remove(sub);

    // Nor is a file, or another user's folder (only root can make one here).
    QFile f(sub);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(files::userRuntimeFolder(), files::tempFolder());
    QFile::remove(sub);
    if (geteuid() == 0) {
        ASSERT_TRUE(QDir().mkdir(sub));
        ASSERT_EQ(chown(QFile::encodeName(sub).constData(), 65534, 65534), 0);
        EXPECT_EQ(files::userRuntimeFolder(), files::tempFolder());
    }
}

TEST_F(UserFolder, NoPrivateFolderAtAllIsReported)
{
    qunsetenv("XDG_RUNTIME_DIR");
    // A temporary folder whose entries anyone may rename guards nothing.
    ASSERT_EQ(chmod(QFile::encodeName(temp.path()).constData(), 0777), 0);
    QString error;
    EXPECT_EQ(files::userRuntimeFolder(&error), QString());
    EXPECT_FALSE(error.isEmpty());
    chmod(QFile::encodeName(temp.path()).constData(), 0700);
}

} // namespace

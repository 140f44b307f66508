#include "platform/files/FileSystem.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(FileSystem, PatternsIgnoreCase)
{
    struct
    {
        const char *name, *pattern;
        bool match;
    } cases[] = {
        {"Chinese.Lan", "*.lan", true},
        {"x.LAN", "*.Lan", true},
        {"x.lang", "*.lan", false},
        {"README", "*.*", true},
        {"a.b.vbs", "*.vbs", true},
        {"vbs", "*.vbs", false},
        {"ab", "a?", true},
        {"a", "a?", false},
        {"abc", "a*c", true},
        {"aXbYc", "a*b*c", true},
        {"acb", "a*b*c", false},
        {"中文.lan", "*.LAN", true},
        {"x", "", false},
        {"", "*", true},
    };
    for (auto c : cases)
        EXPECT_EQ(files::matchesPattern(S(c.name), S(c.pattern)), c.match)
            << c.name << " ~ " << c.pattern;
}

TEST(FileSystem, ListsFilesSortedWithoutRegardToCase)
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + QLatin1Char('/');
    for (const char *n : {"b.lan", "A.Lan", "c.LAN", ".hidden.lan", "note.txt"})
        touch(d + S(n));
    QDir().mkdir(d + S("sub.lan"));
    EXPECT_EQ(files::listFiles(tmp.path(), S("*.lan")),
              QStringList({S(".hidden.lan"), S("A.Lan"), S("b.lan"), S("c.LAN")}));
    EXPECT_TRUE(files::listFiles(d + S("missing"), S("*.*")).isEmpty());
    EXPECT_TRUE(files::listFiles(d, S("*.xls")).isEmpty());
}

TEST(FileSystem, WildcardCharactersAreOrdinaryInNames)
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + QLatin1Char('/');
    touch(d + S("a.txt"));
    EXPECT_FALSE(files::isFile(d + S("*.txt")));
    EXPECT_FALSE(files::isFile(d + S("?.txt")));
    touch(d + S("*.txt"));
    EXPECT_TRUE(files::isFile(d + S("*.txt")));
    EXPECT_FALSE(files::isFile(tmp.path()));
    EXPECT_TRUE(files::isFolder(tmp.path()));
    EXPECT_FALSE(files::isFolder(d + S("a.txt")));
    EXPECT_FALSE(files::isFile(QString()));
    EXPECT_FALSE(files::isFolder(QString()));
}

TEST(FileSystem, ReadOnlyIsTheOwnerWriteBit)
{
    QTemporaryDir tmp;
    const QString f = tmp.path() + S("/r.txt");
    touch(f);
    EXPECT_FALSE(files::isReadOnly(f));
    QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::WriteGroup);
    EXPECT_TRUE(files::isReadOnly(f)); // also when running as root
    EXPECT_FALSE(files::isReadOnly(tmp.path() + S("/missing")));
}

TEST(FileSystem, TempFolderHasNoTrailingSlash)
{
    const QString t = files::tempFolder();
    EXPECT_FALSE(t.isEmpty());
    EXPECT_TRUE(t == S("/") || !t.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(files::isFolder(t));
}

} // namespace

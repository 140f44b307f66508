#include "platform/files/FileSystem.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

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

// Points $TMPDIR at a folder for the lifetime of the object.
class TempDirVariable
{
public:
    explicit TempDirVariable(const QString &folder)
        : m_had(qEnvironmentVariableIsSet("TMPDIR")), m_old(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TempDirVariable()
    {
        if (m_had)
            qputenv("TMPDIR", m_old);
        else
            qunsetenv("TMPDIR");
    }

private:
    bool m_had;
    QByteArray m_old;
};

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

TEST(FileSystem, TempFolderIsTheUsersOwn)
{
    const QString t = files::tempFolder();
    ASSERT_FALSE(t.isEmpty());
    EXPECT_FALSE(t.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(files::isFolder(t));
    EXPECT_TRUE(QFileInfo(t).fileName().startsWith(QStringLiteral("quorva-")));
    EXPECT_EQ(modeOf(t) & 0777, 0700u);
}

// What another user may have left at the per-user folder's name in a shared temporary folder,
// and what the program must make of it: never write into a folder it does not solely own.
TEST(FileSystem, TempFolderRefusesWhatOthersPlanted)
{
    const QString uid = QString::number(::geteuid());
    struct Case
    {
        const char *what;
        std::function<void(const QString &own, const QString &elsewhere)> plant;
        bool usesOwn; // the folder of the fixed name is used (else a fresh one)
    };
    const Case cases[] = {
        {"nothing", [](const QString &, const QString &) {}, true},
        {"own folder open to all",
         [](const QString &own, const QString &) {
             ASSERT_TRUE(QDir().mkdir(own));
             ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
         },
         true},
        {"link to another folder",
         [](const QString &own, const QString &elsewhere) {
             ASSERT_TRUE(QFile::link(elsewhere, own));
         },
         false},
        {"dangling link",
         [](const QString &own, const QString &elsewhere) {
             ASSERT_TRUE(QFile::link(elsewhere + S("/none"), own));
         },
         false},
        {"file", [](const QString &own, const QString &) { touch(own); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir base, elsewhere;
        const QString own = base.path() + S("/quorva-") + uid;
        c.plant(own, elsewhere.path());
        TempDirVariable env(base.path());
        const QString t = files::tempFolder();
        ASSERT_FALSE(t.isEmpty());
        if (c.usesOwn) {
            EXPECT_EQ(t, own);
        } else {
            EXPECT_TRUE(t.startsWith(own + S("-"))) << t.toStdString();
            EXPECT_EQ(files::tempFolder(), t) << "the fresh folder lasts for the process";
        }
        EXPECT_TRUE(S_ISDIR(modeOf(t)));
        EXPECT_EQ(modeOf(t) & 0777, 0700u);
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty()) << "nothing made through a link";
    }
}

TEST(FileSystem, TempFolderRefusesAFolderOfAnotherUser)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    QTemporaryDir base;
    const QString own = base.path() + S("/quorva-0");
    ASSERT_TRUE(QDir().mkdir(own));
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
    TempDirVariable env(base.path());
    const QString t = files::tempFolder();
    EXPECT_TRUE(t.startsWith(own + S("-"))) << t.toStdString();
}

TEST(FileSystem, TempFolderNeedsAParentOthersCannotRenameIn)
{
    QTemporaryDir base;
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 0777), 0);
    {
        TempDirVariable env(base.path());
        EXPECT_EQ(files::tempFolder(), QString());
    }
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 01777), 0); // as /tmp is
    TempDirVariable env(base.path());
    EXPECT_EQ(files::tempFolder(), base.path() + S("/quorva-") + QString::number(::geteuid()));
}

} // namespace

#include "core/ClsLogFile.h"
#include "core/ClsMap.h"
#include "core/ModFile.h"
#include "core/ModPub.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>

namespace {

void write(const QString &path, const QByteArray &bytes = QByteArray())
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(ModFile, SplitFilePathAndExtensions)
{
    struct
    {
        const char *path, *name, *folder, *firstExt, *lastExt;
    } cases[] = {
        {"/x/y.xls", "y.xls", "/x/", "xls", "xls"},
        {"/abc/ab", "ab", "/abc/", "", ""},
        {"y.xls", "y.xls", "", "xls", "xls"},
        {"/x/", "", "/x/", "", ""},
        {"/d.x/file", "file", "/d.x/", "", ""},
        {"a.b.xls", "a.b.xls", "", "b.xls", "xls"},
        {"/home/j.doe/.profile", ".profile", "/home/j.doe/", "profile", ""},
    };
    for (auto c : cases) {
        QString folder = S("stale");
        EXPECT_EQ(ModFile::SplitFilePath(S(c.path), folder), S(c.name)) << c.path;
        EXPECT_EQ(folder, S(c.folder)) << c.path;
        EXPECT_EQ(ModFile::GetFileExtension(S(c.path)), S(c.firstExt)) << c.path;
        EXPECT_EQ(ModFile::GetLastFileExtension(S(c.path)), S(c.lastExt)) << c.path;
    }
}

TEST(ModFile, ExistenceAndFolders)
{
    QTemporaryDir tmp;
    const QString d = tmp.path();
    write(d + S("/a.txt"));
    EXPECT_TRUE(ModFile::FileExists(d + S("/a.txt")));
    EXPECT_FALSE(ModFile::FileExists(d + S("/*.txt")));
    EXPECT_FALSE(ModFile::FileExists(d));
    EXPECT_TRUE(ModFile::FolderExists(d));
    EXPECT_FALSE(ModFile::FolderExists(d + S("/a.txt")));

    EXPECT_TRUE(ModFile::CreateFolderPath(d)); // exists: true at once
    EXPECT_TRUE(ModFile::CreateFolderPath(d + S("/p.q/中文/r/")));
    EXPECT_TRUE(ModFile::FolderExists(d + S("/p.q/中文/r")));
    // A level that is a file cannot become a folder.
    EXPECT_FALSE(ModFile::CreateFolderPath(d + S("/a.txt/sub")));
    EXPECT_FALSE(ModFile::CreateFolderPath(QString()));

    EXPECT_FALSE(ModFile::IsFileReadOnly(d + S("/a.txt")));
    QFile::setPermissions(d + S("/a.txt"), QFileDevice::ReadOwner);
    EXPECT_TRUE(ModFile::IsFileReadOnly(d + S("/a.txt")));
    EXPECT_FALSE(ModFile::IsFileReadOnly(d + S("/none.txt")));

    // The user's own folder in the shared temporary folder, never the shared folder itself.
    const QString t = ModPub::GetTempDir();
    EXPECT_TRUE(t.endsWith(S("/quorva-") + QString::number(::geteuid()) + S("/")))
        << t.toStdString();
    EXPECT_TRUE(ModFile::FolderExists(t));
}

TEST(ModFile, ListFilesToMapGivesFullPaths)
{
    QTemporaryDir tmp;
    for (const char *n : {"b.vbs", "A.VBS", "c.txt"})
        write(tmp.path() + QLatin1Char('/') + S(n));
    QDir().mkdir(tmp.path() + S("/dir.vbs"));
    ClsMap m;
    m.Add(S("first"), S("kept"));
    ModFile::ListFilesToMap(tmp.path(), S("*.vbs"), m); // no trailing "/"
    QStringList keys;
    m.ToArray_String(keys);
    EXPECT_EQ(keys, QStringList({S("first"), tmp.path() + S("/A.VBS"), tmp.path() + S("/b.vbs")}));
    ModFile::ListFilesToMap(tmp.path() + S("/"), S("*.none"), m);
    EXPECT_EQ(m.count(), 3);
}

TEST(ModFile, UniqueNamesNumberOnlyTheFileName)
{
    QTemporaryDir tmp;
    const QString d = tmp.path() + S("/j.doe/");
    QDir().mkpath(d);
    struct
    {
        QStringList existing;
        const char *asked, *expected;
    } cases[] = {
        {{}, "report.txt", "report.txt"},
        {{"report.txt"}, "report.txt", "report_1.txt"},
        {{"report.txt", "report_1.txt"}, "report.txt", "report_2.txt"},
        {{"s_3.txt"}, "s_3.txt", "s_4.txt"},
        {{"v1.2.txt"}, "v1.2.txt", "v1.2_1.txt"},
        {{"plain"}, "plain", "plain_1"},
        {{".cfg"}, ".cfg", ".cfg_1"},
        {{"表.txt"}, "表.txt", "表_1.txt"},
    };
    for (auto &c : cases) {
        QDir(d).removeRecursively();
        QDir().mkpath(d);
        for (const QString &e : c.existing)
            write(d + e);
        EXPECT_EQ(ModFile::GetUniqueFileName(d + S(c.asked)), d + S(c.expected)) << c.asked;
    }
    // A folder of the name is taken too.
    QDir().mkdir(d + S("r.txt"));
    EXPECT_EQ(ModFile::GetUniqueFileName(d + S("r.txt")), d + S("r_1.txt"));
}

// A dialog that offers multiple selection.
class MultiDialog : public FakeFileDialog
{
public:
    QStringList many;
    QStringList openFiles(const QString &title, const QString &filter,
                          const QString &folder) override
    {
        asked.push_back({title, filter, folder, QString(), false});
        return many;
    }
};

TEST(ModFile, OpenDialog)
{
    const QChar nul(0);
    {
        FakeFileDialog dlg;
        dlg.answer(S("/w/a.xls"));
        QString filter = S("*.xls") + nul + S("*.xls");
        EXPECT_EQ(ModFile::ShowOpenFileDialog(S("/w"), filter, S("打开文件"), 0, false),
                  S("/w/a.xls"));
        ASSERT_EQ(dlg.asked.size(), 1u);
        EXPECT_EQ(dlg.asked[0].filter, S("*.xls|*.xls|所有文件(*.*)|*.*"));
        EXPECT_EQ(dlg.asked[0].folder, S("/w"));
        EXPECT_EQ(dlg.asked[0].title, S("打开文件"));

        dlg.answer(QString());
        EXPECT_EQ(ModFile::ShowOpenFileDialog(QString(), QString(), S("t"), 0, false), QString());
        EXPECT_EQ(dlg.asked[1].filter, S("所有文件(*.*)|*.*"));

        dlg.answer(S("/w/b"));
        QString all = S("Any") + nul + S("*.*") + nul;
        ModFile::ShowOpenFileDialog(QString(), all, S("t"), 0, false);
        EXPECT_EQ(dlg.asked[2].filter, S("Any|*.*"));
    }
    {
        MultiDialog dlg;
        const QString longName = S("/w/") + QString(300, QLatin1Char('n')) + S(".vrk");
        dlg.many = {longName};
        EXPECT_EQ(ModFile::ShowOpenFileDialog(QString(), S("*.vrk"), S("t"), 0, true), longName);
        dlg.many = {S("/w/a.vrk"), S("/w/b.vrk")};
        EXPECT_EQ(ModFile::ShowOpenFileDialog(QString(), S("*.vrk"), S("t"), 0, true),
                  S("/w/a.vrk,/w/b.vrk"));
        dlg.many = {};
        EXPECT_EQ(ModFile::ShowOpenFileDialog(QString(), S("*.vrk"), S("t"), 0x200, false),
                  QString());
        EXPECT_EQ(dlg.asked.size(), 3u);
    }
}

TEST(ClsLogFile, LinesEndInCrLf)
{
    QTemporaryDir tmp;
    const QString f = tmp.path() + S("/log.txt");
    write(f, "old content\r\n");
    {
        ClsLogFile log;
        ASSERT_TRUE(log.SetFileName(f)); // replaces the old file
        log.WriteLine(S("第一行"));
        log.WriteLine(QString());
        log.WriteLine(S("end"));
    } // the object's end closes the file
    EXPECT_EQ(read(f), QString(S("第一行\r\n\r\nend\r\n")).toUtf8());

    ClsLogFile log;
    ASSERT_TRUE(log.CreateFile(f)); // appends
    log.WriteLine(S("more"));
    log.CloseFile();
    EXPECT_EQ(read(f), QString(S("第一行\r\n\r\nend\r\nmore\r\n")).toUtf8());
    EXPECT_EQ(log.lostLines(), 0);

    const QString fresh = tmp.path() + S("/new.txt");
    ASSERT_TRUE(log.CreateFile(fresh)); // created when missing
    log.CloseFile();
    EXPECT_EQ(read(fresh), QByteArray());
}

// A report in a shared folder: another user plants a link at the report's name, pointing at one
// of the victim's files, and keeps planting it while the report is replaced. The replacement
// takes the name itself; the linked file is never written.
TEST(ClsLogFile, ReplacingAReportNeverWritesThroughALinkAtItsName)
{
    QTemporaryDir tmp;
    const QString victim = tmp.path() + S("/thesis.txt");
    write(victim, "years of work\n");
    const QString report = tmp.path() + S("/Sheet1.txt");
    ASSERT_TRUE(QFile::link(victim, report));
    {
        ClsLogFile log;
        ASSERT_TRUE(log.SetFileName(report)); // a link found there is replaced, not followed
        log.WriteLine(S("report"));
    }
    EXPECT_FALSE(QFileInfo(report).isSymLink());
    EXPECT_EQ(read(report), QByteArray("report\r\n"));

    std::atomic<bool> stop{false};
    const QByteArray target = QFile::encodeName(victim), name = QFile::encodeName(report);
    std::thread planter([&] {
        while (!stop.load())
            (void)::symlink(target.constData(), name.constData());
    });
    int written = 0;
    for (int i = 0; i < 3000; ++i) {
        ClsLogFile log;
        if (log.SetFileName(report)) ++written;
        log.WriteLine(S("report"));
    }
    stop = true;
    planter.join();
    EXPECT_EQ(read(victim), QByteArray("years of work\n"));
    EXPECT_GT(written, 0);
}

TEST(ClsLogFile, ClosedFileWritesNothingAndRaisesNothing)
{
    QTemporaryDir tmp;
    const QString f = tmp.path() + S("/log.txt");
    ClsLogFile log;
    log.WriteLine(S("before")); // no file yet
    EXPECT_FALSE(log.isOpen());
    ASSERT_TRUE(log.SetFileName(f));
    log.WriteLine(S("kept"));
    log.CloseFile();
    log.CloseFile(); // twice: nothing
    log.WriteLine(S("after"));
    EXPECT_EQ(read(f), QByteArray("kept\r\n"));
    EXPECT_EQ(log.lostLines(), 1);

    // A path that cannot be created: false, and no file is open afterwards.
    EXPECT_FALSE(log.SetFileName(tmp.path() + S("/missing/log.txt")));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.CreateFile(tmp.path())); // a folder
    EXPECT_FALSE(log.SetFileName(QString()));
    log.WriteLine(S("lost"));
    EXPECT_EQ(log.lostLines(), 1);
}

} // namespace

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/tests/SetupTestEnv.h"

#include <QProcess>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace CorvaleGlobal;

namespace {

class SystemHelpers : public SetupTestEnv
{
};

} // namespace

TEST_F(SystemHelpers, InstallFoldersMustBeAbsoluteAndBelowTheRoot)
{
    struct
    {
        const char *path;
        bool valid;
    } cases[] = {
        {"/opt/Quorva", true}, {"/opt/Quorva/", true}, {"/a/../b", true}, {"/", false},
        {"//", false},         {"/..", false},         {"", false},       {"Quorva", false},
        {"C:\\Quorva", false}, {"/opt/a\nb", false},   {"/../..", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsValidPath(c.path), c.valid) << c.path;
    EXPECT_EQ(CleanAbsolutePath("/../opt//q/./x/../"), "/opt/q");
    EXPECT_EQ(CleanAbsolutePath("/"), "/");
}

TEST_F(SystemHelpers, JoinInsideRefusesPathsThatLeaveTheFolder)
{
    struct
    {
        const char *relative, *joined; // joined null: refused
    } cases[] = {
        {"a.so", "/i/a.so"},      {"bin\\a.so", "/i/bin/a.so"}, {"bin/./a.so", "/i/bin/./a.so"},
        {"..a/b", "/i/..a/b"},    {"../a.so", nullptr},         {"bin\\..\\..\\a.so", nullptr},
        {"/etc/passwd", nullptr}, {"\\etc\\passwd", nullptr},   {"", nullptr},
    };
    for (const auto &c : cases) {
        QString joined, problem;
        const bool ok = JoinInside("/i/", c.relative, &joined, &problem);
        EXPECT_EQ(ok, c.joined != nullptr) << c.relative;
        if (ok)
            EXPECT_EQ(joined, c.joined);
        else
            EXPECT_FALSE(problem.isEmpty());
    }
    QString joined;
    EXPECT_FALSE(JoinInside("/i/", QString("a") + QChar(0) + "b", &joined));
}

TEST_F(SystemHelpers, PathPartsNumbersAndFolders)
{
    QString name;
    EXPECT_EQ(ExtractNameParts("/opt/q/a.so", &name), "/opt/q/");
    EXPECT_EQ(name, "a.so");
    // No folder part gives no folder, not the root.
    EXPECT_EQ(ExtractNameParts("a.so", &name), "");
    EXPECT_EQ(name, "a.so");
    EXPECT_EQ(ExtractNameParts("", &name), "");
    EXPECT_EQ(name, "");

    struct
    {
        const char *text;
        bool ok;
        qint32 value;
    } numbers[] = {
        {"5", true, 5},           {" -12 ", true, -12},     {"$FF", true, 255},
        {"0x10", true, 16},       {"0xFFFFFFFF", true, -1}, {"2147483647", true, INT32_MAX},
        {"2147483648", false, 0}, {"12a", false, 0},        {"", false, 0},
        {"0x", false, 0},         {"1e3", false, 0}};
    for (const auto &n : numbers) {
        qint32 v = 0;
        EXPECT_EQ(TextToInteger(n.text, &v), n.ok) << n.text;
        if (n.ok) {
            EXPECT_EQ(v, n.value) << n.text;
        }
    }

    EXPECT_EQ(GetSystemDir(), systemDir);
    set("QUORVA_SYSTEM_DIR", "");
    EXPECT_EQ(GetSystemDir(), home + "/.local/share/quorva/system");
    set("XDG_DATA_HOME", tmp.filePath("data"));
    EXPECT_EQ(GetSystemDir(), tmp.filePath("data") + "/quorva/system");

    writeFile(source + "/f.bin", QByteArray(1234, 'x'));
    EXPECT_EQ(GetFileSizeOf(source + "/f.bin"), 1234);
    EXPECT_EQ(GetFileSizeOf(source + "/none"), 0);
    EXPECT_EQ(GetFileSizeOf(source), 0);
}

TEST_F(SystemHelpers, CopyReplacesWithoutDisturbingAProgramThatHasTheOldFile)
{
    const QString src = source + "/new.so", dst = tmp.filePath("inst/lib.so");
    writeFile(src, "new contents");
    ::chmod(QFile::encodeName(src).constData(), 0750);
    writeFile(dst, "old contents");
    ::chmod(QFile::encodeName(dst).constData(), 0444);
    // A process that has the old file open (or mapped) keeps reading the old bytes.
    const int held = ::open(QFile::encodeName(dst).constData(), O_RDONLY);
    ASSERT_GE(held, 0);

    QString problem;
    ASSERT_TRUE(CopyFileReplacing(src, dst, false, &problem)) << problem.toStdString();
    EXPECT_EQ(readFile(dst), "new contents");
    char buf[32] = {};
    EXPECT_EQ(::pread(held, buf, sizeof buf, 0), 12);
    EXPECT_STREQ(buf, "old contents");
    ::close(held);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(dst).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0750u);
    EXPECT_EQ(QDir(tmp.filePath("inst")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"lib.so"}); // no temporary file left

    // failIfExists keeps what is there.
    writeFile(src, "newer");
    EXPECT_FALSE(CopyFileReplacing(src, dst, true, &problem));
    EXPECT_EQ(readFile(dst), "new contents");
    // A missing source or target folder fails with a reason and leaves nothing behind.
    EXPECT_FALSE(CopyFileReplacing(source + "/none", dst, false, &problem));
    EXPECT_TRUE(problem.contains("none"));
    EXPECT_FALSE(CopyFileReplacing(src, tmp.filePath("no/such/x"), false, &problem));
    EXPECT_EQ(readFile(dst), "new contents");
}

TEST_F(SystemHelpers, ProgramsAreFoundBesideTheInstallerFirst)
{
    writeFakeProgram(bin + "/qx-tool", "path");
    EXPECT_EQ(FindProgram("qx-tool", source), bin + "/qx-tool");
    writeFakeProgram(source + "/qx-tool", "beside");
    EXPECT_EQ(FindProgram("qx-tool", source), source + "/qx-tool");
    // A file that may not be run does not count.
    writeFile(source + "/qx-other", "data");
    EXPECT_EQ(FindProgram("qx-other", source), "");
}

TEST_F(SystemHelpers, RunAndWaitReportsExitCodesCrashesAndTimeouts)
{
    writeFakeProgram(bin + "/qx-fails", "fails", 5);
    int code = -1;
    QString note;
    ASSERT_TRUE(RunAndWait(bin + "/qx-fails", {"/s", "a b"}, 10000, &code, &note));
    EXPECT_EQ(code, 5);
    EXPECT_EQ(recordLines(), QStringList{"fails [/s] [a b]"});

    writeFile(bin + "/qx-slow", "#!/bin/sh\nexec sleep 20\n");
    QFile::setPermissions(bin + "/qx-slow", QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(RunAndWait(bin + "/qx-slow", {}, 300, &code, &note));
    EXPECT_TRUE(note.contains("did not finish")) << note.toStdString();

    writeFile(bin + "/qx-crash", "#!/bin/sh\nkill -SEGV $$\n");
    QFile::setPermissions(bin + "/qx-crash", QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(RunAndWait(bin + "/qx-crash", {}, 10000, &code, &note));
    EXPECT_TRUE(note.contains("crashed")) << note.toStdString();

    EXPECT_FALSE(RunAndWait(bin + "/none", {}, 1000, &code, &note));
    EXPECT_TRUE(note.contains("not be started")) << note.toStdString();
}

TEST_F(SystemHelpers, KillProcessByNameEndsEveryCopyOfTheProgramAndNothingElse)
{
    // Two copies of a sleeping program under one name in two folders, and one under another.
    const QString name = QString("QxSleeper%1").arg(::getpid());
    const QString other = QString("QxOther%1").arg(::getpid());
    const QStringList copies = {tmp.filePath("a/") + name, tmp.filePath("b/") + name,
                                tmp.filePath("c/") + other};
    QProcess runs[3];
    for (int i = 0; i < 3; ++i) {
        QDir().mkpath(QFileInfo(copies[i]).absolutePath());
        ASSERT_TRUE(QFile::copy("/bin/sleep", copies[i]));
        QFile::setPermissions(copies[i], QFile::ReadOwner | QFile::ExeOwner);
        runs[i].start(copies[i], {"30"});
        ASSERT_TRUE(runs[i].waitForStarted(5000));
    }
    QStringList executables;
    EXPECT_EQ(KillProcessByName(name.toUpper(), &executables), 2);
    executables.sort();
    EXPECT_EQ(executables, copies.mid(0, 2));
    EXPECT_TRUE(runs[0].waitForFinished(5000));
    EXPECT_TRUE(runs[1].waitForFinished(5000));
    EXPECT_EQ(runs[2].state(), QProcess::Running);
    runs[2].kill();
    runs[2].waitForFinished(5000);

    EXPECT_EQ(KillProcessByName(name), 0);
    EXPECT_EQ(KillProcessByName(""), 0);
}

TEST_F(SystemHelpers, DeletingAFileEndsNoProcessUnlessTheFileIsBusy)
{
    const QString name = QString("QxHolder%1").arg(::getpid());
    const QString exe = tmp.filePath("h/") + name;
    QDir().mkpath(tmp.filePath("h"));
    ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
    QProcess holder;
    holder.start(exe, {"30"});
    ASSERT_TRUE(holder.waitForStarted(5000));

    EXPECT_TRUE(DeleteLockedFile(tmp.filePath("missing"), name));
    // A running program's own file can be deleted: nothing needs ending.
    EXPECT_TRUE(DeleteLockedFile(exe, name));
    EXPECT_FALSE(QFileInfo::exists(exe));
    // A folder cannot be deleted as a file, and ending processes would not change that.
    QDir().mkpath(tmp.filePath("dir/x"));
    EXPECT_FALSE(DeleteLockedFile(tmp.filePath("dir"), name));
    EXPECT_EQ(holder.state(), QProcess::Running);
    holder.kill();
    holder.waitForFinished(5000);
}

TEST_F(SystemHelpers, FolderDialogGoesThroughTheInstalledBrowser)
{
    EXPECT_EQ(BrowseForFolder(nullptr, "Pick"), ""); // none installed: cancelled
    QString asked;
    SetFolderBrowser([&](QObject *, const QString &prompt) {
        asked = prompt;
        return QStringLiteral("/opt/elsewhere");
    });
    EXPECT_EQ(BrowseForFolder(nullptr, "Pick"), "/opt/elsewhere");
    EXPECT_EQ(asked, "Pick");
    SetFolderBrowser(nullptr);
}

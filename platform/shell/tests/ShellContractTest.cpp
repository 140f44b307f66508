#include "platform/shell/DesktopEntry.h"
#include "platform/shell/DropFiles.h"
#include "platform/shell/FileDataObject.h"
#include "platform/shell/FileManagerBindings.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MenuBitmap.h"
#include "platform/shell/ShellExecute.h"

#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace shell;

namespace {

TEST(Menu, ItemsGoWhereThePositionSays)
{
    const HMENU m = CreatePopupMenu();
    ASSERT_TRUE(InsertMenu(m, 0, MF_BYPOSITION, 10, QStringLiteral("b")));
    ASSERT_TRUE(InsertMenu(m, 0, MF_BYPOSITION, 11, QStringLiteral("a")));
    ASSERT_TRUE(InsertMenu(m, 99, MF_BYPOSITION | MF_SEPARATOR, 0, QString()));
    ASSERT_TRUE(InsertMenu(m, 10, MF_BYCOMMAND | MF_GRAYED, 12, QStringLiteral("before b")));
    EXPECT_FALSE(InsertMenu(m, 77, MF_BYCOMMAND, 13, QStringLiteral("no such item")));
    ASSERT_EQ(GetMenuItemCount(m), 4);
    const UINT ids[] = {11, 12, 10, 0xFFFFFFFFu};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GetMenuItemID(m, i), ids[i]) << i;
    MenuItem item;
    ASSERT_TRUE(GetMenuItem(m, 1, &item));
    EXPECT_TRUE(item.grayed());
    EXPECT_EQ(item.text, QStringLiteral("before b"));
    EXPECT_TRUE(SetMenuItemBitmaps(m, 10, MF_BYCOMMAND, 5, 6));
    ASSERT_TRUE(GetMenuItem(m, 2, &item));
    EXPECT_EQ(item.uncheckedBitmap, 5u);
    EXPECT_EQ(item.checkedBitmap, 6u);
    EXPECT_TRUE(DestroyMenu(m));
    EXPECT_EQ(GetMenuItemCount(m), -1);
    EXPECT_FALSE(InsertMenu(m, 0, MF_BYPOSITION, 1, QStringLiteral("x")));
    EXPECT_NE(CreatePopupMenu(), m); // handles are not reused
}

TEST(MenuBitmap, StretchedDeletedOnce)
{
    const int base = LiveBitmapCount();
    const HBITMAP src = CreateBitmap(2, 2, {1, 2, 3, 4});
    ASSERT_NE(src, 0u);
    EXPECT_EQ(CreateBitmap(2, 2, {1, 2, 3}), 0u);
    EXPECT_EQ(CreateBitmap(0, 2, {}), 0u);
    const HBITMAP big = StretchBitmap(src, 4, 3);
    int w = 0, h = 0;
    std::vector<quint32> px;
    ASSERT_TRUE(GetBitmapPixels(big, &w, &h, &px));
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(px, (std::vector<quint32>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4}));
    EXPECT_TRUE(DeleteObject(src));
    EXPECT_FALSE(DeleteObject(src));
    EXPECT_FALSE(GetBitmapPixels(src, nullptr, nullptr, nullptr));
    EXPECT_TRUE(DeleteObject(big));
    EXPECT_EQ(LiveBitmapCount(), base);
}

TEST(DropFiles, NamesAreReadWholeOrCutToTheBuffer)
{
    const QString longName =
        QStringLiteral("/") + QString(600, QChar(0x4E2D)) + QStringLiteral(".xlsx");
    auto *data = new FileDataObject({QStringLiteral("/a b/c.xlsx"), longName});
    FORMATETC format;
    format.cfFormat = CF_HDROP;
    STGMEDIUM medium;
    ASSERT_EQ(data->GetData(&format, &medium), com::S_OK);
    auto drop = static_cast<HDROP>(medium.hGlobal);
    EXPECT_EQ(DragQueryFile(drop, DragQueryCount, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFile(drop, 1, nullptr, 0), quint32(longName.size()));
    std::vector<char16_t> buffer(longName.size() + 1);
    EXPECT_EQ(DragQueryFile(drop, 1, buffer.data(), quint32(buffer.size())),
              quint32(longName.size()));
    EXPECT_EQ(QString::fromUtf16(buffer.data()), longName);
    char narrow[8];
    EXPECT_EQ(DragQueryFileA(drop, 0, narrow, sizeof narrow), 7u);
    EXPECT_STREQ(narrow, "/a b/c.");
    EXPECT_EQ(DragQueryFile(drop, 2, buffer.data(), 10), 0u);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(medium.hGlobal, nullptr);

    format.cfFormat = 1; // text
    EXPECT_EQ(data->GetData(&format, &medium), com::DV_E_FORMATETC);
    format.cfFormat = CF_HDROP;
    format.tymed = 4; // a stream
    EXPECT_EQ(data->QueryGetData(&format), com::DV_E_TYMED);
    data->Release();
}

TEST(DesktopEntry, ValuesAndExecArgumentsAreEscapedAsTheFormatAsks)
{
    struct
    {
        const char *path;
        const char *quoted;
    } cases[] = {
        {"/opt/quorva/shellhost", "\"/opt/quorva/shellhost\""},
        {"/opt/my apps/shellhost", "\"/opt/my apps/shellhost\""},
        {"/o$p`t\"/s\\h", "\"/o\\\\$p\\\\`t\\\\\"/s\\\\\\\\h\""},
        {"/100%/shellhost", "\"/100%%/shellhost\""},
        {"/a\nb\tc\rd", "\"/a\\nb\\tc\\rd\""},
        {" lead", "\" lead\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DesktopEntry::execArgument(QString::fromUtf8(c.path)),
                  QString::fromUtf8(c.quoted))
            << c.path;
    EXPECT_EQ(DesktopEntry::stringValue(QStringLiteral(" a\\b\n ")),
              QStringLiteral("\\sa\\\\b\\n "));
    EXPECT_EQ(FileManagerBindings::shellWord(QStringLiteral("/it's here")),
              QStringLiteral("'/it'\\''s here'"));
}

TEST(FileManagerBindings, TheScriptPassesNamesUntouched)
{
    // The script runs as a file manager runs it; a stand-in shellhost prints its arguments.
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("it's shellhost"));
    ASSERT_TRUE(
        TestFiles::write(fake, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done\n"));
    QFile::setPermissions(fake,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString script = dir.filePath(QStringLiteral("Quorva"));
    ASSERT_TRUE(TestFiles::write(script, FileManagerBindings::nautilusScript(fake)));
    QProcess p;
    p.start(QStringLiteral("/bin/sh"),
            {script, QStringLiteral("a b"), QStringLiteral("$(x) `y`"), QStringLiteral("-n")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              QStringLiteral("[--popup][--][a b][$(x) `y`][-n]"));
}

TEST(FileManagerBindings, InstalledFilesAreRemovedOnlyWhenOurs)
{
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    QStringList errors;
    ASSERT_TRUE(FileManagerBindings::install(QStringLiteral("/opt/a=b/shellhost"), &errors) ==
                false);
    // The desktop entry cannot name a program whose path holds "="; the script can.
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(FileManagerBindings::kdeServiceMenuPath()));
    EXPECT_TRUE(QFile::exists(FileManagerBindings::nautilusScriptPath()));
    errors.clear();
    ASSERT_TRUE(FileManagerBindings::install(QStringLiteral("/opt/q/shellhost"), &errors));
    // A link in place of an entry is not ours.
    ASSERT_TRUE(QFile::remove(FileManagerBindings::kdeServiceMenuPath()));
    ASSERT_TRUE(QFile::link(FileManagerBindings::nautilusScriptPath(),
                            FileManagerBindings::kdeServiceMenuPath()));
    errors.clear();
    EXPECT_FALSE(FileManagerBindings::remove(&errors));
    EXPECT_TRUE(QFileInfo(FileManagerBindings::kdeServiceMenuPath()).isSymLink());
    EXPECT_FALSE(QFile::exists(FileManagerBindings::nautilusScriptPath()));
    qputenv("XDG_DATA_HOME", old);
    if (old.isNull()) qunsetenv("XDG_DATA_HOME");
}

TEST(SpawnProgram, ArgumentsArriveAsGivenAndFailuresSayWhy)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString script = dir.filePath(QStringLiteral("record"));
    ASSERT_TRUE(TestFiles::write(
        script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.out\"\n"));
    QFile::setPermissions(script,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString error;
    ASSERT_TRUE(SpawnProgram(
        script, {QStringLiteral("a b"), QStringLiteral("$HOME;x"), QStringLiteral("l?r")}, &error))
        << error.toStdString();
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(script + QStringLiteral(".out")) && t.elapsed() < 20000)
        QThread::msleep(20);
    EXPECT_EQ(TestFiles::read(script + QStringLiteral(".out")), QByteArray("a b|$HOME;x|l?r|"));

    EXPECT_FALSE(SpawnProgram(dir.filePath(QStringLiteral("missing")), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing"))) << error.toStdString();
    ASSERT_TRUE(TestFiles::write(out, "not a program"));
    EXPECT_FALSE(SpawnProgram(out, {}, &error));
    EXPECT_TRUE(error.contains(out)) << error.toStdString();
}

// The desktop's opener as a script on PATH: what it does decides whether the caller hears that
// nothing opened the document.
TEST(ShellOpen, TheCallerHearsWhenTheDesktopCouldNotOpenTheDocument)
{
    struct Case
    {
        const char *what;
        const char *opener; // script body; nullptr = no opener on PATH
        bool failed;
    } cases[] = {
        {"opened", "exit 0", false},
        {"no program for the type", "exit 3", true},
        {"the program failed", "exit 4", true},
        {"killed", "kill -9 $$", true},
        {"no opener at all", nullptr, true},
    };
    const QByteArray oldPath = qgetenv("PATH");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        if (c.opener) {
            const QString script = dir.filePath(QStringLiteral("xdg-open"));
            ASSERT_TRUE(TestFiles::write(script, QByteArray("#!/bin/sh\n") + c.opener + "\n"));
            QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(dir.path()));
        int failures = 0;
        ShellOpen(dir.filePath(QStringLiteral("report.txt")), [&failures] { ++failures; });
        // Long enough for the opener to end and be judged.
        if (c.failed)
            EXPECT_TRUE(QTest::qWaitFor([&] { return failures > 0; }, 10000));
        else
            QTest::qWait(1000);
        EXPECT_EQ(failures, c.failed ? 1 : 0);
    }
    qputenv("PATH", oldPath);
}

} // namespace

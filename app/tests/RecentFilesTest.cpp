#include "app/RecentProjects.h"
#include "app/frmSession.h"
#include "app/tests/MainWindowFixture.h"
#include "core/ClsIni.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using win::vbNo;
using win::vbOK;

class RecentFiles : public MainWindowFixture
{
protected:
    QStringList settingsSection(const QString &name) const
    {
        ClsIni ini;
        ini.setIniFileName(settingsPath());
        QStringList out;
        ini.GetKeys2(name, out);
        return out;
    }
    // The recent items' captions, each with "-" when disabled.
    QStringList recentItems() const
    {
        QStringList out;
        for (QAction *a : window->mnuFileRecentFile)
            out << a->text() + (a->isEnabled() ? "" : "-");
        return out;
    }
    // The recent items as the File menu's submenu shows them.
    QStringList shownItems() const
    {
        QStringList out;
        for (QAction *a : window->mnuFileRecent->actions())
            out << a->text();
        return out;
    }
};

TEST_F(RecentFiles, TheListKeepsTheTenNewestAndMatchesWithoutRegardToCase)
{
    const struct
    {
        const char *what;
        QStringList added, list;
    } cases[] = {
        {"A, B, A", {"/p/a.vrk", "/p/b.vrk", "/p/a.vrk"}, {"/p/a.vrk", "/p/b.vrk"}},
        {"A, B, C, B", {"/a.vrk", "/b.vrk", "/c.vrk", "/b.vrk"}, {"/b.vrk", "/c.vrk", "/a.vrk"}},
        {"another letter case moves and respells",
         {"/p/a.vrk", "/p/b.vrk", "/p/A.VRK"},
         {"/p/A.VRK", "/p/b.vrk"}},
        {"respelled at the front", {"/p/a.vrk", "/p/A.vrk"}, {"/p/A.vrk"}},
        {"eleven drop the oldest",
         {"/1.vrk", "/2.vrk", "/3.vrk", "/4.vrk", "/5.vrk", "/6.vrk", "/7.vrk", "/8.vrk", "/9.vrk",
          "/10.vrk", "/11.vrk"},
         {"/11.vrk", "/10.vrk", "/9.vrk", "/8.vrk", "/7.vrk", "/6.vrk", "/5.vrk", "/4.vrk",
          "/3.vrk", "/2.vrk"}},
        {"an old one comes back to a full list",
         {"/1.vrk", "/2.vrk", "/3.vrk", "/4.vrk", "/5.vrk", "/6.vrk", "/7.vrk", "/8.vrk", "/9.vrk",
          "/10.vrk", "/1.vrk"},
         {"/1.vrk", "/10.vrk", "/9.vrk", "/8.vrk", "/7.vrk", "/6.vrk", "/5.vrk", "/4.vrk", "/3.vrk",
          "/2.vrk"}},
    };
    start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings("");
        window->RefreshRecentFileMenu();
        for (const QString &path : c.added)
            window->AddToRecentFile(path);
        EXPECT_EQ(window->RecentFiles(), c.list);
        // Saved as File0... in list order; the menu shows it after its rebuild.
        window->SaveRecentFileList();
        QStringList expected;
        for (int i = 0; i < c.list.size(); ++i)
            expected << "File" + QString::number(i) + "=" + c.list.at(i);
        EXPECT_EQ(settingsSection("RecentFile"), expected);
        window->RefreshRecentFileMenu();
        ASSERT_EQ(recentItems().size(), c.list.size());
        for (int i = 0; i < c.list.size(); ++i)
            EXPECT_EQ(recentItems().at(i), "&" + QString::number(i + 1) + " " + c.list.at(i));
    }
}

TEST_F(RecentFiles, TheMenuShowsTheSectionsLinesOrNothing)
{
    const struct
    {
        const char *what;
        QByteArray section;
        QStringList items;
    } cases[] = {
        {"no section", "", {"无-"}},
        {"an empty section", "[RecentFile]\r\n", {"无-"}},
        {"only empty values", "[RecentFile]\r\nFile0=\r\n", {"无-"}},
        {"two files",
         "[RecentFile]\r\nFile0=/a.vrk\r\nFile1=/b.vrk\r\n",
         {"&1 /a.vrk", "&2 /b.vrk"}},
        {"key names do not count",
         "[RecentFile]\r\nFile7=/a.vrk\r\nx=/b.vrk\r\n",
         {"&1 /a.vrk", "&2 /b.vrk"}},
        {"a line without \"=\" is a path", "[RecentFile]\r\n  /c d.vrk  \r\n", {"&1 /c d.vrk"}},
        {"the first \"=\" ends the key", "[RecentFile]\r\nFile0=/a=b.vrk\r\n", {"&1 /a=b.vrk"}},
        {"one path in two letter cases",
         "[RecentFile]\r\nFile0=/p/a.vrk\r\nFile1=/P/A.vrk\r\nFile2=/b.vrk\r\n",
         {"&1 /p/a.vrk", "&2 /b.vrk"}},
        {"comments are skipped",
         "[RecentFile]\r\n;File0=/x.vrk\r\nFile1=/y.vrk\r\n",
         {"&1 /y.vrk"}},
        {"an ampersand is shown as itself",
         "[RecentFile]\r\nFile0=/R&D/a.vrk\r\n",
         {"&1 /R&&D/a.vrk"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(c.section);
        start();
        EXPECT_EQ(recentItems(), c.items);
        EXPECT_EQ(shownItems(),
                  QStringList(c.items).replaceInStrings(QRegularExpression("-$"), ""));
        TearDown();
        SetUp();
    }

    // Twelve lines: ten items, the last numbered 10.
    QByteArray twelve = "[RecentFile]\r\n";
    for (int i = 0; i < 12; ++i)
        twelve += "File" + QByteArray::number(i) + "=/f" + QByteArray::number(i) + ".vrk\r\n";
    writeSettings(twelve);
    start();
    ASSERT_EQ(recentItems().size(), 10);
    EXPECT_EQ(recentItems().last(), "&10 /f9.vrk");
    EXPECT_EQ(window->RecentFiles().size(), 10);
}

TEST_F(RecentFiles, CaptionsGiveBackTheirPaths)
{
    for (const QString &path : {QString("/a.vrk"), QString("/R&D/a.vrk"), QString("/a&&b/1 2.vrk"),
                                QString("/工程/月报.vrk")})
        for (int index : {0, 8, 9}) {
            const QString caption = RecentProjects::RecentFileCaption(index, path);
            EXPECT_TRUE(caption.startsWith("&" + QString::number(index + 1) + " "));
            EXPECT_EQ(RecentProjects::RecentFilePath(caption), path) << caption.toStdString();
        }
    EXPECT_EQ(RecentProjects::RecentFilePath("无"), "");
    EXPECT_EQ(RecentProjects::RecentFilePath("&x /a.vrk"), "");
}

TEST_F(RecentFiles, AnItemOpensItsFileOrSaysThatItIsGone)
{
    ASSERT_TRUE(QDir().mkpath(folder() + "R&D"));
    const QString tenth = touch("R&D/j.vrk");
    const QString gone = folder() + "gone.vrk";
    QByteArray section = "[RecentFile]\r\n";
    for (int i = 0; i < 8; ++i)
        section += "File" + QByteArray::number(i) + "=" + QFile::encodeName(folder()) + "f" +
                   QByteArray::number(i) + ".vrk\r\n";
    section +=
        "File8=" + QFile::encodeName(gone) + "\r\nFile9=" + QFile::encodeName(tenth) + "\r\n";
    writeSettings(section);
    start();
    ASSERT_EQ(window->mnuFileRecentFile.size(), 10);

    // Item 10 ("&10 ...", an ampersand in its path) opens its file, which heads the list at once
    // and the menu after a session window has closed.
    window->mnuFileRecentFile.at(9)->trigger();
    settle();
    EXPECT_EQ(sessionNames(), QStringList{tenth});
    EXPECT_EQ(window->RecentFiles().first(), tenth);
    EXPECT_EQ(window->mnuFileRecentFile.at(0)->text(), "&1 " + folder() + "f0.vrk");

    // A file that is gone: the message names it, and the list keeps it.
    boxes.expect(vbOK);
    window->mnuFileRecentFile.at(8)->trigger();
    settle();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].prompt, "文件不存在!\r\nFilename=" + gone);
    EXPECT_EQ(boxes.shown()[0].style, win::vbCritical);
    EXPECT_EQ(boxes.shown()[0].title, "Quorva");
    EXPECT_EQ(sessionNames(), QStringList{tenth});
    EXPECT_TRUE(window->RecentFiles().contains(gone));

    ASSERT_TRUE(session(tenth)->CloseWindow());
    settle();
    EXPECT_EQ(window->mnuFileRecentFile.at(0)->text(), "&1 " + folder() + "R&&D/j.vrk");
    EXPECT_EQ(settingsSection("RecentFile").first(), "File0=" + tenth);
    EXPECT_EQ(settingsSection("RecentFile").size(), 10);
}

// The sessions open when the program closed come back at the next start without arguments:
// those whose files exist, by the names they had after their close questions.
TEST_F(RecentFiles, ASessionWhoseFileExistsComesBackAtTheNextStart)
{
    const QString a = touch("a.vrk");
    const QString b = touch("b.vrk");
    const QString c = touch("c.vrk");
    start();
    window->OpenSessionWindow(a);
    window->OpenSessionWindow(QString()); // "New Project 1"
    window->OpenSessionWindow(b);
    window->OpenSessionWindow(c);
    settle();
    // The untitled window is not saved.
    boxes.expect(vbNo);
    ASSERT_TRUE(quit());
    EXPECT_EQ(settingsSection("RecentOpen"),
              (QStringList{"File0=" + a, "File1=New Project 1", "File2=" + b, "File3=" + c}));

    // One file has gone; a file named like the untitled window lies in the working folder.
    ASSERT_TRUE(QFile::remove(b));
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder()));
    touch("New Project 1");
    start();
    QDir::setCurrent(old);
    EXPECT_EQ(sessionNames(), (QStringList{a, c}));
    EXPECT_EQ(projectListTexts(), (QStringList{"a.vrk", "c.vrk"}));
    EXPECT_TRUE(boxes.shown().size() == 1u) << "only the first run's question";
    EXPECT_EQ(window->RecentFiles().mid(0, 2), (QStringList{c, a}));
    ASSERT_TRUE(quit());

    // Lines are trimmed and taken after their first "="; a start with arguments reopens nothing.
    writeSettings("[RecentOpen]\r\n  File0=" + QFile::encodeName(c) + "  \r\n" +
                  QFile::encodeName(a) + "\r\n");
    start("\"" + c + "\"");
    EXPECT_EQ(sessionNames(), QStringList{c});
    ASSERT_TRUE(quit());
    start();
    EXPECT_EQ(sessionNames(), QStringList{c}) << "the last close recorded only c";
    ASSERT_TRUE(quit());
    writeSettings("[RecentOpen]\r\n  File0=" + QFile::encodeName(c) + "  \r\n" +
                  QFile::encodeName(a) + "\r\n");
    start();
    EXPECT_EQ(sessionNames(), (QStringList{c, a}));
}

// A session that refuses to close keeps the program running; the list records every window as
// it is then.
TEST_F(RecentFiles, ARefusedCloseStillRecordsTheSessions)
{
    const QString a = touch("a.vrk");
    start();
    window->OpenSessionWindow(a);
    window->OpenSessionWindow(QString());
    settle();
    boxes.expect(win::vbCancel);
    EXPECT_FALSE(quit());
    EXPECT_EQ(settingsSection("RecentOpen"), (QStringList{"File0=" + a, "File1=New Project 1"}));
    EXPECT_EQ(sessionNames(), QStringList{"New Project 1"});
}

} // namespace

#include "core/ClsIni.h"

#include "platform/text/BasicError.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Ini : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ClsIni ini;
    void SetUp() override { ini.setIniFileName(dir.filePath("s.ini")); }
    void put(const char *bytes) { ASSERT_TRUE(TestFiles::write(ini.IniFileName(), bytes)); }
    std::string bytes() const { return TestFiles::read(ini.IniFileName()).toStdString(); }
};

TEST_F(Ini, ReadStringWritesTheDefaultBackWhenMissingOrEmpty)
{
    EXPECT_EQ(ini.ReadString("OPTION", "LastOpenPath", "/home/"), "/home/");
    EXPECT_EQ(bytes(), "[OPTION]\r\nLastOpenPath=/home/\r\n"); // the file is created
    EXPECT_EQ(ini.ReadString("option", "lastopenpath", "/other/"), "/home/");

    put("; keep me\r\n[OPTION]\r\nLanguage=\r\nLastOpenPath = /x/ \r\n");
    EXPECT_EQ(ini.ReadString("OPTION", "Language", "ChineseS.Lan"), "ChineseS.Lan");
    EXPECT_EQ(ini.ReadString("OPTION", "LastOpenPath", "/d/"), "/x/");
    EXPECT_EQ(ini.ReadString("OPTION", "Empty", ""), "");
    EXPECT_EQ(bytes(), "; keep me\r\n[OPTION]\r\nLanguage=ChineseS.Lan\r\nLastOpenPath = /x/ \r\n"
                       "Empty=\r\n");
}

TEST_F(Ini, NumbersCarryABlankWhenNotNegativeAndReadNumNeverWrites)
{
    struct
    {
        int value;
        const char *line;
    } cases[] = {{5, "k= 5"},
                 {0, "k= 0"},
                 {-1, "k=-1"},
                 {2147483647, "k= 2147483647"},
                 {int(-2147483648LL), "k=-2147483648"}};
    for (auto c : cases) {
        QFile::remove(ini.IniFileName());
        ASSERT_TRUE(ini.WriteNum("S", "k", c.value));
        EXPECT_EQ(bytes(), std::string("[S]\r\n") + c.line + "\r\n");
        EXPECT_EQ(ini.ReadNum("s", "K", 77), c.value);
        QStringList lines;
        ini.GetKeys2("S", lines);
        EXPECT_EQ(lines, QStringList(c.line)); // the blank stays in the raw line
    }
    const std::string before = bytes();
    EXPECT_EQ(ini.ReadNum("S", "missing", 12), 12);
    EXPECT_EQ(bytes(), before);
    QFile::remove(ini.IniFileName());
    EXPECT_EQ(ini.ReadNum("S", "k", -3), -3);
    EXPECT_FALSE(QFile::exists(ini.IniFileName()));
}

TEST_F(Ini, ValidityAndCombinedPaths)
{
    EXPECT_FALSE(ini.IsValid());
    ini.WriteString("a", "b", "c");
    EXPECT_TRUE(ini.IsValid());
    ClsIni other;
    EXPECT_FALSE(other.IsValid());
    other.setIniFileName(dir.path());
    EXPECT_FALSE(other.IsValid()); // a folder is no file

    struct
    {
        const char *folder, *name, *path;
    } cases[] = {{"/a/b//", "//c.ini", "/a/b/c.ini"},
                 {"/a/b", "c.ini", "/a/b/c.ini"},
                 {"", "c.ini", "/c.ini"}};
    for (auto c : cases) {
        other.CreateIni(c.folder, c.name);
        EXPECT_EQ(other.IniFileName().toStdString(), c.path);
    }
}

TEST_F(Ini, ListsSectionsAndEntries)
{
    QStringList out{"stale"};
    EXPECT_EQ(ini.GetSectionNames(out), 0);
    EXPECT_TRUE(out.isEmpty());
    put("[First]\r\na=1\r\n; note\r\nb = 2\r\n[Second]\r\nc=3\r\n");
    EXPECT_EQ(ini.GetSectionNames(out), 2);
    EXPECT_EQ(out, QStringList({"First", "Second"}));
    EXPECT_EQ(ini.GetKeys("first", out), 2);
    EXPECT_EQ(out, QStringList({"a=1", "b = 2"}));
    EXPECT_EQ(ini.GetKeys("none", out), 0);

    ini.DelKey("FIRST", "A");
    ini.DelSection("second");
    EXPECT_EQ(bytes(), "[First]\r\n; note\r\nb = 2\r\n");
}

TEST_F(Ini, GetKeys2ReadsTheFirstOccurrenceOfTheSection)
{
    put("[Other]\r\nx=0\r\n[RecentFile]\r\n  File0 = /a b/p.vrk  \r\n; comment\r\n\r\n"
        "File1=/q.vrk\r\n[Next]\r\ny=1\r\n[recentfile]\r\nFile2=/late.vrk\r\n");
    QStringList out{"stale"};
    EXPECT_EQ(ini.GetKeys2("recentfile", out), 2);
    EXPECT_EQ(out, QStringList({"File0 = /a b/p.vrk", "File1=/q.vrk"}));
    EXPECT_EQ(ini.GetKeys2("Missing", out), 0);
    ini.setIniFileName(dir.filePath("none.ini"));
    EXPECT_EQ(ini.GetKeys2("RecentFile", out), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(Ini, OversizedFilesAreRefusedAndLeftWhole)
{
    put("[A]\r\nx=1\r\n");
    QFile f(ini.IniFileName());
    ASSERT_TRUE(f.resize(33 * 1024 * 1024)); // sparse: cheap to make
    EXPECT_EQ(ini.ReadString("A", "x", "dflt"), "dflt");
    EXPECT_FALSE(ini.WriteString("A", "x", "2"));
    EXPECT_EQ(f.size(), 33 * 1024 * 1024);
    EXPECT_TRUE(TestFiles::read(ini.IniFileName()).startsWith("[A]\r\nx=1\r\n"));
    QStringList out;
    try {
        ini.GetKeys2("A", out);
        FAIL() << "no error";
    } catch (const BasicError &e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_TRUE(e.description().contains(ini.IniFileName()));
    }
}

TEST_F(Ini, ReadsGb18030FilesAndTwoObjectsSeeEachOthersWrites)
{
    // "[frmMain]\r\ncmdOK=确定\r\n" with the value in GB18030 (C8 B7 B6 A8).
    put("[frmMain]\r\ncmdOK=\xC8\xB7\xB6\xA8\r\n");
    EXPECT_EQ(ini.ReadString("frmMain", "cmdOK", "x"), "确定");
    QStringList out;
    ini.GetKeys2("frmMain", out);
    EXPECT_EQ(out, QStringList("cmdOK=确定"));

    ClsIni second;
    second.setIniFileName(ini.IniFileName());
    second.WriteString("frmMain", "cmdOK", "OK");
    EXPECT_EQ(ini.ReadString("frmMain", "cmdOK", "x"), "OK");
}

} // namespace

#include "core/ClsCmdParaParse.h"
#include "core/ClsOption.h"

#include "platform/text/BasicError.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ClsOption, ReadsAndSavesTheSettingsFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Quorvex.ini");
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(file);
    struct
    {
        const char *contextMenuLine; // "" for no key
        bool startOn;
        bool expected;
    } cases[] = {
        {"ContextMenu= 0", true, false},
        {"ContextMenu=-1", false, true},
        {"ContextMenu= 5", false, true},
        {"", true, true},
        {"", false, false},
    };
    for (auto c : cases) {
        QByteArray text = "[Explorer]\r\n";
        if (*c.contextMenuLine) text += QByteArray(c.contextMenuLine) + "\r\n";
        ASSERT_TRUE(TestFiles::write(file, text));
        ClsOption opt;
        opt.setContextMenu(c.startOn);
        opt.SetRecorder(ini);
        opt.ReadFromFile();
        EXPECT_EQ(opt.ContextMenu(), c.expected) << c.contextMenuLine;
        EXPECT_EQ(opt.LanguageFileName(), "ChineseS.Lan");
        // Reading writes the language key (missing) but never the number.
        EXPECT_EQ(TestFiles::read(file), text + "[OPTION]\r\nLanguage=ChineseS.Lan\r\n");
    }

    ClsOption opt;
    opt.SetRecorder(ini);
    opt.setContextMenu(true);
    opt.setLanguageFileName("English.Lan");
    opt.Save2File();
    EXPECT_EQ(TestFiles::read(file).toStdString(),
              "[Explorer]\r\nContextMenu=-1\r\n[OPTION]\r\nLanguage=English.Lan\r\n");
    opt.setContextMenu(false);
    opt.Save2File();
    opt.setLanguageFileName("x");
    opt.ReadFromFile();
    EXPECT_FALSE(opt.ContextMenu());
    EXPECT_EQ(opt.LanguageFileName(), "English.Lan");
    EXPECT_EQ(opt.MaxRowNum(), 65536);

    ClsOption unbound;
    EXPECT_THROW(unbound.ReadFromFile(), BasicError);
}

class CommandLine : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString left, right;
    void SetUp() override
    {
        QDir().mkpath(dir.filePath("my files"));
        left = dir.filePath("my files/left book.xlsx");
        right = dir.filePath("right.xlsx");
        TestFiles::write(left, "x");
        TestFiles::write(right, "x");
    }
    static ClsCmdParaParse parse(const QString &text)
    {
        ClsCmdParaParse p;
        p.Initialize(text);
        return p;
    }
};

TEST_F(CommandLine, ParsesEveryForm)
{
    const QString missing = dir.filePath("gone.xlsx");
    const QString vrkDir = dir.filePath("a.vrk.d/p q.xlsx"); // holds ".vrk" but is no project
    struct
    {
        QString text;
        QString project, left, right;
        bool autoRun;
    } cases[] = {
        {"\"/home/u/my projects/a b.vrk\"", "/home/u/my projects/a b.vrk", "", "", false},
        {"/home/u/my projects/a b.vrk", "/home/u/my projects/a b.vrk", "", "", false},
        {"/p/a.vrk /A", "/p/a.vrk", "", "", true},
        {"/p/a.vrk /a", "/p/a.vrk", "", "", false},
        {"/p/a.VRK /x /A", "/p/a.VRK", "", "", true},
        {"/p/a.txt", "", "", "", false},
        {"/data/q /x.vrk", "/data/q /x.vrk", "", "", false}, // " /" inside a path
        {left + "?" + right, "", left, right, false},
        {left + "?" + right + " /A", "", left, right, true},
        {left + "?" + missing, "", "", "", false},
        {"\"" + left + "\"?\"" + right + "\"", "", "", "", false}, // quotes are not removed
        {left + "?" + vrkDir + " /A", "", "", "", true},           // a pair, never a project
        {left + "?/x/p.vrk", "", "", "", false},
    };
    for (const auto &c : cases) {
        const ClsCmdParaParse p = parse(c.text);
        EXPECT_EQ(p.PrjFileName(), c.project) << c.text.toStdString();
        EXPECT_EQ(p.LeftFileName(), c.left) << c.text.toStdString();
        EXPECT_EQ(p.RightFileName(), c.right) << c.text.toStdString();
        EXPECT_EQ(p.AutoRun(), c.autoRun) << c.text.toStdString();
    }
}

TEST_F(CommandLine, JoinsArgumentsWithSingleBlanks)
{
    // What the shell hands over after "Quorva '<left>?<right>' /A".
    const QString line = ClsCmdParaParse::JoinArguments({left + "?" + right, "/A"});
    const ClsCmdParaParse p = parse(line);
    EXPECT_EQ(p.LeftFileName(), left);
    EXPECT_EQ(p.RightFileName(), right);
    EXPECT_TRUE(p.AutoRun());
    EXPECT_EQ(ClsCmdParaParse::JoinArguments({"/p/a b.vrk"}), "/p/a b.vrk");
    EXPECT_EQ(ClsCmdParaParse::JoinArguments({}), "");

    // AutoRun set earlier is kept by a line without the switch.
    ClsCmdParaParse q;
    q.setAutoRun(true);
    q.Initialize("/p/a.vrk");
    EXPECT_TRUE(q.AutoRun());
}

} // namespace

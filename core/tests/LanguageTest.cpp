#include "core/ClsLanguage.h"
#include "core/ProcessGlobals.h"

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

// A window of hand-made controls whose captions live in a map.
struct FakeWindow
{
    std::map<QString, QString> captions;
    LanguageForm form{"frmTest"};

    void add(const QString &name, LanguageForm::Kind kind, const QString &caption, int index = -1)
    {
        const QString id = index < 0 ? name : name + QString::number(index);
        captions[id] = caption;
        form.add(
            name, kind, [this, id] { return captions[id]; },
            [this, id](const QString &text) { captions[id] = text; }, index);
    }
};

class Language : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString langFile;
    void SetUp() override
    {
        g_AppPath = dir.path() + "/";
        g_Options.reset();
        QDir().mkpath(dir.filePath("Lang"));
        langFile = dir.filePath("Lang/ChineseS.Lan");
    }
    void TearDown() override
    {
        g_AppPath.clear();
        g_Options.reset();
    }
};

TEST_F(Language, FillsAMissingFileWithTheBuiltInCaptions)
{
    FakeWindow w;
    w.add("mnuFile", LanguageForm::Menu, "文件(&F)");
    w.add("mnuLine1", LanguageForm::Menu, "-");
    w.add("cmdOK", LanguageForm::CommandButton, "确定");
    w.add("txtName", LanguageForm::Other, "typed text");
    w.add("lblName", LanguageForm::Label, "名称");
    w.add("fraBox", LanguageForm::Frame, "选项");
    w.add("chkA", LanguageForm::CheckBox, "A");
    w.add("optB", LanguageForm::OptionButton, "B");
    ClsLanguage lang;
    EXPECT_EQ(lang.fileName(), langFile);
    lang.LoadLanguageOfForm(w.form);
    EXPECT_EQ(TestFiles::read(langFile),
              QStringLiteral("[frmTest]\r\nmnuFile=文件(&F)\r\ncmdOK=确定\r\n"
                             "lblName=名称\r\nfraBox=选项\r\nchkA=A\r\n"
                             "optB=B\r\n")
                  .toUtf8());
    EXPECT_EQ(w.captions["txtName"], "typed text");
    // Loading again in the same language changes nothing.
    const QByteArray before = TestFiles::read(langFile);
    lang.LoadLanguageOfForm(w.form);
    EXPECT_EQ(TestFiles::read(langFile), before);
}

TEST_F(Language, ReplacesCaptionsFromTheFileAndHonoursTheSkipList)
{
    ASSERT_TRUE(TestFiles::write(langFile, "[FRMTEST]\r\ncmdOK=OK\r\nlblName=\r\nmnuLine1=x\r\n"
                                           "MNUfileLINE=y\r\nmnuLin=Lin\r\nmnuOutline=z\r\n"
                                           "chkSkip=no\r\ntxtName=no\r\nOpt=first\r\n"));
    FakeWindow w;
    w.add("cmdOK", LanguageForm::CommandButton, "确定");
    w.add("lblName", LanguageForm::Label, "名称");
    w.add("mnuLine1", LanguageForm::Menu, "-");
    w.add("MNUfileLINE", LanguageForm::Menu, "-");
    w.add("mnuLin", LanguageForm::Menu, "L");
    w.add("mnuOutline", LanguageForm::Menu, "O");
    w.add("chkSkip", LanguageForm::CheckBox, "keep");
    w.add("txtName", LanguageForm::Other, "text");
    w.add("Opt", LanguageForm::OptionButton, "zero", 0);
    w.add("Opt", LanguageForm::OptionButton, "one", 1);
    ClsLanguage lang;
    lang.SkipControlByName("CHKSKIP");
    lang.LoadLanguageOfForm(w.form);
    struct
    {
        const char *id, *caption;
    } expected[] = {
        {"cmdOK", "OK"},   {"lblName", "名称"}, {"mnuLine1", "-"},   {"MNUfileLINE", "-"},
        {"mnuLin", "Lin"}, {"mnuOutline", "O"}, {"chkSkip", "keep"}, {"txtName", "text"},
        {"Opt0", "first"}, {"Opt1", "first"}, // elements of an array share one key
    };
    for (auto e : expected)
        EXPECT_EQ(w.captions[e.id].toStdString(), e.caption) << e.id;
    // The empty key was treated as missing and got the built-in caption.
    EXPECT_EQ(lang.ReadString("frmTest", "lblName", "other"), "名称");
    EXPECT_TRUE(lang.isSkipped("mnuLine1"));
    EXPECT_FALSE(lang.isSkipped("mnuLin"));

    // Arrays whose elements differ are skipped and read by index keys.
    lang.SkipControls({"Opt"});
    w.captions["Opt0"] = "zero";
    lang.LoadLanguageOfForm(w.form);
    EXPECT_EQ(w.captions["Opt0"], "zero");
    EXPECT_EQ(lang.ReadString("frmTest", "Opt1", "one"), "one");
}

TEST_F(Language, InitFollowsTheOptionsAndMissingFoldersAreNoError)
{
    CurrentOptions().setLanguageFileName("English.Lan");
    ClsLanguage lang;
    EXPECT_EQ(lang.fileName(), dir.filePath("Lang/English.Lan"));
    g_Options->setLanguageFileName("Other.Lan");
    lang.Init();
    EXPECT_EQ(lang.fileName(), dir.filePath("Lang/Other.Lan"));

    g_AppPath = dir.filePath("nowhere") + "/";
    lang.Init();
    FakeWindow w;
    w.add("cmdOK", LanguageForm::CommandButton, "确定");
    lang.LoadLanguageOfForm(w.form);
    EXPECT_EQ(w.captions["cmdOK"], "确定");
    EXPECT_EQ(lang.ReadString("frmTest", "Msg", "默认"), "默认");
    EXPECT_FALSE(QFile::exists(lang.fileName()));
}

} // namespace

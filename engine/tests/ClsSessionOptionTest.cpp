#include "engine/ClsSessionOption.h"
#include "core/ClsIni.h"
#include "core/ClsMap.h"
#include "engine/tests/FakeSheetList.h"
#include "platform/ini/ProfileFile.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString fileText(const QString &path)
{
    return QString::fromUtf8(TestFiles::read(path));
}

} // namespace

TEST(ClsSessionOption, Defaults)
{
    ClsSessionOption o;
    EXPECT_TRUE(o.IgnoreCase_Key());
    EXPECT_TRUE(o.IgnoreCase_Text());
    EXPECT_TRUE(o.UseTrimForKey());
    EXPECT_EQ(o.CompareItem(), 1);
    EXPECT_TRUE(o.IsCompareData());
    EXPECT_TRUE(o.IsOnlyCompareData());
    EXPECT_FALSE(o.IsCompareNone());
    EXPECT_EQ(o.CompareMethod(), 2);
    EXPECT_EQ(o.RowHeight(), 30);
    EXPECT_EQ(o.CreatePairMethod(), 1);
    EXPECT_EQ(o.ShowDiffMethod(), 1);
    EXPECT_EQ(o.MaxRowNum(), 65536);
    EXPECT_TRUE(o.CompareAllCol());
    EXPECT_TRUE(o.SameToLeft());
    EXPECT_TRUE(o.ModifyRowHeight());
    EXPECT_FALSE(o.UseScript());
    EXPECT_EQ(o.DiffSheetName(), QStringLiteral("差异的行"));
    EXPECT_EQ(o.LeftSingleSheetName(), QStringLiteral("左边孤立的行"));
    EXPECT_EQ(o.RightSingleSheetName(), QStringLiteral("右边孤立的行"));
    // Reports are named after their sheets: in the shared temporary folder another user could
    // plant links at those names, so the default is the user's own folder there.
    EXPECT_TRUE(o.ReportPath().endsWith(QStringLiteral("/quorva-%1/").arg(::geteuid())))
        << o.ReportPath().toStdString();
    EXPECT_TRUE(QDir(o.ReportPath()).exists());
}

TEST(ClsSessionOption, CompareItemBits)
{
    struct Case
    {
        int items;
        bool data, only, formula, comment, none;
    };
    const Case cases[] = {
        {0, false, false, false, false, true}, {1, true, true, false, false, false},
        {2, false, false, true, false, false}, {3, true, false, true, false, false},
        {4, false, false, false, true, false}, {6, false, false, true, true, false},
        {7, true, false, true, true, false},
    };
    for (const Case &c : cases) {
        ClsSessionOption o;
        o.setCompareItem(c.items);
        EXPECT_EQ(o.IsCompareData(), c.data) << c.items;
        EXPECT_EQ(o.IsOnlyCompareData(), c.only) << c.items;
        EXPECT_EQ(o.IsCompareFormula(), c.formula) << c.items;
        EXPECT_EQ(o.IsComparePostil(), c.comment) << c.items;
        EXPECT_EQ(o.IsCompareNone(), c.none) << c.items;
    }
}

TEST(ClsSessionOption, ReportPathAndScriptName)
{
    ClsSessionOption o;
    o.setReportPath(QStringLiteral("/srv/reports"));
    EXPECT_EQ(o.ReportPath(), QStringLiteral("/srv/reports/"));
    o.setReportPath(QStringLiteral("/srv/reports/"));
    EXPECT_EQ(o.ReportPath(), QStringLiteral("/srv/reports/"));
    o.setReportPath(QString());
    EXPECT_NE(o.ReportPath(), QStringLiteral("/"));
    EXPECT_TRUE(o.ReportPath().endsWith(QLatin1Char('/')));

    const struct
    {
        const char *name;
        bool ok;
    } names[] = {
        {"", true},          {"trim.vbs", true},     {"我的 脚本.vbs", true}, {"..", false},
        {".", false},        {"../evil.vbs", false}, {"/etc/x.vbs", false},   {"sub/x.vbs", false},
        {"a\\b.vbs", false}, {"..vbs", true}};
    for (const auto &n : names) {
        ClsSessionOption s;
        s.setScriptFileName(QStringLiteral("keep.vbs"));
        EXPECT_EQ(s.setScriptFileName(QString::fromUtf8(n.name)), n.ok) << n.name;
        EXPECT_EQ(s.ScriptFileName(), n.ok ? QString::fromUtf8(n.name) : QStringLiteral("keep.vbs"))
            << n.name;
    }
}

TEST(ClsSessionOption, SelectionAndPairs)
{
    FakeSheetList left({QStringLiteral("Sheet1"), QStringLiteral("Data"), QStringLiteral("Notes")});
    FakeSheetList right(
        {QStringLiteral("data"), QStringLiteral("Summary"), QStringLiteral("Sheet1")});
    ClsSessionOption o;
    o.SetLeftSheetsOwner(&left);
    o.SetRightSheetsOwner(&right);
    o.SetSelected();
    EXPECT_FALSE(o.IsSelectedOk());
    o.CreateComparePair();
    EXPECT_EQ(o.GetComparePair().count(), 0);

    for (int i = 1; i <= 3; ++i) {
        left.setSelected(i, true);
        right.setSelected(i, true);
    }
    o.SetSelected();
    EXPECT_TRUE(o.IsSelectedOk());
    EXPECT_EQ(o.leftSelected().GetValue(QStringLiteral("Notes")), QStringLiteral("3"));
    o.CreateComparePair();
    ClsMap &pairs = o.GetComparePair();
    ASSERT_EQ(pairs.count(), 3);
    EXPECT_EQ(pairs.GetKey(2), QStringLiteral("Notes"));
    EXPECT_EQ(pairs.GetValue(QStringLiteral("Notes")), QStringLiteral("Summary"));
    EXPECT_EQ(pairs.GetValue(QStringLiteral("Data")), QStringLiteral("Data"));

    o.setCreatePairMethod(0);
    o.CreateComparePair();
    EXPECT_EQ(o.GetComparePair().count(), 3);
    EXPECT_EQ(o.GetComparePair().GetValue(QStringLiteral("Sheet1")), QStringLiteral("data"));
}

TEST(ClsSessionOption, ProjectFileRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.vrk"));
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);

    FakeSheetList left({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                        QStringLiteral("d"), QStringLiteral("e")});
    FakeSheetList right({QStringLiteral("x"), QStringLiteral("y")});
    left.setSelected(2, true);
    left.setSelected(5, true);

    ClsSessionOption o;
    o.SetRecorder(ini);
    o.SetLeftSheetsOwner(&left);
    o.SetRightSheetsOwner(&right);
    o.setIgnoreCase_Key(false);
    o.setIgnoreCase_Text(false);
    o.setDealMerge(true);
    o.setTabIndex(1);
    o.setCompareMethod(1);
    o.setCompareItem(6);
    o.setUseTrimForKey(false);
    o.setSameToLeft(false);
    o.setLeftName(QStringLiteral("旧版"));
    o.setRightName(QStringLiteral("new"));
    o.setCompareAllCol(false);
    o.setCreatePairMethod(0);
    o.setReportPath(dir.path());
    o.setModifyRowHeight(false);
    o.setRowHeight(0);
    o.setColorDiffCell(true);
    o.setDiffSheetName(QStringLiteral("D"));
    o.setLeftSingleSheetName(QStringLiteral("L"));
    o.setRightSingleSheetName(QStringLiteral("R"));
    o.setUseScript(true);
    o.setScriptFileName(QStringLiteral("trim.vbs"));
    EXPECT_TRUE(o.Save2File());

    const QString text = fileText(path);
    for (const char *line :
         {"IgnoreCase_Key= 0", "DealMerge=-1", "TabIndex= 1", "CompareItem= 6", "RowHeight= 0",
          "CompareAllCol=False", "CreatePairMethod=0", "sheet0=2", "sheet1=5", "UseScript=-1",
          "ScriptFileName=trim.vbs", "LeftName=旧版"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << qPrintable(text);
    }
    EXPECT_FALSE(text.contains(QStringLiteral("[RightSheets]")));
    EXPECT_FALSE(text.contains(QStringLiteral("0sheet")));

    auto ini2 = std::make_shared<ClsIni>();
    ini2->setIniFileName(path);
    FakeSheetList left2(left.items());
    FakeSheetList right2(right.items());
    right2.setSelected(1, true);
    ClsSessionOption r;
    r.SetRecorder(ini2);
    r.SetLeftSheetsOwner(&left2);
    r.SetRightSheetsOwner(&right2);
    r.ReadFromFile();
    EXPECT_TRUE(r.readProblems().isEmpty());
    EXPECT_FALSE(r.IgnoreCase_Key());
    EXPECT_FALSE(r.IgnoreCase_Text());
    EXPECT_FALSE(r.DealMerge()); // the session window reads it
    EXPECT_EQ(r.TabIndex(), 1);
    EXPECT_EQ(r.CompareMethod(), 1);
    EXPECT_EQ(r.CompareItem(), 6);
    EXPECT_FALSE(r.UseTrimForKey());
    EXPECT_FALSE(r.SameToLeft());
    EXPECT_EQ(r.LeftName(), QStringLiteral("旧版"));
    EXPECT_EQ(r.RightName(), QStringLiteral("new"));
    EXPECT_FALSE(r.CompareAllCol());
    EXPECT_EQ(r.CreatePairMethod(), 0);
    EXPECT_EQ(r.ReportPath(), dir.path() + QLatin1Char('/'));
    EXPECT_FALSE(r.ModifyRowHeight());
    EXPECT_EQ(r.RowHeight(), 0);
    EXPECT_TRUE(r.ColorDiffCell());
    EXPECT_EQ(r.DiffSheetName(), QStringLiteral("D"));
    EXPECT_EQ(r.LeftSingleSheetName(), QStringLiteral("L"));
    EXPECT_EQ(r.RightSingleSheetName(), QStringLiteral("R"));
    EXPECT_TRUE(r.UseScript());
    EXPECT_EQ(r.ScriptFileName(), QStringLiteral("trim.vbs"));

    r.ShowSelected();
    EXPECT_EQ(left2.selectedIndexes(), (QList<int>{2, 5}));
    EXPECT_TRUE(right2.selectedIndexes().isEmpty());

    // Saving again with another selection replaces the section whole.
    left2.setSelected(2, false);
    r.Save2File();
    const QString again = fileText(path);
    EXPECT_TRUE(again.contains(QStringLiteral("sheet0=5")));
    EXPECT_FALSE(again.contains(QStringLiteral("sheet1=")));
}

TEST(ClsSessionOption, MissingKeysKeepValuesAndGainDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bare.vrk"));
    ASSERT_TRUE(TestFiles::write(path, "[LEFT]\r\nLeftFileName=a.xlsx\r\n"));
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);
    ClsSessionOption o;
    o.SetRecorder(ini);
    o.setLeftName(QStringLiteral("L"));
    o.setCompareAllCol(false);
    o.setCreatePairMethod(0);
    o.setCompareMethod(1);
    o.setRowHeight(44);
    o.ReadFromFile();
    EXPECT_EQ(o.LeftName(), QStringLiteral("L"));
    EXPECT_FALSE(o.CompareAllCol());
    EXPECT_EQ(o.CreatePairMethod(), 0);
    EXPECT_EQ(o.CompareMethod(), 1);
    EXPECT_EQ(o.RowHeight(), 44);
    EXPECT_TRUE(o.readProblems().isEmpty());
    EXPECT_EQ(
        ini->ReadString(QStringLiteral("Option"), QStringLiteral("LeftName"), QStringLiteral("?")),
        QStringLiteral("L"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("Option"), QStringLiteral("CompareAllCol"),
                              QStringLiteral("?")),
              QStringLiteral("False"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("Option"), QStringLiteral("CreatePairMethod"),
                              QStringLiteral("?")),
              QStringLiteral("0"));
    EXPECT_TRUE(fileText(path).contains(QStringLiteral("LeftFileName=a.xlsx")));
}

TEST(ClsSessionOption, UntrustedValuesAreRefusedAndNamed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.vrk"));
    ASSERT_TRUE(TestFiles::write(path, "[Option]\r\nCompareAllCol=maybe\r\nCreatePairMethod=x\r\n"
                                       "[LeftSheets]\r\nsheet0= 3\r\n; a comment\r\n"
                                       "[XlsReport]\r\nDiffSheetName=a:b\r\n"
                                       "RightSingleSheetName=0123456789012345678901234567890X\r\n"
                                       "[Script]\r\nUseScript=-1\r\n"
                                       "ScriptFileName=../../bin/evil.vbs\r\n"));
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);
    ClsSessionOption o;
    o.SetRecorder(ini);
    o.ReadFromFile();
    EXPECT_TRUE(o.CompareAllCol());
    EXPECT_EQ(o.CreatePairMethod(), 1);
    EXPECT_EQ(o.ScriptFileName(), QString());
    // Report sheet names no workbook takes would fail every comparison at its report.
    EXPECT_EQ(o.DiffSheetName(), QString::fromUtf8("差异的行"));
    EXPECT_EQ(o.RightSingleSheetName(), QString::fromUtf8("右边孤立的行"));
    ASSERT_EQ(o.readProblems().size(), 5);
    EXPECT_TRUE(o.readProblems().at(0).contains(QStringLiteral("maybe")));
    EXPECT_TRUE(o.readProblems().at(2).contains(QStringLiteral("DiffSheetName=a:b")));
    EXPECT_TRUE(o.readProblems().at(4).contains(QStringLiteral("../../bin/evil.vbs")));
    EXPECT_TRUE(o.readProblems().at(4).contains(path));
    // A selection written by an older writer with a blank after "=" still comes back.
    EXPECT_TRUE(o.leftSelected().Exists(QStringLiteral("3")));
    EXPECT_EQ(o.leftSelected().count(), 1);

    const struct
    {
        const char *text;
        bool value;
    } bools[] = {{"True", true}, {"false", false}, {"0", false}, {"-1", true}, {"2", true}};
    for (const auto &b : bools) {
        ASSERT_TRUE(TestFiles::write(path, QByteArray("[Option]\r\nCompareAllCol=") + b.text));
        ClsSessionOption s;
        s.SetRecorder(ini);
        s.setCompareAllCol(!b.value);
        s.ReadFromFile();
        EXPECT_EQ(s.CompareAllCol(), b.value) << b.text;
    }
}

TEST(ClsSessionOption, SheetEntriesThatAreNoPositionAreReported)
{
    // Kept silently, they would sit in the selection where no sheet ever matches them.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheets.vrk"));
    ASSERT_TRUE(TestFiles::write(path, "[LeftSheets]\r\nsheet0=2\r\nsheet1=abc\r\nsheet2=0\r\n"
                                       "sheet3=+4\r\n5\r\n[RightSheets]\r\nsheet0=-1\r\n"));
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);
    ClsSessionOption o;
    o.SetRecorder(ini);
    o.ReadFromFile();
    EXPECT_EQ(o.leftSelected().count(), 2);
    EXPECT_TRUE(o.leftSelected().Exists(QStringLiteral("2")));
    EXPECT_TRUE(o.leftSelected().Exists(QStringLiteral("5")));
    EXPECT_EQ(o.rightSelected().count(), 0);
    ASSERT_EQ(o.readProblems().size(), 4);
    EXPECT_TRUE(o.readProblems().at(0).startsWith(path));
    EXPECT_TRUE(o.readProblems().at(0).contains(QStringLiteral("sheet1=abc")));
    EXPECT_TRUE(o.readProblems().at(3).contains(QStringLiteral("[RightSheets] sheet0=-1")));
}

TEST(ClsSessionOption, OversizedProjectFileIsReportedNotThrown)
{
    // The sheet lists are read by the class's own line reader, which raises error 75 for a file
    // beyond the size limit; that escaped ReadFromFile.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.vrk"));
    QByteArray bytes("[LeftSheets]\r\nsheet0=1\r\n");
    bytes.append(QByteArray(win::ProfileFile::MaxFileSize, ';'));
    ASSERT_TRUE(TestFiles::write(path, bytes));
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);
    ClsSessionOption o;
    o.SetRecorder(ini);
    ASSERT_NO_THROW(o.ReadFromFile());
    EXPECT_EQ(o.leftSelected().count(), 0);
    ASSERT_EQ(o.readProblems().size(), 2);
    EXPECT_TRUE(o.readProblems().at(0).contains(QStringLiteral("file too large")));
    EXPECT_TRUE(o.readProblems().at(0).startsWith(path));
}

TEST(ClsSessionOption, FailedSaveIsReported)
{
    QTemporaryDir dir;
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(dir.filePath(QStringLiteral("no/such/folder/x.vrk")));
    ClsSessionOption o;
    o.SetRecorder(ini);
    EXPECT_FALSE(o.Save2File());

    ini->setIniFileName(dir.filePath(QStringLiteral("x.vrk")));
    EXPECT_TRUE(o.Save2File());
    o.setRightName(QStringLiteral("two\nlines"));
    EXPECT_FALSE(o.Save2File());
}

// The default report folder is checked again at every read: when the temporary folder's cleaner
// has removed it and another user has put a link in its place, reports go to a fresh folder of
// the user's own, never through the link.
TEST(ClsSessionOption, DefaultReportFolderIsCheckedAtEveryRead)
{
    QTemporaryDir base, elsewhere;
    const QByteArray had = qgetenv("TMPDIR");
    const bool set = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(base.path()));
    const QString own = base.path() + QStringLiteral("/quorva-%1").arg(::geteuid());

    ClsSessionOption o;
    EXPECT_EQ(o.ReportPath(), own + QLatin1Char('/'));
    ASSERT_TRUE(QDir(own).removeRecursively());
    EXPECT_EQ(o.ReportPath(), own + QLatin1Char('/')) << "made again";
    EXPECT_TRUE(QDir(own).exists());
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere.path(), own));
    const QString now = o.ReportPath();
    EXPECT_TRUE(now.startsWith(own + QLatin1Char('-'))) << now.toStdString();

    // A folder the user chose is kept as it is.
    o.setReportPath(elsewhere.path());
    EXPECT_EQ(o.ReportPath(), elsewhere.path() + QLatin1Char('/'));

    if (set)
        qputenv("TMPDIR", had);
    else
        qunsetenv("TMPDIR");
}

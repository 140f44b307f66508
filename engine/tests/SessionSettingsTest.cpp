#include "engine/SessionSettings.h"
#include "core/ClsIni.h"
#include "engine/ClsSessionOption.h"
#include "engine/TSingleSideConfig.h"
#include "engine/tests/FakeSheetList.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList linesOf(const QString &path)
{
    QStringList lines = QString::fromUtf8(TestFiles::read(path)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Lines as one text, so that a failure shows them.
std::string shown(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

bool writeLines(const QString &path, const QStringList &lines)
{
    return TestFiles::write(path, (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
}

// A project as the session window has always written it when saving over an existing file
// (the rewritten sheet sections last): every key, none at its default.
QStringList windowProject(const QString &reports)
{
    return {"[General]",
            "TabIndex= 1",
            "[LEFT]",
            "LeftFileName=a.xlsx",
            "LeftKeyCol=B",
            "LeftDataCol=C,D",
            "LeftStartRow=2",
            "[Right]",
            "RightFileName=/elsewhere/b.xlsx",
            "RightKeyCol=b",
            "RightDataCol=E",
            "RightStartRow=自动",
            "[Option]",
            "AutoOpenTxtReport= 1",
            "ExcelReport= 1",
            "ShowDiffInXls= 1",
            "ShowLeftSingleInXls= 1",
            "ShowRightSingleInXls= 1",
            "IgnoreCase_Key= 0",
            "IgnoreCase_Text= 0",
            "DealMerge=-1",
            "TabIndex= 1",
            "CompareMethod= 1",
            "CompareItem= 5",
            "UseTrimForKey= 0",
            "SameToLeft= 0",
            "LeftName=旧",
            "RightName=新",
            "CompareAllCol=False",
            "CreatePairMethod=0",
            "[Report]",
            "ReportPath=" + reports,
            "[XlsReport]",
            "ModifyRowHeight= 0",
            "RowHeight= 40",
            "ColorDiffCell=-1",
            "DiffSheetName=D",
            "LeftSingleSheetName=L",
            "RightSingleSheetName=R",
            "[Script]",
            "UseScript=-1",
            "ScriptFileName=eq.vbs",
            "[LeftSheets]",
            "sheet0=2",
            "sheet1=3",
            "[RightSheets]",
            "sheet0=1"};
}

class SessionSettingsFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.path() + "/" + name; }
    QTemporaryDir dir;
    FakeSheetList left{{"S1", "S2", "S3"}};
    FakeSheetList right{{"T1"}};
};

} // namespace

TEST_F(SessionSettingsFile, AProjectTheWindowWroteReadsAndWritesBackKeyByKey)
{
    const QStringList written = windowProject(path("reports/"));
    const QString project = path("p.vrk");
    ASSERT_TRUE(writeLines(project, written));
    SessionSettings settings;
    settings.setSheetLists(&left, &right);
    settings.setFilePath(project);
    ASSERT_TRUE(settings.Read(path("base.vrk"), false));
    EXPECT_EQ(settings.side(true).fileName, "a.xlsx");
    EXPECT_EQ(settings.side(false).dataCol, "E");
    EXPECT_EQ(settings.side(false).startRow, "自动");
    const ClsSessionOption &o = *settings.option();
    EXPECT_TRUE(o.DealMerge());
    EXPECT_TRUE(o.TxtReport());
    EXPECT_EQ(o.TabIndex(), 1);
    EXPECT_TRUE(o.IsComparePostil());
    EXPECT_EQ(o.ScriptFileName(), "eq.vbs");
    // Reading completes nothing in a whole project.
    EXPECT_EQ(shown(linesOf(project)), shown(written));

    // The selection the window shows is the one stored.
    settings.option()->ShowSelected();
    EXPECT_EQ(left.selectedIndexes(), (QList<int>{2, 3}));
    ASSERT_TRUE(settings.Write()) << settings.writeError().toStdString();
    EXPECT_EQ(shown(linesOf(project)), shown(written));
}

TEST_F(SessionSettingsFile, ThePageShownIsWrittenWhereItIsReadBack)
{
    const QString project = path("p.vrk");
    ASSERT_TRUE(writeLines(project, {"[Option]", "TabIndex=1"}));
    for (int page : {0, 2, 1}) {
        SessionSettings settings;
        settings.setFilePath(project);
        ASSERT_TRUE(settings.Read(path("base.vrk"), false));
        settings.option()->setTabIndex(page);
        ASSERT_TRUE(settings.Write());
        ClsIni ini;
        ini.setIniFileName(project);
        EXPECT_EQ(ini.ReadNum("General", "TabIndex", -9), page);
        EXPECT_EQ(ini.ReadNum("Option", "TabIndex", -9), page);

        SessionSettings reopened;
        reopened.setFilePath(project);
        ASSERT_TRUE(reopened.Read(path("base.vrk"), false));
        EXPECT_EQ(reopened.option()->TabIndex(), page);
    }
}

TEST_F(SessionSettingsFile, WithoutProjectOrTemplateNothingIsReadOrWritten)
{
    for (bool untitled : {true, false}) {
        SessionSettings settings;
        settings.setFilePath(untitled ? QStringLiteral("New Project 1") : path("gone.vrk"));
        EXPECT_FALSE(settings.Read(path("base.vrk"), untitled));
        EXPECT_EQ(settings.filePath(), path("base.vrk"));
        EXPECT_EQ(settings.side(false).keyCol, "A");
        EXPECT_EQ(settings.side(false).dataCol, "c,d");
        // Every session opens with the report workbook and its three sheets chosen.
        EXPECT_TRUE(settings.option()->ShowXlsReport());
        EXPECT_TRUE(settings.option()->ShowRightSingleInXls());
        EXPECT_FALSE(settings.option()->TxtReport());
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(SessionSettingsFile, AMovedProjectKeepsItsWorkbooksAndTheTemplateNamesThemInFull)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("proj") && QDir(dir.path()).mkpath("other"));
    SessionSettings settings;
    settings.setFilePath(path("proj/p.vrk"));
    settings.side(true).fileName = " a.xlsx ";
    settings.side(false).fileName = "/data/b.xlsx";
    settings.moveTo(path("other/q.vrk"));
    EXPECT_EQ(settings.side(true).fileName, path("proj/a.xlsx"));
    EXPECT_EQ(settings.side(false).fileName, "/data/b.xlsx");
    ASSERT_TRUE(settings.Write());

    // Beside its workbook the name alone is stored; the template gets the full path, also of a
    // relative report folder.
    settings.option()->setReportPath("out");
    settings.moveTo(path("proj/r.vrk"));
    ASSERT_TRUE(settings.Write());
    EXPECT_TRUE(linesOf(path("proj/r.vrk")).contains("LeftFileName=a.xlsx"));
    ASSERT_TRUE(settings.WriteTemplate(path("base.vrk")));
    QStringList expected = linesOf(path("proj/r.vrk"));
    expected.replaceInStrings("LeftFileName=a.xlsx", "LeftFileName=" + path("proj/a.xlsx"));
    expected.replaceInStrings("ReportPath=out/", "ReportPath=" + path("proj/out/"));
    EXPECT_EQ(shown(linesOf(path("base.vrk"))), shown(expected));

    // The template saved as the project itself is not copied over itself.
    settings.moveTo(path("base.vrk"));
    ASSERT_TRUE(settings.Write());
    const QByteArray before = TestFiles::read(path("base.vrk"));
    EXPECT_TRUE(settings.WriteTemplate(path("base.vrk")));
    EXPECT_EQ(TestFiles::read(path("base.vrk")), before);
}

TEST(SessionSettings, SidesReachTheEngineResolvedTrimmedAndUpperCased)
{
    SessionSettings settings;
    settings.setFilePath("/work/p.vrk");
    settings.side(true) = {" a.xlsx ", " 2.5", " b,c ", "d-e"};
    settings.side(false) = {"/x/b.xlsx", "自动", "a", ""};
    TSingleSideConfig left, right;
    settings.applyToSides(left, right);
    EXPECT_EQ(left.FileName(), "/work/a.xlsx");
    EXPECT_EQ(left.StartRow(), 2);
    EXPECT_EQ(left.KeyCol(), "B,C");
    EXPECT_EQ(left.DataCol(), "D-E");
    EXPECT_EQ(right.FileName(), "/x/b.xlsx");
    EXPECT_EQ(right.StartRow(), 1);
    EXPECT_EQ(right.KeyCol(), "A");

    const QList<std::pair<QString, int>> rows = {
        {"1", 1},  {"3.5", 4},  {"2.5", 2},          {"自动", 0},
        {"-4", 0}, {"7abc", 7}, {"1e12", 2147483647}};
    for (const auto &[text, row] : rows)
        EXPECT_EQ(SessionSettings::startRowOf(text), row) << text.toStdString();
}

TEST(SessionSettings, RelativeAndAbsolutePaths)
{
    struct Case
    {
        const char *folder, *path, *absolute, *relative;
    };
    const Case cases[] = {
        {"/work/", "data.xlsx", "/work/data.xlsx", "data.xlsx"},
        {"/work", "sub/d.xlsx", "/work/sub/d.xlsx", "sub/d.xlsx"},
        {"/work/", "/x/d.xlsx", "/x/d.xlsx", "/x/d.xlsx"},
        // A colon is an ordinary character in a Linux file name.
        {"/work/", "a:b.xlsx", "/work/a:b.xlsx", "a:b.xlsx"},
        {"/work/", "/work/data.xlsx", "/work/data.xlsx", "data.xlsx"},
        {"/work", "/work/data.xlsx", "/work/data.xlsx", "data.xlsx"},
        {"/work/", "/work/sub/data.xlsx", "/work/sub/data.xlsx", "/work/sub/data.xlsx"},
        // Linux file names keep their case.
        {"/work/", "/WORK/data.xlsx", "/WORK/data.xlsx", "/WORK/data.xlsx"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SessionSettings::GetAbsolutePath(c.folder, c.path), c.absolute) << c.path;
        EXPECT_EQ(SessionSettings::GetRelativeFileName(c.folder, c.path), c.relative) << c.path;
    }
    // A name typed as a shell user types it; one that only begins with "~" is an ordinary name.
    const QString home = QDir::homePath();
    const std::pair<const char *, QString> typed[] = {{"~/d.xlsx", home + "/d.xlsx"},
                                                      {"~", home},
                                                      {"~/sub/d.xlsx", home + "/sub/d.xlsx"},
                                                      {"~d.xlsx", "/work/~d.xlsx"},
                                                      {"~other/d.xlsx", "/work/~other/d.xlsx"}};
    for (const auto &[path, absolute] : typed)
        EXPECT_EQ(SessionSettings::GetAbsolutePath("/work/", path), absolute) << path;
}

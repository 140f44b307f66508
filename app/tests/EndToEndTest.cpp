#include "app/ModMain.h"
#include "app/ProgramEntry.h"
#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "core/ClsIni.h"
#include "engine/ModCompare.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/files/FileSystem.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using win::vbYes;

// A workbook as lines: "name:" for each sheet, then its rows with the cell texts joined by "|"
// (empty cells at a row's end dropped); comments as "comment <cell>: <text>" after the rows.
const char *const Reader = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print(ws.title + ':')
    comments = []
    for row in ws.iter_rows():
        texts = ['' if c.value is None else str(c.value) for c in row]
        while texts and texts[-1] == '':
            texts.pop()
        print('|'.join(texts))
        comments += ['comment %s: %s' % (c.coordinate, c.comment.text) for c in row if c.comment]
    for c in comments:
        print(c)
)";

QStringList readWithOpenpyxl(const QString &path)
{
    return TestFiles::runPythonLines(QString::fromUtf8(Reader), path);
}

// The same lines (without comments) as the program's own spreadsheet component reads them.
QStringList readWithOurReader(const QString &path)
{
    QStringList out;
    auto app = excel::Application::create();
    try {
        auto book = app->Workbooks()->Open(path);
        for (int s = 1; s <= book->Worksheets()->Count(); ++s) {
            auto sheet = book->Worksheets()->Item(s);
            out << sheet->Name() + ':';
            const excel::Range used = sheet->UsedRange();
            const int lastRow = used.Row() + used.Rows().Count() - 1;
            const int lastColumn = used.Column() + used.Columns().Count() - 1;
            for (int r = 1; r <= lastRow; ++r) {
                QStringList texts;
                for (int c = 1; c <= lastColumn; ++c)
                    texts << sheet->Cells(r, c).Value().toText();
                while (!texts.isEmpty() && texts.last().isEmpty())
                    texts.removeLast();
                out << texts.join('|');
            }
        }
    } catch (const std::exception &e) {
        out << QString("cannot read: ") + e.what();
    }
    app->Quit();
    return out;
}

QStringList withoutComments(QStringList lines)
{
    lines.removeIf([](const QString &l) { return l.startsWith("comment "); });
    return lines;
}

class EndToEnd : public SessionFixture
{
protected:
    // As the program does, the spreadsheet applications get their windows: the report
    // workbook is shown.
    void SetUp() override
    {
        SessionFixture::SetUp();
        m_oldCurrent = QDir::currentPath();
        excel::SheetWindows::install();
    }
    void TearDown() override
    {
        SessionFixture::TearDown();
        excel::SheetWindows::uninstall();
        QDir::setCurrent(m_oldCurrent);
    }
    QString m_oldCurrent;

    // The sample workbooks, made by the checked-in generator into the program folder (or a
    // sub-folder of it), and the sample script in the program's Script folder.
    void makeSamples(const QString &subfolder = QString())
    {
        const QString target = subfolder.isEmpty() ? m_dir.path() : folder() + subfolder;
        QString output;
        ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(TestFiles::read(
                                           TestFiles::path("samples/make_samples.py"))),
                                       {target}, &output),
                  0)
            << output.toStdString();
        ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
        ASSERT_TRUE(QFile::copy(TestFiles::path("samples/Script/Tolerance.vbs"),
                                folder() + "Script/Tolerance.vbs"));
    }
    // The report files of that name below the folder (the default report folder is the
    // program's own temporary folder).
    static QStringList findReports(const QString &folder, const QString &name)
    {
        QStringList found;
        QDirIterator it(folder, {name}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }
    static QStringList section(const QString &file, const QString &name)
    {
        ClsIni ini;
        ini.setIniFileName(file);
        QStringList out;
        ini.GetKeys2(name, out);
        return out;
    }
};

// The program's first road from start to finish: a command-line pair compared at once, the
// session saved when the program closes, and everything back at the next start.
TEST_F(EndToEnd, ACommandLinePairIsComparedSavedAtQuitAndComesBackAtTheNextStart)
{
    QUORVA_NEED_OPENPYXL();
    makeSamples();
    ASSERT_TRUE(QDir(folder() + "Lang").exists());

    // The user starts the program in the workbooks' folder (here the program's own) and names
    // them relative to it; " /A" compares at the session's first activation, into the default
    // report folder (the program's temporary folder).
    ASSERT_TRUE(QDir::setCurrent(folder()));
    start("left.xlsx?right.xlsx /A");
    ASSERT_TRUE(window);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    ASSERT_EQ(sessionNames(), QStringList{"New Project 1"});
    frmSession *frm = session("New Project 1");
    EXPECT_EQ(frm->TxtLeftFileName->text(), folder() + "left.xlsx");
    EXPECT_EQ(sheetNames(frm->ListViewLeftSheets), (QStringList{"订单", "说明"}));
    EXPECT_EQ(selectedSheets(frm->ListViewRightSheets), QStringList{"订单"});

    const QString reportFolder = files::tempFolder() + "/";
    ASSERT_TRUE(reportFolder.startsWith(tempFolder()));
    EXPECT_EQ(frm->txtReportPath->text(), reportFolder);
    const QStringList text = lines(reportFolder + "订单.txt");
    EXPECT_EQ(text.value(0), "比较方法：基于关键列的比较");
    EXPECT_EQ(text.value(1), "左边：" + folder() + "left.xlsx");
    // The summary; the rows are in the report workbook (the detailed text report is off).
    EXPECT_TRUE(text.contains("开始行：1，结束行：7")) << text.join('\n').toStdString();
    EXPECT_TRUE(text.contains("匹配行数：5")) << "the header row is a row too";
    EXPECT_TRUE(text.contains("不匹配的行数：1"));
    EXPECT_TRUE(text.contains("在匹配行内，存在差异的行数2")) << "comments are not compared";

    const QStringList expectedBook = {"差异的行:",
                                      "|row3|A002|李四|梨|20|4",
                                      "|row3|A002|李四|梨|25|4",
                                      "|row6|A006|孙八|西瓜|1|12",
                                      "|row6|A006|孙八|西瓜|1|12.05",
                                      "左边孤立的行:",
                                      "A003|王五|香蕉|5|2.5",
                                      "右边孤立的行:",
                                      "A005|钱七|葡萄|12|9"};
    EXPECT_EQ(readWithOpenpyxl(reportFolder + "订单.xlsx"), expectedBook);
    EXPECT_EQ(readWithOurReader(reportFolder + "订单.xlsx"), expectedBook);

    // The user changes the set-up: both sheets on both sides, data from row 2, comments too,
    // and the detailed text report.
    selectSheets(frm->ListViewLeftSheets, {"订单", "说明"});
    selectSheets(frm->ListViewRightSheets, {"订单", "说明"});
    frm->SSTab1->setCurrentIndex(0);
    type(frm->cboLeftStartRow, "2");
    click(frm->ChkCompareContent[2]);
    frm->SSTab1->setCurrentIndex(1);
    click(frm->ChkTxtReport);
    EXPECT_EQ(frm->cboRightStartRow->currentText(), "2") << "the right side follows the left";

    // Closing the program asks to save the untitled session; the name is typed without ".vrk".
    boxes.expect(vbYes);
    dialogs.answer(folder() + "orders");
    ASSERT_TRUE(quit());
    EXPECT_EQ(prompts(), QStringList{"是否保存工程文件?"});
    EXPECT_EQ(dialogs.asked.back().title, "保存工程文件");
    EXPECT_EQ(dialogs.asked.back().defaultSuffix, "vrk");
    const QString project = folder() + "orders.vrk";

    EXPECT_EQ(section(settingsPath(), "RecentFile"), QStringList{"File0=" + project});
    EXPECT_EQ(section(settingsPath(), "RecentOpen"), QStringList{"File0=" + project});
    EXPECT_EQ(section(settingsPath(), "OPTION"),
              (QStringList{"LastOpenPath=/", "Language=ChineseS.Lan"}));
    EXPECT_TRUE(section(settingsPath(), "frmMain").contains("ShowProjectWindow=-1"));
    EXPECT_TRUE(QFile::exists(folder() + "Lang/ChineseS.Lan"));

    const QStringList saved = lines(project);
    for (const char *line : {"LeftFileName=left.xlsx", "RightFileName=right.xlsx", "LeftStartRow=2",
                             "RightStartRow=2", "CompareItem= 5", "sheet1=2"})
        EXPECT_TRUE(saved.contains(line)) << line << "\n" << saved.join('\n').toStdString();
    EXPECT_EQ(section(project, "LeftSheets"), (QStringList{"sheet0=1", "sheet1=2"}));
    EXPECT_EQ(section(project, "RightSheets"), (QStringList{"sheet0=1", "sheet1=2"}));
    // The template is the same project with its workbooks by full path.
    QStringList sections;
    ClsIni ini;
    ini.setIniFileName(project);
    ini.GetSectionNames(sections);
    for (const QString &name : std::as_const(sections)) {
        QStringList expected = section(project, name);
        expected.replaceInStrings("FileName=left.xlsx", "FileName=" + folder() + "left.xlsx");
        expected.replaceInStrings("FileName=right.xlsx", "FileName=" + folder() + "right.xlsx");
        EXPECT_EQ(section(templatePath(), name), expected) << name.toStdString();
    }

    // A start without arguments reopens the session with its fields and sheets.
    boxes.clear();
    start();
    ASSERT_EQ(sessionNames(), QStringList{project});
    frm = session(project);
    EXPECT_EQ(frm->TxtLeftFileName->text(), "left.xlsx");
    EXPECT_EQ(frm->cboLeftStartRow->currentText(), "2");
    EXPECT_TRUE(frm->ChkCompareContent[0]->isChecked());
    EXPECT_TRUE(frm->ChkCompareContent[2]->isChecked());
    EXPECT_EQ(selectedSheets(frm->ListViewLeftSheets), (QStringList{"订单", "说明"}));
    EXPECT_EQ(selectedSheets(frm->ListViewRightSheets), (QStringList{"订单", "说明"}));
    EXPECT_EQ(projectListTexts(), QStringList{"orders.vrk"});
    EXPECT_EQ(window->mnuFileRecentFile.first()->text(), "&1 " + project);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();

    // Compared again, now with comments and both sheet pairs.
    ASSERT_TRUE(QFile::remove(reportFolder + "订单.txt"));
    click(frm->CmdCompare);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    const QStringList again = lines(reportFolder + "订单.txt");
    EXPECT_TRUE(std::any_of(again.begin(), again.end(), [](const QString &l) {
        return l.startsWith("左边row:5,匹配右边row:4:") && l.contains("待确认<->已确认");
    })) << again.join('\n').toStdString();
    EXPECT_TRUE(again.contains("匹配行数：4"));
    EXPECT_TRUE(shell.opened.contains(reportFolder + "订单.txt"));
    EXPECT_TRUE(lines(reportFolder + "说明.txt").contains("在匹配行内，存在差异的行数0"));
}

// Cancel in the middle of a run stops that run; the next run is not cancelled before it
// starts, and goes to its end.
TEST_F(EndToEnd, ACancelledRunLeavesTheNextRunWhole)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks("rows = [['key', 'v']] + [['k%d' % i, i] for i in range(3000)]\n"
                        "book('big1.xlsx', [('Big', rows)])\n"
                        "rows[1500][1] = -1\n"
                        "book('big2.xlsx', [('Big', rows)])\n"),
              "");
    // " /A" starts the run from the event loop once the main window has loaded: Cancel is
    // pressed (and confirmed) at the first progress the run shows.
    ASSERT_TRUE(QDir::setCurrent(folder()));
    window = ModMain::Main(folder(), "big1.xlsx?big2.xlsx /A");
    ASSERT_TRUE(window);
    bool pressed = false;
    QObject::connect(window->m_ProgressBar1, &QProgressBar::valueChanged, window, [&](int value) {
        if (pressed || value <= 0) return;
        pressed = true;
        boxes.expect(vbYes);
        QTest::mouseClick(window->CmdCancel, Qt::LeftButton);
    });
    settle();
    ASSERT_TRUE(pressed) << "the run ended before it could be cancelled";
    EXPECT_EQ(prompts(), QStringList{"正在比较，是否取消？"});
    const QString report = files::tempFolder() + "/Big.txt";
    QStringList text = lines(report);
    EXPECT_TRUE(text.contains("比较已被取消：以上结果只包括取消之前比较过的行"))
        << text.join('\n').toStdString();
    EXPECT_FALSE(text.contains("匹配行数：3001"));
    EXPECT_FALSE(window->IsBusy());
    EXPECT_FALSE(ModCompare::IsCancelCompare() && window->CmdCancel->isVisible());

    frmSession *frm = session("New Project 1");
    ASSERT_TRUE(frm);
    boxes.clear();
    click(frm->CmdCompare);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    text = lines(report);
    EXPECT_FALSE(text.contains("比较已被取消：以上结果只包括取消之前比较过的行"));
    EXPECT_TRUE(text.contains("匹配行数：3001")) << text.join('\n').toStdString();
    EXPECT_TRUE(text.contains("在匹配行内，存在差异的行数1"));
}

// The checked-in sample projects compare as the README says, with relative paths from where
// they lie, and closing them writes them back as they are.
TEST_F(EndToEnd, TheSampleProjectsCompareAndKeepTheirFiles)
{
    QUORVA_NEED_OPENPYXL();
    makeSamples("samples");
    for (const char *name : {"orders.vrk", "orders-tolerance.vrk"})
        ASSERT_TRUE(
            QFile::copy(TestFiles::path(QString("samples/") + name), folder() + "samples/" + name));
    // The checked-in workbooks are what the generator makes.
    for (const char *name : {"left.xlsx", "right.xlsx"})
        EXPECT_EQ(TestFiles::read(folder() + "samples/" + name),
                  TestFiles::read(TestFiles::path(QString("samples/") + name)))
            << name << ": run samples/make_samples.py again";

    const QString plain = folder() + "samples/orders.vrk";
    const QString tolerant = folder() + "samples/orders-tolerance.vrk";
    start("\"" + plain + "\" /A");
    window->OpenSessionWindow(tolerant);
    settle();
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();

    const QStringList text = lines(folder() + "samples/reports/订单.txt");
    const QStringList differences = {"左边row:3,匹配右边row:3: 20<->25",
                                     "左边row:5,匹配右边row:4: 待确认<->已确认",
                                     "左边row:6,匹配右边row:6:                 12<->12.05"};
    for (const QString &d : differences)
        EXPECT_TRUE(std::any_of(text.begin(), text.end(),
                                [&d](const QString &l) { return l.trimmed() == d; }))
            << d.toStdString() << "\n"
            << text.join('\n').toStdString();
    EXPECT_TRUE(text.contains("不匹配的行数：1"));
    EXPECT_TRUE(text.contains("在匹配行内，存在差异的行数3"));
    EXPECT_EQ(withoutComments(readWithOpenpyxl(folder() + "samples/reports/订单.xlsx")),
              (QStringList{"差异的行:", "三月|row3|A002|李四|梨|20|4",
                           "四月|row3|A002|李四|梨|25|4", "三月|row5|A004|赵六|橙子|8|5",
                           "四月|row4|A004|赵六|橙子|8|5", "三月|row6|A006|孙八|西瓜|1|12",
                           "四月|row6|A006|孙八|西瓜|1|12.05", "左边孤立的行:",
                           "A003|王五|香蕉|5|2.5", "右边孤立的行:", "A005|钱七|葡萄|12|9"}));
    EXPECT_TRUE(shell.opened.contains(folder() + "samples/reports/订单.txt"));

    // Under the user script the price within 1% is equal; the rest stays.
    const QStringList judged = lines(folder() + "samples/reports-tolerance/订单.txt");
    EXPECT_TRUE(judged.contains("在匹配行内，存在差异的行数2")) << judged.join('\n').toStdString();
    EXPECT_FALSE(std::any_of(judged.begin(), judged.end(),
                             [](const QString &l) { return l.contains("12<->12.05"); }));

    ASSERT_TRUE(quit());
    EXPECT_EQ(lines(plain), lines(TestFiles::path("samples/orders.vrk")));
    EXPECT_EQ(lines(tolerant), lines(TestFiles::path("samples/orders-tolerance.vrk")));
}

#ifdef QUORVA_EXE
// The size of the program's top-level window whose whole title matches the pattern, as the X
// server lists it; invalid when there is none.
QSize topLevelSize(const QString &titlePattern)
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!info.waitForFinished(5000)) return {};
    const QRegularExpression line(
        QStringLiteral("\"%1\": \\(\"Quorva\" \"Quorva\"\\)\\s+(\\d+)x(\\d+)").arg(titlePattern));
    const QRegularExpressionMatch m = line.match(QString::fromUtf8(info.readAllStandardOutput()));
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

// The program itself, started on the sample project with " /A" as the README says, offscreen:
// the reports appear beside the project.
TEST_F(EndToEnd, TheProgramComparesTheSampleProjectItIsStartedWith)
{
    ASSERT_TRUE(QDir().mkpath(folder() + "samples"));
    ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
    ASSERT_TRUE(QDir().mkpath(folder() + "nobin"));
    for (const char *name : {"left.xlsx", "right.xlsx", "orders.vrk"})
        ASSERT_TRUE(
            QFile::copy(TestFiles::path(QString("samples/") + name), folder() + "samples/" + name));
    ASSERT_TRUE(QFile::copy(TestFiles::path("samples/Script/Tolerance.vbs"),
                            folder() + "Script/Tolerance.vbs"));
    const QString exe = folder() + "Quorva";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVA_EXE), exe));

    // On a real display the program shows its windows there, and their sizes are checked.
    const bool onDisplay = QGuiApplication::platformName() == "xcb";
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", onDisplay ? "xcb" : "offscreen");
    env.insert("TMPDIR", tempFolder());
    // No desktop programs: the text report is not opened in an editor.
    env.insert("PATH", folder() + "nobin");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder());
    program.start(exe, {"samples/orders.vrk", "/A"});
    ASSERT_TRUE(program.waitForStarted(10000));
    const QString reports = folder() + "samples/reports/";
    bool done = false;
    for (int i = 0; i < 600 && !done; ++i) {
        QThread::msleep(50);
        done = QFile::exists(reports + "订单.xlsx") &&
               lines(reports + "订单.txt").contains("在匹配行内，存在差异的行数3");
    }
    const bool running = program.state() == QProcess::Running;
    if (onDisplay && done) {
        // The report workbook's window is named by its full path, so the user knows where the
        // report went, and both windows open at a size that shows their contents.
        QSize mainSize, reportSize;
        const bool listed = QTest::qWaitFor([&] {
            mainSize = topLevelSize(QStringLiteral("Quorva(?: - \\[[^\"]*\\])?"));
            reportSize = topLevelSize(QRegularExpression::escape(reports + "订单.xlsx"));
            // A window being mapped is listed at no size for a moment.
            return mainSize.width() > 1 && reportSize.width() > 1;
        });
        EXPECT_TRUE(listed) << "main " << mainSize.width() << "x" << mainSize.height()
                            << ", report " << reportSize.width() << "x" << reportSize.height();
        EXPECT_GE(mainSize.width(), 900);
        EXPECT_GE(mainSize.height(), 650);
        EXPECT_GE(reportSize.width(), 600);
        EXPECT_GE(reportSize.height(), 400);
    }
    program.kill();
    program.waitForFinished(5000);
    EXPECT_TRUE(done) << "no reports in " << reports.toStdString() << "\n"
                      << program.readAllStandardError().toStdString();
    EXPECT_TRUE(running) << "the program keeps its windows open";
    EXPECT_TRUE(QFile::exists(folder() + "Quorvex.ini"));
}
#endif

} // namespace

// The difference view driven as a user drives it, from a detail run of the comparison core:
// hosting, layout, zoom, editing and saving, the save prompt on closing, Compare again, and the
// view's behaviour while it draws or compares.

#include "core/Twips.h"
#include "diffview/frmPromptSave.h"
#include "diffview/tests/ViewFixture.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ClsTxtCompareResult.h"
#include "engine/ModCompare.h"
#include "engine/ModExcel.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "tests/support/TestFiles.h"
#include "ui/TwipsGeometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace win;

namespace {

namespace tg = TwipsGeometry;

int commandBars(HWND main)
{
    int n = 0;
    for (HWND h = FindWindowEx(main, 0, QStringLiteral("MsoCommandBar"), QString()); h;
         h = FindWindowEx(main, h, QStringLiteral("MsoCommandBar"), QString()))
        ++n;
    return n;
}

class LeftRightView : public ViewFixture
{
protected:
    HWND mainOf(bool left) const
    {
        return (left ? core->m_leftObj : core->m_rightObj)->GetExcelApp()->Hwnd();
    }
    std::shared_ptr<excel::Workbook> bookOf(bool left) const
    {
        return (left ? core->m_leftObj : core->m_rightObj)->GetDoc();
    }
    int zoomOf(bool left) const
    {
        return (left ? core->m_leftObj : core->m_rightObj)->GetExcelApp()->ActiveWindow()->Zoom();
    }
    int scrollRowOf(bool left) const
    {
        return (left ? core->m_leftObj : core->m_rightObj)
            ->GetExcelApp()
            ->ActiveWindow()
            ->ScrollRow();
    }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }
    static void typeZoom(frmLeftRight &view, const QString &text)
    {
        QLineEdit *box = view.CboSize->lineEdit();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // Answers the save prompt that is shown now.
    void answerPrompt(const char *answer, bool untickRight = false)
    {
        frmPromptSave *p = prompt();
        ASSERT_NE(p, nullptr);
        if (untickRight)
            QTest::mouseClick(p->ChkSaveRight, Qt::LeftButton, Qt::NoModifier,
                              QPoint(6, p->ChkSaveRight->height() / 2));
        const std::string a = answer;
        click(a == "ok" ? p->cmdOK : a == "dontsave" ? p->CmdDontSave : p->CmdCancel);
        settle();
    }
};

} // namespace

// Two workbooks of five equal rows.
const QString kEqualBooks = QStringLiteral(R"PY(
rows = [["k%d" % i, i] for i in range(1, 6)]
book("L.xlsx", rows)
book("R.xlsx", rows)
)PY");

TEST_F(LeftRightView, HostsBothWindowsAndGivesThemBackBeforeTheLinkageEnds)
{
    makeDefaultBooks();
    HWND leftMain = 0, rightMain = 0;
    bool restoredFirst = false;
    run([&](frmLeftRight &view) {
        leftMain = mainOf(true);
        rightMain = mainOf(false);
        EXPECT_EQ(GetParent(leftMain), hwndOf(view.frameLeft));
        EXPECT_EQ(GetParent(rightMain), hwndOf(view.frameRight));
        for (HWND main : {leftMain, rightMain}) {
            EXPECT_EQ(GetWindowLong(main, GWL_STYLE) & WS_CAPTION, 0);
            EXPECT_EQ(GetWindowLong(main, GWL_STYLE) & WS_THICKFRAME, 0);
            EXPECT_EQ(commandBars(main), 0);
            EXPECT_TRUE(IsWindowVisible(main));
        }
        // Each window fills its frame.
        EXPECT_EQ(widgetOf(leftMain)->size(), view.frameLeft->size());
        EXPECT_EQ(widgetOf(rightMain)->size(), view.frameRight->size());
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        EXPECT_FALSE(view.CmdRightSave->isEnabled());
        EXPECT_TRUE(bookOf(true)->Saved());
        EXPECT_TRUE(bookOf(false)->Saved());
        EXPECT_EQ(view.TxtLeftFileName->text(), QStringLiteral("L.xlsx"));
        EXPECT_EQ(view.txtRightFileName->text(), QStringLiteral("R.xlsx"));
        EXPECT_TRUE(view.txtResult->text().startsWith(QString::fromUtf8("差异行数：")));
        EXPECT_FALSE(view.txtNoMoreDiff->isVisible());
        EXPECT_EQ(view.windowTitle(), QString::fromUtf8("详细比较"));
        EXPECT_EQ(view.CmdCompareAgain->toolTip(), QString::fromUtf8("再次比较"));
        EXPECT_TRUE(view.ToolbarButtons.at(0)->isVisible());
        EXPECT_TRUE(view.ToolbarButtons.at(1)->isVisible());
        EXPECT_FALSE(view.ToolbarButtons.at(2)->isVisible());
        EXPECT_FALSE(view.ToolbarButtons.at(3)->isVisible());
        EXPECT_EQ(view.CboSize->count(), 13);
        EXPECT_EQ(view.CboSize->itemText(12), QStringLiteral("400%"));
        EXPECT_EQ(view.CboSize->currentText(), QStringLiteral("100%"));
        const QStringList linked{QStringLiteral("created"), QStringLiteral("RemoveAllPairs"),
                                 QStringLiteral("AddPair %1 %2").arg(leftMain).arg(rightMain),
                                 QStringLiteral("AddPair %1 %2").arg(rightMain).arg(leftMain),
                                 QStringLiteral("SetSpyHook 1")};
        EXPECT_EQ(hooks.calls, linked);

        // Activated again (after a dialog): nothing is hosted or linked a second time.
        view.Form_Activate();
        EXPECT_EQ(hooks.calls, linked);

        hooks.onRelease = [&] {
            restoredFirst = GetParent(leftMain) != hwndOf(view.frameLeft) &&
                            GetParent(rightMain) != hwndOf(view.frameRight) && !bookOf(true) &&
                            !bookOf(false);
        };
        click(view.CmdQuit); // nothing changed: no question
        EXPECT_TRUE(view.isUnloaded());
    });
    EXPECT_TRUE(restoredFirst) << "the windows went back before the linkage was released";
    EXPECT_EQ(hooks.calls.last(), QStringLiteral("released"));
    EXPECT_TRUE(IsWindow(leftMain));
    EXPECT_FALSE(IsWindowVisible(leftMain));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LeftRightView, LayoutFollowsTheWindow)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        for (const QSize size : {QSize(1000, 700), QSize(1400, 900), QSize(640, 300)}) {
            view.resize(size);
            settle();
            const int half = qRound(tg::formWidth(&view) / 2.0);
            EXPECT_EQ(tg::left(view.frameLeft), 0);
            EXPECT_NEAR(tg::width(view.frameLeft), half, 15);
            EXPECT_EQ(tg::left(view.LeftPane), 0);
            EXPECT_NEAR(tg::width(view.LeftPane), half, 15);
            EXPECT_EQ(view.RightPane->x(), view.LeftPane->geometry().right() + 1);
            // The bar sits between the frames; the right frame runs to the window's edge.
            EXPECT_EQ(view.Splitter->x(), view.frameLeft->geometry().right() + 1);
            EXPECT_EQ(view.frameRight->x(), view.Splitter->geometry().right() + 1);
            EXPECT_EQ(view.frameRight->geometry().right() + 1, view.width());
            EXPECT_EQ(view.frameLeft->y(), view.LeftPane->geometry().bottom() + 1);
            EXPECT_NEAR(tg::height(&view) - tg::top(view.frameLeft) - tg::height(view.frameLeft),
                        200, 15);
            // The Save buttons stay inside the window.
            EXPECT_LE(view.CmdRightSave->mapTo(&view, QPoint(view.CmdRightSave->width(), 0)).x(),
                      view.width());
            EXPECT_EQ(widgetOf(mainOf(true))->size(), view.frameLeft->size());
            EXPECT_EQ(widgetOf(mainOf(false))->size(), view.frameRight->size());
        }
        // Shorter than 1500 twips: nothing moves.
        const QRect before = view.frameLeft->geometry();
        view.resize(900, Twips::toPixels(800));
        settle();
        EXPECT_EQ(view.frameLeft->geometry(), before);
    });
}

TEST_F(LeftRightView, ZoomTypedOrPicked)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        // The list's entry is the one shown: the Down arrow steps from 100% to 200%.
        EXPECT_EQ(view.CboSize->itemText(view.CboSize->currentIndex()), QStringLiteral("100%"));
        QTest::keyClick(view.CboSize, Qt::Key_Down);
        EXPECT_EQ(zoomOf(true), 200);
        EXPECT_EQ(zoomOf(false), 200);
        const struct
        {
            const char *typed;
            const char *boxAfter; // "" when the box keeps what was typed
            bool message;
            int zoom; // of both windows afterwards
        } cases[] = {
            {"50", "", false, 50},   {"5", "", true, 50},           {"0", "1", true, 50},
            {"400", "", false, 400}, {"99999", "10000", true, 400}, {"10", "", false, 10},
            {"5x0%", "", false, 50}, // letters and "%" are not typed
        };
        for (const auto &c : cases) {
            boxes.clear();
            if (c.message) boxes.expect(vbOK);
            typeZoom(view, QString::fromLatin1(c.typed));
            const std::string what = c.typed;
            if (*c.boxAfter) {
                EXPECT_EQ(view.CboSize->currentText(), QString::fromLatin1(c.boxAfter)) << what;
            }
            ASSERT_EQ(boxes.shown().size(), c.message ? 1u : 0u) << what;
            if (c.message) {
                EXPECT_EQ(boxes.shown()[0].prompt, QString::fromUtf8("有效范围是 10-400"));
                EXPECT_EQ(boxes.shown()[0].style, vbCritical);
                EXPECT_EQ(boxes.shown()[0].title, QString());
            }
            EXPECT_EQ(zoomOf(true), c.zoom) << what;
            EXPECT_EQ(zoomOf(false), c.zoom) << what;
        }
        // A size picked from the list.
        view.CboSize->setCurrentIndex(view.CboSize->findText(QStringLiteral("200%")));
        emit view.CboSize->activated(view.CboSize->currentIndex());
        EXPECT_EQ(zoomOf(true), 200);
        EXPECT_EQ(zoomOf(false), 200);
        EXPECT_TRUE(view.redrawPending());
    });
}

TEST_F(LeftRightView, AnEditEnablesSaveAndSavingWritesTheUsersValue)
{
    makeDefaultBooks();
    const QByteArray rightBefore = TestFiles::read(file("R.xlsx"));
    run([&](frmLeftRight &view) {
        typeInto(view, true, 2, 2, QStringLiteral("77"));
        EXPECT_TRUE(view.CmdLeftSave->isEnabled()) << "enabled at once";
        EXPECT_FALSE(view.CmdRightSave->isEnabled());
        view.Timer1_Timer();
        EXPECT_TRUE(view.CmdLeftSave->isEnabled()) << "the tick keeps it";
        click(view.CmdLeftSave);
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        EXPECT_TRUE(bookOf(true)->Saved());
        click(view.CmdQuit);
    });
    const QStringList rows = readBack(file("L.xlsx"));
    ASSERT_EQ(rows.size(), 12) << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("k1|1|x"));
    EXPECT_EQ(rows[1], QStringLiteral("k2|77|x"));
    EXPECT_EQ(rows[11], QStringLiteral("k12|12|x"));
    EXPECT_EQ(TestFiles::read(file("R.xlsx")), rightBefore);
    // Our own reader agrees.
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Open(file("L.xlsx"));
    EXPECT_EQ(book->Worksheets()->Item(1)->Cells(2, 2).Value().toText(), QStringLiteral("77"));
    EXPECT_EQ(book->Worksheets()->Item(1)->Visible(), -1);
    app->Quit();
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LeftRightView, AReadOnlyWorkbookIsSavedAsACopy)
{
    makeDefaultBooks();
    const QString leftPath = file("L.xlsx");
    ASSERT_TRUE(QFile::setPermissions(leftPath, QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray before = TestFiles::read(leftPath);
    run([&](frmLeftRight &view) {
        ASSERT_TRUE(bookOf(true)->ReadOnly());
        typeInto(view, true, 3, 3, QStringLiteral("mine"));
        dialogs.answer(QString()); // cancelled: nothing saved, no message
        click(view.CmdLeftSave);
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].title, QString::fromUtf8("保存副本"));
        EXPECT_EQ(dialogs.asked[0].folder, m_dir.path() + QLatin1Char('/'));
        EXPECT_EQ(dialogs.asked[0].fileName, QStringLiteral("L.xlsx"));
        EXPECT_TRUE(dialogs.asked[0].save);
        EXPECT_TRUE(view.CmdLeftSave->isEnabled());
        EXPECT_FALSE(bookOf(true)->Saved());
        EXPECT_TRUE(boxes.shown().empty());

        // A name typed without its extension still saves an .xlsx.
        dialogs.answer(file("copy"));
        click(view.CmdLeftSave);
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        EXPECT_EQ(view.TxtLeftFileName->text(), QStringLiteral("copy.xlsx"));
        // Compare again reads the side's own file: the strip names it again.
        click(view.CmdCompareAgain);
        EXPECT_EQ(view.TxtLeftFileName->text(), QStringLiteral("L.xlsx"));
        EXPECT_EQ(bookOf(true)->Worksheets()->Item(1)->Cells(3, 3).Value().toText(),
                  QStringLiteral("x"));
        click(view.CmdQuit);
    });
    EXPECT_EQ(TestFiles::read(leftPath), before);
    const QStringList rows = readBack(file("copy.xlsx"));
    ASSERT_EQ(rows.size(), 12);
    EXPECT_EQ(rows[2], QStringLiteral("k3|3|mine"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LeftRightView, AFailedSaveSaysWhyAndKeepsTheSideUnsaved)
{
    makeDefaultBooks();
    const QByteArray before = TestFiles::read(file("R.xlsx"));
    run([&](frmLeftRight &view) {
        // A text longer than a cell may hold, as a paste would bring it: the file cannot take it.
        auto sheet = bookOf(false)->Worksheets()->Item(1);
        sheet->Cells(2, 3).setValue(com::Variant(QString(40000, QLatin1Char('z'))));
        EXPECT_TRUE(view.CmdRightSave->isEnabled());
        boxes.expect(vbOK);
        click(view.CmdRightSave);
        ASSERT_EQ(boxes.shown().size(), 1u);
        const QString prompt = boxes.shown()[0].prompt;
        EXPECT_TRUE(
            prompt.startsWith(QString::fromUtf8("保存文件失败，文件可能是只读或者被打开! \r\n"
                                                "Filename=") +
                              file("R.xlsx")))
            << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QStringLiteral("C2"))) << "names the cell";
        EXPECT_TRUE(view.CmdRightSave->isEnabled());
        EXPECT_FALSE(bookOf(false)->Saved());
        sheet->Cells(2, 3).setValue(com::Variant(QStringLiteral("short")));
        click(view.CmdRightSave);
        EXPECT_FALSE(view.CmdRightSave->isEnabled());
    });
    EXPECT_NE(TestFiles::read(file("R.xlsx")), before);
    EXPECT_EQ(readBack(file("R.xlsx")).value(1), QStringLiteral("k2|2|short"));
}

// Closing: nothing asked when nothing changed; "don't save" keeps both files byte for byte;
// saving the ticked side leaves the unticked one as it was; Cancel keeps the view open.
TEST_F(LeftRightView, TheSavePromptOnClosing)
{
    makeDefaultBooks();
    const QByteArray left = TestFiles::read(file("L.xlsx"));
    const QByteArray right = TestFiles::read(file("R.xlsx"));

    run([&](frmLeftRight &view) {
        typeInto(view, true, 2, 2, QStringLiteral("5"));
        typeInto(view, false, 2, 2, QStringLiteral("6"));
        click(view.CmdQuit);
        EXPECT_FALSE(view.isUnloaded());
        frmPromptSave *p = prompt();
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->ChkSaveLeft->isChecked());
        EXPECT_TRUE(p->ChkSaveRight->isChecked());
        answerPrompt("cancel");
        EXPECT_FALSE(view.isUnloaded()) << "Cancel keeps the view";
        click(view.CmdQuit);
        answerPrompt("dontsave");
        EXPECT_TRUE(view.isUnloaded());
    });
    EXPECT_EQ(TestFiles::read(file("L.xlsx")), left);
    EXPECT_EQ(TestFiles::read(file("R.xlsx")), right);
    EXPECT_TRUE(boxes.shown().empty()) << "no question from the spreadsheet";
    EXPECT_TRUE(core->m_leftObj->GetExcelApp()->DisplayAlerts()) << "given back";
    EXPECT_TRUE(core->m_rightObj->GetExcelApp()->DisplayAlerts());

    run([&](frmLeftRight &view) {
        typeInto(view, true, 2, 2, QStringLiteral("5"));
        typeInto(view, false, 2, 2, QStringLiteral("6"));
        click(view.CmdQuit);
        answerPrompt("ok", /*untickRight=*/true);
        EXPECT_TRUE(view.isUnloaded());
    });
    EXPECT_EQ(readBack(file("L.xlsx")).value(1), QStringLiteral("k2|5|x"));
    EXPECT_EQ(TestFiles::read(file("R.xlsx")), right) << "the unticked side is not saved";
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LeftRightView, NoDifferencesAtAll)
{
    makeBooks(kEqualBooks);
    run([&](frmLeftRight &view) {
        EXPECT_EQ(view.txtResult->text(), QString::fromUtf8("完全相等"));
        EXPECT_EQ(view.diffUBound(), -1);
        for (QToolButton *b : {view.ToolbarButtons.at(0), view.ToolbarButtons.at(1)}) {
            view.txtNoMoreDiff->hide();
            click(b);
            EXPECT_TRUE(view.txtNoMoreDiff->isVisible());
            EXPECT_EQ(view.txtNoMoreDiff->text(), QString::fromUtf8("找不到更多差异"));
        }
        // A scroll of either window hides the line again.
        ASSERT_NE(hooks.current, nullptr);
        hooks.current->OnScrolled(mainOf(true), 277, 4);
        EXPECT_FALSE(view.txtNoMoreDiff->isVisible());
        EXPECT_EQ(scrollRowOf(true), 1);
    });
}

// Sheets that differ but were not compared (no compare item chosen; a report folder the run
// cannot write, which it says first) are shown side by side, never called equal.
TEST_F(LeftRightView, APairThatWasNotComparedIsNotCalledEqual)
{
    makeDefaultBooks();
    ASSERT_TRUE(TestFiles::write(file("blocked"), "a file, not a folder"));
    const struct
    {
        const char *what;
        int items;
        QString reportFolder;
        int messages;
    } cases[] = {
        {"no compare item", 0, file("report/"), 0},
        {"report folder unusable", 1, file("blocked/"), 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        options->setCompareItem(c.items);
        options->setReportPath(c.reportFolder);
        for (int i = 0; i < c.messages; ++i)
            boxes.expect(vbOK);
        boxes.clear();
        run([&](frmLeftRight &view) {
            EXPECT_EQ(view.txtResult->text(), QString::fromUtf8("没有比较"));
            EXPECT_EQ(view.diffUBound(), -1);
        });
        EXPECT_EQ(int(boxes.shown().size()), c.messages);
    }
}

TEST_F(LeftRightView, WithoutLinkedScrollingTheViewStillWorks)
{
    makeDefaultBooks();
    hooks.hookResult = false;
    boxes.expect(vbOK);
    run([&](frmLeftRight &view) {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].prompt, QString::fromUtf8("滚动条联动功能失效！"));
        EXPECT_EQ(boxes.shown()[0].style, vbCritical);
        EXPECT_EQ(GetParent(mainOf(true)), hwndOf(view.frameLeft));
        typeZoom(view, QStringLiteral("80"));
        EXPECT_EQ(zoomOf(false), 80);
    });

    hooks.createFails = true;
    boxes.clear();
    boxes.expect(vbOK);
    run([&](frmLeftRight &view) {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].prompt, QString::fromUtf8("error=429,no pairing library\r\n"
                                                             "滚动条联动功能失效！"));
        EXPECT_EQ(GetParent(mainOf(false)), hwndOf(view.frameRight));
    });
}

TEST_F(LeftRightView, CompareAgainReadsTheFilesAnew)
{
    makeBooks(kEqualBooks);
    run([&](frmLeftRight &view) {
        EXPECT_EQ(view.txtResult->text(), QString::fromUtf8("完全相等"));
        // Another program changes the right file meanwhile.
        makeBooks(QStringLiteral(R"PY(
book("R.xlsx", [["k1", 1], ["k2", 20], ["new", 0], ["k3", 3], ["k4", 40], ["k5", 5]])
)PY"));
        hooks.calls.clear();
        click(view.CmdCompareAgain); // nothing unsaved: no question
        // Lined up anew: k2 differs, "new" faces an inserted row 3 on the left, k4 differs.
        EXPECT_EQ(view.diffRows(), (QList<int>{2, 3, 5}));
        EXPECT_EQ(view.txtResult->text(), QString::fromUtf8("差异行数：3"));
        EXPECT_EQ(scrollRowOf(true), 2);
        EXPECT_EQ(scrollRowOf(false), 2);
        EXPECT_EQ(core->m_rightObj->GetDoc()->Worksheets()->Item(1)->Cells(2, 2).Value().toText(),
                  QStringLiteral("20"));
        EXPECT_EQ(bookOf(true)->Worksheets()->Item(1)->Cells(4, 1).Value().toText(),
                  QStringLiteral("k3"));
        const HWND l = mainOf(true), r = mainOf(false);
        EXPECT_EQ(hooks.calls, (QStringList{QStringLiteral("RemoveAllPairs"),
                                            QStringLiteral("AddPair %1 %2").arg(l).arg(r),
                                            QStringLiteral("AddPair %1 %2").arg(r).arg(l),
                                            QStringLiteral("SetSpyHook 1")}))
            << "the same manager, linked again";
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        EXPECT_TRUE(bookOf(true)->Saved());
        EXPECT_EQ(GetParent(l), hwndOf(view.frameLeft));

        // An unsaved edit asks first; Cancel compares nothing.
        typeInto(view, true, 1, 2, QStringLiteral("9"));
        click(view.CmdCompareAgain);
        answerPrompt("cancel");
        EXPECT_EQ(bookOf(true)->Worksheets()->Item(1)->Cells(1, 2).Value().toText(),
                  QStringLiteral("9"));
        click(view.CmdCompareAgain);
        answerPrompt("dontsave");
        EXPECT_EQ(bookOf(true)->Worksheets()->Item(1)->Cells(1, 2).Value().toText(),
                  QStringLiteral("1"))
            << "reopened from the file";
    });
    EXPECT_TRUE(boxes.shown().empty());
}

// Closing while Compare again compares asks to cancel it; the workbooks stay until the engine
// has stopped, and the view closes then.
TEST_F(LeftRightView, ClosingDuringCompareAgainWaitsForTheEngine)
{
    makeBooks(QStringLiteral(R"PY(
rows = [["k%d" % i, i, "t"] for i in range(1, 3001)]
book("L.xlsx", rows)
book("R.xlsx", rows)
)PY"));
    run([&](frmLeftRight &view) {
        bool asked = false;
        busy.onValue = [&](int percent) {
            if (percent < 30 || asked) return;
            asked = true;
            EXPECT_TRUE(view.comparing());
            boxes.expect(vbNo);
            click(view.CmdQuit); // No: the comparison goes on
            EXPECT_FALSE(ModCompare::IsCancelCompare());
            boxes.expect(vbYes);
            click(view.CmdQuit);
            EXPECT_TRUE(ModCompare::IsCancelCompare());
            EXPECT_FALSE(view.isUnloaded()) << "not under the running comparison";
            EXPECT_TRUE(bookOf(true) && !bookOf(true)->isClosed());
            click(view.CmdLeftSave); // commands wait meanwhile
            click(view.CmdCompareAgain);
        };
        click(view.CmdCompareAgain);
        busy.onValue = nullptr;
        ASSERT_TRUE(asked);
        settle();
        EXPECT_TRUE(view.isUnloaded()) << "closed once the comparison stopped";
        EXPECT_FALSE(ModCompare::IsCancelCompare()) << "the session's run goes on";
    });
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].prompt, QString::fromUtf8("正在比较，是否取消？"));
}

// Red marks yield to the event loop: a tick or a close arriving then neither draws again nor
// closes the workbooks under the drawing; the close follows once the drawing has stopped.
TEST_F(LeftRightView, CloseDuringDrawingWaitsForIt)
{
    makeDefaultBooks();
    options->setShowDiffMethod(ClsSessionOption::ShowRedFont);
    run([&](frmLeftRight &view) {
        view.setDrawYieldInterval(0);
        bool reached = false;
        QTimer::singleShot(0, &view, [&] {
            reached = true;
            EXPECT_TRUE(view.drawing());
            view.Timer1_Timer(); // no second drawing inside the first
            click(view.CmdQuit);
            EXPECT_FALSE(view.isUnloaded());
            EXPECT_TRUE(bookOf(true) && !bookOf(true)->isClosed());
        });
        view.NeedReDraw();
        view.Timer1_Timer();
        EXPECT_TRUE(reached);
        EXPECT_FALSE(view.drawing());
        EXPECT_TRUE(view.redrawPending()) << "the stopped marks are still to draw";
        settle();
        EXPECT_TRUE(view.isUnloaded()) << "the close came once the drawing had stopped";
    });
    EXPECT_TRUE(boxes.shown().empty());
}

// Red text (the second marking method) marks the differing cells and the one-side rows, but
// is not the user's change: nothing asks to save it, and a saved file holds the user's colours.
TEST_F(LeftRightView, RedMarksAreNotTheUsersChanges)
{
    makeDefaultBooks();
    options->setShowDiffMethod(ClsSessionOption::ShowRedFont);
    run([&](frmLeftRight &view) {
        auto colour = [&](bool left, int row, int column) {
            return bookOf(left)->Worksheets()->Item(1)->Cells(row, column).Font().ColorIndex();
        };
        const auto diff =
            view.pair()->GetTxtRecorder()->GetResult().GetValue(ClsTxtCompareResult::PairKey(4, 4));
        ASSERT_NE(diff, nullptr);
        EXPECT_EQ(colour(true, diff->NewLeftRow(), 2).toLong(), 3);
        EXPECT_EQ(colour(false, diff->NewRightRow(), 2).toLong(), 3);
        EXPECT_NE(colour(true, diff->NewLeftRow(), 1).toLong(), 3);
        EXPECT_NE(colour(true, diff->NewLeftRow() + 1, 2).toLong(), 3);
        view.NeedReDraw();
        view.Timer1_Timer();
        view.Timer1_Timer();
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        EXPECT_FALSE(view.CmdRightSave->isEnabled());
        EXPECT_TRUE(bookOf(true)->Saved());

        typeInto(view, true, 2, 3, QStringLiteral("e"));
        click(view.CmdLeftSave);
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        view.NeedReDraw();
        view.Timer1_Timer(); // the marks come back on screen, the workbook stays saved
        EXPECT_TRUE(bookOf(true)->Saved());
        click(view.CmdQuit); // nothing asked
        EXPECT_TRUE(view.isUnloaded());
    });
    EXPECT_EQ(readBack(file("L.xlsx")),
              QStringList({"k1|1|x", "k2|2|e", "k3|3|x", "k4|4|x", "k5|5|x", "k6|6|x", "k7|7|x",
                           "k8|8|x", "k9|9|x", "k10|10|x", "k11|11|x", "k12|12|x"}));
    QString output;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])["Data"]
red = [c.coordinate for row in ws.iter_rows() for c in row
       if c.font is not None and c.font.color is not None and
          (c.font.color.rgb in ("FFFF0000", "00FF0000") or c.font.color.indexed in (2, 10))]
fills = [c.coordinate for row in ws.iter_rows() for c in row if c.fill.fill_type]
print("red", red, "fills", fills)
)PY"),
                                   {file("L.xlsx")}, &output),
              0)
        << output.toStdString();
    EXPECT_EQ(output.trimmed(), QStringLiteral("red [] fills []"));
    EXPECT_TRUE(boxes.shown().empty());
}

// Next and Previous step through the rows to visit (differing pairs and the rows inserted to
// face one-side rows), scrolling both windows to the same row; at either end the line says so.
TEST_F(LeftRightView, NextAndPreviousDifference)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        // k4 differs; k99 (right only) faces an inserted row 7 on the left; k9 differs on the
        // aligned row 10; k11 (left only) faces an inserted row 12 on the right.
        EXPECT_EQ(view.diffRows(), (QList<int>{4, 7, 10, 12}));
        EXPECT_EQ(view.txtResult->text(), QString::fromUtf8("差异行数：4"));
        const struct
        {
            int button; // 1 next, 2 previous
            int row;    // both windows' top row afterwards
            bool end;   // "找不到更多差异" shown
        } steps[] = {{0, 4, false},  {1, 7, false}, {1, 10, false}, {1, 12, false}, {1, 12, true},
                     {2, 10, false}, {2, 7, false}, {2, 4, false},  {2, 4, true},   {1, 7, false}};
        for (const auto &step : steps) {
            if (step.button) click(view.ToolbarButtons.at(step.button - 1));
            EXPECT_EQ(scrollRowOf(true), step.row);
            EXPECT_EQ(scrollRowOf(false), step.row);
            EXPECT_EQ(view.txtNoMoreDiff->isVisible(), step.end);
        }
        // Rows face each other: the same key on both sides of a matched row.
        auto text = [&](bool left, int row) {
            return bookOf(left)->Worksheets()->Item(1)->Cells(row, 1).Value().toText();
        };
        EXPECT_EQ(text(true, 10), QStringLiteral("k9"));
        EXPECT_EQ(text(false, 10), QStringLiteral("k9"));
        EXPECT_EQ(text(true, 7), QString());
        EXPECT_EQ(text(false, 7), QStringLiteral("k99"));
        EXPECT_EQ(text(false, 13), QStringLiteral("k12"));
    });
}

// Saving a side writes only the user's rows, and the view keeps both sides facing each other:
// the same rows opposite each other, the steps on the same rows, the pair's marks on its rows.
TEST_F(LeftRightView, SavingASideKeepsBothSidesFacingEachOther)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        auto facing = [&] {
            QStringList rows;
            for (int row = 1; row <= 13; ++row) {
                QString line;
                for (bool left : {true, false}) {
                    const auto sheet = bookOf(left)->Worksheets()->Item(1);
                    const QString key = sheet->Cells(row, 1).Value().toText();
                    const auto pattern = sheet->Rows(QString::number(row)).Interior().Pattern();
                    line += (key.isEmpty() && !pattern.isNull() && pattern.toLong() == -4162
                                 ? QStringLiteral("(hatched)")
                                 : key) +
                            QLatin1Char(left ? '|' : ' ');
                }
                rows.append(line.trimmed());
            }
            return rows;
        };
        QStringList aligned;
        for (int k = 1; k <= 12; ++k) {
            if (k == 7) aligned.append(QStringLiteral("(hatched)|k99"));
            aligned.append(k == 11 ? QStringLiteral("k11|(hatched)")
                                   : QStringLiteral("k%1|k%1").arg(k));
        }
        ASSERT_EQ(facing(), aligned);
        typeInto(view, true, 2, 2, QStringLiteral("77"));
        typeInto(view, false, 5, 3, QStringLiteral("r5"));
        for (bool left : {true, false}) {
            SCOPED_TRACE(left ? "left saved" : "right saved");
            click(left ? view.CmdLeftSave : view.CmdRightSave);
            EXPECT_TRUE(bookOf(left)->Saved());
            EXPECT_FALSE((left ? view.CmdLeftSave : view.CmdRightSave)->isEnabled());
            view.Timer1_Timer();
            EXPECT_FALSE((left ? view.CmdLeftSave : view.CmdRightSave)->isEnabled());
            EXPECT_EQ(facing(), aligned);
            const auto k9 = view.pair()->GetTxtRecorder()->GetResult().GetValue(
                ClsTxtCompareResult::PairKey(9, 10));
            ASSERT_TRUE(k9);
            EXPECT_EQ(k9->NewLeftRow(), 10);
            EXPECT_EQ(k9->NewRightRow(), 10);
            EXPECT_EQ(view.diffRows(), (QList<int>{4, 7, 10, 12}));
            for (int i = 0; i < 4; ++i)
                click(view.ToolbarButtons.at(1)); // back to the first
            for (int row : {7, 10, 12}) {
                click(view.ToolbarButtons.at(0));
                EXPECT_EQ(scrollRowOf(true), row);
                EXPECT_EQ(scrollRowOf(false), row);
            }
        }
        click(view.CmdQuit); // both saved: no question
        EXPECT_TRUE(view.isUnloaded());
    });
    // The files hold the user's rows only, with the edits.
    QStringList left = readBack(file("L.xlsx"));
    ASSERT_EQ(left.size(), 12) << left.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(left[1], QStringLiteral("k2|77|x"));
    EXPECT_EQ(left[10], QStringLiteral("k11|11|x"));
    QStringList right = readBack(file("R.xlsx"));
    ASSERT_EQ(right.size(), 12) << right.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(right[4], QStringLiteral("k5|5|r5"));
    EXPECT_EQ(right[6], QStringLiteral("k99|99|z"));
    auto app = excel::Application::create();
    for (const char *name : {"L.xlsx", "R.xlsx"}) {
        auto sheet = app->Workbooks()->Open(file(name))->Worksheets()->Item(1);
        EXPECT_EQ(sheet->UsedRange().Rows().Count(), 12) << name;
        EXPECT_EQ(sheet->UsedRange().Interior().Pattern().toLong(), -4142) << name;
    }
    app->Quit();
    EXPECT_TRUE(boxes.shown().empty());
}

// A cell edited in a hosted window: the editor lies over the cell, shows what is typed, and the
// marks of that side are drawn again around it.
TEST_F(LeftRightView, EditingACellUnderTheMarks)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        for (bool left : {true, false}) {
            SCOPED_TRACE(left ? "left" : "right");
            excel::SheetGridWindow *g = grid(view, left);
            QWidget *main = widgetOf(mainOf(left));
            ASSERT_EQ(scrollRowOf(left), 4); // at the first difference: k4's B is marked
            QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, g->cellRect(5, 2).center());
            view.NeedReDraw(); // as the linkage reports the repaint
            view.Timer1_Timer();
            QTest::keyClicks(g, QStringLiteral("51"));
            ASSERT_NE(g->editor(), nullptr);
            const QRect cell = g->cellRect(5, 2);
            EXPECT_EQ(g->editor()->geometry().topLeft(), cell.topLeft());
            EXPECT_EQ(g->editor()->height(), cell.height());
            EXPECT_GE(g->editor()->width(), cell.width());
            EXPECT_EQ(g->editor()->mapToGlobal(QPoint()), g->mapToGlobal(cell.topLeft()));
            // What was drawn over the window covers the marks only: the editor shows through.
            const QImage drawn = overlayImage(mainOf(left));
            ASSERT_FALSE(drawn.isNull());
            const QRect editor(g->editor()->mapTo(main, QPoint()), g->editor()->size());
            const QRect marked(g->mapTo(main, g->cellRect(4, 2).topLeft()), cell.size());
            int covered = 0, red = 0;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x) {
                    const QRgb pixel = drawn.pixel(x, y);
                    if (qAlpha(pixel) && editor.contains(x, y)) ++covered;
                    if (qAlpha(pixel) && marked.contains(x, y) && qRed(pixel) > 200 &&
                        qGreen(pixel) < 80)
                        ++red;
                }
            EXPECT_EQ(covered, 0);
            EXPECT_GT(red, 30);
            QTest::keyClick(g->editor(), Qt::Key_Escape);
        }
    });
}

// Whenever the view gets the focus, Compare again has it.
TEST_F(LeftRightView, TheViewGivesItsFocusToCompareAgain)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
        EXPECT_EQ(QApplication::focusWidget(), view.CmdCompareAgain);
        excel::SheetGridWindow *g = grid(view, true);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, g->cellRect(2, 2).center());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == g; }));
        // A window of the view's comes and goes, as its dialogs do.
        auto other = std::make_unique<QWidget>(&view, Qt::Dialog);
        other->resize(200, 100);
        other->show();
        other->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == other.get(); }));
        other.reset();
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &view; }));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return QApplication::focusWidget() == view.CmdCompareAgain; }));
    });
}

// Dragging the splitter bar: the frames take the new widths and each window fits its frame.
TEST_F(LeftRightView, TheSplitterMovesTheFrames)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        view.resize(1000, 700);
        settle();
        const int before = view.frameLeft->width();
        QTest::mousePress(view.Splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(-150, 10),
                         view.Splitter->mapToGlobal(QPointF(-150, 10)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.Splitter, &move);
        QTest::mouseRelease(view.Splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
        settle();
        EXPECT_LT(view.frameLeft->width(), before - 100);
        EXPECT_EQ(view.frameRight->x(), view.Splitter->geometry().right() + 1);
        EXPECT_EQ(widgetOf(mainOf(true))->size(), view.frameLeft->size());
        EXPECT_EQ(widgetOf(mainOf(false))->size(), view.frameRight->size());
        // Page Up and Page Down in the zoom box change nothing.
        QTest::keyClick(view.CboSize->lineEdit(), Qt::Key_PageDown);
        EXPECT_EQ(view.CboSize->currentText(), QStringLiteral("100%"));
    });
}

// A view that cannot host the windows says why and closes itself.
TEST_F(LeftRightView, HostingThatFailsClosesTheView)
{
    ClsCompareCore lonely;
    frmLeftRight view;
    view.SetOpt(&lonely); // no pair
    bool unloaded = false;
    QObject::connect(&view, &frmLeftRight::unloaded, [&] { unloaded = true; });
    boxes.expect(vbOK);
    view.show();
    view.Form_Activate();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].prompt.startsWith(QStringLiteral("error=91,")))
        << boxes.shown()[0].prompt.toStdString();
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Quorva"));
    EXPECT_TRUE(unloaded);
    EXPECT_TRUE(hooks.calls.isEmpty());
}

// The copy buttons (hidden in the toolbar) copy the current row's values to the other side; the
// target's Save button follows at once.
TEST_F(LeftRightView, CopyingTheCurrentRow)
{
    makeDefaultBooks();
    run([&](frmLeftRight &view) {
        ASSERT_EQ(view.diffRows().value(0), 4);
        view.Toolbar1_ButtonClick(3); // left to right
        EXPECT_EQ(bookOf(false)->Worksheets()->Item(1)->Cells(4, 2).Value().toText(),
                  QStringLiteral("4"));
        EXPECT_TRUE(view.CmdRightSave->isEnabled());
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        view.Toolbar1_ButtonClick(1);
        view.Toolbar1_ButtonClick(1); // row 10: k9, whose C differs
        bookOf(false)->Worksheets()->Item(1)->Cells(10, 3).setValue(
            com::Variant(QStringLiteral("R")));
        view.Toolbar1_ButtonClick(4); // right to left
        EXPECT_EQ(bookOf(true)->Worksheets()->Item(1)->Cells(10, 3).Value().toText(),
                  QStringLiteral("R"));
        EXPECT_TRUE(view.CmdLeftSave->isEnabled());
        EXPECT_FALSE(view.txtNoMoreDiff->isVisible());
    });
}

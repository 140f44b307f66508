#include "diffview/tests/ViewFixture.h"

#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "diffview/frmPromptSave.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

FakeHooks::Manager::~Manager()
{
    m_owner.calls.append(QStringLiteral("released"));
    if (m_owner.current == this) m_owner.current = nullptr;
    if (m_owner.onRelease) m_owner.onRelease();
}

bool FakeHooks::Manager::AddPair(int spy, int follower)
{
    m_owner.calls.append(QStringLiteral("AddPair %1 %2").arg(spy).arg(follower));
    return true;
}

bool FakeHooks::Manager::SetSpyHook(bool on)
{
    m_owner.calls.append(QStringLiteral("SetSpyHook %1").arg(on ? 1 : 0));
    return m_owner.hookResult;
}

std::unique_ptr<HookManager> FakeHooks::create()
{
    if (createFails) throw BasicError(429, QStringLiteral("no pairing library"));
    auto manager = std::make_unique<Manager>(*this);
    current = manager.get();
    calls.append(QStringLiteral("created"));
    return manager;
}

void ViewFixture::SetUp()
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QDir().mkpath(file(QStringLiteral("prog/Lang"))));
    g_AppPath = file(QStringLiteral("prog/"));
    g_Options.reset();
    Twips::setDpiOverride(96);
    win::setScreenDpi(96);
    excel::SheetWindows::install();
    ModCompare::SetCancelCompare(false);
    options = std::make_shared<ClsSessionOption>();
    options->setReportPath(file(QStringLiteral("report/")));
    options->setCompareItem(1);
    options->setCompareAllCol(true);
    options->setShowDiffMethod(ClsSessionOption::ShowEllipses);
    options->setShowLeftSingleInXls(true);
    options->setShowRightSingleInXls(true);
    options->leftSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    options->rightSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    options->setCompareInDetail(true);
}

void ViewFixture::TearDown()
{
    core.reset();
    settle();
    excel::SheetWindows::uninstall();
    win::setScreenDpi(0);
    Twips::setDpiOverride(0);
    ModCompare::SetCancelCompare(false);
    g_AppPath.clear();
    g_Options.reset();
}

void ViewFixture::makeBooks(const QString &body)
{
    const QString prelude = QStringLiteral(R"PY(
import sys, openpyxl
out = sys.argv[1]
def book(name, rows, sheet="Data"):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = sheet
    for r, row in enumerate(rows, start=1):
        for c, v in enumerate(row, start=1):
            if v is not None:
                ws.cell(r, c, v)
    wb.save(out + "/" + name)
)PY");
    QString output;
    ASSERT_EQ(TestFiles::runPython(prelude + body, {m_dir.path()}, &output), 0)
        << output.toStdString();
}

void ViewFixture::makeDefaultBooks()
{
    makeBooks(QStringLiteral(R"PY(
left = [["k%d" % i, i, "x"] for i in range(1, 13)]
right = [list(r) for r in left]
right[3][1] = 400
right[8][2] = "y"
right.insert(6, ["k99", 99, "z"])
del right[11]          # k11 (after the insertion, at index 11)
book("L.xlsx", left)
book("R.xlsx", right)
)PY"));
}

void ViewFixture::run(const std::function<void(frmLeftRight &view)> &body)
{
    core = std::make_unique<ClsCompareCore>();
    core->SetAppendOpt(options);
    for (bool left : {true, false}) {
        TSingleSideConfig &side = left ? *core->m_leftObj : *core->m_rightObj;
        side.setFileName(file(left ? QStringLiteral("L.xlsx") : QStringLiteral("R.xlsx")));
        side.setKeyCol(QStringLiteral("A"));
    }
    ASSERT_TRUE(core->CheckOpt(true));
    bool ran = false;
    viewSeam.setRunner([&](frmLeftRight &view) {
        ran = true;
        shownView = &view;
        settle();
        body(view);
        settle();
        if (!view.isUnloaded()) {
            // Whatever the test left open goes without questions.
            if (frmPromptSave *p = view.findChild<frmPromptSave *>()) p->CmdCancel_Click();
            settle();
            for (bool left : {true, false}) {
                const auto &side = left ? core->m_leftObj : core->m_rightObj;
                if (side && side->GetDoc()) side->GetDoc()->setSaved(true);
            }
            view.close();
            settle();
        }
        EXPECT_TRUE(view.isUnloaded());
        shownView = nullptr;
    });
    CompareViewSeam::Scope installed(&viewSeam);
    core->CompareSheetEntry(true);
    EXPECT_TRUE(ran) << "the view was shown";
}

excel::SheetGridWindow *ViewFixture::grid(frmLeftRight &, bool left) const
{
    const auto &side = left ? core->m_leftObj : core->m_rightObj;
    auto *view = static_cast<excel::SheetAppView *>(side->GetExcelApp()->windowView());
    return view->mainWindow()->grid();
}

void ViewFixture::typeInto(frmLeftRight &view, bool left, int row, int column,
                           const QString &text) const
{
    excel::SheetGridWindow *g = grid(view, left);
    // Scrolled so that the cell shows, as the user would.
    const auto &side = left ? core->m_leftObj : core->m_rightObj;
    side->GetExcelApp()->ActiveWindow()->setScrollRow(std::max(1, row - 2));
    QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, g->cellRect(row, column).center());
    QTest::keyClicks(g, text);
    ASSERT_NE(g->editor(), nullptr);
    QTest::keyClick(g->editor(), Qt::Key_Return);
}

QStringList ViewFixture::readBack(const QString &path, const QString &sheet)
{
    QString output;
    const int rc = TestFiles::runPython(QStringLiteral(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])[sys.argv[2]]
for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=3, values_only=True):
    print("|".join("" if v is None else str(v) for v in row))
)PY"),
                                        {path, sheet}, &output);
    EXPECT_EQ(rc, 0) << output.toStdString();
    QStringList lines = output.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

frmPromptSave *ViewFixture::prompt()
{
    frmPromptSave *found = nullptr;
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<frmPromptSave *>(w); p && p->isVisible()) {
            found = p;
            ++count;
        }
    EXPECT_EQ(count, 1) << "save prompts shown";
    return count == 1 ? found : nullptr;
}

void ViewFixture::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

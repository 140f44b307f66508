// The view with the real pairing library: scrolling one hosted window scrolls the other, the
// view hears of it, and closing the view removes the linkage.

#include "diffview/PairwinHookManager.h"
#include "diffview/tests/ViewFixture.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Window.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/win/Windows.h"
#include "tests/support/ScrollBarParts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

namespace {

// The pairing library from the build's folder, without the registry.
class RealHooks : public HookManagerSeam
{
public:
    std::unique_ptr<HookManager> create() override
    {
        return PairwinHookManager::create(QStringLiteral(PAIRWIN_FOLDER "/"));
    }

private:
    HookManagerSeam::Scope m_installed{this};
};

class PairedScrolling : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(m_registry.isValid());
        // An empty registry: the library is found beside the program.
        qputenv("QUORVA_REGISTRY", m_registry.filePath(QStringLiteral("registry.reg")).toUtf8());
    }
    void TearDown() override
    {
        ViewFixture::TearDown();
        qunsetenv("QUORVA_REGISTRY");
    }
    int scrollRow(bool left) const
    {
        return (left ? core->m_leftObj : core->m_rightObj)
            ->GetExcelApp()
            ->ActiveWindow()
            ->ScrollRow();
    }
    QTemporaryDir m_registry;
};

} // namespace

TEST_F(PairedScrolling, BothWindowsScrollTogether)
{
    makeBooks(QStringLiteral(R"PY(
rows = [["k%d" % i, i] for i in range(1, 401)]
book("L.xlsx", rows)
book("R.xlsx", rows)
)PY"));
    RealHooks real;
    run([&](frmLeftRight &view) {
        EXPECT_NE(win::FindWindow(QString(), QStringLiteral("Qx_SpyHookWindow")), 0);
        for (bool left : {true, false}) {
            view.txtNoMoreDiff->show();
            view.NeedNotReDraw();
            QScrollBar *bar = grid(view, left)->verticalBar();
            const int before = scrollRow(left);
            QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                              scrollBarPart(bar, QStyle::SC_ScrollBarAddPage));
            for (int i = 0; i < 6; ++i) // what the handling posts is delivered too
                settle();
            EXPECT_GT(scrollRow(left), before);
            EXPECT_EQ(scrollRow(!left), scrollRow(left)) << (left ? "left" : "right");
            EXPECT_FALSE(view.txtNoMoreDiff->isVisible()) << "a scroll hides the line";
            EXPECT_TRUE(view.redrawPending()) << "the marks follow";
        }
        QTest::mouseClick(view.CmdQuit, Qt::LeftButton);
    });
    EXPECT_EQ(win::FindWindow(QString(), QStringLiteral("Qx_SpyHookWindow")), 0)
        << "the linkage ended with the view";
    EXPECT_TRUE(boxes.shown().empty());
}

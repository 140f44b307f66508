// The receiver window decoding reports into the manager: reports are sent to it by hand here,
// as the hook library would send them, and the follower is a real spreadsheet window.
#include "pairing/pairwin/ClsHookExcelManager.h"
#include "pairing/pairwin/ModHook.h"
#include "pairing/pairwin/frmHookMsgRcv.h"
#include "pairing/pairwin/tests/SheetApps.h"
#include "pairing/winhook/Winhook.h"
#include "platform/win/Messages.h"
#include "tests/support/FakeMessageBox.h"

#include <gtest/gtest.h>

using namespace win;
using pairwin::DISPID_OnPaint;
using pairwin::DISPID_OnScrolled;
using Event = ManagerEvents::Event;

namespace {

com::ComPtr<ClsHookExcelManager> newManager(com::ServerModule &module)
{
    auto *m = new ClsHookExcelManager(module);
    m->AddRef();
    return com::ComPtr<ClsHookExcelManager>::attach(m);
}

HWND receiverWindow()
{
    return FindWindow(QString(), QString::fromLatin1(winhook::SpyWindowTitle));
}

// Sends one report as the hook library does; returns WM_COPYDATA's answer.
LRESULT report(HWND window, UINT message, std::int32_t wParam, std::int32_t lParam)
{
    winhook::SpyParams params{wParam, lParam};
    COPYDATASTRUCT data{message, sizeof params, &params};
    return SendMessage(receiverWindow(), WM_COPYDATA, WPARAM(std::uint32_t(window)),
                       reinterpret_cast<LPARAM>(&data));
}

class Receiver : public ::testing::Test
{
protected:
    FakeMessageBox boxes;
    SheetWindowsInstalled installed;
    SheetApp left;
    SheetApp right;
    com::ServerModule module;
    com::ComPtr<ClsHookExcelManager> manager = newManager(module);
    ManagerEvents events{static_cast<pairwin::_ClsHookExcelManager *>(manager.get())};

    void SetUp() override
    {
        manager->AddPair(left.main(), right.main(), nullptr);
        manager->AddPair(right.main(), left.main(), nullptr);
        drainQueue();
        events.events.clear();
    }
    void TearDown() override { manager->RemoveAllPairs(); }
};

} // namespace

TEST_F(Receiver, ScrollReportsMoveTheFollowerAndRaiseTheEventAtOnce)
{
    ASSERT_NE(receiverWindow(), 0);
    const HWND L7 = left.excel7();
    struct
    {
        const char *what;
        UINT message;
        std::int32_t wParam;
        std::int32_t lParam;
        int leftRow, leftColumn; // where the left window stands when the report comes
        std::int32_t nPos;       // the position reported to the manager
        int rightRow, rightColumn;
    } cases[] = {
        {"thumb track: the high word", WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 18), left.vbar(), 1, 1,
         18, 19, 1},
        {"thumb position", WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 12), left.hbar(), 1, 1, 12, 19,
         13},
        {"high word 0x8000 and more is negative", WM_VSCROLL, std::int32_t(MAKEWPARAM(5, 0x8000)),
         left.vbar(), 1, 1, -32768, 32769, 13},
        {"other codes: the bar's position", WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), left.vbar(), 43,
         4, 42, 43, 13},
        {"no bar: the window's own position", WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), 0, 43, 7, 6,
         43, 7},
        {"end of scrolling", WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), left.vbar(), 100, 7, 99, 100,
         7},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        left.scrollTo(c.leftRow, c.leftColumn);
        drainQueue();
        events.events.clear();
        EXPECT_EQ(report(L7, c.message, c.wParam, c.lParam), 0);
        // Raised while the reporting window waits; the follower moves when the queue is run.
        EXPECT_EQ(events.events,
                  (std::vector<Event>{{DISPID_OnScrolled, {L7, std::int32_t(c.message), c.nPos}}}));
        drainQueue();
        EXPECT_EQ(right.row(), c.rightRow);
        EXPECT_EQ(right.column(), c.rightColumn);
    }
}

TEST_F(Receiver, WheelAndPaintAreHandledAfterTheReportReturns)
{
    const HWND L7 = left.excel7();
    const HWND R7 = right.excel7();
    left.scrollTo(30, 1);
    drainQueue();
    events.events.clear();
    report(L7, WM_MOUSEWHEEL, 150, 200);
    EXPECT_TRUE(events.events.empty());
    drainQueue();
    // The follower takes the spied window's vertical position; the event comes once, without one.
    EXPECT_EQ(events.scrolls(), (std::vector<Event>{{DISPID_OnScrolled, {L7, 522, 0}}}));
    EXPECT_EQ(right.row(), 30);

    events.events.clear();
    report(R7, WM_PAINT, 0, 0);
    EXPECT_TRUE(events.events.empty());
    drainQueue();
    EXPECT_EQ(events.paints(), (std::vector<Event>{{DISPID_OnPaint, {right.main(), R7}}}));
}

TEST_F(Receiver, IgnoresMalformedAndForeignReports)
{
    const HWND L7 = left.excel7();
    const HWND receiver = receiverWindow();
    winhook::SpyParams params{MAKEWPARAM(SB_THUMBPOSITION, 40), left.vbar()};
    COPYDATASTRUCT shortRecord{WM_VSCROLL, 4, &params};
    COPYDATASTRUCT noData{WM_VSCROLL, 8, nullptr};
    COPYDATASTRUCT unknown{WM_SIZE, 8, &params};
    for (LPARAM record : {LPARAM(0), reinterpret_cast<LPARAM>(&shortRecord),
                          reinterpret_cast<LPARAM>(&noData), reinterpret_cast<LPARAM>(&unknown)})
        EXPECT_EQ(SendMessage(receiver, WM_COPYDATA, WPARAM(std::uint32_t(L7)), record), 0);
    // Windows that are no pair's sheet window: nothing moves, nothing is raised.
    report(left.main(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), left.vbar());
    report(left.vbar(), WM_PAINT, 0, 0);
    report(left.vbar(), WM_MOUSEWHEEL, 0, 0);
    drainQueue();
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(right.row(), 1);

    // Without a manager the reports go nowhere.
    frmHookMsgRcv::instance().SetHooker(nullptr);
    report(L7, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), left.vbar());
    drainQueue();
    frmHookMsgRcv::instance().SetHooker(manager.get());
    EXPECT_TRUE(events.events.empty());
    EXPECT_EQ(right.row(), 1);
}

TEST_F(Receiver, PrintsEachReportOnlyWhileShown)
{
    const HWND L7 = left.excel7();
    frmHookMsgRcv &form = frmHookMsgRcv::instance();
    const QString before = form.LabelText();
    report(L7, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 18), left.vbar());
    EXPECT_EQ(form.LabelText(), before);
    EXPECT_FALSE(form.Visible());

    manager->put_ShowDebugWindow(pairwin::VARIANT_TRUE);
    pairwin::VARIANT_BOOL shown = 0;
    manager->get_ShowDebugWindow(&shown);
    EXPECT_EQ(shown, pairwin::VARIANT_TRUE);
    EXPECT_TRUE(IsWindowVisible(receiverWindow()));
    report(L7, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 18), left.vbar());
    EXPECT_EQ(
        form.LabelText(),
        QStringLiteral("hwnd=0x%1,msg=0x115,wParam=0x120005,lParam=0x%2,nPos=18")
            .arg(QString::number(L7, 16).toUpper(), QString::number(left.vbar(), 16).toUpper()));
    report(L7, WM_MOUSEWHEEL, 0, 0);
    drainQueue();
    EXPECT_EQ(form.LabelText(), QStringLiteral("hwnd=0x%1,msg=0x20A,wParam=0x0,lParam=0x0,nPos=0")
                                    .arg(QString::number(L7, 16).toUpper()));
    manager->put_ShowDebugWindow(pairwin::VARIANT_FALSE);
    EXPECT_FALSE(IsWindowVisible(receiverWindow()));
}

TEST(ReceiverLifetime, TheCurrentManagerTakesTheWindowAwayWhenItEnds)
{
    com::ServerModule module;
    com::ComPtr<ClsHookExcelManager> first = newManager(module);
    const HWND firstWindow = receiverWindow();
    ASSERT_NE(firstWindow, 0);
    EXPECT_FALSE(IsWindowVisible(firstWindow));
    EXPECT_EQ(ModHook::SubclassedWindow(), firstWindow);

    // A newer manager serves the same window; an older one ending must not take it away.
    com::ComPtr<ClsHookExcelManager> second = newManager(module);
    EXPECT_EQ(receiverWindow(), firstWindow);
    EXPECT_EQ(frmHookMsgRcv::instance().Hooker(), second.get());
    first.reset();
    EXPECT_EQ(receiverWindow(), firstWindow);
    EXPECT_EQ(frmHookMsgRcv::instance().Hooker(), second.get());

    second->UnLoadDebugWindow();
    EXPECT_EQ(receiverWindow(), 0);
    second->put_ShowDebugWindow(pairwin::VARIANT_FALSE); // loads it again, hidden
    const HWND again = receiverWindow();
    EXPECT_NE(again, 0);
    EXPECT_NE(again, firstWindow); // handles are never given out twice
    EXPECT_EQ(module.lockCount(), 1);
    second.reset();
    EXPECT_EQ(receiverWindow(), 0);
    EXPECT_EQ(frmHookMsgRcv::instance().Hooker(), nullptr);
    EXPECT_EQ(module.lockCount(), 0);
}

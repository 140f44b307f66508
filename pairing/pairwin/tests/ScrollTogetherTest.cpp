// Two spreadsheet windows scrolling together through Pairwin.so and Winhook.so, driven as a
// user drives them.
#include "pairing/pairwin/tests/SheetApps.h"
#include "pairing/winhook/Winhook.h"
#include "platform/com/ServerExports.h"
#include "platform/win/HookTable.h"
#include "platform/win/MessageBox.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

using namespace win;
using pairwin::_ClsHookExcelManager;
using pairwin::_ClsHookExcelPair;
using pairwin::VARIANT_BOOL;
using pairwin::VARIANT_FALSE;
using pairwin::VARIANT_TRUE;
using Event = ManagerEvents::Event;

namespace {

HWND receiverWindow()
{
    return FindWindow(QString(), QString::fromLatin1(winhook::SpyWindowTitle));
}

bool hooked(const SheetApp &app, int kind)
{
    return HookTable::instance().has(kind, app.thread());
}

com::ComPtr<_ClsHookExcelManager> managerFrom(const QString &module)
{
    com::ComPtr<_ClsHookExcelManager> m;
    const com::HRESULT hr = pairwin::CreateHookExcelManagerFromModule(module, m.put());
    EXPECT_EQ(hr, com::S_OK) << com::LastActivationError().toStdString();
    return m;
}

bool setSpyHook(_ClsHookExcelManager *m, bool on)
{
    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_EQ(m->SetSpyHook(on ? VARIANT_TRUE : VARIANT_FALSE, &result), com::S_OK);
    return result == VARIANT_TRUE;
}

void pairBoth(_ClsHookExcelManager *m, const SheetApp &a, const SheetApp &b)
{
    m->RemoveAllPairs();
    m->AddPair(a.main(), b.main(), nullptr);
    m->AddPair(b.main(), a.main(), nullptr);
}

class ScrollTogether : public ::testing::Test
{
protected:
    FakeMessageBox boxes;
    SheetWindowsInstalled installed;
    SheetApp left;
    SheetApp right;
    com::ComPtr<_ClsHookExcelManager> manager = managerFrom(QStringLiteral(PAIRWIN_MODULE));
    std::unique_ptr<ManagerEvents> events = std::make_unique<ManagerEvents>(manager.get());

    void SetUp() override
    {
        ASSERT_TRUE(manager);
        pairBoth(manager.get(), left, right);
        ASSERT_TRUE(setSpyHook(manager.get(), true));
        drainQueue();
        events->events.clear();
    }

    // Runs a user's action on one side, lets the queue run, and checks that the other side
    // stands where it does and that only the acting side reported scrolling.
    void expectFollows(const SheetApp &actor, const SheetApp &follower,
                       const std::function<void()> &action, const char *what)
    {
        SCOPED_TRACE(what);
        events->events.clear();
        const int row = actor.row();
        const int column = actor.column();
        action();
        drainQueue();
        EXPECT_TRUE(actor.row() != row || actor.column() != column) << "the action did nothing";
        EXPECT_EQ(follower.row(), actor.row());
        EXPECT_EQ(follower.column(), actor.column());
        const std::vector<Event> scrolls = events->scrolls();
        ASSERT_FALSE(scrolls.empty());
        for (const Event &e : scrolls)
            EXPECT_EQ(e.args[0], actor.excel7()); // the follower's own move is never reported
    }
};

} // namespace

TEST_F(ScrollTogether, EachKindOfScrollingOnEitherSideMovesTheOther)
{
    for (int turn = 0; turn < 2; ++turn) {
        const SheetApp &a = turn == 0 ? left : right;
        const SheetApp &b = turn == 0 ? right : left;
        QScrollBar *v = a.grid()->verticalBar();
        QScrollBar *h = a.grid()->horizontalBar();
        auto lastScroll = [&] { return events->scrolls().back(); };

        expectFollows(
            a, b, [&] { clickPart(v, QStyle::SC_ScrollBarAddLine); }, "line down");
        EXPECT_EQ(lastScroll(),
                  (Event{pairwin::DISPID_OnScrolled, {a.excel7(), 277, a.row() - 1}}));
        expectFollows(
            a, b, [&] { clickPart(v, QStyle::SC_ScrollBarAddPage); }, "page down");
        EXPECT_EQ(lastScroll(),
                  (Event{pairwin::DISPID_OnScrolled, {a.excel7(), 277, a.row() - 1}}));
        expectFollows(
            a, b, [&] { dragThumb(v, QPoint(0, 30)); }, "thumb dragged down");
        expectFollows(
            a, b, [&] { clickPart(v, QStyle::SC_ScrollBarSubLine); }, "line up");
        expectFollows(
            a, b, [&] { clickPart(h, QStyle::SC_ScrollBarAddLine); }, "column right");
        EXPECT_EQ(lastScroll(),
                  (Event{pairwin::DISPID_OnScrolled, {a.excel7(), 276, a.column() - 1}}));
        expectFollows(
            a, b, [&] { clickPart(h, QStyle::SC_ScrollBarAddPage); }, "page right");
        expectFollows(
            a, b, [&] { dragThumb(h, QPoint(25, 0)); }, "thumb dragged right");
        expectFollows(
            a, b, [&] { clickPart(h, QStyle::SC_ScrollBarSubPage); }, "page left");

        expectFollows(
            a, b, [&] { turnWheel(a.grid(), -240); }, "wheel down two notches");
        EXPECT_EQ(events->scrolls(),
                  (std::vector<Event>{{pairwin::DISPID_OnScrolled, {a.excel7(), 522, 0}}}));
        expectFollows(
            a, b, [&] { turnWheel(v, 120); }, "wheel up over the bar");
        EXPECT_EQ(events->scrolls().size(), 1u);
    }
}

TEST_F(ScrollTogether, RepaintsAreReportedForBothSides)
{
    left.scrollTo(40, 3); // from code: a repaint, no scroll message
    drainQueue();
    const std::vector<Event> paints = events->paints();
    ASSERT_FALSE(paints.empty());
    EXPECT_EQ(paints.back(), (Event{pairwin::DISPID_OnPaint, {left.main(), left.excel7()}}));
    EXPECT_TRUE(events->scrolls().empty());
    EXPECT_EQ(right.row(), 1); // only scrolling by the bars and the wheel is linked

    events->events.clear();
    clickPart(left.grid()->verticalBar(), QStyle::SC_ScrollBarAddLine);
    drainQueue();
    // The follower's repaint after its move is reported as its own paint.
    bool rightPainted = false;
    for (const Event &e : events->paints())
        rightPainted |= e.args == std::vector<std::int32_t>{right.main(), right.excel7()};
    EXPECT_TRUE(rightPainted);
}

TEST_F(ScrollTogether, ReleasingTheManagerRemovesEveryHookAndTheReceiver)
{
    for (const SheetApp *app : {&left, &right}) {
        EXPECT_TRUE(hooked(*app, WH_CALLWNDPROC));
        EXPECT_TRUE(hooked(*app, WH_MOUSE));
        EXPECT_FALSE(hooked(*app, WH_GETMESSAGE)); // its address is kept, the hook never set
    }
    EXPECT_NE(receiverWindow(), 0);
    void *module = dlopen(PAIRWIN_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<com::PFNDLLCANUNLOADNOW>(dlsym(module, "DllCanUnloadNow"));
    EXPECT_EQ(canUnload(), com::S_FALSE);

    events.reset(); // a connected sink would keep the manager alive
    manager.reset();
    for (const SheetApp *app : {&left, &right}) {
        EXPECT_FALSE(hooked(*app, WH_CALLWNDPROC));
        EXPECT_FALSE(hooked(*app, WH_MOUSE));
    }
    EXPECT_EQ(receiverWindow(), 0);
    EXPECT_EQ(canUnload(), com::S_OK);
    dlclose(module);

    clickPart(left.grid()->verticalBar(), QStyle::SC_ScrollBarAddPage);
    drainQueue();
    EXPECT_GT(left.row(), 1);
    EXPECT_EQ(right.row(), 1);
}

TEST_F(ScrollTogether, CompareAgainHooksTheNewPairsOnce)
{
    manager->RemoveAllPairs();
    EXPECT_FALSE(hooked(left, WH_CALLWNDPROC));
    turnWheel(left.grid(), -120);
    drainQueue();
    EXPECT_EQ(right.row(), 1);
    EXPECT_TRUE(events->scrolls().empty());

    pairBoth(manager.get(), left, right);
    EXPECT_TRUE(setSpyHook(manager.get(), true));
    EXPECT_TRUE(setSpyHook(manager.get(), true)); // a second call adds no second hook
    expectFollows(
        left, right, [&] { turnWheel(left.grid(), -120); }, "wheel after compare again");
    EXPECT_EQ(events->scrolls().size(), 1u);
    expectFollows(
        right, left, [&] { turnWheel(right.grid(), -120); }, "and the other way");
    EXPECT_EQ(events->scrolls().size(), 1u);
}

TEST_F(ScrollTogether, SetSpyHookFalseUnhooksAndMayBeRepeated)
{
    EXPECT_TRUE(setSpyHook(manager.get(), false));
    EXPECT_TRUE(setSpyHook(manager.get(), false)); // must not free the library twice
    EXPECT_FALSE(hooked(left, WH_CALLWNDPROC));
    EXPECT_FALSE(hooked(right, WH_MOUSE));
    turnWheel(left.grid(), -120);
    drainQueue();
    EXPECT_EQ(right.row(), 1);
    EXPECT_TRUE(setSpyHook(manager.get(), true));
    expectFollows(
        left, right, [&] { turnWheel(left.grid(), -120); }, "hooked again");
}

TEST_F(ScrollTogether, OneDirectionCanBeStoppedAndStartedAlone)
{
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(manager->StopHookOnePair(12345, &result), com::S_OK); // no such window
    EXPECT_EQ(result, VARIANT_FALSE);
    expectFollows(
        left, right, [&] { turnWheel(left.grid(), -120); }, "still linked");

    manager->StopHookOnePair(left.main(), nullptr);
    turnWheel(left.grid(), -120);
    drainQueue();
    EXPECT_EQ(right.row(), 4);
    EXPECT_EQ(left.row(), 7);
    expectFollows(
        right, left, [&] { turnWheel(right.grid(), -120); }, "the other way still");

    EXPECT_EQ(manager->StartHookOnePair(left.main(), right.main(), &result), com::S_OK);
    EXPECT_EQ(result, VARIANT_TRUE);
    expectFollows(
        left, right, [&] { turnWheel(left.grid(), -120); }, "started again");
    turnWheel(right.grid(), 120); // the reverse direction was silenced
    drainQueue();
    EXPECT_NE(left.row(), right.row());
}

TEST_F(ScrollTogether, APairKeepsItsFirstFollowerAndMovesItByTheLowSixteenBits)
{
    SheetApp other;
    VARIANT_BOOL added = VARIANT_TRUE;
    manager->AddPair(left.main(), other.main(), &added);
    EXPECT_EQ(added, VARIANT_FALSE);

    com::ComPtr<_ClsHookExcelPair> pair;
    ASSERT_EQ(manager->GetChild(left.excel7(), pair.put()), com::S_OK);
    HWND follower = 0;
    pair->GetCtrlExcel7Wnd(&follower);
    EXPECT_EQ(follower, right.excel7());
    HWND spied = 0;
    pair->get_SpyWnd(&spied);
    EXPECT_EQ(spied, left.main());
    com::Variant inHooking;
    pair->get_InHooking(&inHooking);
    EXPECT_EQ(inHooking, com::Variant(true));

    pair->OnRcv_WM_SCROLL(WM_VSCROLL, 65536 + 5);
    pair->OnRcv_WM_SCROLL(WM_HSCROLL, 7);
    pair->OnRcv_WM_SCROLL(WM_PAINT, 9); // neither scroll: nothing posted
    drainQueue();
    EXPECT_EQ(right.row(), 6);
    EXPECT_EQ(right.column(), 8);
    EXPECT_EQ(other.row(), 1);

    com::ComPtr<_ClsHookExcelPair> none;
    EXPECT_EQ(manager->GetChild(left.main(), none.put()), com::S_FALSE);
    EXPECT_FALSE(none);
}

TEST_F(ScrollTogether, AWindowWithoutSheetWindowFailsTheHookingAndSaysSo)
{
    QWidget plain;
    const HWND hPlain = hwndOf(&plain);
    manager->AddPair(hPlain, right.main(), nullptr); // stored under sheet window 0
    com::ComPtr<_ClsHookExcelPair> pair;
    EXPECT_EQ(manager->GetChild(0, pair.put()), com::S_OK);
    boxes.expect(vbOK);
    EXPECT_FALSE(setSpyHook(manager.get(), true));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].prompt, S("要HOOK的窗口不存在！m_hWndSpyExcel7=0x0"));
    EXPECT_EQ(boxes.shown()[0].style, vbCritical);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Pairwin"));
    // The pairs that could be hooked are.
    expectFollows(
        left, right, [&] { turnWheel(left.grid(), -120); }, "the good pairs");
}

namespace {

// Pairwin.so copied into a folder of its own, with or without a hook library beside it.
class BrokenInstallation : public ::testing::Test
{
protected:
    FakeMessageBox boxes;
    SheetWindowsInstalled installed;
    SheetApp left;
    SheetApp right;
    QTemporaryDir folder;

    com::ComPtr<_ClsHookExcelManager> install(const char *hookLibrary)
    {
        const QString pairwin = folder.filePath(QStringLiteral("Pairwin.so"));
        EXPECT_TRUE(QFile::copy(QStringLiteral(PAIRWIN_MODULE), pairwin));
        if (hookLibrary) {
            EXPECT_TRUE(QFile::copy(QString::fromLatin1(hookLibrary),
                                    folder.filePath(QStringLiteral("Winhook.so"))));
        }
        com::ComPtr<_ClsHookExcelManager> m = managerFrom(pairwin);
        if (m) pairBoth(m.get(), left, right);
        return m;
    }
};

} // namespace

TEST_F(BrokenInstallation, AMissingHookLibraryIsNamedAndNothingIsHooked)
{
    com::ComPtr<_ClsHookExcelManager> m = install(nullptr);
    ASSERT_TRUE(m);
    boxes.expect(vbOK);
    boxes.expect(vbOK);
    EXPECT_FALSE(setSpyHook(m.get(), true));
    const QString path = QDir(folder.path()).filePath(QStringLiteral("Winhook.so"));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].prompt, QStringLiteral("LoadLibrary %1 failed!").arg(path));
    EXPECT_EQ(boxes.shown()[0].style, vbCritical);
    EXPECT_TRUE(boxes.shown()[1].prompt.startsWith(QStringLiteral("SetSpyHook failed! err=126,")));
    EXPECT_TRUE(boxes.shown()[1].prompt.contains(path)) << boxes.shown()[1].prompt.toStdString();
    EXPECT_FALSE(hooked(left, WH_CALLWNDPROC));
    EXPECT_FALSE(hooked(right, WH_MOUSE));
}

TEST_F(BrokenInstallation, AHookLibraryWithoutItsMouseProcedureLeavesScrollingUnlinked)
{
    com::ComPtr<_ClsHookExcelManager> m = install(WINHOOK_STUB_MODULE);
    ASSERT_TRUE(m);
    boxes.expect(vbOK);
    EXPECT_FALSE(setSpyHook(m.get(), true));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].prompt,
              QStringLiteral("GetProcAddress QxSpyMouse failed! (%1)")
                  .arg(QDir(folder.path()).filePath(QStringLiteral("Winhook.so"))));
    EXPECT_FALSE(hooked(left, WH_MOUSE));
    m.reset();
    EXPECT_FALSE(hooked(left, WH_CALLWNDPROC));
    EXPECT_FALSE(hooked(right, WH_CALLWNDPROC));
}

TEST(ByProgId, TheManagerMadeThroughTheRegistryAnswersByNameToo)
{
    QTemporaryDir dir;
    qputenv("QUORVA_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toUtf8());
    QProcess regsvr32;
    regsvr32.start(QStringLiteral(QUORVA_REGSVR32),
                   {QStringLiteral("/s"), QStringLiteral(PAIRWIN_MODULE)});
    ASSERT_TRUE(regsvr32.waitForFinished(60000));
    ASSERT_EQ(regsvr32.exitCode(), 0);
    FakeMessageBox boxes;
    SheetWindowsInstalled installed;
    SheetApp left;
    SheetApp right;
    com::ComPtr<pairwin::_ClsHookExcelManager> manager;
    ASSERT_EQ(pairwin::CreateHookExcelManager(manager.put()), com::S_OK)
        << com::LastActivationError().toStdString();
    com::ComPtr<com::IDispatch> late;
    ASSERT_EQ(manager.as(com::IID_IDispatch, &late), com::S_OK);

    auto call = [&](const char *name, std::vector<com::Variant> args, com::HRESULT expected,
                    quint16 flags = com::DISPATCH_METHOD) {
        com::DISPID id = 0;
        EXPECT_EQ(late->GetIDsOfNames(QString::fromLatin1(name), &id), com::S_OK) << name;
        com::Variant result;
        EXPECT_EQ(late->Invoke(id, flags, args, &result), expected) << name;
        return result;
    };
    com::DISPID id = 0;
    EXPECT_EQ(late->GetIDsOfNames(QStringLiteral("addpair"), &id), com::S_OK);
    EXPECT_EQ(id, 0x60030004);
    EXPECT_EQ(late->GetIDsOfNames(QStringLiteral("NoSuchMember"), &id), com::DISP_E_UNKNOWNNAME);

    call("RemoveAllPairs", {}, com::S_OK);
    EXPECT_EQ(call("AddPair", {com::Variant(left.main()), com::Variant(right.main())}, com::S_OK),
              com::Variant(true));
    EXPECT_EQ(call("AddPair", {com::Variant(right.main()), com::Variant(left.main())}, com::S_OK),
              com::Variant(true));
    call("AddPair", {com::Variant(right.main())}, com::DISP_E_BADPARAMCOUNT);
    call("AddPair", {com::Variant(QStringLiteral("left")), com::Variant(1)},
         com::DISP_E_TYPEMISMATCH);
    call("GetChild", {com::Variant(left.excel7())}, com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(call("SetSpyHook", {com::Variant(true)}, com::S_OK), com::Variant(true));
    EXPECT_EQ(call("ShowDebugWindow", {}, com::S_OK, com::DISPATCH_PROPERTYGET),
              com::Variant(false));

    ManagerEvents events(manager.get());
    turnWheel(left.grid(), -120);
    drainQueue();
    EXPECT_EQ(right.row(), 4);
    EXPECT_EQ(events.scrolls().size(), 1u);
    qunsetenv("QUORVA_REGISTRY");
}

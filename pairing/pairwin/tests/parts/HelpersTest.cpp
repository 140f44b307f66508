// Word helpers, the lookup of the sheet window and its scroll bars, and the receiver's
// subclassing.
#include "pairing/pairwin/ModAPI.h"
#include "pairing/pairwin/ModHook.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QCoreApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace win;

TEST(ModAPI, BuildsAndTakesApartWords)
{
    struct
    {
        std::int32_t lo, hi, made, loWord, hiWord;
    } cases[] = {
        {4, 18, 0x00120004, 4, 18},
        {4, 65536 + 5, 0x00050004, 4, 5}, // only the low 16 bits of the position travel
        {5, 0x8000, std::int32_t(0x80000005u), 5, -32768},
        {-1, -1, -1, -1, -1},
        {0x12345, 0x7FFF, 0x7FFF2345, 0x2345, 0x7FFF},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ModAPI::MakeLong(c.lo, c.hi), c.made) << c.lo << "," << c.hi;
        EXPECT_EQ(ModAPI::MakeWParam(c.lo, c.hi), c.made);
        EXPECT_EQ(ModAPI::LoWord(c.made), c.loWord);
        EXPECT_EQ(ModAPI::HiWord(c.made), c.hiWord);
    }
    EXPECT_EQ(ModAPI::Hex4(0x1234ABCD), QStringLiteral("ABCD"));
    EXPECT_EQ(ModAPI::Hex4(0x0F), QStringLiteral("000F"));
    EXPECT_EQ(ModAPI::Hex(0x115), QStringLiteral("115"));
    EXPECT_EQ(ModAPI::Hex(0), QStringLiteral("0"));
    EXPECT_EQ(ModAPI::Hex(-1), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(ModAPI::GetWindowThreadId(0), 0u);
    EXPECT_EQ(ModAPI::GetWindowThreadId(0x7FFFFFF0), 0u); // no such window
}

namespace {

// A window tree as a spreadsheet main window has it, with children chosen to tell the rules
// apart.
struct Tree
{
    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    HWND hMain = registerWindow(main.get(), QStringLiteral("QxSheetFrame"), WS_OVERLAPPEDWINDOW);

    HWND child(QWidget *parent, const QString &cls, LONG style)
    {
        auto *w = new QWidget(parent);
        return registerWindow(w, cls, WS_CHILD | style);
    }
};

} // namespace

TEST(ModHook, FindsTheSheetWindowInsideTheDesk)
{
    Tree t;
    EXPECT_EQ(ModHook::GetExcel7Wnd(0), 0);
    EXPECT_EQ(ModHook::GetExcel7Wnd(t.hMain), 0); // no desk
    auto *desk = new QWidget(t.main.get());
    registerWindow(desk, QStringLiteral("XLDESK"), WS_CHILD);
    EXPECT_EQ(ModHook::GetExcel7Wnd(t.hMain), 0); // a desk without a sheet window
    const HWND excel7 = t.child(desk, QStringLiteral("EXCEL7"), 0);
    t.child(t.main.get(), QStringLiteral("EXCEL7"), 0); // not inside the desk: not it
    EXPECT_EQ(ModHook::GetExcel7Wnd(t.hMain), excel7);
}

TEST(ModHook, TakesTheFirstDescendantWhoseStyleBitMatchesWhateverItsClass)
{
    Tree t;
    auto *panel = new QWidget(t.main.get());
    const HWND hPanel = registerWindow(panel, QStringLiteral("Panel"), WS_CHILD); // bit 0 clear
    const HWND nestedVertical = t.child(panel, QStringLiteral("Button"), 1);
    const HWND vertical = t.child(t.main.get(), QStringLiteral("ScrollBar"), SBS_VERT);
    t.child(t.main.get(), QStringLiteral("ScrollBar"), SBS_HORZ);
    // Pre-order: the panel comes first, then what is inside it, then its later siblings.
    EXPECT_EQ(ModHook::GetScrollBarWnd(t.hMain, 0), hPanel);
    EXPECT_EQ(ModHook::GetScrollBarWnd(t.hMain, 1), nestedVertical);
    EXPECT_EQ(ModHook::GetScrollBarWnd(hPanel, 1), nestedVertical);
    EXPECT_EQ(ModHook::GetScrollBarWnd(hPanel, 0), 0);
    EXPECT_EQ(ModHook::GetScrollBarWnd(0, 1), 0);
    Q_UNUSED(vertical);
    // Each lookup lets go of the process-wide enumeration map when it is done.
    EXPECT_FALSE(ModHook::EnumMap());
}

namespace {

std::vector<UINT> g_seenByOldProc;

LRESULT oldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_seenByOldProc.push_back(message);
    return message == WM_USER ? 77 : DefWindowProc(hwnd, message, wParam, lParam);
}

} // namespace

TEST(ModHook, SubclassingKeepsCopyDataFromTheOldProcedureOnly)
{
    QWidget a;
    QWidget b;
    const HWND ha = registerWindow(&a, QStringLiteral("A"), WS_OVERLAPPEDWINDOW);
    const HWND hb = registerWindow(&b, QStringLiteral("B"), WS_OVERLAPPEDWINDOW);
    SetWindowLongPtr(ha, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&oldProc));
    ModHook::SubclassWindow(ha);
    EXPECT_EQ(GetWindowLongPtr(ha, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ModHook::WindowProc));
    g_seenByOldProc.clear();
    COPYDATASTRUCT junk; // not a report: ignored, and still answered 0
    EXPECT_EQ(SendMessage(ha, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&junk)), 0);
    EXPECT_EQ(SendMessage(ha, WM_USER, 0, 0), 77);
    PostMessage(ha, ModHook::WM_RCV_MOUSEWHEEL, 0, 0);
    PostMessage(ha, ModHook::WM_RCV_PAINT, 0, 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(g_seenByOldProc,
              (std::vector<UINT>{WM_USER, ModHook::WM_RCV_MOUSEWHEEL, ModHook::WM_RCV_PAINT}));

    // Subclassing another window first gives the old one its procedure back.
    ModHook::SubclassWindow(hb);
    EXPECT_EQ(GetWindowLongPtr(ha, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&oldProc));
    EXPECT_EQ(ModHook::SubclassedWindow(), hb);
    ModHook::UnsubclassWindow();
    EXPECT_EQ(GetWindowLongPtr(hb, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ClassWindowProc));
}

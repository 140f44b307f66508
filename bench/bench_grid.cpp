// The sheet window on a full 65,536 x 256 sheet, offscreen at 1920 x 1080: the time from making
// the window visible to its first painted frame, then at every zoom the window offers (10 to
// 400 percent) the repaint after scrolling one page (a page-down request sent to the sheet
// window, as the scroll bar sends it) and after one notch of the wheel (three rows), median and
// worst. Beside them the page repaint of an empty sheet (the floor: grid lines and headers only)
// and the 60 Hz frame budget, which the worst repaint should stay under.
//
// Prints "<figure> <value> <unit>" lines.

#include "platform/excel/Application.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 65536;
constexpr int kColumns = 256;
constexpr int kPages = 80;
constexpr int kNotches = 80;

// Texts (some Chinese), numbers, a few fills, patterns and font colours, as a report shows them.
void fill(excel::Workbook &book)
{
    excel::WorkbookData &data = book.data();
    excel::SheetData &sheet = *data.sheets.front();
    const std::uint32_t first = std::uint32_t(data.strings.size());
    for (int i = 0; i < 1000; ++i)
        data.strings.push_back(i % 3 ? QStringLiteral("item %1").arg(i)
                                     : QStringLiteral("文本%1").arg(i));
    excel::CellStyle red, yellow, hatched;
    red.fontColor = 0xFF0000;
    yellow.fillPattern = 1;
    yellow.fillColor = 0xFFFF00;
    hatched.fillPattern = -4162;
    const std::uint32_t styles = std::uint32_t(data.styles.size());
    data.styles.push_back(red);
    data.styles.push_back(yellow);
    data.styles.push_back(hatched);
    sheet.rows.resize(kRows);
    unsigned seed = 12345;
    for (int r = 1; r <= kRows; ++r) {
        std::vector<excel::Cell> &cells = sheet.rows[std::size_t(r - 1)];
        cells.resize(kColumns);
        for (int c = 1; c <= kColumns; ++c) {
            seed = seed * 1103515245u + 12345u;
            excel::Cell &cell = cells[std::size_t(c - 1)];
            cell.column = std::uint16_t(c);
            if (c % 2) {
                cell.setString(first + (seed >> 8) % 1000);
            } else {
                cell.setNumber(double((seed >> 4) % 1000000) / 100.0);
            }
            if (r % 7 == 0)
                cell.style = styles + 1;
            else if (c % 11 == 0)
                cell.style = styles;
            else if (r % 50 == 0)
                cell.style = styles + 2;
        }
    }
    for (int r = 10; r <= kRows; r += 1000)
        sheet.merges.push_back(excel::CellRect{r, 3, r + 1, 5});
    for (int r = 5; r <= kRows; r += 97)
        sheet.comments[excel::SheetData::commentKey(r, 4)] = excel::CellComment{};
    sheet.modified = true;
}

struct Shown
{
    std::shared_ptr<excel::Application> app = excel::Application::create();
    std::shared_ptr<excel::Workbook> book = app->Workbooks()->Add();

    excel::SheetGridWindow *grid() const
    {
        return static_cast<excel::SheetAppView *>(app->windowView())->mainWindow()->grid();
    }
    excel::SheetMainWindow *main() const
    {
        return static_cast<excel::SheetAppView *>(app->windowView())->mainWindow();
    }
};

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

struct Times
{
    double median = 0, worst = 0;
    double cpuMedian = 0; // of the painting thread, which other work on the machine does not add to
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Median and worst of `count` repaints after sending a scroll message, from the top, at a zoom.
Times scrollTimes(Shown &s, int zoom, int count, win::UINT message, win::WPARAM wParam)
{
    auto window = s.app->ActiveWindow();
    window->setZoom(zoom);
    window->setScrollRow(1);
    QCoreApplication::processEvents();
    std::vector<double> times, cpu;
    QElapsedTimer t;
    const win::HWND excel7 = s.grid()->hwnd();
    for (int i = 0; i < count; ++i) {
        t.start();
        const double cpuStart = threadCpuMs();
        // Sent as the bar (or the mouse hook) sends it: the window scrolls and repaints before
        // the call returns.
        win::SendMessage(excel7, message, wParam, 0);
        times.push_back(ms(t.nsecsElapsed()));
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return Times{times[times.size() / 2], times.back(), cpu[cpu.size() / 2]};
}

Times pageTimes(Shown &s, int zoom)
{
    return scrollTimes(s, zoom, kPages, win::WM_VSCROLL, win::MAKEWPARAM(win::SB_PAGEDOWN, 0));
}

Times notchTimes(Shown &s, int zoom)
{
    const auto down = unsigned(-win::WHEEL_DELTA) & 0xFFFFu;
    return scrollTimes(s, zoom, kNotches, win::WM_MOUSEWHEEL, win::MAKEWPARAM(0, down));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    win::setScreenDpi(96);
    excel::SheetWindows::install();

    Shown big;
    QElapsedTimer t;
    t.start();
    fill(*big.book);
    std::printf("grid_fill_store_65536x256 %.0f ms\n", ms(t.nsecsElapsed()));
    big.main()->resize(1920, 1080);

    t.start();
    big.app->setVisible(true);
    QCoreApplication::processEvents();
    std::printf("grid_first_paint_65536x256 %.1f ms\n", ms(t.nsecsElapsed()));

    Shown empty;
    empty.main()->resize(1920, 1080);
    empty.app->setVisible(true);
    QCoreApplication::processEvents();

    std::printf("frame_budget_60hz 16.7 ms\n");
    // Zooms named on the command line replace the sweep (to look at one closely).
    std::vector<int> zooms{10, 25, 50, 75, 100, 200, 400};
    if (argc > 1) zooms.clear();
    for (int i = 1; i < argc; ++i)
        zooms.push_back(std::clamp(std::atoi(argv[i]), 10, 400));
    double worstOfAll = 0;
    for (int zoom : zooms) {
        const Times page = pageTimes(big, zoom);
        const Times notch = notchTimes(big, zoom);
        const Times floor = pageTimes(empty, zoom);
        const auto visible = big.app->ActiveWindow()->VisibleRange();
        std::printf("grid_visible_cells_zoom%d %d cells\n", zoom,
                    visible.Rows().Count() * visible.Columns().Count());
        std::printf("grid_scroll_repaint_median_zoom%d %.2f ms\n", zoom, page.median);
        std::printf("grid_scroll_repaint_worst_zoom%d %.2f ms\n", zoom, page.worst);
        std::printf("grid_scroll_repaint_cpu_median_zoom%d %.2f ms\n", zoom, page.cpuMedian);
        std::printf("grid_wheel_repaint_median_zoom%d %.2f ms\n", zoom, notch.median);
        std::printf("grid_wheel_repaint_worst_zoom%d %.2f ms\n", zoom, notch.worst);
        std::printf("grid_scroll_repaint_empty_median_zoom%d %.2f ms\n", zoom, floor.median);
        worstOfAll = std::max({worstOfAll, page.worst, notch.worst});
    }
    std::printf("grid_repaint_worst_any_zoom %.2f ms\n", worstOfAll);
    big.app->Quit();
    empty.app->Quit();
    excel::SheetWindows::uninstall();
    return 0;
}

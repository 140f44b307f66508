#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class ClsComparePair;
class ClsMap;
class ClsOneRowDiff;
class ViewAligner;

namespace excel {
class Application;
class Workbook;
} // namespace excel

// The marks on the differing cells of the rows the difference view shows: ellipses drawn over
// both windows, or red text in the cells. Only the rows on screen are marked, found through an
// index of the marked pairs by their aligned left row, so a scroll over 65,536 rows costs the
// rows in view. Red text yields to the event loop while it works; a command that arrives then
// waits until the drawing has stopped, and a drawing can be asked to stop at its next turn.
class ViewDiffMarks
{
public:
    using AppRef = std::shared_ptr<excel::Application>;
    using BookRef = std::shared_ptr<excel::Workbook>;

    // A pair with a mark, by its aligned left row.
    struct MarkedPair
    {
        int newLeftRow;
        std::shared_ptr<ClsOneRowDiff> diff;
    };

    // What a drawing works on.
    struct Sides
    {
        AppRef leftApp, rightApp;
        BookRef leftBook, rightBook;
        ViewAligner *aligner = nullptr;
    };

    // Commands that waited for a drawing run later on `context`'s thread, while it lives.
    explicit ViewDiffMarks(QObject *context);

    // Indexes the pair's rows with differing cells by their aligned left row.
    void index(const std::shared_ptr<ClsComparePair> &pair);
    // The indexed pairs whose aligned left row lies in [first, first + count).
    std::vector<MarkedPair> visiblePairs(int first, int count) const;

    // Marks rows [first, first + count) in the session's way of showing differences (the
    // session option's ShowDiffMethod). False when the drawing was stopped before its end: its
    // marks are still to draw.
    bool draw(int showDiffMethod, int first, int count, const Sides &sides);

    bool drawing() const { return m_Drawing; }
    // The drawing under way stops at its next turn.
    void stop() { m_Stop = true; }
    // The view is closing: the drawing under way stops and touches neither side again.
    void detach();
    // The user edited a side while red marks were drawn: that side's changes are the user's.
    void noteEdit(bool left);
    // Runs the command now, or once the drawing under way has stopped.
    void afterDrawing(std::function<void()> command);
    // How often red marks let the event loop run, in milliseconds (0: after every cell).
    void setYieldInterval(int ms) { m_YieldMs = ms; }

private:
    void DrawDiffOverlay(int first, int count, const Sides &sides);
    void ColorDiffCells(int first, int count, const Sides &sides);
    void ColorRowDiff(int leftRow, int rightRow, const std::shared_ptr<ClsMap> &fields,
                      ViewAligner *aligner);
    bool halted() const { return m_Stop || m_Detached; }

    QPointer<QObject> m_Context;
    std::vector<MarkedPair> m_Marked; // ascending by aligned left row
    bool m_Drawing = false;
    bool m_Stop = false;
    bool m_Detached = false;
    bool m_EditedWhileDrawing[2] = {false, false}; // left, right
    int m_YieldMs = 30;
    std::vector<std::function<void()>> m_AfterDrawing;
};

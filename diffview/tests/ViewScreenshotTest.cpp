// Renders the difference view, made from a detail run as the program makes it, to
// frmLeftRight.png in $QUORVA_SCREENSHOT_DIR (the test's own folder otherwise), and checks on the
// way that the toolbar row's controls neither overlap nor clip their captions.

#include "diffview/SessionOptionDialogSeam.h"
#include "diffview/tests/ViewFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

using ViewScreenshot = ViewFixture;

QString screenshotDir(const QString &fallback)
{
    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = fallback;
    EXPECT_TRUE(QDir().mkpath(dir));
    return dir;
}

// The options dialog the main program would open, recorded.
class FakeOptionsDialog : public SessionOptionDialogSeam
{
public:
    void show(ClsSessionOption *option, QWidget *owner,
              std::function<void(bool changed)> closed) override
    {
        shownFor = option;
        this->owner = owner;
        this->closed = std::move(closed);
    }
    ClsSessionOption *shownFor = nullptr;
    QWidget *owner = nullptr;
    std::function<void(bool)> closed;

private:
    SessionOptionDialogSeam::Scope m_installed{this};
};

} // namespace

TEST_F(ViewScreenshot, RendersTheView)
{
    makeBooks(QStringLiteral(R"PY(
head = ["编号", "名称", "数量", "单价", "备注"]
left = [head] + [["A%03d" % i, "物品%d" % i, i * 3, 1.5 * i, "" if i % 4 else "季度"] for i in range(1, 41)]
right = [list(r) for r in left]
right[5][2] = 999
right[12][3] = 7.25
right[20][4] = "已改"
right.insert(9, ["A900", "新增", 1, 1.0, "右边"])
del right[30]
book("L.xlsx", left)
book("R.xlsx", right)
)PY"));
    run([&](frmLeftRight &view) {
        view.resize(1280, 720);
        settle();
        const QList<QWidget *> row{view.ToolbarButtons.at(0),
                                   view.ToolbarButtons.at(1),
                                   view.CboSize,
                                   view.CmdCompareAgain,
                                   view.CmdQuit,
                                   view.CmdAdvanceOption,
                                   view.txtResult};
        for (int i = 0; i < row.size(); ++i) {
            if (auto *b = qobject_cast<QAbstractButton *>(row[i])) {
                EXPECT_GE(b->width(), b->minimumSizeHint().width())
                    << b->objectName().toStdString() << " is clipped";
            }
            for (int j = i + 1; j < row.size(); ++j)
                EXPECT_FALSE(row[i]->geometry().intersects(row[j]->geometry()))
                    << row[i]->objectName().toStdString() << " overlaps "
                    << row[j]->objectName().toStdString();
        }
        view.ToolbarButtons.at(0)->click(); // the next difference
        settle();
        const QImage image = view.grab().toImage();
        ASSERT_FALSE(image.isNull());
        const QString dir = screenshotDir(m_dir.path());
        EXPECT_TRUE(image.save(QDir(dir).filePath(QStringLiteral("frmLeftRight.png"))));
    });
}

// The session options button opens the program's dialog over the view; the marks are drawn
// again after it closed, nothing is compared again.
TEST_F(ViewScreenshot, SessionOptionsFromTheView)
{
    makeDefaultBooks();
    FakeOptionsDialog dialog;
    run([&](frmLeftRight &view) {
        view.Timer1_Timer();
        EXPECT_FALSE(view.redrawPending());
        QTest::mouseClick(view.CmdAdvanceOption, Qt::LeftButton);
        EXPECT_EQ(dialog.shownFor, options.get());
        EXPECT_EQ(dialog.owner, &view);
        ASSERT_TRUE(dialog.closed);
        options->setShowDiffMethod(ClsSessionOption::ShowNoMarks);
        dialog.closed(true);
        EXPECT_TRUE(view.redrawPending());
        EXPECT_EQ(hooks.calls.count(QStringLiteral("SetSpyHook 1")), 1);
    });
}

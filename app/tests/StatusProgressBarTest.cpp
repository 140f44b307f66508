#include "app/StatusProgressBar.h"

#include <QProgressBar>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(StatusProgressBar, ShowsTheStartTheEndAndTheValuesBetweenNowAndThen)
{
    QProgressBar bar;
    bar.setRange(0, 100);
    StatusProgressBar progress(&bar);
    progress.setVisible(true);
    progress.setValue(3);
    EXPECT_EQ(bar.value(), 3) << "the first value of a run shows at once";
    progress.setValue(4);
    EXPECT_EQ(bar.value(), 3);
    progress.setValue(100);
    EXPECT_EQ(bar.value(), 100);
    progress.setValue(0);
    EXPECT_EQ(bar.value(), 0);
    QThread::msleep(StatusProgressBar::IntervalMs + 20);
    progress.setValue(250);
    EXPECT_EQ(bar.value(), 100) << "values are kept within 0 to 100";
    progress.setVisible(false);
    progress.setVisible(true);
    progress.setValue(7);
    EXPECT_EQ(bar.value(), 7) << "a new run starts showing at once";
}

} // namespace

#include <QCoreApplication>
#include <gtest/gtest.h>

// Tests of non-window code run with a core application so that Qt's text codecs and event
// loop are there; window tests link their own main with a QApplication.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "tests/support/XvfbDisplay.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // QUORVA_TEST_DISPLAY=xvfb runs the window tests on a private X server with a window
    // manager ("xvfb-bare": without one); otherwise they run headless. CTest lists the tests by
    // running the program without the test environment, so listing never starts a server.
    XvfbDisplay display;
    const QByteArray wanted = qgetenv("QUORVA_TEST_DISPLAY");
    if (wanted == "xvfb" || wanted == "xvfb-bare") {
        if (!display.start(wanted == "xvfb")) {
            std::fprintf(stderr, "no X display for the window tests: %s\n",
                         qPrintable(display.error()));
            return 1;
        }
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}

#include "ui/ModalDialog.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// On the desktop the call returns once the user has closed the dialog, which is then gone.
TEST(ModalDialog, RunsItsOwnLoopAndReturnsWhenClosed)
{
    ASSERT_TRUE(ModalDialog::blocking());
    for (int result : {int(QDialog::Accepted), int(QDialog::Rejected)}) {
        QPointer<QDialog> dialog = new QDialog;
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            wasModal = QApplication::activeModalWidget() == dialog.data();
            dialog->done(result);
        });
        int closedWith = -1;
        ModalDialog::show(dialog, [&](int r) { closedWith = r; });
        EXPECT_TRUE(wasModal);
        EXPECT_EQ(closedWith, result);
        EXPECT_TRUE(dialog.isNull());
    }
}

// While tests drive the windows the call returns at once; closing runs the same ending.
TEST(ModalDialog, ReturnsAtOnceWhileBlockingIsOff)
{
    ModalDialog::NonBlocking nonBlocking;
    EXPECT_FALSE(ModalDialog::blocking());
    QPointer<QDialog> dialog = new QDialog;
    int closedWith = -1;
    ModalDialog::show(dialog, [&](int r) { closedWith = r; });
    ASSERT_FALSE(dialog.isNull());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(closedWith, -1);
    dialog->reject();
    EXPECT_EQ(closedWith, int(QDialog::Rejected));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

} // namespace

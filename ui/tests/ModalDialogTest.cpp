#include "ui/ModalDialog.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The call returns at once with the dialog shown modally over the others; closing it, by a
// button or by Escape, runs the caller's ending and then deletes it.
TEST(ModalDialog, ShowsModallyWithoutALoopAndEndsOnClose)
{
    QWidget owner;
    owner.show();
    for (int way = 0; way < 2; ++way) {
        QPointer<QDialog> dialog = new QDialog(&owner);
        auto *ok = new QPushButton("OK", dialog);
        QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
        int closedWith = -1;
        ModalDialog::show(dialog, [&](int r) { closedWith = r; });
        ASSERT_FALSE(dialog.isNull());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), dialog.data());
        EXPECT_EQ(closedWith, -1);
        if (way == 0) QTest::mouseClick(ok, Qt::LeftButton);
        if (way == 1) QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_EQ(closedWith, way == 0 ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dialog.isNull());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

} // namespace

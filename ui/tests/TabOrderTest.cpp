#include "ui/ClsVbTab.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(VbTab, NumbersControlsInTheOrderAddedAndTheTabKeyFollowsIt)
{
    QDialog w;
    auto make = [&w](const char *name) {
        auto *e = new QLineEdit(&w);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    // Created in one order, tabbed in another; a frame without focus sits in between.
    QLineEdit *c = make("C");
    QLineEdit *b = make("B");
    auto *frame = new QGroupBox(&w);
    QLineEdit *a = make("A");
    auto *ok = new QPushButton("OK", &w);
    ok->setFocusPolicy(Qt::StrongFocus);
    w.show();
    QApplication::setActiveWindow(&w);

    ClsVbTab tab;
    tab.AddSons({a, b});
    tab.TabAdd(frame);
    tab.TabAdd(c);
    tab.TabAdd(ok);
    EXPECT_EQ(a->property("TabIndex").toInt(), 0);
    EXPECT_EQ(b->property("TabIndex").toInt(), 1);
    EXPECT_EQ(frame->property("TabIndex").toInt(), 2);
    EXPECT_EQ(c->property("TabIndex").toInt(), 3);
    EXPECT_EQ(ok->property("TabIndex").toInt(), 4);

    a->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget() == ok
                           ? QStringLiteral("OK")
                           : QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{"A", "B", "C", "OK"}));
}

} // namespace

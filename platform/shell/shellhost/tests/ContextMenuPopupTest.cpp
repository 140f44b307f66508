#include "platform/shell/shellhost/ContextMenuPopup.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using shell::ContextMenuHost;
using shell::ContextMenuPopup;

namespace {

ContextMenuHost::Command command(const char *caption, bool grayed, shell::UINT offset)
{
    ContextMenuHost::Command c;
    c.handler = 0;
    c.offset = offset;
    c.caption = QString::fromUtf8(caption);
    c.grayed = grayed;
    return c;
}

ContextMenuHost::Command separator()
{
    ContextMenuHost::Command c;
    c.separator = true;
    return c;
}

// Presses keys in the popup once it is up, as a user would.
void pressWhenShown(std::vector<Qt::Key> keys)
{
    QTimer::singleShot(50, [keys] {
        QWidget *popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        for (Qt::Key k : keys)
            QTest::keyClick(popup, k);
    });
}

TEST(ContextMenuPopup, GrayedCommandsShowButCannotBeChosen)
{
    const std::vector<ContextMenuHost::Command> commands = {
        separator(),
        command("开始比较", true, 0),
        command("作为左边文件", false, 1),
        command("与 /w/R&D.xlsx 开始比较", false, 2),
        separator(),
        separator(),
    };
    std::unique_ptr<QMenu> menu = ContextMenuPopup::buildMenu(commands);
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3); // separators at the ends carry nothing
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isEnabled());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("与 /w/R&&D.xlsx 开始比较"));

    // The keyboard skips the grayed first command.
    pressWhenShown({Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(ContextMenuPopup::exec(commands, QPoint(10, 10)), 2);
    pressWhenShown({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(ContextMenuPopup::exec(commands, QPoint(10, 10)), 3);
    pressWhenShown({Qt::Key_Escape});
    EXPECT_EQ(ContextMenuPopup::exec(commands, QPoint(10, 10)), -1);
}

TEST(ContextMenuPopup, AMenuWithoutCommandsSaysSo)
{
    std::unique_ptr<QMenu> menu = ContextMenuPopup::buildMenu({separator(), separator()});
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    // Nothing to choose: Return leaves the menu up, Escape closes it.
    pressWhenShown({Qt::Key_Return, Qt::Key_Escape});
    EXPECT_EQ(ContextMenuPopup::exec({}, QPoint(0, 0)), -1);
}

TEST(ContextMenuPopup, ClickingACommandChoosesIt)
{
    const std::vector<ContextMenuHost::Command> commands = {command("a", false, 0),
                                                            command("b", false, 1)};
    QTimer::singleShot(50, [] {
        auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        const QRect r = popup->actionGeometry(popup->actions().at(1));
        QTest::mouseClick(popup, Qt::LeftButton, Qt::NoModifier, r.center());
    });
    EXPECT_EQ(ContextMenuPopup::exec(commands, QPoint(20, 20)), 1);
}

} // namespace

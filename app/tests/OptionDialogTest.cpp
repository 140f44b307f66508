#include "app/frmOption.h"
#include "app/tests/DialogFixture.h"
#include "core/ModContextMenu.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "core/modRegistry.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestHelpers.h"
#include "ui/TwipsGeometry.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString kClsid = "{6B1F0C2E-3A8D-4F57-9E21-0C7D5A4B9E13}";

class OptionDialog : public DialogFixture
{
protected:
    static QString handler() { return QString::fromLatin1(ModContextMenu::HandlerKey); }
    static bool handlerExists()
    {
        win::HKEY key = 0;
        if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, handler(), 0, win::KEY_READ, &key) !=
            win::ERROR_SUCCESS)
            return false;
        win::RegCloseKey(key);
        return true;
    }
    static void registerMenulet()
    {
        ASSERT_TRUE(modRegistry::SetRegString(win::HKEY_CLASSES_ROOT, "Menulet.ShellExt\\Clsid", "",
                                              kClsid));
    }
    frmOption *open()
    {
        window->mnuOption->trigger();
        return shown<frmOption>();
    }
    // Ticks or unticks the box as a user does, by clicking it.
    static void setTicked(QCheckBox *box, bool ticked)
    {
        if (box->isChecked() != ticked)
            QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
        ASSERT_EQ(box->isChecked(), ticked);
    }
};

// OK writes or removes the handler key at once and the option follows; Cancel changes nothing.
TEST_F(OptionDialog, OkAppliesTheContextMenuAtOnceAndCancelChangesNothing)
{
    struct
    {
        const char *name;
        bool optionBefore, keyBefore, tick, ok, optionAfter, keyAfter;
    } const cases[] = {
        {"untick, OK", true, true, false, true, false, false},
        {"untick, Cancel", true, true, false, false, true, true},
        {"tick, OK", false, false, true, true, true, true},
        {"tick, Cancel", false, false, true, false, false, false},
        {"ticked, OK writes again", true, true, true, true, true, true},
        {"unticked, OK without a key", false, false, false, true, false, false},
    };
    frmMain *w = start();
    ASSERT_TRUE(w);
    registerMenulet();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        g_Options->setContextMenu(c.optionBefore);
        modRegistry::DeleteRegKey(win::HKEY_CLASSES_ROOT, handler());
        // A stale identifier shows whether OK wrote the key again.
        if (c.keyBefore) {
            ASSERT_TRUE(modRegistry::SetRegString(win::HKEY_CLASSES_ROOT, handler(), "", "{old}"));
        }
        frmOption *d = open();
        ASSERT_TRUE(d);
        EXPECT_EQ(d->chkContextMenu->isChecked(), c.optionBefore);
        setTicked(d->chkContextMenu, c.tick);
        QTest::mouseClick(c.ok ? d->cmdOK : d->CmdCancel, Qt::LeftButton);
        settle();
        EXPECT_FALSE(exists<frmOption>());
        EXPECT_EQ(g_Options->ContextMenu(), c.optionAfter);
        EXPECT_EQ(handlerExists(), c.keyAfter);
        if (c.keyAfter) {
            EXPECT_EQ(modRegistry::GetRegValue(win::HKEY_CLASSES_ROOT, handler(), ""),
                      c.ok ? kClsid : QStringLiteral("{old}"));
        }
    }
    EXPECT_TRUE(boxes.shown().empty());

    // The option reaches the settings file at exit; the dialog shows it again next time.
    g_Options->setContextMenu(true);
    frmOption *d = open();
    ASSERT_TRUE(d);
    setTicked(d->chkContextMenu, false);
    QTest::keyClick(d, Qt::Key_Return); // Enter presses OK
    settle();
    EXPECT_FALSE(g_Options->ContextMenu());
    d = open();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->chkContextMenu->isChecked());
    QTest::keyClick(d, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(quit());
    EXPECT_TRUE(settings().contains("[Explorer]\r\nContextMenu= 0\r\n"))
        << settings().toStdString();
}

// A registry that refuses the change is reported, and the option shows what the registry holds.
TEST_F(OptionDialog, ARegistryThatCannotBeChangedIsReportedAndTheOptionFollowsIt)
{
    frmMain *w = start();
    ASSERT_TRUE(w);

    // The extension is not registered: there is nothing to name in the handler key.
    g_Options->setContextMenu(true);
    frmOption *d = open();
    ASSERT_TRUE(d);
    boxes.expect(win::vbOK);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    settle();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].prompt.startsWith(S("文件管理器扩展 Menulet")))
        << boxes.shown()[0].prompt.toStdString();
    EXPECT_EQ(boxes.shown()[0].style, win::vbExclamation);
    EXPECT_EQ(boxes.shown()[0].title, "Quorva");
    EXPECT_FALSE(g_Options->ContextMenu());
    EXPECT_FALSE(handlerExists());
    d = open();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->chkContextMenu->isChecked()) << "not shown as on";
    d->reject();
    settle();

    // The handlers' key may be read but not changed.
    registerMenulet();
    ASSERT_EQ(win::RegSetKeyReadOnly(win::HKEY_CLASSES_ROOT, "*\\shellex", true),
              win::ERROR_SUCCESS);
    boxes.clear();
    d = open();
    ASSERT_TRUE(d);
    setTicked(d->chkContextMenu, true);
    boxes.expect(win::vbOK);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    settle();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].prompt.contains(
        "HKEY_CLASSES_ROOT\\*\\shellex\\ContextMenuHandlers\\Quorva"))
        << boxes.shown()[0].prompt.toStdString();
    EXPECT_FALSE(g_Options->ContextMenu());
    EXPECT_FALSE(handlerExists());

    // The key exists and cannot be removed: the menu still offers the commands.
    ASSERT_EQ(win::RegSetKeyReadOnly(win::HKEY_CLASSES_ROOT, "*\\shellex", false),
              win::ERROR_SUCCESS);
    ASSERT_TRUE(ModContextMenu::RegisterContextMenu());
    ASSERT_EQ(win::RegSetKeyReadOnly(win::HKEY_CLASSES_ROOT, handler(), true), win::ERROR_SUCCESS);
    g_Options->setContextMenu(true);
    boxes.clear();
    d = open();
    ASSERT_TRUE(d);
    setTicked(d->chkContextMenu, false);
    boxes.expect(win::vbOK);
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    settle();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].prompt.contains("ContextMenuHandlers\\Quorva"));
    EXPECT_TRUE(g_Options->ContextMenu());
    EXPECT_TRUE(handlerExists());
}

TEST_F(OptionDialog, ShowsOnePageAndWritesItsLanguageKeysInOrder)
{
    frmMain *w = start();
    ASSERT_TRUE(w);
    frmOption *d = open();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isModal());
    EXPECT_EQ(d->windowTitle(), S("选项"));
    EXPECT_EQ(nodeTexts(d->TreeView1), QStringList{S("文件管理器")});
    clickNode(d->TreeView1, S("文件管理器"));
    EXPECT_TRUE(d->frameGeneral->isVisible());
    EXPECT_EQ(d->frameGeneral->parentWidget(), d->frameOwner);
    EXPECT_EQ(d->frameGeneral->geometry(), d->frameOwner->rect());
    EXPECT_TRUE(d->TreeView1->hasFocus());
    EXPECT_EQ(languageSection("frmOption"),
              QStringList({S("chkContextMenu=在文件管理器中显示上下文菜单"), S("cmdOK=确定"),
                           S("CmdCancel=取消"), S("frmOption=选项"), S("Explorer=文件管理器")}));
    // Tab walks tree, box, OK, Cancel.
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        order.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, QStringList({"TreeView1", "chkContextMenu", "cmdOK", "CmdCancel"}));
    d->reject();
    settle();

    writeLanguageFile("English.Lan",
                      "[frmOption]\r\nfrmOption=Options\r\nExplorer=File manager\r\n"
                      "chkContextMenu=Show the comparison commands in the file manager\r\n");
    g_Options->setLanguageFileName("English.Lan");
    d = open();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "Options");
    EXPECT_EQ(nodeTexts(d->TreeView1), QStringList{"File manager"});
    EXPECT_EQ(d->chkContextMenu->text(), "Show the comparison commands in the file manager");
}

// The tree keeps 30 % of the window's width and the page stands 120 twips right of it.
TEST_F(OptionDialog, TheLayoutFollowsTheWindowsSize)
{
    start();
    frmOption *d = open();
    ASSERT_TRUE(d);
    for (QSize size : {QSize(480, 320), QSize(900, 500), d->minimumSize()}) {
        d->resize(size);
        settle();
        const int width = TwipsGeometry::formWidth(d);
        const int height = TwipsGeometry::formHeight(d);
        const int tree = TwipsGeometry::width(d->TreeView1);
        EXPECT_NEAR(tree, 0.3 * width, 15) << size.width();
        EXPECT_NEAR(TwipsGeometry::height(d->TreeView1), height - 850, 15);
        EXPECT_NEAR(TwipsGeometry::left(d->frameOwner), 120 + tree + 120, 15);
        EXPECT_NEAR(TwipsGeometry::width(d->frameOwner), width - 120 - tree - 300, 15);
        EXPECT_EQ(d->frameGeneral->size(), d->frameOwner->size());
        for (QPushButton *b : {d->cmdOK, d->CmdCancel}) {
            EXPECT_TRUE(d->rect().contains(b->geometry()));
            EXPECT_FALSE(b->geometry().intersects(d->frameOwner->geometry()));
        }
    }
}

} // namespace

#include "core/ProcessGlobals.h"
#include "diffview/frmPromptSave.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PromptSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(m_dir.path() + QStringLiteral("/Lang")));
        g_AppPath = m_dir.path() + QLatin1Char('/');
        g_Options.reset();
    }
    void TearDown() override
    {
        g_AppPath.clear();
        g_Options.reset();
    }
    QTemporaryDir m_dir;
};

// Clicks the box's indicator, as a user ticks it.
void tick(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

struct Shown
{
    bool leftEnabled, leftTicked, rightEnabled, rightTicked, okEnabled;
};

} // namespace

// The boxes follow the changed sides; OK is enabled exactly while a box is ticked.
TEST_F(PromptSave, BoxesFollowTheChangedSides)
{
    const struct
    {
        bool left, right;
        Shown shown;
    } cases[] = {
        {true, true, {true, true, true, true, true}},
        {true, false, {true, true, false, false, true}},
        {false, true, {false, false, true, true, true}},
        {false, false, {false, false, false, false, false}},
    };
    for (const auto &c : cases) {
        frmPromptSave dialog;
        dialog.InitDirty(c.left, c.right);
        dialog.show();
        const std::string what = std::to_string(c.left) + "," + std::to_string(c.right);
        EXPECT_EQ(dialog.ChkSaveLeft->isEnabled(), c.shown.leftEnabled) << what;
        EXPECT_EQ(dialog.ChkSaveLeft->isChecked(), c.shown.leftTicked) << what;
        EXPECT_EQ(dialog.ChkSaveRight->isEnabled(), c.shown.rightEnabled) << what;
        EXPECT_EQ(dialog.ChkSaveRight->isChecked(), c.shown.rightTicked) << what;
        EXPECT_EQ(dialog.cmdOK->isEnabled(), c.shown.okEnabled) << what;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorva"));
        EXPECT_FALSE(dialog.SaveLeft());
        EXPECT_FALSE(dialog.SaveRight());
    }
}

TEST_F(PromptSave, UntickingTheOnlyBoxDisablesOk)
{
    frmPromptSave dialog;
    dialog.InitDirty(true, false);
    dialog.show();
    tick(dialog.ChkSaveLeft);
    EXPECT_FALSE(dialog.ChkSaveLeft->isChecked());
    EXPECT_FALSE(dialog.cmdOK->isEnabled());
    tick(dialog.ChkSaveLeft);
    EXPECT_TRUE(dialog.cmdOK->isEnabled());
}

// Each way of closing gives its answer; the ticks count only with OK.
TEST_F(PromptSave, AnswersAndTicks)
{
    const struct
    {
        const char *how;
        int selected;
        bool saveLeft, saveRight;
    } cases[] = {
        {"ok", 2, true, false}, // the right box was unticked before OK
        {"dontsave", 1, false, false}, {"cancel", 0, false, false},
        {"escape", 0, false, false},   {"closebox", 0, false, false},
    };
    for (const auto &c : cases) {
        frmPromptSave dialog;
        dialog.InitDirty(true, true);
        dialog.show();
        tick(dialog.ChkSaveRight);
        int finished = -1;
        QObject::connect(&dialog, &QDialog::finished, [&](int r) { finished = r; });
        const std::string how = c.how;
        if (how == "ok")
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        else if (how == "dontsave")
            QTest::mouseClick(dialog.CmdDontSave, Qt::LeftButton);
        else if (how == "cancel")
            QTest::mouseClick(dialog.CmdCancel, Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        EXPECT_NE(finished, -1) << how << " closes the dialog";
        EXPECT_FALSE(dialog.isVisible()) << how;
        EXPECT_EQ(dialog.Selected(), c.selected) << how;
        EXPECT_EQ(dialog.SaveLeft(), c.saveLeft) << how;
        EXPECT_EQ(dialog.SaveRight(), c.saveRight) << how;
    }
}

// The captions come from the language file, except the window's title.
TEST_F(PromptSave, CaptionsFromTheLanguageFile)
{
    ASSERT_TRUE(TestFiles::write(g_AppPath + QStringLiteral("Lang/ChineseS.Lan"),
                                 "[frmPromptSave]\r\nfrmPromptSave=Save?\r\n"
                                 "cmdOK=Save ticked\r\nChkSaveLeft=Left file\r\n"));
    frmPromptSave dialog;
    dialog.InitDirty(true, true);
    dialog.show();
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("Save ticked"));
    EXPECT_EQ(dialog.ChkSaveLeft->text(), QStringLiteral("Left file"));
    EXPECT_EQ(dialog.CmdDontSave->text(), QString::fromUtf8("不保存"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorva"));
    // Tab order: the boxes, then OK, Don't save, Cancel.
    EXPECT_EQ(dialog.ChkSaveLeft->property("TabIndex").toInt(), 0);
    EXPECT_EQ(dialog.CmdCancel->property("TabIndex").toInt(), 4);
}

#include "app/frmScript.h"
#include "app/tests/DialogFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHelpers.h"
#include "ui/TwipsGeometry.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class ScriptDialog : public DialogFixture
{
protected:
    QString script(const QString &name) const { return folder() + "Script/" + name; }
    void writeScript(const QString &name, const QByteArray &bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
        ASSERT_TRUE(TestFiles::write(script(name), bytes));
    }
    frmScript *open()
    {
        window->mnuScript->trigger();
        settle();
        return shown<frmScript>();
    }
    static QStringList keys(const QTreeWidget *tree)
    {
        QStringList k;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            k.append(tree->topLevelItem(i)->data(0, Qt::UserRole).toString());
        return k;
    }
    // The preview's notice lines (above the file's text) and the text itself.
    static QString preview(const frmScript *d) { return d->RichTextBox1->toPlainText(); }
};

TEST_F(ScriptDialog, ListsTheScriptsWhateverTheirCaseAndShowsTheFirst)
{
    writeScript("b.VBS", "' b\r\n");
    writeScript("a.vbs", "' small a\r\n");
    writeScript("A.vbs", "' capital A\r\n");
    writeScript("c.Vbs", "' c\r\n");
    writeScript("notes.txt", "not a script");
    writeScript("d.vbs.bak", "not a script");
    ASSERT_TRUE(QDir().mkpath(folder() + "Script/folder.vbs"));
    start();
    frmScript *d = open();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isModal());
    EXPECT_EQ(d->windowTitle(), S("脚本系统"));
    EXPECT_EQ(nodeTexts(d->TreeView1), QStringList({"A.vbs", "a.vbs", "b.VBS", "c.Vbs"}));
    EXPECT_EQ(keys(d->TreeView1),
              QStringList({script("A.vbs"), script("a.vbs"), script("b.VBS"), script("c.Vbs")}));
    EXPECT_EQ(preview(d), "' capital A\n");
    EXPECT_TRUE(d->RichTextBox1->isReadOnly());

    // A click shows a file, another click replaces it; the arrow keys walk the list.
    clickNode(d->TreeView1, "a.vbs");
    EXPECT_EQ(preview(d), "' small a\n");
    clickNode(d->TreeView1, "c.Vbs");
    EXPECT_EQ(preview(d), "' c\n");
    d->TreeView1->setFocus();
    QTest::keyClick(d->TreeView1, Qt::Key_Up);
    EXPECT_EQ(preview(d), "' b\n");

    // The preview changes nothing on disk, whatever is typed into it.
    d->RichTextBox1->setFocus();
    QTest::keyClicks(d->RichTextBox1, "xyz");
    EXPECT_EQ(preview(d), "' b\n");
    EXPECT_EQ(TestFiles::read(script("b.VBS")), "' b\r\n");
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    settle();
    EXPECT_FALSE(exists<frmScript>());
    EXPECT_EQ(languageSection("frmScript"),
              QStringList({S("cmdOK=确定"), S("frmScript=脚本系统")}));
}

TEST_F(ScriptDialog, WithoutScriptsTheTreeIsEmptyAndTheWindowStillOpens)
{
    start();
    for (bool folderThere : {false, true}) {
        if (folderThere) {
            ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
        }
        frmScript *d = open();
        ASSERT_TRUE(d);
        EXPECT_EQ(d->TreeView1->topLevelItemCount(), 0);
        EXPECT_EQ(preview(d), "");
        QTest::keyClick(d, Qt::Key_Escape);
        settle();
        EXPECT_FALSE(exists<frmScript>());
    }
}

// Scripts written as UTF-8 (with or without a BOM) or in the Chinese code page read alike; bytes
// that neither explains, a file that cannot be read and a very large file each say so above the
// text.
TEST_F(ScriptDialog, ThePreviewDecodesTheFileAndSaysWhatItCannotShow)
{
    writeScript("1utf8.vbs", "' 相等\r\n");
    writeScript("2bom.vbs", "\xEF\xBB\xBF' 相等\r\n");
    writeScript("3gbk.vbs", "' \xCF\xE0\xB5\xC8\r\n"); // "相等" in the Chinese code page
    writeScript("4broken.vbs", "' ok\r\n\x81\x20 \xFF end\r\n");
    writeScript("5nul.vbs", QByteArray("a\0b\r\n", 5));
    ASSERT_TRUE(QFile::link(folder() + "Script/missing-target", script("6gone.vbs")));
    QByteArray big;
    const QByteArray line = "' 0123456789012345678901234567890123456789012345678901234567890\r\n";
    while (big.size() <= frmScript::MaxPreviewBytes)
        big += line;
    writeScript("7big.vbs", big);
    start();
    frmScript *d = open();
    ASSERT_TRUE(d);

    const QString same = S("' 相等\n");
    for (const char *name : {"1utf8.vbs", "2bom.vbs", "3gbk.vbs"}) {
        clickNode(d->TreeView1, name);
        EXPECT_EQ(preview(d), same) << name;
    }
    clickNode(d->TreeView1, "4broken.vbs");
    EXPECT_TRUE(preview(d).startsWith(S("文件中有无法识别的字符"))) << preview(d).toStdString();
    EXPECT_TRUE(preview(d).contains(script("4broken.vbs")));
    EXPECT_TRUE(preview(d).contains(QChar(0xFFFD)));
    // Every byte that nothing explains is one unknown character; the rest stays readable.
    EXPECT_TRUE(preview(d).endsWith(S("\n' ok\n\uFFFD  \uFFFD end\n"))) << preview(d).toStdString();

    clickNode(d->TreeView1, "5nul.vbs");
    EXPECT_EQ(preview(d), QStringLiteral("a") + QChar(0xFFFD) + "b\n");

    clickNode(d->TreeView1, "6gone.vbs");
    EXPECT_TRUE(preview(d).startsWith(S("无法读取脚本文件：") + script("6gone.vbs")))
        << preview(d).toStdString();

    clickNode(d->TreeView1, "7big.vbs");
    const QString text = preview(d);
    EXPECT_TRUE(text.startsWith(S("文件太大，只显示了开头的部分：2 MB\n")))
        << text.left(80).toStdString();
    EXPECT_LE(text.size(), frmScript::MaxPreviewBytes + 100);
    EXPECT_TRUE(text.endsWith("890\n")) << "whole lines only";

    // Going back shows the first file again.
    clickNode(d->TreeView1, "1utf8.vbs");
    EXPECT_EQ(preview(d), same);
}

TEST_F(ScriptDialog, TheLayoutFollowsTheWindowsSize)
{
    writeScript("a.vbs", "' a\r\n");
    start();
    frmScript *d = open();
    ASSERT_TRUE(d);
    const int treeWidth = TwipsGeometry::width(d->TreeView1);
    for (QSize size : {QSize(640, 440), QSize(1000, 700), d->minimumSize()}) {
        d->resize(size);
        settle();
        const int width = TwipsGeometry::formWidth(d);
        const int height = TwipsGeometry::formHeight(d);
        EXPECT_EQ(TwipsGeometry::width(d->TreeView1), treeWidth);
        EXPECT_NEAR(TwipsGeometry::height(d->TreeView1),
                    height - TwipsGeometry::height(d->cmdOK) - 800, 15);
        EXPECT_NEAR(TwipsGeometry::left(d->RichTextBox1), 150 + treeWidth + 100, 15);
        EXPECT_NEAR(TwipsGeometry::width(d->RichTextBox1), width - treeWidth - 150 - 400, 15);
        EXPECT_EQ(d->RichTextBox1->height(), d->TreeView1->height());
        EXPECT_NEAR(TwipsGeometry::left(d->cmdOK), width - TwipsGeometry::width(d->cmdOK) - 300,
                    15);
        EXPECT_TRUE(d->rect().contains(d->cmdOK->geometry())) << size.width();
        EXPECT_GE(d->cmdOK->width(), d->cmdOK->sizeHint().width());
    }
}

} // namespace

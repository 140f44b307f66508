#include "app/frmAbout.h"
#include "app/frmLanguage.h"
#include "app/frmSession.h"
#include "app/tests/DialogFixture.h"
#include "core/ProcessGlobals.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using LanguageDialog = DialogFixture;
using AboutBox = DialogFixture;

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

void clickItem(QListWidget *list, const QString &text, bool twice = false)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    const QPoint at = list->visualItemRect(found.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

TEST_F(LanguageDialog, ListsTheLanguagesByNameInFileOrderAndSelectsTheCurrentOne)
{
    for (const char *name : {"zh.lan", "English.LAN", "ChineseS.Lan", "Deutsch.Lan", "notes.txt",
                             "Lan", "french.lan.bak", "de.Lan", "ChineseT.lan"})
        writeLanguageFile(name, "");
    // A translator's own name for the language wins over the one its file name suggests.
    writeLanguageFile("Pinyin.Lan", "[frmLanguage]\r\nLanguageName=  Hanyu Pinyin \r\n");
    writeLanguageFile("zh_CN.Lan", "[frmLanguage]\r\nLanguageName=\r\n");
    ASSERT_TRUE(QDir().mkpath(folder() + "Lang/Folder.Lan"));
    frmMain *w = start();
    w->mnuLanguage->trigger();
    frmLanguage *d = shown<frmLanguage>();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isModal());
    // Two files of one language are told apart by their file names.
    EXPECT_EQ(listTexts(d->LstLanguage),
              QStringList({S("简体中文 (ChineseS.Lan)"), S("繁體中文"), "Deutsch (de.Lan)",
                           "Deutsch (Deutsch.Lan)", "English", "Hanyu Pinyin",
                           S("简体中文 (zh.lan)"), S("简体中文 (zh_CN.Lan)")}));
    ASSERT_TRUE(d->LstLanguage->currentItem());
    EXPECT_EQ(d->LstLanguage->currentItem()->text(), S("简体中文 (ChineseS.Lan)"));
    EXPECT_TRUE(d->LstLanguage->currentItem()->isSelected());
    EXPECT_EQ(d->windowTitle(), "Language");

    // The dialog's own captions, and the name of the language, went into the current file.
    EXPECT_TRUE(languageSection("frmLanguage").contains(S("LanguageName=简体中文")));
    d->reject();
    settle();

    // The file, not the name shown, is what is chosen.
    w->mnuLanguage->trigger();
    d = shown<frmLanguage>();
    ASSERT_TRUE(d);
    clickItem(d->LstLanguage, "Deutsch (de.Lan)");
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(g_Options->LanguageFileName(), "de.Lan");
}

TEST_F(LanguageDialog, NothingChosenAsksForALanguageAndStaysOpen)
{
    // Without a language folder the list is empty (and no language file can be written).
    ASSERT_TRUE(QDir(folder() + "Lang").removeRecursively());
    frmMain *w = start();
    const QString before = g_Options->LanguageFileName();
    // OK, Enter in the list, and Enter on the dialog.
    for (int way = 0; way < 3; ++way) {
        w->mnuLanguage->trigger();
        frmLanguage *d = shown<frmLanguage>();
        ASSERT_TRUE(d);
        EXPECT_EQ(d->LstLanguage->count(), 0);
        boxes.clear();
        boxes.expect(win::vbOK);
        if (way == 0) QTest::mouseClick(d->OKButton, Qt::LeftButton);
        if (way == 1) QTest::keyClick(d->LstLanguage, Qt::Key_Return);
        if (way == 2) QTest::keyClick(d, Qt::Key_Enter);
        settle();
        ASSERT_EQ(boxes.shown().size(), 1u) << way;
        EXPECT_EQ(boxes.shown()[0].prompt, "Please Select one language.");
        EXPECT_EQ(boxes.shown()[0].style, win::vbCritical);
        EXPECT_EQ(boxes.shown()[0].title, "Quorva");
        EXPECT_TRUE(d->isVisible()) << way;
        QTest::mouseClick(d->CancelButton, Qt::LeftButton);
        settle();
        EXPECT_FALSE(exists<frmLanguage>()) << "closed and gone";
    }
    EXPECT_EQ(g_Options->LanguageFileName(), before);
}

// OK, a double click and Enter each switch the main window and every session window at once.
TEST_F(LanguageDialog, ChoosingALanguageRecaptionsEveryOpenWindow)
{
    writeLanguageFile("English.Lan", "[frmMain]\r\nmnuFile=&File\r\nmnuLanguage=&Language\r\n"
                                     "ProjectList=Projects\r\n"
                                     "[frmSession]\r\nlblLeftFileName=Left file:\r\n");
    writeLanguageFile("Pinyin.Lan", "[frmMain]\r\nmnuFile=Wenjian\r\n"
                                    "[frmSession]\r\nlblLeftFileName=Zuobian:\r\n");
    writeLanguageFile("ChineseS.Lan", "");
    frmMain *w = start();
    w->mnuFileNew->trigger();
    w->mnuFileNew->trigger();
    settle();
    ASSERT_EQ(w->SessionWindows().size(), 2);
    EXPECT_EQ(w->mnuFile->title(), S("文件(&F)"));

    struct
    {
        const char *file, *menu, *label;
        int way; // 0 OK button, 1 double click, 2 Enter in the list
    } const cases[] = {{"English.Lan", "&File", "Left file:", 0},
                       {"Pinyin.Lan", "Wenjian", "Zuobian:", 1},
                       {"English.Lan", "&File", "Left file:", 2}};
    auto shownAs = [](const QString &file) { return QFileInfo(file).completeBaseName(); };
    for (const auto &c : cases) {
        w->mnuLanguage->trigger();
        frmLanguage *d = shown<frmLanguage>();
        ASSERT_TRUE(d);
        if (c.way == 0) {
            clickItem(d->LstLanguage, shownAs(c.file));
            QTest::mouseClick(d->OKButton, Qt::LeftButton);
        } else if (c.way == 1) {
            clickItem(d->LstLanguage, shownAs(c.file), true);
        } else {
            clickItem(d->LstLanguage, shownAs(c.file));
            QTest::keyClick(d->LstLanguage, Qt::Key_Return);
        }
        settle();
        EXPECT_FALSE(exists<frmLanguage>()) << c.file;
        EXPECT_EQ(g_Options->LanguageFileName(), c.file);
        EXPECT_EQ(w->mnuFile->title(), c.menu) << c.file;
        for (frmSession *frm : w->SessionWindows())
            EXPECT_EQ(frm->lblLeftFileName->text(), c.label) << c.file;
    }
    EXPECT_EQ(w->ListView1->headerItem()->text(0), "Projects");
    // A window opened afterwards comes up in the chosen language.
    w->mnuFileNew->trigger();
    settle();
    EXPECT_EQ(w->ActiveSessionWindow()->lblLeftFileName->text(), "Left file:");

    // Cancel changes nothing.
    w->mnuLanguage->trigger();
    frmLanguage *d = shown<frmLanguage>();
    ASSERT_TRUE(d);
    clickItem(d->LstLanguage, "Pinyin");
    QTest::mouseClick(d->CancelButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(g_Options->LanguageFileName(), "English.Lan");
    EXPECT_EQ(w->mnuFile->title(), "&File");

    // The choice reaches the settings file at exit.
    for (int i = 0; i < 3; ++i)
        boxes.expect(win::vbNo); // do not save the untitled sessions
    EXPECT_TRUE(quit());
    EXPECT_TRUE(settings().contains("Language=English.Lan")) << settings().toStdString();
}

TEST_F(LanguageDialog, WritesItsKeysAndTakesItsCaptionsFromTheLanguageFile)
{
    frmMain *w = start();
    w->mnuLanguage->trigger();
    ASSERT_TRUE(shown<frmLanguage>());
    EXPECT_EQ(languageSection("frmLanguage"),
              QStringList({S("OKButton=确定"), S("CancelButton=取消"), "frmLanguage=Language",
                           S("LanguageName=简体中文")}));
    shown<frmLanguage>()->reject();
    settle();

    writeLanguageFile("English.Lan", "[frmLanguage]\r\nOKButton=OK\r\nCancelButton=Cancel\r\n"
                                     "frmLanguage=Choose a language\r\n");
    g_Options->setLanguageFileName("English.Lan");
    w->mnuLanguage->trigger();
    frmLanguage *d = shown<frmLanguage>();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "Choose a language");
    EXPECT_EQ(d->OKButton->text(), "OK");
    EXPECT_EQ(d->CancelButton->text(), "Cancel");
    // Escape is Cancel.
    QTest::keyClick(d, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(exists<frmLanguage>());
}

TEST_F(AboutBox, ShowsTheNameAndTheBuildsVersion)
{
    frmMain *w = start();
    w->mnuAbout->trigger();
    frmAbout *d = shown<frmAbout>();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isModal());
    EXPECT_EQ(d->windowTitle(), S("关于"));
    EXPECT_EQ(d->lblTitle->text(), "Quorva");
    EXPECT_EQ(frmAbout::VersionNumber(), QUORVA_PROJECT_VERSION);
    EXPECT_EQ(d->lblVersion->text(), S("版本 ") + QUORVA_PROJECT_VERSION);
    EXPECT_EQ(d->Line1.size(), 2);
    EXPECT_FALSE(d->picIcon->findChild<QLabel *>()->pixmap().isNull());
    EXPECT_EQ(languageSection("frmAbout"), QStringList({S("lblVersion=版本"), S("cmdOK=确定"),
                                                        S("frmAbout=关于"), S("Version=版本")}));
    QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    settle();
    EXPECT_FALSE(exists<frmAbout>());

    // The product's name never comes from the language file.
    writeLanguageFile("English.Lan", "[frmAbout]\r\nfrmAbout=About\r\nlblTitle=Other\r\n"
                                     "Version=Version\r\ncmdOK=OK\r\n");
    g_Options->setLanguageFileName("English.Lan");
    w->mnuAbout->trigger();
    d = shown<frmAbout>();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "About");
    EXPECT_EQ(d->lblTitle->text(), "Quorva");
    EXPECT_EQ(d->lblVersion->text(), QStringLiteral("Version ") + QUORVA_PROJECT_VERSION);
    EXPECT_EQ(d->cmdOK->text(), "OK");
    QTest::keyClick(d, Qt::Key_Return);
    settle();
    EXPECT_FALSE(exists<frmAbout>());
}

} // namespace

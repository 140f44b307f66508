#include "core/ProcessGlobals.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"
#include "ui/ModDialog.h"
#include "ui/QtFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const int SaveFlags =
    ModDialog::OFN_OVERWRITEPROMPT | ModDialog::OFN_EXPLORER | ModDialog::OFN_LONGNAMES;

class SaveDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldAppPath = g_AppPath;
        g_AppPath = folder() + "program/";
        ASSERT_TRUE(QDir().mkpath(g_AppPath));
    }
    void TearDown() override { g_AppPath = m_oldAppPath; }
    QString folder() const { return m_dir.path() + '/'; }

    QTemporaryDir m_dir;
    QString m_oldAppPath;
};

TEST_F(SaveDialog, StartsInAnExistingFolderElseInTheHomeFolder)
{
    const QString program = folder() + "program";
    const QString home = QDir::homePath();
    ASSERT_TRUE(TestFiles::write(folder() + "a.vrk", ""));
    const struct
    {
        QString given, used;
    } cases[] = {
        {folder() + "program", program + "/"},
        {folder(), folder()},
        {"  " + folder() + "  ", folder()},
        {folder() + "a.vrk", home}, // a project's own name is no folder
        {folder() + "gone", home},
        {"", home},
        {"   ", home},
        {"New Project 1", home},
    };
    for (const auto &c : cases) {
        FakeFileDialog dialogs;
        dialogs.answer("");
        QString start = c.given;
        EXPECT_EQ(ModDialog::ShowSaveFileDialog(nullptr, "x", "t", start, "*.vrk|*.vrk", SaveFlags),
                  "");
        EXPECT_EQ(start, c.used) << c.given.toStdString();
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].folder, c.used) << c.given.toStdString();
    }
}

TEST_F(SaveDialog, OffersTheDefaultNameAndPassesTheFilterTitleAndFlags)
{
    const struct
    {
        QString name, offered, filter, seamFilter;
        int flags;
    } cases[] = {
        {folder() + "a.vrk", folder() + "a.vrk", "*.vrk|*.vrk", "*.vrk|*.vrk", SaveFlags},
        // A name whose folder is gone is offered bare, in the start folder.
        {folder() + "gone/a.vrk", "a.vrk", QString("*.xls") + QChar(0) + "*.xls", "*.xls|*.xls",
         0x2},
        {"New Project 1", "New Project 1", "A|*.a|B|*.b|", "A|*.a|B|*.b", 0},
        {"b", "b", "Only", "Only|Only", SaveFlags},
    };
    for (const auto &c : cases) {
        FakeFileDialog dialogs;
        dialogs.answer("");
        QString start;
        ModDialog::ShowSaveFileDialog(nullptr, c.name, "保存工程文件", start, c.filter, c.flags,
                                      "vrk");
        ASSERT_EQ(dialogs.asked.size(), 1u);
        const FakeFileDialog::Asked &a = dialogs.asked[0];
        EXPECT_TRUE(a.save);
        EXPECT_EQ(a.title, "保存工程文件");
        EXPECT_EQ(a.fileName, c.offered);
        EXPECT_EQ(a.filter, c.seamFilter) << c.filter.toStdString();
        EXPECT_EQ(a.defaultSuffix, "vrk");
        EXPECT_EQ(a.confirmOverwrite, (c.flags & ModDialog::OFN_OVERWRITEPROMPT) != 0);
    }
}

// The answer always ends in the extension. A name that the dialog returned without it gets it
// here, and then the dialog's own overwrite question was about another file: it is asked again
// for the file that will be written, and No goes back to the dialog.
TEST_F(SaveDialog, AppendsTheExtensionAndAsksBeforeReplacingTheFileThatWillBeWritten)
{
    const QString d = folder();
    ASSERT_TRUE(TestFiles::write(d + "old.vrk", "kept"));
    const struct
    {
        const char *what;
        QStringList answers;
        QString extension;
        int flags;
        std::vector<int> boxAnswers;
        QString result;
        int questions;
    } cases[] = {
        {"typed with the extension", {d + "a.vrk"}, "vrk", SaveFlags, {}, d + "a.vrk", 0},
        {"in another letter case", {d + "a.VRK"}, "vrk", SaveFlags, {}, d + "a.VRK", 0},
        {"a new name without it", {d + "a"}, "vrk", SaveFlags, {}, d + "a.vrk", 0},
        {"another extension", {d + "a.txt"}, "vrk", SaveFlags, {}, d + "a.txt.vrk", 0},
        {"a short name", {d + "ab"}, "vrk", SaveFlags, {}, d + "ab.vrk", 0},
        {"an existing file, Yes", {d + "old"}, "vrk", SaveFlags, {win::vbYes}, d + "old.vrk", 1},
        {"an existing file, No, cancel", {d + "old", ""}, "vrk", SaveFlags, {win::vbNo}, "", 1},
        {"an existing file, No, another name",
         {d + "old", d + "new"},
         "vrk",
         SaveFlags,
         {win::vbNo},
         d + "new.vrk",
         1},
        {"no overwrite question wanted", {d + "old"}, "vrk", 0, {}, d + "old.vrk", 0},
        {"no extension wanted", {d + "old"}, "", SaveFlags, {}, d + "old", 0},
        {"cancelled", {""}, "vrk", SaveFlags, {}, "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FakeFileDialog dialogs;
        FakeMessageBox boxes;
        for (const QString &a : c.answers)
            dialogs.answer(a);
        for (int a : c.boxAnswers)
            boxes.expect(a);
        QString start = d;
        EXPECT_EQ(ModDialog::ShowSaveFileDialog(nullptr, "x", "t", start, "*.vrk|*.vrk", c.flags,
                                                c.extension),
                  c.result);
        ASSERT_EQ(int(boxes.shown().size()), c.questions);
        if (c.questions) {
            EXPECT_EQ(boxes.shown()[0].prompt, d + "old.vrk 已存在。\r\n要替换它吗？");
            EXPECT_EQ(boxes.shown()[0].style,
                      win::vbYesNo + win::vbExclamation + win::vbDefaultButton2);
            EXPECT_EQ(boxes.shown()[0].title, "Quorva");
        }
        // After No the dialog comes back offering the name that was asked about.
        if (c.answers.size() > 1) {
            EXPECT_EQ(dialogs.asked.back().fileName, d + "old.vrk");
        }
        EXPECT_EQ(TestFiles::read(d + "old.vrk"), "kept");
    }
}

// Types the name into the desktop's save dialog and presses Save; a question about replacing a
// file is recorded and answered No, after which the dialog is cancelled. Returns the answer.
QString typeIntoSaveDialog(const QString &folder, const QString &name, const QString &suffix,
                           QStringList &questions)
{
    QStringList steps = {name};
    // Each step runs from the event loop once the driver has returned, since the dialog and its
    // question run loops of their own; the driver waits for the step to begin.
    bool stepping = false;
    auto step = [&stepping](std::function<void()> action) {
        stepping = true;
        QTimer::singleShot(0, [&stepping, action] {
            stepping = false;
            action();
        });
    };
    QTimer driver;
    driver.setInterval(10);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (stepping) return;
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            questions << box->text();
            step([box] { box->button(QMessageBox::No)->click(); });
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            if (steps.isEmpty()) {
                step([dialog] { dialog->reject(); });
                return;
            }
            auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
            ASSERT_TRUE(edit);
            edit->setText(steps.takeFirst());
            step([dialog] { QMetaObject::invokeMethod(dialog, "accept"); });
        }
    });
    driver.start();
    QtFileDialog desktop;
    win::SaveFileRequest request;
    request.title = "保存工程文件";
    request.filter = "*.vrk|*.vrk";
    request.folder = folder;
    request.defaultSuffix = suffix;
    return desktop.saveFileWith(request);
}

// The desktop's save dialog gives a name typed without an extension its default suffix before
// it asks whether to replace a file: the question names the file that will be written. Without
// the suffix the same name passes unasked.
TEST_F(SaveDialog, TheDesktopDialogAsksAboutTheNameWithItsSuffix)
{
    ASSERT_TRUE(TestFiles::write(folder() + "a.vrk", "kept"));
    QStringList questions;
    EXPECT_EQ(typeIntoSaveDialog(folder(), "a", "vrk", questions), "")
        << "No keeps the dialog open; then it was cancelled";
    EXPECT_EQ(questions.size(), 1) << questions.join(" / ").toStdString();
    EXPECT_TRUE(questions.value(0).contains("a.vrk")) << questions.value(0).toStdString();

    questions.clear();
    EXPECT_EQ(QDir::cleanPath(typeIntoSaveDialog(folder(), "a", "", questions)),
              QDir::cleanPath(folder() + "a"));
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(TestFiles::read(folder() + "a.vrk"), "kept");
}

} // namespace

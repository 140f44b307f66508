#include "SetupSrc/tests/wizard/WizardFixture.h"

#include "SetupSrc/Include/CorvaleGlobal.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Wizard : public WizardFixture
{
protected:
    QStringList uninstallFiles() const
    {
        return uninstallEntries(installDir + "Uninst.isu", "Files");
    }
    static QString regValue(const QString &key, const QString &name)
    {
        return registryText(win::HKEY_LOCAL_MACHINE, key, name);
    }
};

const QByteArray PathValue =
    "[Registry]\r\nROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Tarquell\\Quorva;"
    "VALUETYPE:STRING;VALUENAME:Path;VALUEDATA:{TARGETDIR}\\app.sh\r\n";

} // namespace

TEST_F(Wizard, PagesFollowTheTwoDialogSwitches)
{
    struct
    {
        int license, dest;
        QStringList pages;
    } cases[] = {
        {1, 1, {"PanelLicense", "PageAskDestPath", "PageCopyingFile", "PageFinish"}},
        {1, 0, {"PanelLicense", "PageCopyingFile", "PageFinish"}},
        {0, 1, {"PageAskDestPath", "PageCopyingFile", "PageFinish"}},
        {0, 0, {"PageCopyingFile", "PageFinish"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pages.join(' ').toStdString());
        QDir(installDir).removeRecursively();
        writeRules(c.license, c.dest, "app.sh\r\ndata.txt\r\n", "");
        open();
        QStringList seen{page()};
        // Only the current page shows.
        for (const char *p : {"PanelLicense", "PageAskDestPath", "PageCopyingFile", "PageFinish"})
            EXPECT_EQ(visible(p), page() == p) << p;
        if (page() == "PanelLicense") {
            EXPECT_FALSE(enabled("BtnBack"));
            EXPECT_FALSE(enabled("BtnNext"));
            tick("ChkAgreeLicense");
            EXPECT_TRUE(enabled("BtnNext"));
            tick("ChkAgreeLicense");
            EXPECT_FALSE(enabled("BtnNext"));
            tick("ChkAgreeLicense");
            click("BtnNext");
            seen << page();
        }
        if (page() == "PageAskDestPath") {
            EXPECT_EQ(enabled("BtnBack"), c.license == 1);
            EXPECT_EQ(control<QLineEdit>("EditDestFolder")->text(), installDir);
            click("BtnNext");
            seen << page();
        }
        // Copying: Back and Next stay disabled until the work is over.
        EXPECT_EQ(page(), "PageCopyingFile");
        EXPECT_FALSE(enabled("BtnBack"));
        EXPECT_FALSE(enabled("BtnNext"));
        ASSERT_TRUE(waitForFinishPage());
        seen << page();
        EXPECT_EQ(seen, c.pages);
        EXPECT_FALSE(visible("BtnBack") || visible("BtnNext") || visible("BtnCancel"));
        EXPECT_TRUE(enabled("BtnComplete"));
        EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(window->Closable());
        EXPECT_EQ(window->ProgressPosition(), window->ProgressMaximum());
        EXPECT_EQ(window->ProgressMaximum(), QFileInfo(source + "/app.sh").size() + 9);
        EXPECT_EQ(readFile(installDir + "data.txt"), QByteArray("some data"));
        EXPECT_TRUE(boxes.shown().empty());
        // Closing the finish page asks nothing.
        window->close();
        EXPECT_FALSE(window->isVisible());
        window.reset();
    }
}

TEST_F(Wizard, TheLicencePageShowsTheTextAndThePictureFromTheSourceFolder)
{
    writeRules(1, 1, "app.sh\r\n", "WizardImageFile=art\\side.png\r\n");
    writeFile(source + "/License.txt", QString::fromUtf8("第一条：本软件按原样提供。\n").toUtf8());
    QImage picture(20, 40, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QDir().mkpath(source + "/art");
    ASSERT_TRUE(picture.save(source + "/art/side.png"));
    // Setup is started from another folder: the picture's relative name is not taken from it.
    const QString started = tmp.filePath("elsewhere");
    QDir().mkpath(started);
    const QString before = QDir::currentPath();
    QDir::setCurrent(started);
    open();
    QDir::setCurrent(before);

    EXPECT_EQ(control<QPlainTextEdit>("MemoLicense")->toPlainText(),
              QString::fromUtf8("第一条：本软件按原样提供。\n"));
    const QLabel *image = control<QLabel>("ImgWizard");
    EXPECT_FALSE(image->pixmap().isNull());
    EXPECT_EQ(image->size(), QSize(20, 40));
    // The agreement box sits at the page's foot, the memo fills the space above it.
    const QWidget *box = control("ChkAgreeLicense");
    const QWidget *memo = control("MemoLicense");
    EXPECT_EQ(box->y() + box->height() + 3, control("PanelParent")->height());
    EXPECT_EQ(memo->y() + memo->height() + 1, box->y());

    // A licence that cannot be read says so instead of showing an empty box.
    window.reset();
    QFile::remove(source + "/License.txt");
    open();
    EXPECT_TRUE(
        control<QPlainTextEdit>("MemoLicense")->toPlainText().contains(source + "/License.txt"));
}

TEST_F(Wizard, AnInvalidFolderKeepsTheDestinationPage)
{
    writeRules(0, 1);
    writeFile(tmp.filePath("afile"), "x");
    open();
    struct
    {
        QString typed;
        const char *message;
    } refused[] = {
        {"", "Invalid Folder Name"},
        {"relative/folder", "Invalid Folder Name"},
        {"/", "Invalid Folder Name"},
        {"/opt/..", "Invalid Folder Name"},
        {"   ", "Invalid Folder Name"},
        {tmp.filePath("afile") + "/sub", "Setup cannot write to the folder"},
    };
    for (const auto &r : refused) {
        SCOPED_TRACE(r.typed.toStdString());
        boxes.clear();
        typeFolder(r.typed);
        boxes.expect(win::vbOK);
        click("BtnNext");
        EXPECT_EQ(page(), "PageAskDestPath");
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown()[0].prompt.contains(r.message))
            << boxes.shown()[0].prompt.toStdString();
        EXPECT_EQ(boxes.shown()[0].style, win::vbExclamation);
        EXPECT_TRUE(control("EditDestFolder")->hasFocus());
    }
    // Blanks around a good folder are dropped and a "/" is added.
    const QString chosen = tmp.filePath("chosen/Quorva");
    typeFolder("  " + chosen + "  ");
    click("BtnNext");
    EXPECT_EQ(window->Rules().InstallDir(), chosen + "/");
    ASSERT_TRUE(waitForFinishPage());
    EXPECT_TRUE(QFileInfo::exists(chosen + "/app.sh"));
    EXPECT_TRUE(QFileInfo::exists(chosen + "/Uninst.isu"));
}

TEST_F(Wizard, BrowseFillsInTheChosenFolder)
{
    writeRules(0, 1);
    writeFile(source + "/DefLang.ini", "[frmMain]\r\nstr_select_folder_prompt=Where to?\r\n");
    QStringList answers{tmp.filePath("picked"), ""};
    QString asked;
    CorvaleGlobal::SetFolderBrowser([&](QObject *owner, const QString &prompt) {
        EXPECT_EQ(owner, window.get());
        asked = prompt;
        return answers.takeFirst();
    });
    open();
    click("BtnBrowse");
    EXPECT_EQ(asked, "Where to?");
    EXPECT_EQ(control<QLineEdit>("EditDestFolder")->text(), tmp.filePath("picked"));
    // Cancelled: the text stays.
    click("BtnBrowse");
    EXPECT_EQ(control<QLineEdit>("EditDestFolder")->text(), tmp.filePath("picked"));
    CorvaleGlobal::SetFolderBrowser(nullptr);
}

TEST_F(Wizard, ARulesFolderThatCannotBeUsedShowsTheDestinationPageWithTheReason)
{
    writeFile(source + "/Setup.rul",
              "[ShowDialog]\r\nSdLicense=0\r\nSdAskDestPath=0\r\n"
              "[Setup]\r\nDefaultDirName={NOWHERE}\\Quorva\r\n[Files]\r\napp.sh\r\n");
    open();
    EXPECT_EQ(page(), "PageAskDestPath");
    EXPECT_TRUE(control<QLineEdit>("EditDestFolder")->text().isEmpty());
    EXPECT_TRUE(visible("LblDestProblem"));
    EXPECT_TRUE(control<QLabel>("LblDestProblem")->text().contains("DefaultDirName"));
}

TEST_F(Wizard, TextsFromTheRulesFileShowAsTheyAre)
{
    // Markup in a value is no markup on the window: as rich text the image tag would make the
    // label read /dev/zero for ever.
    const QByteArray odd = "{NOWHERE}<b>Q</b><img src=\"/dev/zero\">";
    writeFile(source + "/Setup.rul", "[ShowDialog]\r\nSdLicense=0\r\nSdAskDestPath=0\r\n"
                                     "[Setup]\r\nDefaultDirName=" +
                                         odd + "\r\n[Files]\r\napp.sh\r\n");
    open();
    auto *problem = control<QLabel>("LblDestProblem");
    ASSERT_TRUE(visible("LblDestProblem"));
    EXPECT_TRUE(problem->text().contains(QString::fromUtf8(odd))) << problem->text().toStdString();
    EXPECT_EQ(problem->textFormat(), Qt::PlainText);
    problem->grab(); // drawn as a user sees it
}

TEST_F(Wizard, ClosingBeforeTheEndAsksFirst)
{
    writeRules(1, 1);
    open();
    boxes.expect(win::vbNo);
    click("BtnCancel");
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].style, win::vbYesNo | win::vbQuestion | win::vbDefaultButton2);
    EXPECT_FALSE(boxes.shown()[0].prompt.isEmpty());
    // The window's own close asks the same.
    boxes.expect(win::vbNo);
    window->close();
    EXPECT_TRUE(window->isVisible());
    boxes.expect(win::vbYes);
    click("BtnCancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QFileInfo::exists(installDir));
}

TEST_F(Wizard, CancelDuringTheCopyStopsAfterTheCurrentFileAndThenCloses)
{
    // The second source is a pipe: the copy waits on it until the test opens its other end,
    // which holds the thread inside that file while the user cancels.
    writeRules(0, 0, "app.sh\r\npipe\r\ndata.txt\r\n", PathValue);
    ASSERT_EQ(mkfifo(QFile::encodeName(source + "/pipe").constData(), 0600), 0);
    open();
    ASSERT_TRUE(waitFor([&] { return control<QLabel>("LblCopyingFileName")->text() == "pipe"; }));
    EXPECT_FALSE(enabled("BtnBack"));
    EXPECT_FALSE(enabled("BtnNext"));
    boxes.expect(win::vbYes);
    click("BtnCancel");
    // The window waits for the thread, and stays responsive meanwhile.
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Busy());
    EXPECT_FALSE(enabled("BtnCancel"));
    int fd = -1;
    ASSERT_TRUE(waitFor([&] {
        fd = ::open(QFile::encodeName(source + "/pipe").constData(), O_WRONLY | O_NONBLOCK);
        return fd >= 0;
    }));
    // Opening the other end is enough: the copy finds no file and fails.
    ::close(fd);
    ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }));
    // Only the question whether to quit: no copy question, no error.
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(uninstallFiles(), (QStringList{installDir, installDir + "app.sh"}));
    EXPECT_FALSE(QFileInfo::exists(installDir + "data.txt"));
    EXPECT_EQ(regValue("SOFTWARE\\Tarquell\\Quorva", "Path"), "<no key>");
}

TEST_F(Wizard, AFailedCopyAsksAndAbortEndsSetupWithoutTheInstallActions)
{
    writeRules(0, 0, "app.sh\r\nmissing.so\r\ndata.txt\r\n", PathValue);
    boxes.expect(win::vbAbort);
    boxes.expect(win::vbOK);
    open();
    ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].style, win::vbAbortRetryIgnore | win::vbExclamation);
    EXPECT_TRUE(boxes.shown()[0].prompt.contains("FileName=" + installDir + "missing.so"));
    EXPECT_EQ(boxes.shown()[1].style, win::vbCritical);
    EXPECT_TRUE(boxes.shown()[1].prompt.contains(installDir + "missing.so"));
    EXPECT_EQ(regValue("SOFTWARE\\Tarquell\\Quorva", "Path"), "<no key>");
    EXPECT_FALSE(QFileInfo::exists(installDir + "data.txt"));
}

TEST_F(Wizard, AnIgnoredFileAndAFailedStepShowOnTheFinishPage)
{
    writeRules(0, 0, "app.sh\r\nmissing.so\r\n", PathValue + "[Post_Setup_Step]\r\nnot-there\r\n");
    boxes.expect(win::vbIgnore);
    open();
    ASSERT_TRUE(waitForFinishPage());
    EXPECT_EQ(regValue("SOFTWARE\\Tarquell\\Quorva", "Path"), installDir + "app.sh");
    EXPECT_TRUE(visible("MemoFinishProblems"));
    const QString problems = control<QPlainTextEdit>("MemoFinishProblems")->toPlainText();
    EXPECT_TRUE(problems.contains(installDir + "missing.so")) << problems.toStdString();
    EXPECT_TRUE(problems.contains("not-there")) << problems.toStdString();
}

TEST_F(Wizard, AnInstallActionErrorIsShownAndTheUserMayGoBackAndTryAgain)
{
    writeRules(0, 1, "app.sh\r\n",
               "[Registry]\r\nROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Q;VALUETYPE:DWORD;"
               "VALUENAME:Rows;VALUEDATA:many\r\n");
    open();
    boxes.expect(win::vbOK);
    click("BtnNext");
    ASSERT_TRUE(waitFor([&] { return !window->Busy(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].prompt, "'many' is not a valid integer value");
    EXPECT_EQ(boxes.shown()[0].style, win::vbCritical);
    EXPECT_EQ(page(), "PageCopyingFile");
    EXPECT_TRUE(enabled("BtnBack"));
    EXPECT_TRUE(enabled("BtnCancel"));
    EXPECT_FALSE(enabled("BtnNext"));
    EXPECT_FALSE(enabled("BtnComplete"));
    click("BtnBack");
    EXPECT_EQ(page(), "PageAskDestPath");
    EXPECT_TRUE(enabled("BtnNext"));
    // A fixed rules file: the copy runs again, once, and Setup finishes.
    writeRules(0, 1, "app.sh\r\n", PathValue);
    click("BtnNext");
    ASSERT_TRUE(waitForFinishPage());
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(regValue("SOFTWARE\\Tarquell\\Quorva", "Path"), installDir + "app.sh");
}

TEST_F(Wizard, FinishStartsTheProgramWhenAsked)
{
    struct
    {
        QByteArray setup;
        bool boxVisible, ticked;
        bool untick;
        QStringList started;
    } cases[] = {
        {"WhenFinishLaunchApp={TARGETDIR}\\app.sh\r\n", true, true, false, {"app.sh"}},
        {"WhenFinishLaunchApp={TARGETDIR}\\app.sh\r\nLaunchAppDefault=0\r\n",
         true,
         false,
         false,
         {}},
        {"WhenFinishLaunchApp={TARGETDIR}\\app.sh\r\n", true, true, true, {}},
        {"", false, true, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setup.toStdString());
        shell.started.clear();
        writeRules(0, 0, "app.sh\r\n", c.setup);
        open();
        ASSERT_TRUE(waitForFinishPage());
        EXPECT_EQ(visible("ChkLaunchApp"), c.boxVisible);
        EXPECT_EQ(control<QCheckBox>("ChkLaunchApp")->isChecked(), c.ticked);
        if (c.untick) tick("ChkLaunchApp");
        click("BtnComplete");
        EXPECT_FALSE(window->isVisible());
        QStringList started;
        for (const QStringList &s : shell.started)
            started << QFileInfo(s.first()).fileName();
        EXPECT_EQ(started, c.started);
        if (!c.started.isEmpty()) {
            EXPECT_EQ(shell.started[0].first(), installDir + "app.sh");
        }
        window.reset();
    }
}

TEST_F(Wizard, CaptionsComeFromTheLanguageFileOrKeepTheirOwn)
{
    writeRules(1, 1);
    open();
    EXPECT_EQ(window->windowTitle(), "frmMain");
    EXPECT_EQ(control<QAbstractButton>("BtnNext")->text(), "&Next>");
    EXPECT_EQ(control<QLabel>("LblSelect3")->text(),
              "Select folder where Setup will install files.");
    window.reset();

    writeRules(1, 1, "app.sh\r\n", "Caption=Quorva Setup\r\n");
    open();
    EXPECT_EQ(window->windowTitle(), "Quorva Setup");
    window.reset();

    writeFile(source + "/DefLang.ini", QString::fromUtf8("[frmMain]\r\n"
                                                         "frmMain_Caption=安装\r\n"
                                                         "BtnNext_Caption=下一步(&N) >\r\n"
                                                         "GroupBox1_Caption=目标文件夹\r\n"
                                                         "str_FinishTitle=完成了。\r\n")
                                           .toUtf8());
    open();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("安装"));
    EXPECT_EQ(control<QAbstractButton>("BtnNext")->text(), QString::fromUtf8("下一步(&N) >"));
    EXPECT_EQ(control<QGroupBox>("GroupBox1")->title(), QString::fromUtf8("目标文件夹"));
    EXPECT_EQ(control<QPlainTextEdit>("MemoFinishTitle")->toPlainText(),
              QString::fromUtf8("完成了。"));
    EXPECT_EQ(control<QAbstractButton>("BtnBack")->text(), "<&Back");
}

TEST_F(Wizard, AWindowDestroyedWhileTheCopyAsksDoesNotHang)
{
    // The question is posted to the window and the copy thread waits for it; the window goes
    // away without handling it. The thread takes that as Abort and ends; nothing is shown.
    writeRules(0, 0, "missing.so\r\napp.sh\r\n");
    // No event is handled between the start of the copy and the window's end, so the question
    // the thread posts is never answered.
    window = std::make_unique<TfrmMain>(source + "/Setup.rul");
    window->show();
    ASSERT_TRUE(window->Busy()) << "the copy starts with the window";
    QThread::msleep(300);
    window.reset();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(QFileInfo::exists(installDir + "app.sh"));
}

TEST_F(Wizard, ADamagedRulesFileIsSaidAndNothingIsInstalled)
{
    const QByteArray damaged[] = {
        "",
        "\x7F"
        "ELF\x02\x01\x01 not a rules file at all",
        "[ShowDialog]\r\nSdLicense=0\r\nSdAskDestPath=0\r\n[Setup]\r\n"
        "DefaultDirName={PROGRAMFILES}\\Quorva\r\n[Files]\r\n; every line gone\r\n",
    };
    for (const QByteArray &text : damaged) {
        SCOPED_TRACE(text.toStdString());
        boxes.clear();
        writeFile(source + "/Setup.rul", text);
        boxes.expect(win::vbOK);
        open();
        ASSERT_TRUE(waitFor([&] { return !window->isVisible(); }));
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].style, win::vbCritical);
        EXPECT_TRUE(boxes.shown()[0].prompt.contains(source + "/Setup.rul"));
        EXPECT_TRUE(boxes.shown()[0].prompt.contains("damaged"));
        EXPECT_FALSE(QFileInfo::exists(installDir));
        window.reset();
    }
}

TEST_F(Wizard, ADefaultFolderThatCannotBeWrittenOffersTheDestinationPage)
{
    // Below a file, no user can make the folder, root included.
    writeFile(tmp.filePath("plain-file"), "x");
    const QString unusable = tmp.filePath("plain-file") + "/Quorva/";
    writeFile(source + "/Setup.rul", "[ShowDialog]\r\nSdLicense=0\r\nSdAskDestPath=0\r\n"
                                     "[Setup]\r\nDefaultDirName=" +
                                         unusable.toUtf8() + "\r\n[Files]\r\napp.sh\r\n");
    writeFakeProgram(source + "/app.sh", "app");
    open();
    EXPECT_EQ(page(), "PageAskDestPath");
    EXPECT_EQ(control<QLineEdit>("EditDestFolder")->text(), unusable);
    EXPECT_TRUE(visible("LblDestProblem"));
    EXPECT_TRUE(control<QLabel>("LblDestProblem")->text().contains("cannot write"));
    // Another folder installs.
    control<QLineEdit>("EditDestFolder")->setText(installDir);
    click("BtnNext");
    ASSERT_TRUE(waitForFinishPage());
    EXPECT_TRUE(QFileInfo(installDir + "app.sh").isFile());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Wizard, TheButtonsKeepTheirSize)
{
    writeRules(1, 1);
    open();
    for (const char *name : {"BtnBack", "BtnNext", "BtnCancel", "BtnComplete"})
        EXPECT_EQ(control<QWidget>(name)->size(), QSize(77, 21)) << name;
}

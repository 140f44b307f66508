// Installs this build from its payload, as a user would: the payload is assembled by the
// build's install rules, moved elsewhere, and Setup's wizard is driven offscreen through its
// pages into a private home folder and registry store. What the install gives is checked as far
// as the build has the deliverables: each one that is missing is asked about during the copy
// (and ignored), and the checks of what it would have given come in as soon as it is built.
#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/TfrmMain.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <unistd.h>

namespace {

QStringList listOf(const char *commaSeparated)
{
    return QString::fromUtf8(commaSeparated).split(',', Qt::SkipEmptyParts);
}

class Install : public SetupTestEnv
{
protected:
    FakeMessageBox boxes;
    std::unique_ptr<TfrmMain> window;
    QString payload, installDir;
    const QStringList deliverables = listOf(QUORVA_DELIVERABLES);
    const QStringList built = listOf(QUORVA_BUILT_DELIVERABLES);
    const QStringList libraries = listOf(QUORVA_PAYLOAD_LIBRARY_FILES);
    QStringList missing;

    void SetUp() override
    {
        SetupTestEnv::SetUp();
        payload = tmp.filePath("moved payload");
        installDir = programFiles + "/Quorva/";
        for (const QString &d : deliverables)
            if (!built.contains(d)) missing << d;
        // The helpers of the file-manager integration keep state in these.
        const QString runtime = tmp.filePath("run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        set("XDG_RUNTIME_DIR", runtime);
        QDir().mkpath(tmp.filePath("tmp"));
        set("TMPDIR", tmp.filePath("tmp"));
        // A desktop, so that the desktop shortcut has somewhere to go.
        QDir().mkpath(home + "/Desktop");
    }

    void TearDown() override
    {
        if (window && window->Busy()) {
            boxes.allowAll();
            waitFor([&] { return !window->Busy(); }, 180000);
        }
        window.reset();
        SetupTestEnv::TearDown();
    }

    static bool waitFor(const std::function<bool()> &condition, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!condition()) {
            if (t.elapsed() > ms) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }

    struct Run
    {
        int exitCode;
        QString out, err;
    };
    static Run run(const QString &program, const QStringList &arguments)
    {
        QProcess p;
        p.start(program, arguments);
        const bool finished = p.waitForFinished(120000);
        EXPECT_TRUE(finished) << program.toStdString();
        return Run{p.exitStatus() == QProcess::NormalExit && finished ? p.exitCode() : -1,
                   QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    }

    template <class T = QWidget> T *control(const char *name) const
    {
        T *c = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void click(const char *name)
    {
        QAbstractButton *b = control<QAbstractButton>(name);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    QStringList uninstallLog(const QString &section) const
    {
        return uninstallEntries(installDir + "Uninst.isu", section);
    }
    static QString regText(win::HKEY root, const QString &key, const QString &name)
    {
        return registryText(root, key, name);
    }

    bool has(const QString &deliverable) const { return built.contains(deliverable); }

    // What a desktop user meets after the install: Regwell (started last, not waited for) made
    // Quorva's menu entry and the project type, a project file is of that type and opens in
    // Quorva, the entries are valid, the icon is in the theme, and Quorva writes its language
    // file when it first starts.
    void checkDesktop()
    {
        // Root's install outside its home is for every user.
        const QString data = ::geteuid() == 0 ? tmp.filePath("share") : home + "/.local/share";
        const QString entry = data + "/applications/quorva.desktop";
        // The default program is written last.
        const QString defaults = ::geteuid() == 0 ? data + "/applications/mimeapps.list"
                                                  : home + "/.config/mimeapps.list";
        ASSERT_TRUE(waitFor([&] { return readFile(defaults).contains("quorva.desktop"); }, 60000));
        EXPECT_GT(QFileInfo(data + "/icons/hicolor/48x48/apps/quorva.png").size(), 0);
        EXPECT_TRUE(readFile(entry).contains("Exec=\"" + installDir.toUtf8() + "Quorva\" %f\n"));

        const QString quorva = installDir + "Quorva";
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(quorva, {});
        EXPECT_TRUE(
            waitFor([&] { return QFileInfo(installDir + "Lang/ChineseS.Lan").size() > 0; }, 60000))
            << "Quorva wrote no language file";
        program.kill();
        program.waitForFinished(10000);

        const bool tools = !QStandardPaths::findExecutable("xdg-mime").isEmpty() &&
                           !QStandardPaths::findExecutable("gio").isEmpty() &&
                           !QStandardPaths::findExecutable("desktop-file-validate").isEmpty();
        if (!tools) {
            std::fprintf(stderr, "skipped: xdg-mime, gio or desktop-file-validate is not "
                                 "installed (tools/deps.sh)\n");
            return;
        }
        for (const QString &file : {entry, home + "/Desktop/Quorva.desktop"}) {
            const Run valid = run("desktop-file-validate", {file});
            EXPECT_EQ(valid.exitCode, 0) << file.toStdString() << valid.out.toStdString();
        }
        writeFile(tmp.filePath("orders.vrk"), "[Left]\n");
        EXPECT_EQ(run("xdg-mime", {"query", "filetype", tmp.filePath("orders.vrk")}).out,
                  "application/x-quorva-project\n");
        EXPECT_EQ(run("xdg-mime", {"query", "default", "application/x-quorva-project"}).out,
                  "quorva.desktop\n");
    }
};

} // namespace

TEST_F(Install, TheBuildInstallsFromItsPayload)
{
    // The payload, assembled by the same rules as `cmake --build ... --target payload`, then
    // moved: nothing in it may depend on where it was made.
    const QString made = tmp.filePath("payload");
    const Run assembled = run(QUORVA_CMAKE_COMMAND, {"--install", QUORVA_BINARY_DIR, "--component",
                                                     "payload", "--strip", "--prefix", made});
    ASSERT_EQ(assembled.exitCode, 0) << assembled.out.toStdString() << assembled.err.toStdString();
    ASSERT_TRUE(QDir().rename(made, payload));
    const QStringList shipped = QDir(payload).entryList(QDir::Files, QDir::Name);
    for (const QString &f : QStringList{"Setup", "Setup.rul", "DefLang.ini", "License.txt",
                                        "Uninst.isu", "Wizard.png"} +
                                built + libraries)
        EXPECT_TRUE(shipped.contains(f)) << f.toStdString();
    for (const QString &f : missing)
        EXPECT_FALSE(shipped.contains(f)) << f.toStdString();

    // The payload's own Setup starts from there (its libraries are found beside it); without a
    // rules file beside it, it shows nothing and ends.
    const QString bare = tmp.filePath("bare");
    QDir().mkpath(bare);
    ASSERT_TRUE(QFile::copy(payload + "/Setup", bare + "/Setup"));
    for (const QString &l : libraries)
        ASSERT_TRUE(QFile::copy(payload + "/" + l, bare + "/" + l));
    const Run alone = run(bare + "/Setup", {});
    EXPECT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    EXPECT_TRUE(alone.err.contains("Setup.rul")) << alone.err.toStdString();

    // Each deliverable this build does not have yet is asked about, and ignored.
    for (int i = 0; i < missing.size(); ++i)
        boxes.expect(win::vbIgnore);
    window = std::make_unique<TfrmMain>(payload + "/Setup.rul");
    window->show();
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Quorva 安装程序"));
    EXPECT_TRUE(control<QPlainTextEdit>("MemoLicense")->toPlainText().contains("licence"));
    QCheckBox *agree = control<QCheckBox>("ChkAgreeLicense");
    QTest::mouseClick(agree, Qt::LeftButton, {}, QPoint(6, agree->height() / 2));
    click("BtnNext");
    EXPECT_EQ(window->Rules().InstallDir(), installDir);
    click("BtnNext");
    ASSERT_TRUE(waitFor(
        [&] { return window->Pages().CurrentControl()->objectName() == "PageFinish"; }, 180000));

    ASSERT_EQ(boxes.shown().size(), size_t(missing.size()));
    for (int i = 0; i < missing.size(); ++i)
        EXPECT_TRUE(boxes.shown()[size_t(i)].prompt.contains("FileName=" + installDir + missing[i]))
            << boxes.shown()[size_t(i)].prompt.toStdString();
    // The finish page lists problems only about what this build lacks.
    for (const QString &problem : window->Rules().Log().Problems()) {
        bool explained = false;
        for (const QString &m : missing)
            explained = explained || problem.contains(m);
        EXPECT_TRUE(explained) << problem.toStdString();
    }

    // The files, as shipped, and the uninstall log listing them.
    for (const QString &f : built + libraries) {
        EXPECT_EQ(readFile(installDir + f), readFile(payload + "/" + f)) << f.toStdString();
        EXPECT_EQ(QFileInfo(installDir + f).permissions(),
                  QFileInfo(payload + "/" + f).permissions())
            << f.toStdString();
    }
    const QStringList files = uninstallLog("Files");
    EXPECT_EQ(files.value(0), installDir);
    for (const QString &f : deliverables + libraries + QStringList{"Setup.log"})
        EXPECT_TRUE(files.contains(installDir + f)) << f.toStdString();
    EXPECT_TRUE(QFileInfo::exists(installDir + "Setup.log"));

    // The program's path for the context-menu extension.
    EXPECT_EQ(regText(win::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path"),
              installDir + "Quorva");
    EXPECT_TRUE(
        uninstallLog("Registry")
            .contains(
                "Root:HKEY_LOCAL_MACHINE; Subkey:SOFTWARE\\Tarquell\\Quorva; ValueName:Path"));

    // What stands beside the program: the folder for its language file, the sample script and
    // the icons.
    EXPECT_TRUE(QFileInfo(installDir + "Lang").isDir());
    EXPECT_TRUE(files.contains(installDir + "Lang"));
    EXPECT_EQ(readFile(installDir + "Script/Tolerance.vbs"),
              readFile(TestFiles::path("samples/Script/Tolerance.vbs")));
    EXPECT_GT(QFileInfo(installDir + "icons/hicolor/48x48/apps/quorva.png").size(), 0);

    // The shortcut on the desktop, with its picture (the menu's entry is Regwell's, below).
    const QString shortcut = home + "/Desktop/Quorva.desktop";
    if (has("Quorva")) {
        const QString entry = QString::fromUtf8(readFile(shortcut));
        EXPECT_TRUE(entry.contains("Exec=\"" + installDir + "Quorva\"\n")) << entry.toStdString();
        EXPECT_TRUE(entry.contains("Path=" + installDir + "\n")) << entry.toStdString();
        EXPECT_TRUE(entry.contains("Icon=quorva\n")) << entry.toStdString();
        EXPECT_EQ(uninstallLog("Shortcut"), QStringList{shortcut});
    } else {
        EXPECT_FALSE(QFileInfo::exists(shortcut));
    }

    // The servers there are, registered in place.
    QStringList servers;
    for (const QString m : {"Pairwin.so", "Menulet.so"})
        if (has(m)) servers << installDir + m;
    EXPECT_EQ(uninstallLog("Regsvr32"), servers);

    // The context menu: Menulet registered by regsvr32, then Regwell (started after it) writes
    // the handler, and the file manager's helper offers the three commands for two workbooks.
    if (has("Menulet.so") && has("Regwell") && has("shellhost")) {
        const QString clsid = regText(win::HKEY_CLASSES_ROOT, "Menulet.ShellExt\\Clsid", "");
        EXPECT_TRUE(clsid.startsWith('{')) << clsid.toStdString();
        EXPECT_EQ(regText(win::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", ""),
                  installDir + "Menulet.so");
        const QString handler = "*\\shellex\\ContextMenuHandlers\\Quorva";
        EXPECT_TRUE(
            waitFor([&] { return regText(win::HKEY_CLASSES_ROOT, handler, "") == clsid; }, 60000))
            << regText(win::HKEY_CLASSES_ROOT, handler, "").toStdString();
        const QString work = tmp.filePath("work");
        QDir().mkpath(work);
        writeFile(work + "/left.xlsx", "PK");
        writeFile(work + "/right.xlsx", "PK");
        const Run listed =
            run(installDir + "shellhost", {"--list", work + "/left.xlsx", work + "/right.xlsx"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
        QStringList commands;
        for (const QString &line : listed.out.split('\n'))
            if (line.startsWith("command\t")) commands << line;
        ASSERT_EQ(commands.size(), 3) << listed.out.toStdString();
        // Two workbooks: comparing them is the command on offer.
        EXPECT_TRUE(commands[0].startsWith("command\t0\tenabled\t")) << listed.out.toStdString();
        EXPECT_TRUE(commands[0].contains("\tQuorvaCompare\t")) << listed.out.toStdString();
    }

    if (has("Quorva") && has("Regwell")) checkDesktop();

    // Finish starts the installed program (the shell is replaced from here on, so that nothing
    // really starts); a program that was not installed is not offered.
    FakeShell shell;
    EXPECT_EQ(control<QCheckBox>("ChkLaunchApp")->isVisible(), has("Quorva"));
    click("BtnComplete");
    EXPECT_FALSE(window->isVisible());
    if (has("Quorva")) {
        ASSERT_EQ(shell.started.size(), 1u);
        EXPECT_EQ(shell.started[0], QStringList{installDir + "Quorva"});
    } else {
        EXPECT_TRUE(shell.started.empty());
    }
}

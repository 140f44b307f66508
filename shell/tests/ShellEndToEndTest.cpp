#include "shell/tests/ShellFixture.h"

#include "tests/support/TestFiles.h"
#include "tests/support/TestHelpers.h"

#include <QProcess>
#include <QThread>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char Clsid[] = "{0FD4FE16-CE63-431D-A681-164535AD806B}";

class Shell : public ShellFixture
{
protected:
    void registerAll()
    {
        ASSERT_EQ(
            run(QStringLiteral("regsvr32"), {QStringLiteral("/s"), app + "/Menulet.so"}).exitCode,
            0);
        const Result r = run(QStringLiteral("Regwell"), {});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    // The command lines of a listing, without the handler and separator lines.
    static QStringList commandLines(const QString &listing)
    {
        QStringList out;
        for (const QString &line : listing.split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("command\t"))) out.append(line);
        return out;
    }
    QString kdeFile() const
    {
        return home + QStringLiteral("/.local/share/kio/servicemenus/quorva-shellhost.desktop");
    }
    QString nautilusFile() const
    {
        return home + QStringLiteral("/.local/share/nautilus/scripts/Quorva");
    }
};

TEST(Deliverables, WindowlessOnesLinkNoWidgets)
{
    const QString bin = QStringLiteral(QUORVA_BIN_DIR);
    for (const char *name : {"Regwell", "Unregwell", "regsvr32", "Menulet.so"}) {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"), {bin + QLatin1Char('/') + QLatin1String(name)});
        ASSERT_TRUE(ldd.waitForFinished(30000));
        const QByteArray libs = ldd.readAllStandardOutput();
        EXPECT_TRUE(libs.contains("libc.so")) << name;
        EXPECT_FALSE(libs.contains("libQt6Widgets")) << name;
        EXPECT_FALSE(libs.contains("libQt6Gui")) << name;
    }
}

TEST_F(Shell, RegistrationWritesClassKeysHandlerProjectTypeAndBindings)
{
    registerAll();
    EXPECT_EQ(registryText("HKCR", QStringLiteral("CLSID\\") + Clsid + "\\InprocServer32", ""),
              app + "/Menulet.so");
    EXPECT_EQ(registryText("HKCR", QStringLiteral("CLSID\\") + Clsid + "\\InprocServer32",
                           "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(registryText("HKCR", "Menulet.ShellExt\\Clsid", ""), Clsid);
    EXPECT_EQ(registryText("HKCR", "*\\shellex\\ContextMenuHandlers\\Quorva", ""), Clsid);
    EXPECT_EQ(registryText("HKCR", ".vrk", ""), "vrk_auto_file");
    EXPECT_EQ(registryText("HKCR", "vrk_auto_file\\shell\\open\\command", ""),
              "\"" + app + "/Quorva\" \"%1\"");

    // The bindings hand the selection to this install's shellhost, and are executable.
    for (const QString &f : {kdeFile(), nautilusFile()}) {
        struct stat st;
        ASSERT_EQ(lstat(QFile::encodeName(f).constData(), &st), 0) << f.toStdString();
        EXPECT_TRUE(S_ISREG(st.st_mode) && (st.st_mode & 0111) == 0111) << f.toStdString();
    }
    const QByteArray kde = TestFiles::read(kdeFile());
    EXPECT_TRUE(kde.contains("Exec=\"" + app.toUtf8() + "/shellhost\" --popup -- %F\n"));
    EXPECT_TRUE(kde.contains("MimeType=all/allfiles;\n"));
    const QByteArray script = TestFiles::read(nautilusFile());
    EXPECT_TRUE(script.startsWith("#!/bin/sh\n"));
    EXPECT_TRUE(script.contains("exec '" + app.toUtf8() + "/shellhost' --popup -- \"$@\"\n"));

    // Twice gives the same store.
    const QByteArray once = storeBytes();
    ASSERT_EQ(run(QStringLiteral("Regwell"), {}).exitCode, 0);
    EXPECT_EQ(storeBytes(), once);
}

TEST_F(Shell, RegwellClearsTheRememberedProgramChoiceOfVrk)
{
    const QString key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vrk";
    QByteArray text = storeBytes();
    text += "[HKCU\\Software]\n[HKCU\\Software\\Microsoft]\n[HKCU\\Software\\Microsoft\\Windows]\n"
            "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion]\n"
            "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer]\n"
            "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts]\n"
            "[HKCU\\" +
            key.toUtf8() +
            "]\n\"Application\"=sz:\"Other\"\n\"Keep\"=sz:\"x\"\n"
            "[HKCU\\" +
            key.toUtf8() +
            "\\OpenWithList]\n"
            "[HKCU\\" +
            key.toUtf8() + "\\UserChoice]\n";
    writeStore(text);
    registerAll();
    const QString after = storeText();
    EXPECT_TRUE(after.contains("[HKCU\\" + key + "]\n\"Keep\"=sz:\"x\"\n"));
    EXPECT_FALSE(after.contains("OpenWithList"));
    EXPECT_FALSE(after.contains("UserChoice"));
    EXPECT_FALSE(after.contains("\"Application\""));

    // Without Quorva beside Regwell the choice stays and no open command is written.
    writeStore(text);
    QFile::remove(app + "/Quorva");
    ASSERT_EQ(run(QStringLiteral("Regwell"), {}).exitCode, 1); // Menulet is not registered here
    EXPECT_TRUE(storeText().contains("OpenWithList"));
    EXPECT_EQ(registryText("HKCR", "vrk_auto_file\\shell\\open\\command", ""), "<missing>");
    EXPECT_EQ(registryText("HKCR", ".vrk", ""), "vrk_auto_file");
}

TEST_F(Shell, RegwellBeforeMenuletIsRegisteredSaysSoAndWritesNoHandler)
{
    const Result r = run(QStringLiteral("Regwell"), {});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("regsvr32"))) << r.err.toStdString();
    EXPECT_EQ(registryText("HKCR", "*\\shellex\\ContextMenuHandlers\\Quorva", ""), "<missing>");
    EXPECT_EQ(registryText("HKCR", ".vrk", ""), "vrk_auto_file");
}

TEST_F(Shell, UnregwellAndRegsvr32LeaveTheStoreAsBefore)
{
    // The state of a system where only the project-file type was ever registered.
    ASSERT_EQ(run(QStringLiteral("Regwell"), {}).exitCode, 1);
    ASSERT_EQ(run(QStringLiteral("Unregwell"), {}).exitCode, 0);
    const QByteArray before = storeBytes();
    EXPECT_FALSE(QFile::exists(kdeFile()));

    registerAll();
    ASSERT_EQ(run(QStringLiteral("Regwell"), {}).exitCode, 0);
    ASSERT_EQ(run(QStringLiteral("Unregwell"), {}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(kdeFile()));
    EXPECT_FALSE(QFile::exists(nautilusFile()));
    // The handler key was the switch: without it there is nothing to offer.
    EXPECT_TRUE(
        commandLines(shellhost({QStringLiteral("--list"), makeFile("a.xlsx")}).out).isEmpty());
    ASSERT_EQ(run(QStringLiteral("regsvr32"),
                  {QStringLiteral("/s"), QStringLiteral("/u"), app + "/Menulet.so"})
                  .exitCode,
              0);
    EXPECT_EQ(storeBytes(), before);

    // Again on a system without the entries: nothing changes, nothing is reported.
    const Result r = run(QStringLiteral("Unregwell"), {});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(storeBytes(), before);
}

TEST_F(Shell, UnregwellLeavesAFileOfTheUsersAlone)
{
    registerAll();
    QFile f(nautilusFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\necho mine\n");
    f.close();
    const Result r = run(QStringLiteral("Unregwell"), {});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(nautilusFile())) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(nautilusFile()));
    EXPECT_FALSE(QFile::exists(kdeFile()));
    // Regwell does not overwrite it either.
    EXPECT_EQ(run(QStringLiteral("Regwell"), {}).exitCode, 1);
    EXPECT_EQ(TestFiles::read(nautilusFile()), QByteArray("#!/bin/sh\necho mine\n"));
}

TEST_F(Shell, CommandsByNumberOfFilesAndFlags)
{
    registerAll();
    const QString a = makeFile("a.xlsx"), b = makeFile("b.xlsx"), c = makeFile("c.xlsx");
    const QString sep = QStringLiteral("separator");
    struct
    {
        QStringList args;
        QStringList commands;
    } cases[] = {
        {{a},
         {"command\t0\tgrayed\timage 16x16\tQuorvaCompare\t开始比较",
          "command\t1\tenabled\timage 16x16\tQuorvaSelectLeft\t作为左边文件",
          "command\t2\tgrayed\timage 16x16\tQuorvaCompareWithLeft\t与 开始比较"}},
        {{a, b},
         {"command\t0\tenabled\timage 16x16\tQuorvaCompare\t开始比较",
          "command\t1\tgrayed\timage 16x16\tQuorvaSelectLeft\t作为左边文件",
          "command\t2\tgrayed\timage 16x16\tQuorvaCompareWithLeft\t与 开始比较"}},
        {{a, b, c},
         {"command\t0\tgrayed\timage 16x16\tQuorvaCompare\t开始比较",
          "command\t1\tgrayed\timage 16x16\tQuorvaSelectLeft\t作为左边文件",
          "command\t2\tgrayed\timage 16x16\tQuorvaCompareWithLeft\t与 开始比较"}},
        // default only: nothing; verbs only, explore view and other bits: the commands
        {{"--flags", "1", a}, {}},
        {{"--flags", "2", a, b}, {"command\t0\tenabled\timage 16x16\tQuorvaCompare\t开始比较"}},
        {{"--flags", "5", a, b}, {"command\t0\tenabled\timage 16x16\tQuorvaCompare\t开始比较"}},
        {{"--flags", "0x10", a, b}, {"command\t0\tenabled\timage 16x16\tQuorvaCompare\t开始比较"}},
    };
    for (const auto &t : cases) {
        const Result r = shellhost(QStringList{"--list"} + t.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList got = commandLines(r.out);
        if (t.commands.size() == 1) {
            ASSERT_EQ(got.size(), 3) << r.out.toStdString();
            EXPECT_EQ(got.first(), t.commands.first());
        } else {
            EXPECT_EQ(got, t.commands) << r.out.toStdString();
        }
        if (!t.commands.isEmpty()) {
            const QStringList lines = r.out.trimmed().split(QLatin1Char('\n'));
            ASSERT_EQ(lines.size(), 6) << r.out.toStdString();
            EXPECT_EQ(lines[0], QStringLiteral("handler\tQuorva\t") + Clsid);
            EXPECT_EQ(lines[1], sep);
            EXPECT_EQ(lines[5], sep);
        } else {
            EXPECT_FALSE(r.out.contains(sep));
        }
    }
}

TEST_F(Shell, CaptionsComeFromTheLanguageFileNamedInTheSettings)
{
    registerAll();
    ASSERT_TRUE(QDir().mkpath(app + "/Lang"));
    QFile settings(app + "/Quorvex.ini");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[OPTION]\r\nLanguage=English.Lan\r\n");
    settings.close();
    QFile lang(app + "/Lang/English.Lan");
    ASSERT_TRUE(lang.open(QIODevice::WriteOnly));
    lang.write("[Menulet]\r\nBeginCompare=Compare\r\nSelLeft=Use as left file\r\n"
               "CompareWithPrefix=Compare with\r\nCompareWithPostfix=\r\n");
    lang.close();
    const QString a = makeFile("a.xlsx");
    QStringList got = commandLines(shellhost({"--list", a}).out);
    ASSERT_EQ(got.size(), 3);
    EXPECT_TRUE(got[0].endsWith("\tCompare"));
    EXPECT_TRUE(got[1].endsWith("\tUse as left file"));
    // An empty text counts as missing: the built-in one is used and written into the file.
    EXPECT_TRUE(got[2].endsWith("\tCompare with 开始比较")) << got[2].toStdString();
    EXPECT_TRUE(TestFiles::read(app + "/Lang/English.Lan").contains("CompareWithPostfix=开始比较"));

    // A named language file that does not exist gives the built-in texts.
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write("[OPTION]\r\nLanguage=Missing.Lan\r\n");
    settings.close();
    got = commandLines(shellhost({"--list", a}).out);
    ASSERT_EQ(got.size(), 3);
    EXPECT_TRUE(got[0].endsWith("\t开始比较"));
}

TEST_F(Shell, CompareGivesTheMainProgramOneArgumentWhateverTheNames)
{
    registerAll();
    const QString left = makeFile("left \"quoted\" $HOME `x` 'y'.xlsx");
    const QString right = makeFile("right;$(touch pwned) & b.xlsx");
    const Result r = shellhost({"--invoke", "0", left, right});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(recordedArguments(), QStringList{left + "?" + right});
    EXPECT_FALSE(QFile::exists(work + "/pwned"));
}

TEST_F(Shell, RememberInOneProcessCompareInAnother)
{
    registerAll();
    const QString left = makeFile("left file.xlsx");
    const QString right = makeFile("right.xlsx");
    ASSERT_EQ(shellhost({"--invoke", "1", left}).exitCode, 0);
    // Kept in the user's own runtime folder.
    const QString ini = runtime + "/quorva/Menulet.ini";
    EXPECT_TRUE(TestFiles::read(ini).contains(("LeftFileName=" + left).toUtf8()));
    EXPECT_EQ(QFileInfo(runtime + "/quorva").permissions() & 0x0077, 0);

    const QStringList got = commandLines(shellhost({"--list", right}).out);
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[2],
              "command\t2\tenabled\timage 16x16\tQuorvaCompareWithLeft\t与 " + left + " 开始比较");
    ASSERT_EQ(shellhost({"--invoke", "2", right}).exitCode, 0);
    EXPECT_EQ(recordedArguments(), QStringList{left + "?" + right});

    // Without a runtime folder the temporary folder's private folder serves.
    // (Checked through the host: nothing is left in a shared place.)
    EXPECT_FALSE(QFile::exists(temp + "/Menulet.ini"));
}

TEST_F(Shell, ANameThatIsNotUtf8IsRefusedNotTakenForAnother)
{
    registerAll();
    // "book<FF>.xlsx" read as text is "book\uFFFD.xlsx", which is another file here.
    makeFile(QStringLiteral("book\uFFFD.xlsx"));
    makeFile("right.xlsx");
    const QByteArray latin = "\"$(printf 'book\\377.xlsx')\"";
    ASSERT_EQ(script(": > " + latin).exitCode, 0);
    for (const QByteArray &args :
         {"--invoke 0 " + latin + " right.xlsx", "--invoke 1 " + latin, "--list " + latin}) {
        const Result r = script("exec \"$APP/shellhost\" " + args);
        EXPECT_EQ(r.exitCode, 1) << args.toStdString();
        EXPECT_TRUE(r.err.contains("not UTF-8")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    QThread::msleep(200);
    EXPECT_FALSE(recorderRan()) << recordedArguments(0).join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(runtime + "/quorva/Menulet.ini"));
    script("rm " + latin); // the temporary folder cannot name it to remove it
}

TEST_F(Shell, OnlyAFileMenuletIniKeepsExactlyIsRemembered)
{
    registerAll();
    const QString kept = makeFile("kept.xlsx");
    ASSERT_EQ(shellhost({"--invoke", "1", kept}).exitCode, 0);
    // Each of these would come back as another file, or as none: the remembered file stays.
    makeFile("blank.xlsx");
    QDir().mkpath(work + "/folder.xlsx");
    const QString refused[] = {makeFile("blank.xlsx "), work + "/folder.xlsx",
                               work + "/missing.xlsx", makeFile("two\nlines.xlsx")};
    for (const QString &f : refused) {
        const Result r = shellhost({"--invoke", "1", f});
        EXPECT_TRUE(r.err.contains("Can't remember the left file: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(f)) << r.err.toStdString();
        const QStringList got = commandLines(shellhost({"--list", kept}).out);
        ASSERT_EQ(got.size(), 3);
        EXPECT_TRUE(got[2].endsWith("\t与 " + kept + " 开始比较")) << got[2].toStdString();
    }
}

TEST_F(Shell, MissingMainProgramOrWorkbookGivesAMessageAndStartsNothing)
{
    registerAll();
    const QString a = makeFile("a.xlsx"), b = makeFile("b.xlsx");
    // An empty file is no program either.
    QFile::resize(app + "/Quorva", 0);
    Result r = shellhost({"--invoke", "0", a, b});
    EXPECT_TRUE(r.err.contains("Can't found file " + app + "/Quorva")) << r.err.toStdString();
    QFile::remove(app + "/Quorva");
    r = shellhost({"--invoke", "0", a, b});
    EXPECT_TRUE(r.err.contains("Can't found file " + app + "/Quorva")) << r.err.toStdString();
    EXPECT_FALSE(recorderRan());

    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVA_TEST_ARGV_RECORDER), app + "/Quorva"));
    // The remembered left file was deleted since.
    ASSERT_EQ(shellhost({"--invoke", "1", a}).exitCode, 0);
    QFile::remove(a);
    r = shellhost({"--invoke", "2", b});
    EXPECT_TRUE(r.err.contains("Can't found file " + a)) << r.err.toStdString();
    // A folder is there, but it is no workbook.
    QDir().mkpath(work + "/folder");
    r = shellhost({"--invoke", "0", work + "/folder", b});
    EXPECT_TRUE(r.err.contains("Can't compare a folder: " + work + "/folder"))
        << r.err.toStdString();
    // A "?" in a name would split the argument in the wrong place.
    const QString odd = makeFile("what?.xlsx");
    r = shellhost({"--invoke", "0", odd, b});
    EXPECT_TRUE(r.err.contains(odd)) << r.err.toStdString();
    QThread::msleep(200);
    EXPECT_FALSE(recorderRan());
}

TEST_F(Shell, GrayedOrAbsentCommandsAreNotInvoked)
{
    registerAll();
    const QString a = makeFile("a.xlsx");
    Result r = shellhost({"--invoke", "0", a});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains("grayed")) << r.err.toStdString();
    r = shellhost({"--invoke", "7", a});
    EXPECT_EQ(r.exitCode, 3);
    r = shellhost({"--invoke", "0", "--handler", "Nobody", a});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(shellhost({"--invoke", a}).exitCode, 1);
    EXPECT_EQ(shellhost({"--list"}).exitCode, 1);
    EXPECT_EQ(shellhost({"--list", "--bogus", a}).exitCode, 1);
}

TEST_F(Shell, CommandsStopAtTheEndOfTheIdentifierRange)
{
    registerAll();
    const QString a = makeFile("a.xlsx"), b = makeFile("b.xlsx");
    // Room for two commands only.
    QStringList got =
        commandLines(shellhost({"--list", "--id-first", "100", "--id-last", "101", a, b}).out);
    ASSERT_EQ(got.size(), 2);
    EXPECT_TRUE(got[0].startsWith("command\t0\tenabled"));
    EXPECT_TRUE(got[1].startsWith("command\t1\tgrayed"));
    // No room at all: nothing, not even separators.
    Result r = shellhost({"--list", "--id-first", "100", "--id-last", "99", a, b});
    EXPECT_TRUE(commandLines(r.out).isEmpty());

    // A second handler gets the identifiers the first left; choosing its command runs its own.
    QByteArray text = storeBytes();
    text += "[HKCR\\*\\shellex\\ContextMenuHandlers\\Second]\n@=sz:\"" + QByteArray(Clsid) + "\"\n";
    writeStore(text);
    r = shellhost({"--list", "--id-first", "1", "--id-last", "4", a, b});
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QStringList lines = r.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 8) << r.out.toStdString();
    EXPECT_EQ(lines[6], QStringLiteral("handler\tSecond\t") + Clsid) << r.out.toStdString();
    EXPECT_EQ(commandLines(r.out).size(), 4);
    r = shellhost(
        {"--invoke", "0", "--handler", "Second", "--id-first", "1", "--id-last", "4", a, b});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(recordedArguments(), QStringList{a + "?" + b});
}

TEST_F(Shell, ABrokenHandlerIsReportedAndTheOthersStillServe)
{
    registerAll();
    QByteArray text = storeBytes();
    text += "[HKCR\\*\\shellex\\ContextMenuHandlers\\AAA]\n@=sz:\"not a class\"\n"
            "[HKCR\\*\\shellex\\ContextMenuHandlers\\{11111111-2222-3333-4444-555555555555}]\n";
    writeStore(text);
    const Result r = shellhost({"--list", makeFile("a.xlsx")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("handler AAA")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("{11111111-2222-3333-4444-555555555555}")) << r.err.toStdString();
    EXPECT_EQ(commandLines(r.out).size(), 3);
}

} // namespace

static QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(Shell, ProjectFilesOpenInQuorvaWithItsPictureUntilUnregwell)
{
    // The build's pictures beside the programs, as the payload has them.
    ASSERT_EQ(script("cp -r '" QUORVA_BIN_DIR "/icons' \"$APP/icons\"").exitCode, 0);
    ASSERT_EQ(run("regsvr32", {"/s", app + "/Menulet.so"}).exitCode, 0);
    const Result reg = run("Regwell", {});
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    // Root's install outside any home is for every user of the machine.
    const QString data = ::geteuid() == 0 ? shared : home + "/.local/share";
    const QByteArray entry = readAll(data + "/applications/quorva.desktop");
    for (const char *line :
         {"\nExec=\"%1/Quorva\" %f\n", "\nIcon=quorva\n", "\nCategories=Office;Spreadsheet;\n",
          "\nMimeType=application/x-quorva-project;\n"})
        EXPECT_TRUE(entry.contains(QString(line).arg(app).toUtf8())) << line << entry.data();
    for (int size : {16, 48, 256})
        EXPECT_TRUE(
            QFileInfo(data + QString("/icons/hicolor/%1x%1/apps/quorva.png").arg(size)).size() > 0)
            << size;
    EXPECT_TRUE(readAll(data + "/mime/packages/quorva.xml").contains("<glob pattern=\"*.vrk\"/>"));

    const QString project = makeFile("orders.vrk");
    if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty() ||
        QStandardPaths::findExecutable("xdg-mime").isEmpty() ||
        QStandardPaths::findExecutable("gio").isEmpty())
        GTEST_SKIP() << "desktop-file-validate, xdg-mime or gio is not installed (tools/deps.sh)";
    const Result valid =
        script("desktop-file-validate '" + data.toUtf8() + "/applications/quorva.desktop'");
    EXPECT_EQ(valid.exitCode, 0) << valid.out.toStdString() << valid.err.toStdString();
    const QByteArray query = "xdg-mime query filetype '" + project.toUtf8() +
                             "'; xdg-mime query default application/x-quorva-project";
    EXPECT_EQ(script(query).out, "application/x-quorva-project\nquorva.desktop\n");

    ASSERT_EQ(run("Unregwell", {}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(data + "/mime/packages/quorva.xml"));
    EXPECT_NE(script(query).out, "application/x-quorva-project\nquorva.desktop\n");
    // The program keeps its menu entry and its picture.
    EXPECT_TRUE(QFileInfo::exists(data + "/applications/quorva.desktop"));
}

TEST_F(Shell, AUserWhoseStoreHasNoPathComparesWithTheProgramBesideMenulet)
{
    // Two users of one installation: the first one's store has the path the installer wrote,
    // the second one's has only what registering for that user wrote.
    const QString left = makeFile("a.xlsx"), right = makeFile("b.xlsx");
    for (bool withPath : {true, false}) {
        SCOPED_TRACE(withPath ? "first user" : "second user");
        QFile::remove(argvFile);
        writeStore(withPath
                       ? "Quorva registry 1\n[HKLM\\SOFTWARE\\Tarquell\\Quorva]\n\"Path\"=sz:\"" +
                             app.toUtf8() + "/Quorva\"\n"
                       : QByteArray("Quorva registry 1\n"));
        ASSERT_EQ(run("regsvr32", {"/s", app + "/Menulet.so"}).exitCode, 0);
        ASSERT_EQ(run("Regwell", {}).exitCode, 0);
        const Result r = shellhost({"--invoke", "0", "--", left, right});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(recordedArguments(), QStringList{left + "?" + right});
    }
}

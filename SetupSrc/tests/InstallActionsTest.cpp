#include "SetupSrc/Include/KoShortcut.h"
#include "SetupSrc/Include/SetupError.h"
#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/tests/FileSizeLimit.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "platform/ini/Profile.h"
#include "platform/registry/Registry.h"

#include <QFileInfo>

using namespace win;

namespace {

class InstallActions : public SetupTestEnv
{
protected:
    QString target;

    void SetUp() override
    {
        SetupTestEnv::SetUp();
        target = programFiles + "/Quorva";
    }

    std::unique_ptr<TSetupRule> load(const QByteArray &sections)
    {
        writeFile(source + "/Setup.rul",
                  "[Setup]\r\nDefaultDirName={PROGRAMFILES}\\Quorva\r\n" + sections);
        auto rule = std::make_unique<TSetupRule>(source + "/Setup.rul");
        QDir().mkpath(rule->InstallDir()); // what the copy does first
        return rule;
    }

    // The entries of one section of the uninstall log, in file order.
    QStringList uninstallLog(const QString &section) const
    {
        QStringList keys;
        const QString packed = GetPrivateProfileSection(section, target + "/Uninst.isu");
        for (const QString &entry : packed.split(QChar(0), Qt::SkipEmptyParts))
            keys.append(entry.endsWith('=') ? entry.chopped(1) : entry);
        return keys;
    }

    static QString regValue(HKEY root, const QString &key, const QString &name)
    {
        HKEY k = 0;
        if (RegOpenKeyEx(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
        RegData d;
        const LSTATUS rc = RegQueryValueEx(k, name, &d);
        RegCloseKey(k);
        if (rc != ERROR_SUCCESS) return "<no value>";
        return d.type == REG_DWORD ? QString("dword:%1").arg(d.number) : d.text;
    }

    static bool problemsMention(const TSetupRule &rule, const QString &text)
    {
        for (const QString &p : rule.Log().Problems())
            if (p.contains(text)) return true;
        return false;
    }
};

} // namespace

TEST_F(InstallActions, RegistryValuesAndTheirUninstallEntries)
{
    // A key that exists already: only its value line is logged.
    HKEY k = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software", "", 0, KEY_ALL_ACCESS, &k), 0);
    RegCloseKey(k);
    auto rule = load("[Registry]\r\n"
                     "ROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Tarquell\\Quorva;VALUETYPE:STRING;"
                     "VALUENAME:Path;VALUEDATA:{TARGETDIR}\\Quorva\r\n"
                     "ROOT:HKEY_CLASSES_ROOT;SUBKEY:.vrk;VALUETYPE:STRING;VALUENAME:;"
                     "VALUEDATA:Quorva.Project\r\n"
                     "ROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Tarquell\\Quorva;VALUETYPE:DWORD;"
                     "VALUENAME:Rows;VALUEDATA:65536\r\n"
                     "ROOT:HKEY_CURRENT_USER;SUBKEY:Software;VALUETYPE:DWORD;VALUENAME:Empty;"
                     "VALUEDATA:\r\n");
    rule->WriteRegistryEntries();
    EXPECT_EQ(regValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path"),
              target + "/Quorva");
    EXPECT_EQ(regValue(HKEY_CLASSES_ROOT, ".vrk", ""), "Quorva.Project");
    EXPECT_EQ(regValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Rows"), "dword:65536");
    EXPECT_EQ(regValue(HKEY_CURRENT_USER, "Software", "Empty"), "dword:0");
    // Each value as written, then the created-key line of each entry that had to create a key.
    EXPECT_EQ(uninstallLog("Registry"),
              (QStringList{
                  "Root:HKEY_LOCAL_MACHINE; Subkey:SOFTWARE\\Tarquell\\Quorva; ValueName:Path",
                  "Root:HKEY_CLASSES_ROOT; Subkey:.vrk; ValueName:",
                  "Root:HKEY_LOCAL_MACHINE; Subkey:SOFTWARE\\Tarquell\\Quorva; ValueName:Rows",
                  "Root:HKEY_CURRENT_USER; Subkey:Software; ValueName:Empty",
                  "Root:HKEY_LOCAL_MACHINE; Subkey:SOFTWARE\\Tarquell\\Quorva",
                  "Root:HKEY_CLASSES_ROOT; Subkey:.vrk",
              }));
    EXPECT_TRUE(rule->Log().Problems().isEmpty())
        << rule->Log().Problems().join('\n').toStdString();
    // The install log is in the install folder and is removed by an uninstall too.
    EXPECT_EQ(uninstallLog("Files"), QStringList{target + "/Setup.log"});
    EXPECT_TRUE(readFile(target + "/Setup.log").contains("ValueName:Rows"));
}

TEST_F(InstallActions, UnknownRootsAndTypesAreSkippedAndReported)
{
    auto rule =
        load("[Registry]\r\n"
             "ROOT:HKEY_NOWHERE;SUBKEY:A;VALUETYPE:STRING;VALUENAME:x;VALUEDATA:1\r\n"
             "SUBKEY:B;VALUETYPE:STRING;VALUENAME:x;VALUEDATA:1\r\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:C\\D;VALUETYPE:BINARY;VALUENAME:x;VALUEDATA:1\r\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:E;VALUETYPE:STRING;VALUENAME:x;VALUEDATA:ok\r\n");
    EXPECT_NO_THROW(rule->WriteRegistryEntries());
    // The actions after an unknown root still run.
    EXPECT_EQ(regValue(HKEY_CURRENT_USER, "E", "x"), "ok");
    // An unknown type creates its key, logs it, and writes no value.
    EXPECT_EQ(regValue(HKEY_CURRENT_USER, "C\\D", "x"), "<no value>");
    EXPECT_EQ(
        uninstallLog("Registry"),
        (QStringList{"Root:HKEY_CURRENT_USER; Subkey:E; ValueName:x",
                     "Root:HKEY_CURRENT_USER; Subkey:C\\D", "Root:HKEY_CURRENT_USER; Subkey:E"}));
    const QStringList problems = rule->Log().Problems();
    ASSERT_EQ(problems.size(), 3) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains("Setup.rul:4: [Registry]"));
    EXPECT_TRUE(problems[0].contains("unknown root \"HKEY_NOWHERE\""));
    EXPECT_TRUE(problems[1].contains("no ROOT"));
    EXPECT_TRUE(problems[2].contains("unknown value type \"BINARY\""));
    EXPECT_TRUE(readFile(target + "/Setup.log").contains("HKEY_NOWHERE"));
}

TEST_F(InstallActions, RefusedKeysAndNumbersEndTheActionsButKeepTheLog)
{
    auto rule =
        load("[Registry]\r\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:New\\Key;VALUETYPE:STRING;VALUENAME:a;VALUEDATA:1\r\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:N;VALUETYPE:DWORD;VALUENAME:n;VALUEDATA:12x\r\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:Later;VALUETYPE:STRING;VALUENAME:a;VALUEDATA:1\r\n"
             "[Post_Setup_Step]\r\nnever\r\n");
    QString error;
    EXPECT_FALSE(rule->RunInstallActions(&error));
    EXPECT_EQ(error, "'12x' is not a valid integer value");
    EXPECT_EQ(regValue(HKEY_CURRENT_USER, "Later", "a"), "<no key>");
    // The keys created before the error are still in the uninstall log.
    EXPECT_EQ(uninstallLog("Registry"),
              (QStringList{"Root:HKEY_CURRENT_USER; Subkey:New\\Key; ValueName:a",
                           "Root:HKEY_CURRENT_USER; Subkey:New\\Key",
                           "Root:HKEY_CURRENT_USER; Subkey:N"}));
    EXPECT_TRUE(problemsMention(*rule, "Setup.rul:5: [Registry] '12x'"));
    EXPECT_FALSE(problemsMention(*rule, "never")); // the later actions did not run

    // A key the user may not change cannot get a new level.
    ASSERT_EQ(RegSetKeyReadOnly(HKEY_LOCAL_MACHINE, "SOFTWARE", true), ERROR_SUCCESS);
    rule = load("[Registry]\r\n"
                "ROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Q;VALUETYPE:STRING;VALUENAME:a;"
                "VALUEDATA:1\r\n");
    try {
        rule->WriteRegistryEntries();
        ADD_FAILURE() << "no error";
    } catch (const SetupError &e) {
        EXPECT_TRUE(e.message().startsWith("Failed to create key SOFTWARE\\Q: "))
            << e.message().toStdString();
    }
}

TEST_F(InstallActions, ShortcutsWithFoldersAndTheirLogOrder)
{
    QDir().mkpath(home + "/Desktop");
    auto rule =
        load("[Shortcut]\r\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS}\\Tarquell\\Quorva;NAME:Quorva;"
             "FILENAME:{TARGETDIR}\\Quorva;WORKINGDIR:{TARGETDIR}\r\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS}\\Tarquell\\Quorva;NAME:Regwell;"
             "FILENAME:{TARGETDIR}\\Regwell;WORKINGDIR:\r\n"
             "PROGRAMFOLDER:{FOLDER_DESKTOP};NAME:Quorva;FILENAME:{TARGETDIR}\\Quorva\r\n"
             "PROGRAMFOLDER:{folder_desktop};NAME:Lower;FILENAME:/bin/true\r\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS}\\..\\..\\autostart;NAME:Evil;FILENAME:/bin/true\r\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS};NAME:../../evil;FILENAME:/bin/true\r\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS};NAME:Eq;FILENAME:/bin/a=b\r\n");
    writeFakeProgram(target + "/Quorva", "q");
    writeFakeProgram(target + "/Regwell", "r");
    rule->CreateShortcuts();
    const QString apps = home + "/.local/share/applications";
    const QString menu = apps + "/Tarquell/Quorva";
    EXPECT_EQ(uninstallLog("Shortcut"),
              (QStringList{menu + "/Quorva.desktop", menu + "/Regwell.desktop",
                           home + "/Desktop/Quorva.desktop", menu, apps + "/Tarquell"}));
    EXPECT_EQ(QString::fromUtf8(readFile(menu + "/Quorva.desktop")),
              "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Quorva\n"
              "Exec=\"" +
                  target + "/Quorva\"\nPath=" + target + "/\nTerminal=false\n");
    EXPECT_FALSE(readFile(menu + "/Regwell.desktop").contains("Path="));
    EXPECT_TRUE(QFileInfo(home + "/Desktop/Quorva.desktop").isExecutable());
    EXPECT_FALSE(QFileInfo(home + "/.local/share/autostart").exists());
    const QStringList problems = rule->Log().Problems();
    ASSERT_EQ(problems.size(), 4) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains("{folder_desktop}"));
    EXPECT_TRUE(problems[1].contains("leaves its folder"));
    EXPECT_TRUE(problems[2].contains("NAME \"../../evil\""));
    EXPECT_TRUE(problems[3].contains("FILENAME \"/bin/a=b\""));
}

TEST_F(InstallActions, TheDesktopIsTheFolderTheUserNamed)
{
    // The desktop named in user-dirs.dirs; one set to the home folder means there is none.
    QDir().mkpath(home + "/Schreibtisch");
    writeFile(home + "/.config/user-dirs.dirs",
              "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(KoShortcut::GetShellFolder(KoShortcut::Desktop, true), home + "/Schreibtisch/");
    writeFile(home + "/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/\"\n");
    EXPECT_EQ(KoShortcut::GetShellFolder(KoShortcut::Desktop, true), "");
    QString problem;
    EXPECT_EQ(
        KoShortcut::CreateShortcut("", "Q", "/bin/true", "", KoShortcut::Desktop, true, &problem),
        "");
    EXPECT_EQ(problem, "there is no desktop folder");
    EXPECT_EQ(KoShortcut::GetShellFolder(KoShortcut::StartMenu, true),
              home + "/.local/share/applications/");
}

TEST_F(InstallActions, ServersAreRegisteredOneAfterAnotherBeforeThePostSetupSteps)
{
    // regsvr32 takes a while; the post-setup step must not start before it has finished.
    writeFakeProgram(bin + "/regsvr32", "regsvr32", 0, "0.3");
    writeFakeProgram(target + "/Regwell", "Regwell");
    writeFile(target + "/Pairwin.so", "pairwin");
    writeFile(target + "/Menulet.so", "menulet");
    writeFile(systemDir + "/Shared.so", "already there");
    writeFile(target + "/Shared.so", "newer");
    auto rule = load("[Regsvr32]\r\n"
                     "Pairwin.so={TARGETDIR}\r\n"
                     "Menulet.so = {TARGETDIR}\\\r\n"
                     "Shared.so\r\n"
                     "Shared.so=\r\n"
                     "[Post_Setup_Step]\r\n"
                     "Regwell\r\n");
    ASSERT_TRUE(rule->RunInstallActions());
    const QStringList lines = recordLines(5);
    EXPECT_EQ(lines, (QStringList{"regsvr32 [/s] [" + target + "/Pairwin.so]",
                                  "regsvr32 [/s] [" + target + "/Menulet.so]",
                                  "regsvr32 [/s] [" + systemDir + "/Shared.so]",
                                  "regsvr32 [/s] [" + systemDir + "/Shared.so]", "Regwell"}));
    // A server already in the system folder stays as it is.
    EXPECT_EQ(readFile(systemDir + "/Shared.so"), "already there");
    EXPECT_EQ(uninstallLog("Regsvr32"), (QStringList{target + "/Pairwin.so", target + "/Menulet.so",
                                                     systemDir + "/Shared.so"}));
    EXPECT_TRUE(rule->Log().Problems().isEmpty())
        << rule->Log().Problems().join('\n').toStdString();
    EXPECT_TRUE(rule->Log().Lines().contains("regsvr32 /s " + target + "/Pairwin.so: exit code 0"));
}

TEST_F(InstallActions, ServersGoToTheSystemFolderAndFailuresAreReported)
{
    // The copy of regsvr32 beside Setup wins over the one on PATH.
    writeFakeProgram(bin + "/regsvr32", "path-regsvr32");
    writeFakeProgram(source + "/regsvr32", "regsvr32", 3);
    writeFile(target + "/Winhook.so", "winhook");
    auto rule = load("[Regsvr32]\r\n"
                     "Winhook.so\r\n"
                     "../Evil.so\r\n"
                     "Winhook.so=/usr/lib\r\n"
                     "Winhook.so={TARGETDIR}\\..\\..\r\n"
                     "Missing.so\r\n");
    rule->RegisterServers();
    EXPECT_EQ(readFile(systemDir + "/Winhook.so"), "winhook");
    EXPECT_EQ(recordLines(), QStringList{"regsvr32 [/s] [" + systemDir + "/Winhook.so]"});
    const QStringList problems = rule->Log().Problems();
    ASSERT_EQ(problems.size(), 5) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains("exit code 3, the file could not be loaded"));
    EXPECT_TRUE(problems[1].contains("Setup.rul:5: [Regsvr32]"));
    EXPECT_TRUE(problems[1].contains("leaves its folder"));
    EXPECT_TRUE(problems[2].contains("outside the install folder"));
    EXPECT_TRUE(problems[3].contains("outside the install folder"));
    EXPECT_TRUE(problems[4].contains("cannot be copied"));
    EXPECT_FALSE(QFileInfo::exists("/usr/lib/Winhook.so") &&
                 readFile("/usr/lib/Winhook.so") == "winhook");

    // Without any regsvr32 nothing is registered, and the finish page says so.
    QFile::remove(bin + "/regsvr32");
    QFile::remove(source + "/regsvr32");
    set("PATH", bin);
    rule = load("[Regsvr32]\r\nWinhook.so={TARGETDIR}\r\n");
    rule->RegisterServers();
    ASSERT_EQ(rule->Log().Problems().size(), 1);
    EXPECT_TRUE(rule->Log().Problems()[0].contains("regsvr32 is neither beside Setup"));
}

TEST_F(InstallActions, PostSetupStepsStayInsideTheInstallFolder)
{
    writeFakeProgram(target + "/First", "First");
    writeFakeProgram(target + "/bin/Second", "Second");
    auto rule = load("[Post_Setup_Step]\r\n"
                     "First\r\n"
                     "../../bin/regsvr32\r\n"
                     "Missing\r\n"
                     "bin\\Second\r\n");
    rule->RunPostSetupSteps();
    QStringList lines = recordLines(2);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"First", "Second"}));
    const QStringList problems = rule->Log().Problems();
    ASSERT_EQ(problems.size(), 2) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains("leaves its folder"));
    EXPECT_TRUE(problems[1].contains("Missing does not exist"));
}

TEST_F(InstallActions, NothingIsInstalledWithoutAnInstallFolder)
{
    writeFile(source + "/Setup.rul", "[Setup]\nDefaultDirName={WINDIR}\\Q\n"
                                     "[Registry]\nROOT:HKEY_CURRENT_USER;SUBKEY:X;"
                                     "VALUETYPE:STRING;VALUENAME:a;VALUEDATA:1\n");
    TSetupRule rule(source + "/Setup.rul");
    ASSERT_TRUE(rule.RunInstallActions());
    EXPECT_EQ(regValue(HKEY_CURRENT_USER, "X", "a"), "<no key>");
    EXPECT_EQ(rule.Log().Problems().size(), 4);
    EXPECT_FALSE(rule.WriteUninstallLog("Files", "/x"));
}

TEST_F(InstallActions, AFullStoreIsNamedTheLogIsKeptAndNoShortcutLeadsNowhere)
{
    // A store larger than the files may grow (as on a full disk); the install log stays small.
    HKEY k = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Filler", "", 0, KEY_ALL_ACCESS, &k), 0);
    ASSERT_EQ(RegSetValueEx(k, "x", REG_SZ, QString(3000, 'x')), 0);
    RegCloseKey(k);
    QDir().mkpath(home + "/Desktop");
    auto rule = load("[Registry]\r\nROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Tarquell\\Quorva;"
                     "VALUETYPE:STRING;VALUENAME:Path;VALUEDATA:{TARGETDIR}\\Quorva\r\n"
                     "[Shortcut]\r\nPROGRAMFOLDER:{FOLDER_DESKTOP};NAME:Quorva;"
                     "FILENAME:{TARGETDIR}\\Quorva;ICON:quorva\r\n");
    rule->Log().Info("copied what the copy could");
    QString error;
    {
        FileSizeLimit limit(2000);
        EXPECT_FALSE(rule->RunInstallActions(&error));
    }
    EXPECT_TRUE(error.startsWith("Failed to create key SOFTWARE")) << error.toStdString();
    EXPECT_TRUE(error.contains("no space left")) << error.toStdString();
    const QString log = QString::fromUtf8(readFile(target + "/Setup.log"));
    EXPECT_TRUE(log.contains("copied what the copy could")) << log.toStdString();
    EXPECT_TRUE(log.contains("registry entries")) << log.toStdString();
    EXPECT_TRUE(log.contains("no space left")) << log.toStdString();

    // The program was never copied: no shortcut starts it.
    rule->CreateShortcuts();
    EXPECT_FALSE(QFileInfo::exists(home + "/Desktop/Quorva.desktop"));
    EXPECT_TRUE(problemsMention(*rule, "is not there"));
    // Once it is there, the shortcut names its picture.
    writeFakeProgram(target + "/Quorva", "q");
    rule->CreateShortcuts();
    EXPECT_TRUE(readFile(home + "/Desktop/Quorva.desktop").contains("\nIcon=quorva\n"));
}

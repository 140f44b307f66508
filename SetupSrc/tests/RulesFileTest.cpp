#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "platform/registry/Registry.h"

namespace {

class RulesFile : public SetupTestEnv
{
protected:
    QString rules() const { return source + "/Setup.rul"; }
    std::unique_ptr<TSetupRule> load(const QByteArray &text)
    {
        writeFile(rules(), text);
        return std::make_unique<TSetupRule>(rules());
    }
};

} // namespace

TEST_F(RulesFile, SectionLinesAreKeptAsWritten)
{
    // CR LF, a header in lower case with trailing blanks, comments, a line with a leading
    // blank, a "[" line that is no header, and a second run of the section that is not read.
    const QByteArray text = "; top\r\n"
                            "a.so\r\n"
                            "[files]   \r\n"
                            "a.so\r\n"
                            "; comment\r\n"
                            " ; not a comment\r\n"
                            "\r\n"
                            "  sub\\b.so = \\bin\\b.so  \r\n"
                            "[Files]\r\n"
                            "[odd\r\n"
                            "[Other]\r\n"
                            "x\r\n"
                            "[FILES]\r\n"
                            "late.so\r\n";
    writeFile(rules(), text);
    TKoIniFile file(rules());
    QStringList lines{"stale"};
    QList<int> numbers;
    ASSERT_TRUE(file.ReadSectionLines("Files", lines, &numbers));
    EXPECT_EQ(lines,
              (QStringList{"a.so", " ; not a comment", "  sub\\b.so = \\bin\\b.so  ", "[odd"}));
    EXPECT_EQ(numbers, (QList<int>{4, 6, 8, 10}));

    // LF and lone CR line ends read the same; a UTF-8 BOM before the first header is no text.
    writeFile(rules(), "\xEF\xBB\xBF[Files]\nx\ry\n[Next]\n");
    ASSERT_TRUE(file.ReadSectionLines("FILES", lines));
    EXPECT_EQ(lines, (QStringList{"x", "y"}));

    // Text that is not UTF-8 is read as GB18030.
    writeFile(rules(), "[Files]\n\xD6\xD0\xCE\xC4.txt\n");
    ASSERT_TRUE(file.ReadSectionLines("Files", lines));
    EXPECT_EQ(lines, QStringList{QString::fromUtf8("中文.txt")});

    QString problem;
    EXPECT_FALSE(
        TKoIniFile(source + "/none.rul").ReadSectionLines("Files", lines, nullptr, &problem));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(problem.contains("none.rul"));
}

TEST_F(RulesFile, OptionsAndTheirDefaults)
{
    auto rule = load("[Setup]\nDefaultDirName={ProgramFiles}\\Quorva\nLicenseFile=lic.txt\n");
    EXPECT_TRUE(rule->SdLicense());
    EXPECT_TRUE(rule->SdAskDestPath());
    EXPECT_TRUE(rule->LaunchAppDefault());
    EXPECT_EQ(rule->Caption(), "");
    EXPECT_EQ(rule->SourceDir(), source + "/");
    EXPECT_EQ(rule->LicenseFile(), source + "/lic.txt");
    EXPECT_EQ(rule->InstallDir(), programFiles + "/Quorva/");

    rule = load("[showdialog]\nSdLicense=0\nSdAskDestPath = 0x0\n"
                "[setup]\ncaption=Setup of Quorva\nAppName=Quorva\nLaunchAppDefault=0\n"
                "WizardImageFile=img/wizard.png\nWhenFinishLaunchApp={TARGETDIR}\\Quorva\n"
                "DefaultDirName=/srv/quorva\n");
    EXPECT_FALSE(rule->SdLicense());
    EXPECT_FALSE(rule->SdAskDestPath());
    EXPECT_FALSE(rule->LaunchAppDefault());
    EXPECT_EQ(rule->Caption(), "Setup of Quorva");
    EXPECT_EQ(rule->WizardImageFile(), "img/wizard.png");
    EXPECT_EQ(rule->InstallDir(), "/srv/quorva/");
    EXPECT_EQ(rule->ExpandMacro(rule->WhenFinishLaunchApp()), "/srv/quorva/Quorva");
    EXPECT_FALSE(rule->NeedsDestPage());
}

TEST_F(RulesFile, ProgramFilesMacro)
{
    struct
    {
        const char *value, *installDir; // installDir null: no usable install folder
    } cases[] = {
        {"{PROGRAMFILES}\\Tarquell\\Quorva", "/programs/Tarquell/Quorva/"},
        {"{programfiles}/Quorva/", "/programs/Quorva/"},
        {"{PROGRAMFILES}Quorva", "/programs/Quorva/"},
        {"lead{PROGRAMFILES}\\Q", "/programs/Q/"},
        {"/usr/local/quorva", nullptr}, // literal: kept as written (checked separately below)
        {"{WINDIR}\\Quorva", nullptr},
        {"{PROGRAMFILES", nullptr},
        {"", nullptr},
        {"Quorva", nullptr},
        {"/", nullptr},
    };
    for (const auto &c : cases) {
        auto rule = load(QByteArray("[ShowDialog]\nSdAskDestPath=0\n[Setup]\nDefaultDirName=") +
                         c.value + "\n");
        if (QByteArray(c.value).startsWith("/usr")) {
            EXPECT_EQ(rule->InstallDir(), "/usr/local/quorva/");
            continue;
        }
        if (c.installDir) {
            EXPECT_EQ(rule->InstallDir(), tmp.path() + c.installDir) << c.value;
            EXPECT_FALSE(rule->NeedsDestPage());
            continue;
        }
        // Never the root or the current folder: the wizard must ask, naming the value.
        EXPECT_EQ(rule->InstallDir(), "") << c.value;
        EXPECT_FALSE(rule->InstallDirValid());
        EXPECT_TRUE(rule->NeedsDestPage());
        EXPECT_TRUE(rule->InstallDirProblem().contains("DefaultDirName=\"" + QString(c.value)))
            << rule->InstallDirProblem().toStdString();
        EXPECT_TRUE(rule->InstallDirProblem().contains(rules()));
    }
    // Program Files without the variable: /opt for root, ~/.local/opt for anyone else.
    set("QUORVA_PROGRAMFILES", "");
    EXPECT_EQ(TKoSetupBase::GetSpecialFolderPath(),
              ::geteuid() == 0 ? QString("/opt/") : home + "/.local/opt/");
}

TEST_F(RulesFile, TargetDirMacro)
{
    auto rule = load("[Setup]\nDefaultDirName=/opt/q\n");
    struct
    {
        const char *text, *expanded, *name, *rest;
    } cases[] = {
        {"{TARGETDIR}\\Quorva", "/opt/q/Quorva", "TARGETDIR", "\\Quorva"},
        {"{TARGETDIR}/Quorva", "/opt/q/Quorva", "TARGETDIR", "/Quorva"},
        {"{TARGETDIR}Quorva", "/opt/q/Quorva", "TARGETDIR", "Quorva"},
        {"{TARGETDIR}", "/opt/q/", "TARGETDIR", ""},
        {"{targetdir}\\Quorva", "\\Quorva", "targetdir", "\\Quorva"},
        {"{FOLDER_PROGRAMS}\\Q", "\\Q", "FOLDER_PROGRAMS", "\\Q"},
        {"{TARGETDIR", "{TARGETDIR", "", "{TARGETDIR"},
        {"C:\\x", "C:\\x", "", "C:\\x"},
        {"", "", "", ""},
    };
    for (const auto &c : cases) {
        QString name = "stale", rest = "stale";
        EXPECT_EQ(rule->ExpandMacro(c.text, &name, &rest), c.expanded) << c.text;
        EXPECT_EQ(name, c.name) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
    rule->SetInstallDir("/home/u/Quorva App");
    EXPECT_EQ(rule->ExpandMacro("{TARGETDIR}\\Quorva"), "/home/u/Quorva App/Quorva");
}

TEST_F(RulesFile, RegistryAndShortcutLines)
{
    auto rule =
        load("[Setup]\nDefaultDirName=/opt/q\n"
             "[Registry]\n"
             "ROOT:HKEY_LOCAL_MACHINE;SUBKEY:SOFTWARE\\Tarquell\\Quorva;VALUETYPE:STRING;"
             "VALUENAME:Path;VALUEDATA:{TARGETDIR}\\Quorva\n"
             " root : hkey_local_machine ; subkey:SOFTWARE\\Tarquell\\Quorva; valuetype:string;"
             "valuename:Path;valuedata:{TARGETDIR}\\Quorva=\n"
             "ROOT:HKEY_CURRENT_USER;SUBKEY:Software\\Q;VALUETYPE:DWORD;VALUENAME:N;VALUEDATA:7;"
             "EXTRA:1;broken\n"
             "ROOT:HKLM;SUBKEY:S;VALUETYPE:BINARY;VALUEDATA:C:\\x\n"
             "[Shortcut]\n"
             "PROGRAMFOLDER:{FOLDER_PROGRAMS}\\Quorva;NAME:Quorva;FILENAME:{TARGETDIR}\\Quorva;"
             "WORKINGDIR:{TARGETDIR}\n");
    QList<TRegistryItem> reg;
    ASSERT_EQ(rule->ReadRegistryEntries(reg), 4);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(reg[i].RootKey, win::HKEY_LOCAL_MACHINE) << i;
        EXPECT_EQ(reg[i].SubKey, "SOFTWARE\\Tarquell\\Quorva");
        EXPECT_EQ(reg[i].ValueType, 1u);
        EXPECT_EQ(reg[i].ValueName, "Path");
        EXPECT_EQ(reg[i].ValueData, "/opt/q/Quorva") << i; // one trailing "=" dropped
    }
    EXPECT_EQ(reg[0].LineNumber, 4);
    EXPECT_EQ(reg[2].RootKey, win::HKEY_CURRENT_USER);
    EXPECT_EQ(reg[2].ValueType, 4u);
    EXPECT_EQ(reg[2].ValueData, "7");
    // Unknown root and type give 0; a value with a colon makes its field vanish.
    EXPECT_EQ(reg[3].RootKey, 0u);
    EXPECT_EQ(reg[3].RootName, "HKLM");
    EXPECT_EQ(reg[3].ValueType, 0u);
    EXPECT_EQ(reg[3].ValueData, "");
    EXPECT_EQ(TKoSetupBase::FormatRegistryLogLine(reg[0]),
              "Root:HKEY_LOCAL_MACHINE; Subkey:SOFTWARE\\Tarquell\\Quorva");

    QList<TShortcutItem> links;
    ASSERT_EQ(rule->ReadShortcutEntries(links), 1);
    EXPECT_EQ(links[0].ProgramFolder, "{FOLDER_PROGRAMS}\\Quorva");
    EXPECT_EQ(links[0].Name, "Quorva");
    EXPECT_EQ(links[0].FileName, "/opt/q/Quorva");
    EXPECT_EQ(links[0].WorkingDir, "/opt/q/");
}

TEST_F(RulesFile, FileLinesAndTheirTargets)
{
    writeFile(source + "/Quorva", QByteArray(1000, 'q'));
    writeFile(source + "/sub/a.so", QByteArray(24, 'a'));
    auto rule = load("[Setup]\nDefaultDirName=/opt/q\n"
                     "[Files]\n"
                     "Quorva\n"
                     "sub\\a.so=\\bin\\a.so\n"
                     "sub/a.so = lib/x/a.so = ignored\n"
                     "Lang\\zh.Lan\n"
                     "missing.so\n"
                     "Quorva=../../etc/cron.d/evil\n"
                     "Quorva=\\\\etc\\passwd\n"
                     "../outside.so\n"
                     "Quorva=\n");
    ASSERT_EQ(rule->FileLines().size(), 9);
    EXPECT_EQ(rule->GetTotalFileSize(), 1000 + 24 + 24 + 0 + 0 + 1000 + 1000 + 0 + 1000);
    struct
    {
        const char *source, *target, *folder; // target null: refused
    } expected[] = {
        {"Quorva", "/opt/q/Quorva", ""},
        {"sub/a.so", "/opt/q/bin/a.so", "/opt/q/bin/"},
        {"sub/a.so", "/opt/q/lib/x/a.so", "/opt/q/lib/x/"},
        {"Lang/zh.Lan", "/opt/q/Lang/zh.Lan", ""}, // without "=" no folder is made
        {"missing.so", "/opt/q/missing.so", ""},
        {nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr},
    };
    for (int i = 0; i < 9; ++i) {
        QString src, dst, folder, problem;
        const bool ok = rule->GetFilePaths(i, &src, &dst, &folder, &problem);
        EXPECT_EQ(ok, expected[i].target != nullptr) << i;
        if (!ok) {
            // The refusal names the rules file, the line number and the line.
            EXPECT_TRUE(problem.contains(rules() + ":" + QString::number(i + 4)))
                << problem.toStdString();
            EXPECT_TRUE(problem.contains(rule->FileLines()[i]));
            continue;
        }
        EXPECT_EQ(src, source + "/" + expected[i].source) << i;
        EXPECT_EQ(dst, expected[i].target) << i;
        EXPECT_EQ(folder, expected[i].folder) << i;
    }
}

TEST_F(RulesFile, AMissingRulesFileIsReported)
{
    TSetupRule rule(source + "/Setup.rul");
    EXPECT_FALSE(rule.InstallDirValid());
    ASSERT_EQ(rule.Log().Problems().size(), 1);
    EXPECT_TRUE(rule.Log().Problems()[0].contains("Setup.rul"));
    EXPECT_TRUE(rule.FileLines().isEmpty());
}

TEST_F(RulesFile, IntegerKeysReadTheirLeadingDigits)
{
    // As the profile functions read numbers: leading digits count, the rest of the value does
    // not; only a missing or empty value takes the default (1).
    struct
    {
        const char *value;
        bool on;
    } cases[] = {
        {"0 ; no licence page", false},
        {"0;x", false},
        {"  0", false},
        {"1 ; shown", true},
        {"-1", true},
        {"", true},
        {"yes", false},
        {"00", false},
    };
    for (const auto &c : cases) {
        auto rule =
            load(QByteArray("[ShowDialog]\nSdLicense=") + c.value + "\nSdAskDestPath=" + c.value +
                 "\n[Setup]\nLaunchAppDefault=" + c.value + "\n");
        EXPECT_EQ(rule->SdLicense(), c.on) << c.value;
        EXPECT_EQ(rule->SdAskDestPath(), c.on) << c.value;
        EXPECT_EQ(rule->LaunchAppDefault(), c.on) << c.value;
    }
    EXPECT_TRUE(load("[ShowDialog]\n")->SdLicense());
}

// Feeds arbitrary bytes to the installer as its rules file and reads everything the install
// actions would read. Nothing may crash or hang, and what the reader hands on must be sound:
// section lines are never empty, comments or headers; a [Files] target it accepts lies inside
// the install folder; an install folder is absolute, below the root and ends in "/"; a registry
// line's root is known exactly when its name is one of the five.
#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/TSetupRule.h"
#include "tests/support/FuzzSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void checkLines(const QStringList &lines)
{
    for (const QString &line : lines) {
        if (line.isEmpty()) FuzzSupport::fault("empty section line");
        if (line.startsWith(QLatin1Char(';'))) FuzzSupport::fault("comment read as a line");
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            FuzzSupport::fault("header read as a line");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool env = [] {
        qputenv("QUORVA_PROGRAMFILES", "/fuzz/programs");
        qputenv("HOME", "/fuzz/home");
        return true;
    }();
    (void)env;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = FuzzSupport::filePath(QStringLiteral("Setup.rul"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }

    TSetupRule rule(path);
    const QString installDir = rule.InstallDir();
    if (!installDir.isEmpty() &&
        (!CorvaleGlobal::IsValidPath(installDir) || !installDir.endsWith(QLatin1Char('/'))))
        FuzzSupport::fault("unusable install folder accepted");
    if (installDir.isEmpty() != !rule.InstallDirValid()) FuzzSupport::fault("validity disagrees");

    for (const char *section : {"Files", "Registry", "Shortcut", "Regsvr32", "Post_Setup_Step"}) {
        QStringList fromFile, fromBytes;
        QList<int> numbers;
        rule.RulesFile().ReadSectionLines(QLatin1String(section), fromFile, &numbers);
        TKoIniFile::SectionLinesOf(bytes, QLatin1String(section), fromBytes);
        if (fromFile != fromBytes) FuzzSupport::fault("file and bytes read differently");
        if (numbers.size() != fromFile.size()) FuzzSupport::fault("line numbers missing");
        for (qsizetype i = 1; i < numbers.size(); ++i)
            if (numbers[i] <= numbers[i - 1]) FuzzSupport::fault("line numbers out of order");
        checkLines(fromFile);
    }

    for (int i = 0; i < rule.FileLines().size(); ++i) {
        QString source, target, folder, problem;
        if (!rule.GetFilePaths(i, &source, &target, &folder, &problem)) {
            if (problem.isEmpty()) FuzzSupport::fault("refusal without a reason");
            continue;
        }
        const QString clean = CorvaleGlobal::CleanAbsolutePath(target);
        const QString base = CorvaleGlobal::CleanAbsolutePath(installDir);
        if (!target.startsWith(installDir) || !clean.startsWith(base + QLatin1Char('/')))
            FuzzSupport::fault("a target outside the install folder");
        if (!folder.isEmpty() && !folder.startsWith(installDir))
            FuzzSupport::fault("a folder outside");
    }
    rule.GetTotalFileSize();

    QList<TRegistryItem> registry;
    rule.ReadRegistryEntries(registry);
    for (const TRegistryItem &item : registry) {
        const bool known = TKoSetupBase::RootKeyFromName(item.RootName) != 0;
        if (known != (item.RootKey != 0)) FuzzSupport::fault("root lookup disagrees");
        if (item.RootKey && TKoSetupBase::RootNameFromKey(item.RootKey) != item.RootName)
            FuzzSupport::fault("root name does not map back");
    }
    QList<TShortcutItem> shortcuts;
    rule.ReadShortcutEntries(shortcuts);
    for (const TShortcutItem &item : shortcuts) {
        QString macro, rest;
        rule.ExpandMacro(item.ProgramFolder, &macro, &rest);
        if (!item.ProgramFolder.endsWith(rest))
            FuzzSupport::fault("remainder is no tail of the text");
    }
    return 0;
}

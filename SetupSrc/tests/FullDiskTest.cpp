#include "SetupSrc/Include/IniFile.h"
#include "SetupSrc/Include/KoShortcut.h"
#include "SetupSrc/tests/FileSizeLimit.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "platform/registry/Registry.h"

using namespace win;

namespace {

using FullDisk = SetupTestEnv;

} // namespace

// A write that does not fit (files may not grow past 1000 bytes, as on a full disk) fails and
// leaves the old file whole: the uninstall log, the registry store and a shortcut.
TEST_F(FullDisk, AFailedWriteLeavesTheOldFileWhole)
{
    const QString ini = tmp.filePath("Uninst.isu");
    IniFile log(ini);
    ASSERT_TRUE(log.WriteString("Files", "/opt/q/a", ""));
    HKEY k = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Q", "", 0, KEY_ALL_ACCESS, &k), 0);
    ASSERT_EQ(RegSetValueEx(k, "Path", REG_SZ, "/opt/q"), 0);
    const QString link =
        KoShortcut::CreateShortcut(QString(), "Quorva", "/opt/q/Quorva", "/opt/q", 2, true);
    const QByteArray iniBefore = readFile(ini),
                     storeBefore = readFile(tmp.filePath("registry.reg")),
                     linkBefore = readFile(link);
    ASSERT_FALSE(linkBefore.isEmpty());

    const QString big(2000, 'x');
    FileSizeLimit limit(1000);
    EXPECT_FALSE(log.WriteString("Files", big, ""));
    EXPECT_NE(RegSetValueEx(k, "Big", REG_SZ, big), 0);
    QString problem;
    KoShortcut::CreateShortcut(QString(), "Quorva", "/opt/q/" + big, "/opt/q", 2, true, &problem);
    limit.lift();
    RegCloseKey(k);

    EXPECT_TRUE(problem.contains(link)) << problem.toStdString();
    EXPECT_EQ(readFile(ini), iniBefore);
    EXPECT_EQ(readFile(tmp.filePath("registry.reg")), storeBefore);
    EXPECT_EQ(readFile(link), linkBefore);
    for (const QString &folder : {tmp.path(), QFileInfo(link).path()})
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            EXPECT_FALSE(name.startsWith('.') || name.contains('~')) << name.toStdString();
}

#include "core/ModContextMenu.h"
#include "core/modRegistry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace win;

namespace {

class RegistryHelpers : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    void SetUp() override { qputenv("QUORVA_REGISTRY", dir.filePath("registry.reg").toUtf8()); }
    void TearDown() override { qunsetenv("QUORVA_REGISTRY"); }
};

TEST_F(RegistryHelpers, WritesAndReadsTextValues)
{
    EXPECT_TRUE(modRegistry::SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path",
                                          "/opt/quorva/Quorva"));
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, "software\\tarquell\\quorva", "PATH"),
              "/opt/quorva/Quorva");
    // An empty text is stored as one blank.
    EXPECT_TRUE(modRegistry::SetRegString(HKEY_CURRENT_USER, "E", "", ""));
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "E", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegData d;
    ASSERT_EQ(RegQueryValueEx(k, "", &d), ERROR_SUCCESS);
    EXPECT_EQ(d.text, " ");
    EXPECT_EQ(d.type, REG_SZ);
    RegCloseKey(k);

    struct
    {
        const char *path, *name;
    } missing[] = {{"SOFTWARE\\None", "Path"}, {"SOFTWARE\\Tarquell\\Quorva", "None"}};
    for (auto m : missing)
        EXPECT_EQ(modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, m.path, m.name), "") << m.path;

    // Texts that need more than 1,024 bytes read as "", and reading stops at a NUL.
    modRegistry::SetRegString(HKEY_CURRENT_USER, "L", "long", QString(1024, 'x'));
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_CURRENT_USER, "L", "long"), "");
    modRegistry::SetRegString(HKEY_CURRENT_USER, "L", "nul", QString("ab") + QChar(0) + "cd");
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_CURRENT_USER, "L", "nul"), "ab");
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "L", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    RegSetValueEx(k, "n", 42u);
    RegSetValueEx(k, "e", REG_EXPAND_SZ, "%HOME%/x");
    RegCloseKey(k);
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_CURRENT_USER, "L", "n"), "42");
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_CURRENT_USER, "L", "e"), "%HOME%/x");
}

TEST_F(RegistryHelpers, ReadsKeysTheUserMayNotChange)
{
    modRegistry::SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path", "/q");
    ASSERT_EQ(RegSetKeyReadOnly(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell", true), ERROR_SUCCESS);
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path"),
              "/q");
    EXPECT_FALSE(
        modRegistry::SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva", "Path", "/z"));
    EXPECT_FALSE(modRegistry::DeleteRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva"));
}

TEST_F(RegistryHelpers, RegistersTheContextMenuHandler)
{
    const QString handler = QString::fromLatin1(ModContextMenu::HandlerKey);
    // Menulet not registered: nothing is written.
    EXPECT_FALSE(ModContextMenu::RegisterContextMenu());
    HKEY k = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, handler, 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    modRegistry::SetRegString(HKEY_CLASSES_ROOT, "Menulet.ShellExt\\Clsid", "", " ");
    EXPECT_FALSE(ModContextMenu::RegisterContextMenu());

    const QString clsid = "{6B1F0C2E-3A8D-4F57-9E21-0C7D5A4B9E13}";
    modRegistry::SetRegString(HKEY_CLASSES_ROOT, "Menulet.ShellExt\\Clsid", "", clsid);
    EXPECT_EQ(ModContextMenu::GetShellExtClsid(), clsid);
    EXPECT_TRUE(ModContextMenu::RegisterContextMenu());
    EXPECT_EQ(modRegistry::GetRegValue(HKEY_CLASSES_ROOT, handler, ""), clsid);
    EXPECT_TRUE(modRegistry::DeleteRegKey(HKEY_CLASSES_ROOT, handler));
    EXPECT_FALSE(modRegistry::DeleteRegKey(HKEY_CLASSES_ROOT, handler));
    // The levels above stay, and a key with subkeys is refused.
    EXPECT_FALSE(modRegistry::DeleteRegKey(HKEY_CLASSES_ROOT, "*\\shellex"));
    EXPECT_TRUE(ModContextMenu::RegisterContextMenu());
    EXPECT_TRUE(ModContextMenu::UnregisterContextMenu());
}

} // namespace

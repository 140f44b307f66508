// Pairwin.so registered with regsvr32 in a registry store of the test's own, and removed again.
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/typelib/IHookExcelManager.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace win;

namespace {

QString readClassesRoot(const QString &path, const QString &name = QString())
{
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    RegData data;
    const bool ok = RegQueryValueEx(key, name, &data) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok ? data.text : QStringLiteral("<missing>");
}

class Registration : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("registry.reg"));

    void SetUp() override { qputenv("QUORVA_REGISTRY", store.toUtf8()); }
    void TearDown() override { qunsetenv("QUORVA_REGISTRY"); }

    int regsvr32(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(QUORVA_REGSVR32), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.readAllStandardError(), QByteArray());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

} // namespace

TEST_F(Registration, Regsvr32RegistersBothClassesAndTakesThemAwayAgain)
{
    // Another class and ProgID, which must come through untouched.
    for (const char *path :
         {"Other.Thing\\Clsid", "CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32"}) {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, QString::fromLatin1(path), QString(), 0,
                                 KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        RegSetValueEx(key, QString(), REG_SZ, QStringLiteral("/opt/other/Other.so"));
        RegCloseKey(key);
    }
    const QByteArray before = TestFiles::read(store);

    const QString module = QFileInfo(QStringLiteral(PAIRWIN_MODULE)).absoluteFilePath();
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), module}), 0);
    const QString manager = pairwin::CLSID_ClsHookExcelManager.toString();
    const QString pair = pairwin::CLSID_ClsHookExcelPair.toString();
    EXPECT_EQ(manager, QStringLiteral("{683B8C04-857F-4130-916F-E78A444B698C}"));
    EXPECT_EQ(pair, QStringLiteral("{F880F282-D46D-46A7-A665-5194D6FA9EE7}"));
    EXPECT_EQ(pairwin::IID__ClsHookExcelManager.toString(),
              QStringLiteral("{B9B19779-A30D-4A65-A437-4F89D7777115}"));
    EXPECT_EQ(pairwin::DIID___ClsHookExcelManager.toString(),
              QStringLiteral("{B95B0E7F-14C7-4E5D-89EC-00AF55AEED94}"));
    EXPECT_EQ(pairwin::IID__ClsHookExcelPair.toString(),
              QStringLiteral("{CF15B190-70FB-42B9-87C6-0A64B8F20661}"));
    for (const QString &clsid : {manager, pair}) {
        const QString server = QStringLiteral("CLSID\\%1\\InprocServer32").arg(clsid);
        EXPECT_EQ(readClassesRoot(server), module);
        EXPECT_EQ(readClassesRoot(server, QStringLiteral("ThreadingModel")),
                  QStringLiteral("Apartment"));
    }
    EXPECT_EQ(readClassesRoot(QStringLiteral("Pairwin.ClsHookExcelManager\\Clsid")), manager);
    EXPECT_EQ(readClassesRoot(QStringLiteral("Pairwin.ClsHookExcelPair\\Clsid")), pair);

    ASSERT_EQ(regsvr32({QStringLiteral("/s"), QStringLiteral("/u"), module}), 0);
    EXPECT_EQ(TestFiles::read(store), before);
    com::ComPtr<pairwin::_ClsHookExcelManager> gone;
    EXPECT_NE(pairwin::CreateHookExcelManager(gone.put()), com::S_OK);
    EXPECT_TRUE(com::LastActivationError().contains(QStringLiteral("Pairwin.ClsHookExcelManager")));
}

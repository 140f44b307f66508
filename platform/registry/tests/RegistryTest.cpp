#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "platform/registry/RegistryTree.h"
#include "platform/win/Windows.h"

#include "tests/support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace win;

namespace {

class Registry : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("sub/registry.reg"));

    void SetUp() override { qputenv("QUORVA_REGISTRY", store.toUtf8()); }
    void TearDown() override { qunsetenv("QUORVA_REGISTRY"); }

    HKEY create(HKEY root, const QString &path, REGSAM access = KEY_ALL_ACCESS)
    {
        HKEY k = 0;
        EXPECT_EQ(RegCreateKeyEx(root, path, QStringLiteral("1"), 0, access, &k), ERROR_SUCCESS)
            << path.toStdString();
        return k;
    }
    QString text(HKEY root, const QString &path, const QString &name, quint32 buffer = 1024)
    {
        HKEY k = 0;
        if (RegOpenKeyEx(root, path, 0, KEY_READ, &k) != ERROR_SUCCESS)
            return QStringLiteral("<no key>");
        RegData d;
        LSTATUS rc = RegQueryValueEx(k, name, &d, buffer);
        RegCloseKey(k);
        return rc == ERROR_SUCCESS ? d.text : QStringLiteral("<%1>").arg(rc);
    }
};

// One file may use the window functions and the registry functions together: both answer with
// the same error codes.
static_assert(std::is_same_v<decltype(ERROR_SUCCESS), const LSTATUS>);
static_assert(ERROR_INVALID_PARAMETER == 87 && ERROR_INVALID_HOOK_HANDLE == 1404);

TEST_F(Registry, CreatesEveryLevelAndComparesNamesWithoutCase)
{
    quint32 disposition = 0;
    HKEY k = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Quorva", "1", 0,
                             0x2003F, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegSetValueEx(k, "", REG_SZ, "{ABC}"), ERROR_SUCCESS);
    RegCloseKey(k);

    ASSERT_EQ(
        RegCreateKeyEx(HKEY_CLASSES_ROOT, "*\\SHELLEX", "1", 0, KEY_ALL_ACCESS, &k, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(k);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "*\\ShellEx\\contextmenuhandlers\\QUORVA", ""), "{ABC}");
    EXPECT_EQ(text(HKEY_CURRENT_USER, "*\\shellex", ""), "<no key>"); // roots are apart
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "x", ""), "<no key>");

    // Subkeys enumerate in name order and keep their case.
    create(HKEY_CLASSES_ROOT, "*\\shellex\\beta");
    create(HKEY_CLASSES_ROOT, "*\\shellex\\Alpha");
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "*\\shellex", 0, KEY_READ, &k), ERROR_SUCCESS);
    QStringList names;
    QString name;
    for (quint32 i = 0; RegEnumKeyEx(k, i, &name) == ERROR_SUCCESS; ++i)
        names << name;
    EXPECT_EQ(names, QStringList({"Alpha", "beta", "ContextMenuHandlers"}));
    EXPECT_EQ(RegEnumKeyEx(k, 3, &name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyEx(k, 2, &name, 19), ERROR_MORE_DATA); // 19 letters and the NUL
    RegCloseKey(k);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, StoresTextsAndNumbers)
{
    HKEY k = create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarquell\\Quorva");
    EXPECT_EQ(RegSetValueEx(k, "Path", REG_SZ, "/opt/quorva/Quorva"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "Home", REG_EXPAND_SZ, "%HOME%\\x"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "Count", 0xFFFFFFFEu), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "PATH", REG_SZ, "/usr/bin/Quorva"), ERROR_SUCCESS); // same value
    EXPECT_EQ(RegSetValueEx(k, "Bad", 3u, QStringLiteral("x")), ERROR_INVALID_PARAMETER);
    RegData d;
    ASSERT_EQ(RegQueryValueEx(k, "home", &d), ERROR_SUCCESS);
    EXPECT_EQ(d.type, REG_EXPAND_SZ);
    EXPECT_EQ(d.text, "%HOME%\\x"); // never expanded
    ASSERT_EQ(RegQueryValueEx(k, "count", &d), ERROR_SUCCESS);
    EXPECT_EQ(d.type, REG_DWORD);
    EXPECT_EQ(d.number, 0xFFFFFFFEu);
    EXPECT_EQ(RegQueryValueEx(k, "none", &d), ERROR_FILE_NOT_FOUND);

    QStringList names;
    QString name;
    for (quint32 i = 0; RegEnumValue(k, i, &name) == ERROR_SUCCESS; ++i)
        names << name;
    EXPECT_EQ(names, QStringList({"Path", "Home", "Count"}));
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, "software\\tarquell\\quorva", "path"), "/usr/bin/Quorva");

    EXPECT_EQ(RegDeleteValue(k, "HOME"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(k, "HOME"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(k);
}

TEST_F(Registry, QueriesHonourTheBufferSize)
{
    HKEY k = create(HKEY_CURRENT_USER, "B");
    struct
    {
        QString value;
        quint32 buffer;
        bool fits;
    } cases[] = {
        {QString(1023, 'a'), 1024, true},           {QString(1024, 'a'), 1024, false},
        {QString(511, QChar(0x4E2D)), 1024, true}, // "中": two code-page bytes each
        {QString(512, QChar(0x4E2D)), 1024, false}, {"", 1, true},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(RegSetValueEx(k, "v", REG_SZ, c.value), ERROR_SUCCESS);
        RegData d;
        EXPECT_EQ(RegQueryValueEx(k, "v", &d, c.buffer), c.fits ? ERROR_SUCCESS : ERROR_MORE_DATA)
            << c.value.size();
    }
    RegCloseKey(k);
}

TEST_F(Registry, DeletesKeysWithoutSubkeysOnly)
{
    HKEY k = create(HKEY_CLASSES_ROOT, "a\\b\\c");
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "a\\b"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "A\\B\\C"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "x", REG_SZ, "y"), ERROR_KEY_DELETED); // handle outlived its key
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "a\\b\\c"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "a\\b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
    RegCloseKey(k);
}

TEST_F(Registry, DeletesTreesWholeUnlessAKeyInThemIsReadOnly)
{
    RegCloseKey(create(HKEY_CLASSES_ROOT, "t\\a\\b"));
    RegCloseKey(create(HKEY_CLASSES_ROOT, "t\\c"));
    RegCloseKey(create(HKEY_CLASSES_ROOT, "t\\c\\locked"));
    ASSERT_EQ(RegSetKeyReadOnly(HKEY_CLASSES_ROOT, "t\\c\\locked", true), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "T"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "t\\a\\b", "x"), "<2>"); // nothing went
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "T\\A"), ERROR_SUCCESS);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "t\\a", "x"), "<no key>");
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "t\\a"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, ReadOnlyKeysOpenForReadingOnly)
{
    HKEY k = create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked");
    RegSetValueEx(k, "Path", REG_SZ, "/p");
    RegCloseKey(k);
    ASSERT_EQ(RegSetKeyReadOnly(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", true), ERROR_SUCCESS);

    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, 0x2003F, &k),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "Path"), "/p");
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "Path", REG_SZ, "/q"), ERROR_ACCESS_DENIED);
    RegCloseKey(k);
    HKEY sub = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Sub", "", 0, KEY_READ, &sub),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked"), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, TextFormRoundTripsAwkwardNames)
{
    HKEY k = create(HKEY_CURRENT_USER, "odd [name]\\中文 \"q\"");
    const QString awkward = QStringLiteral("line1\r\nline2\t\"quoted\" back\\slash ;[x]") +
                            QChar(1) + QChar(0x2028) + QStringLiteral("中");
    EXPECT_EQ(RegSetValueEx(k, "=\"n\"", REG_SZ, awkward), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "", REG_SZ, ""), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(text(HKEY_CURRENT_USER, "ODD [NAME]\\中文 \"Q\"", "=\"n\""), awkward);
    EXPECT_EQ(text(HKEY_CURRENT_USER, "odd [name]\\中文 \"q\"", ""), "");
    // Names with line breaks or empty levels are refused.
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "a\nb", "", 0, KEY_ALL_ACCESS, &k),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "a\\\\b", "", 0, KEY_ALL_ACCESS, &k),
              ERROR_INVALID_PARAMETER);
    // Every line of the file is one header or one entry.
    const QList<QByteArray> lines = TestFiles::read(store).split('\n');
    for (const QByteArray &line : lines)
        EXPECT_TRUE(line.isEmpty() || line.startsWith('[') || line.startsWith('@') ||
                    line.startsWith('"') || line.startsWith('!') || line.startsWith("Quorva"))
            << line.toStdString();
}

TEST(RegistryTree, LoneSurrogatesSurviveTheTextForm)
{
    // UTF-8 cannot carry half a surrogate pair; written raw it came back as U+FFFD.
    const QString hi(QChar(0xD800)), lo(QChar(0xDC00));
    const QString texts[] = {hi, lo, lo + hi, QStringLiteral("a") + hi + QStringLiteral("b"),
                             hi + lo /* a whole pair stays as it is */};
    for (const QString &t : texts) {
        RegistryTree tree;
        RegistryKey *k = tree.root(1).addSubkey(QStringLiteral("k"));
        k->keyClass = t;
        k->values.push_back({QStringLiteral("n") + t, REG_SZ, t, 0});
        RegistryTree back;
        QString error;
        ASSERT_TRUE(back.parse(tree.serialize(), "reg", &error)) << error.toStdString();
        const RegistryKey *b = back.find(1, {QStringLiteral("k")});
        ASSERT_TRUE(b);
        EXPECT_EQ(b->keyClass, t);
        ASSERT_EQ(b->values.size(), 1u);
        EXPECT_EQ(b->values[0].name, QStringLiteral("n") + t);
        EXPECT_EQ(b->values[0].text, t);
    }
    EXPECT_TRUE(RegistryTree::validKeyName(hi + lo));
    EXPECT_FALSE(RegistryTree::validKeyName(QStringLiteral("a") + hi));
}

TEST(RegistryTree, FindsEverySiblingWithoutRegardToCase)
{
    // Lookups search the sorted subkeys; names that sort near each other in either case.
    const QStringList names = {"b", "A", "ab", "Ab_", "_", "Z", "a b", "中文", "aB2", "[x]"};
    RegistryKey root;
    for (const QString &n : names)
        root.addSubkey(n);
    for (const QString &n : names) {
        ASSERT_TRUE(root.subkey(n.toUpper())) << n.toStdString();
        EXPECT_EQ(root.subkey(n.toLower())->name, n);
    }
    EXPECT_FALSE(root.subkey(QStringLiteral("c")));
    EXPECT_FALSE(root.subkey(QStringLiteral("zz")));
}

TEST(RegistryTree, AKeyWithManyValuesReadsAndARepeatedNameReplacesItsValue)
{
    // Four hundred thousand values in one key (a store some program filled): reading them must
    // not take time in the square of their number, or every registry call would hang.
    const int count = 400000;
    QByteArray bytes = "Quorva registry 1\n[HKCU\\Many]\n";
    bytes.reserve(count * 24);
    for (int i = 0; i < count; ++i)
        bytes += "\"v" + QByteArray::number(i) + "\"=sz:\"" + QByteArray::number(i) + "\"\n";
    // The same names again in another case: each replaces its value where it stands.
    bytes += "\"V7\"=dword:00000007\n\"ÄB\"=sz:\"x\"\n\"äb\"=sz:\"y\"\n";
    RegistryTree tree;
    QString error;
    ASSERT_TRUE(tree.parse(bytes, "reg", &error)) << error.toStdString();
    const RegistryKey *key = tree.find(1, {QStringLiteral("many")});
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), size_t(count) + 1);
    EXPECT_EQ(key->values[7].name, "V7");
    EXPECT_EQ(key->values[7].type, REG_DWORD);
    EXPECT_EQ(key->values[count - 1].text, QString::number(count - 1));
    EXPECT_EQ(key->values[count].name, QString::fromUtf8("äb"));
    EXPECT_EQ(key->values[count].text, "y");
}

TEST(RegistryTree, EscapesTakeExactlyFourHexDigits)
{
    for (const char *escape : {"\\u+041", "\\u 041", "\\u004", "\\u00g1"}) {
        RegistryTree tree;
        QString error;
        const QByteArray bytes =
            QByteArray("Quorva registry 1\n[HKCU\\a]\n\"v\"=sz:\"") + escape + "\"\n";
        EXPECT_FALSE(tree.parse(bytes, "reg", &error)) << escape;
        EXPECT_TRUE(error.startsWith("reg:3: bad text value")) << error.toStdString();
    }
    RegistryTree tree;
    ASSERT_TRUE(
        tree.parse("Quorva registry 1\n[HKCU\\a]\n\"v\"=sz:\"\\u004A\\u004a\"\n", "reg", nullptr));
    EXPECT_EQ(tree.find(1, {QStringLiteral("a")})->value(QStringLiteral("v"))->text, "JJ");
}

TEST_F(Registry, DamagedStoreIsReportedAndNeverOverwritten)
{
    struct
    {
        const char *bytes;
        const char *where;
    } cases[] = {
        {"something else\n", ":1: not a registry store"},
        {"Quorva registry 1\n[HKXX\\a]\n", ":2: unknown root"},
        {"Quorva registry 1\n[HKCU\\a]\n\"v\"=sz:\"open\n", ":3: bad text value"},
        {"Quorva registry 1\n\"v\"=dword:00000001\n", ":2: entry outside a key"},
        {"Quorva registry 1\n[HKCU\\a]\n\"v\"=dword:1\n", ":3: bad number"},
        {"Quorva registry 1\n[HKCU\\a\\\\b]\n", ":2: bad key name"},
    };
    QDir().mkpath(dir.filePath("sub"));
    for (const auto &c : cases) {
        RegistryTree tree;
        QString error;
        EXPECT_FALSE(tree.parse(c.bytes, "reg", &error));
        EXPECT_TRUE(error.startsWith(QLatin1String("reg") + c.where)) << error.toStdString();

        ASSERT_TRUE(TestFiles::write(store, c.bytes));
        HKEY k = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "x", "", 0, KEY_ALL_ACCESS, &k), ERROR_BADDB);
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", 0, KEY_READ, &k), ERROR_BADDB);
        EXPECT_EQ(TestFiles::read(store), QByteArray(c.bytes));
    }
}

TEST_F(Registry, AStoreWithBytesThatAreNotUtf8IsReadButNotRewritten)
{
    // A hand edit in another encoding: the rest of the store still reads, but no change may
    // write it back, which would turn the stray byte into U+FFFD for good.
    const QByteArray bytes = "Quorva registry 1\n[HKCU\\a]\n\"v\"=sz:\"ok\"\n[HKCU\\b]\n"
                             "\"w\"=sz:\"caf\xe9\"\n\"x\"=sz:\"\xef\xbf\xbd\"\n";
    QDir().mkpath(dir.filePath("sub"));
    ASSERT_TRUE(TestFiles::write(store, bytes));
    EXPECT_EQ(text(HKEY_CURRENT_USER, "a", "v"), "ok");
    EXPECT_EQ(text(HKEY_CURRENT_USER, "b", "x"), QString(QChar::ReplacementCharacter));
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "a", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(k, "v", REG_SZ, QStringLiteral("new")), ERROR_BADDB);
    RegCloseKey(k);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "c", "", 0, KEY_ALL_ACCESS, &k), ERROR_BADDB);
    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "a"), ERROR_BADDB);
    EXPECT_EQ(TestFiles::read(store), bytes);

    RegistryTree tree;
    ASSERT_TRUE(tree.parse(bytes, "reg", nullptr));
    EXPECT_EQ(tree.undecodableLine(), 5);
    ASSERT_TRUE(
        tree.parse("Quorva registry 1\n[HKCU\\b]\n\"x\"=sz:\"\xef\xbf\xbd\"\n", "reg", nullptr));
    EXPECT_EQ(tree.undecodableLine(), 0);
}

TEST_F(Registry, TwoWritingProcessesLoseNothing)
{
    const int count = 100;
    QProcess a, b;
    const QString writer = QStringLiteral(QUORVA_REGISTRY_WRITER);
    a.start(writer, {"left", QString::number(count)});
    b.start(writer, {"right", QString::number(count)});
    ASSERT_TRUE(a.waitForStarted() && b.waitForStarted());
    // While they write, every read sees a whole file.
    int reads = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        RegistryTree tree;
        ASSERT_EQ(RegistryStore::read(tree), ERROR_SUCCESS);
        ++reads;
        a.waitForFinished(5);
        b.waitForFinished(5);
    }
    ASSERT_EQ(a.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(b.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_GT(reads, 0);

    HKEY shared = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Test\\Shared", 0, KEY_READ, &shared),
              ERROR_SUCCESS);
    int values = 0;
    for (QString name; RegEnumValue(shared, quint32(values), &name) == ERROR_SUCCESS;)
        ++values;
    EXPECT_EQ(values, 2 * count);
    RegCloseKey(shared);
    for (const char *side : {"left", "right"})
        for (int i = 0; i < count; ++i) {
            HKEY k = 0;
            ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER,
                                   QStringLiteral("Software\\Test\\%1\\K%2").arg(side).arg(i), 0,
                                   KEY_READ, &k),
                      ERROR_SUCCESS)
                << side << i;
            RegData d;
            EXPECT_EQ(RegQueryValueEx(k, "N", &d), ERROR_SUCCESS);
            EXPECT_EQ(d.number, quint32(i));
            RegCloseKey(k);
        }
}

} // namespace

#include "core/ClsIni.h"
#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ServerRegistration.h"
#include "platform/shell/FileDataObject.h"
#include "platform/shell/IContextMenu.h"
#include "platform/shell/IShellExtInit.h"
#include "platform/shell/Menu.h"
#include "platform/shell/MenuBitmap.h"
#include "shell/menulet/ShellExtIds.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace shell;
using com::ComPtr;

namespace {

class Menulet : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");

    void SetUp() override
    {
        qputenv("QUORVA_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toUtf8());
        qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
        const QString module = dir.filePath(QStringLiteral("Menulet.so"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MENULET_MODULE), module));
        ASSERT_EQ(com::ServerRegistration(
                      {menulet::CLSID_ShellExt, QString::fromLatin1(menulet::ProgId), QString()})
                      .registerServer(module),
                  com::S_OK);
    }
    void TearDown() override
    {
        com::CoFreeUnusedLibraries();
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qunsetenv("QUORVA_REGISTRY");
    }

    // A handler initialised with the files.
    ComPtr<IContextMenu> handler(const QStringList &files)
    {
        ComPtr<IShellExtInit> init;
        EXPECT_EQ(com::CreateObject(QString::fromLatin1(menulet::ProgId), IID_IShellExtInit,
                                    init.putVoid()),
                  com::S_OK)
            << com::LastActivationError().toStdString();
        ComPtr<IContextMenu> menu;
        if (!init) return menu;
        auto *data = new FileDataObject(files);
        EXPECT_EQ(init->Initialize(nullptr, data, 0), com::S_OK);
        data->Release();
        EXPECT_EQ(init.as(IID_IContextMenu, &menu), com::S_OK);
        return menu;
    }
    QString remembered() const
    {
        ClsIni ini;
        ini.setIniFileName(dir.filePath(QStringLiteral("quorva/Menulet.ini")));
        return ini.ReadString(QStringLiteral("Menulet"), QStringLiteral("LeftFileName"), QString());
    }
};

TEST_F(Menulet, EachObjectKeepsItsPicturesUntilItEnds)
{
    const int base = LiveBitmapCount();
    ComPtr<IContextMenu> a = handler({QStringLiteral("/x/a.xlsx")});
    ComPtr<IContextMenu> b = handler({QStringLiteral("/x/b.xlsx")});
    const HMENU ma = CreatePopupMenu(), mb = CreatePopupMenu();
    ASSERT_EQ(a->QueryContextMenu(ma, 0, 1, 100, CMF_NORMAL), com::MAKE_HRESULT(0, 0, 3));
    ASSERT_EQ(b->QueryContextMenu(mb, 0, 1, 100, CMF_NORMAL), com::MAKE_HRESULT(0, 0, 3));
    EXPECT_EQ(LiveBitmapCount(), base + 6);

    // The first object ends while the second one's menu is still on screen.
    a.reset();
    EXPECT_EQ(LiveBitmapCount(), base + 3);
    for (int i = 1; i <= 3; ++i) {
        MenuItem item;
        ASSERT_TRUE(GetMenuItem(mb, i, &item));
        EXPECT_TRUE(GetBitmapPixels(item.uncheckedBitmap, nullptr, nullptr, nullptr)) << i;
        EXPECT_EQ(item.checkedBitmap, item.uncheckedBitmap);
    }
    // A second menu of the same object leaves the first one's pictures alone.
    const HMENU mb2 = CreatePopupMenu();
    ASSERT_EQ(b->QueryContextMenu(mb2, 0, 1, 100, CMF_NORMAL), com::MAKE_HRESULT(0, 0, 3));
    MenuItem first;
    ASSERT_TRUE(GetMenuItem(mb, 1, &first));
    EXPECT_TRUE(GetBitmapPixels(first.uncheckedBitmap, nullptr, nullptr, nullptr));
    b.reset();
    EXPECT_EQ(LiveBitmapCount(), base); // none left, none deleted twice
    DestroyMenu(ma);
    DestroyMenu(mb);
    DestroyMenu(mb2);
}

TEST_F(Menulet, PicturesAreScaledToTheDisplayFont)
{
    // The display metrics and the menu outlive a failed assertion: put them back whatever
    // happens, so that the tests after this one see the display as it was.
    const struct Restore
    {
        TextMetrics old = DisplayTextMetrics();
        HMENU menu = CreatePopupMenu();
        ~Restore()
        {
            SetDisplayTextMetrics(old);
            DestroyMenu(menu);
        }
    } restore;
    const HMENU menu = restore.menu;
    SetDisplayTextMetrics({20, 24});
    ComPtr<IContextMenu> m = handler({QStringLiteral("/x/a.xlsx")});
    ASSERT_TRUE(com::SUCCEEDED(m->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL)));
    MenuItem item;
    ASSERT_TRUE(GetMenuItem(menu, 1, &item));
    int w = 0, h = 0;
    ASSERT_TRUE(GetBitmapPixels(item.uncheckedBitmap, &w, &h, nullptr));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 24);
}

TEST_F(Menulet, NamesAreTakenWholeHoweverLong)
{
    // Longer than any fixed buffer, with a tab and blanks inside the name.
    QString folder = dir.path();
    for (char c : {'d', 'e', 'f'})
        folder += QLatin1Char('/') + QString(250, QLatin1Char(c));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/ left\tbook  .xlsx");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ComPtr<IContextMenu> m = handler({path});
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCE(1);
    ASSERT_EQ(m->InvokeCommand(&info), com::S_OK);
    EXPECT_EQ(remembered(), path);
}

TEST_F(Menulet, TextVerbsAndUnknownOffsetsDoNothing)
{
    ComPtr<IContextMenu> m = handler({QStringLiteral("/x/a.xlsx")});
    CMINVOKECOMMANDINFO info;
    info.lpVerb = "QuorvaSelectLeft";
    EXPECT_EQ(m->InvokeCommand(&info), com::S_OK);
    info.lpVerb = MAKEINTRESOURCE(3);
    EXPECT_EQ(m->InvokeCommand(&info), com::S_OK);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("quorva/Menulet.ini"))));
    EXPECT_EQ(m->InvokeCommand(nullptr), com::E_INVALIDARG);
}

TEST_F(Menulet, CommandStringsFitTheBuffer)
{
    ComPtr<IContextMenu> m = handler({QStringLiteral("/x/a.xlsx")});
    struct
    {
        UINT_PTR id;
        UINT type;
        UINT cch;
        const char *text; // nullptr: nothing stored
    } cases[] = {
        {0, GCS_VERBA, 64, "QuorvaCompare"},
        {0, GCS_VERBA, 7, "Quorva"},
        {2, GCS_VERBW, 64, "QuorvaCompareWithLeft"},
        {2, GCS_VERBW, 4, "Quo"},
        {1, GCS_HELPTEXTW, 256, "Remember the selected workbook as the left file of a comparison"},
        {1, GCS_VALIDATEA, 64, nullptr},
        {3, GCS_VERBA, 64, nullptr},
        {0, GCS_VERBA, 0, nullptr},
    };
    for (const auto &c : cases) {
        char16_t wide[300];
        char narrow[300];
        std::memset(wide, 0x7A, sizeof wide);
        std::memset(narrow, 0x7A, sizeof narrow);
        const bool isWide = c.type & 4;
        char *buffer = isWide ? reinterpret_cast<char *>(wide) : narrow;
        EXPECT_EQ(m->GetCommandString(c.id, c.type, nullptr, buffer, c.cch), com::S_OK);
        const QString got = isWide ? QString::fromUtf16(wide, qMin<qsizetype>(c.cch, 299))
                                   : QString::fromUtf8(narrow, qMin<qsizetype>(c.cch, 299));
        if (c.text) {
            EXPECT_EQ(got.left(got.indexOf(QChar(0))), QString::fromLatin1(c.text))
                << c.id << " " << c.type << " " << c.cch;
        } else {
            EXPECT_TRUE(isWide ? wide[0] == 0x7A7A : narrow[0] == 0x7A) << c.id << " " << c.type;
        }
    }
}

TEST_F(Menulet, ManySelectedItemsDisableEveryCommand)
{
    // 65,537 items: a 16-bit count would read 1 and offer the one-file commands.
    QStringList many;
    many.reserve(65537);
    for (int i = 0; i < 65537; ++i)
        many.append(QStringLiteral("/x/%1.xlsx").arg(i));
    ComPtr<IContextMenu> m = handler(many);
    const HMENU menu = CreatePopupMenu();
    ASSERT_EQ(m->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL), com::MAKE_HRESULT(0, 0, 3));
    for (int i = 1; i <= 3; ++i) {
        MenuItem item;
        ASSERT_TRUE(GetMenuItem(menu, i, &item));
        EXPECT_TRUE(item.grayed()) << i;
    }
    DestroyMenu(menu);
}

// A data object that offers no file list.
class NoFiles final : public IDataObject
{
public:
    HRESULT QueryInterface(const com::IID &, void **ppv) override
    {
        *ppv = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 1; }
    com::ULONG Release() override { return 1; }
    HRESULT GetData(const FORMATETC *, STGMEDIUM *) override { return com::DV_E_FORMATETC; }
    HRESULT QueryGetData(const FORMATETC *) override { return com::DV_E_FORMATETC; }
};

TEST_F(Menulet, WithoutAFileListInitialisationFailsWithTheDataObjectsError)
{
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(com::CoCreateInstance(menulet::CLSID_ShellExt, nullptr, com::CLSCTX_INPROC_SERVER,
                                    IID_IShellExtInit, init.putVoid()),
              com::S_OK);
    NoFiles data;
    EXPECT_EQ(init->Initialize(nullptr, &data, 0), com::DV_E_FORMATETC);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, 0), com::E_INVALIDARG);
    ComPtr<com::IUnknown> unknown;
    EXPECT_EQ(init.as(menulet::IID__ShellExt, &unknown), com::S_OK);
}

} // namespace

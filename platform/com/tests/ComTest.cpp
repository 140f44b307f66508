#include "platform/com/ClassTable.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchEventSink.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/ServerRegistration.h"
#include "platform/com/tests/module/CounterInterfaces.h"
#include "platform/registry/Registry.h"

#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace com;
using namespace countertest;

namespace {

TEST(Guid, TextFormsRoundTripAndOthersAreRefused)
{
    CLSID g{};
    ASSERT_EQ(CLSIDFromString(QStringLiteral("{0fd4fe16-ce63-431d-a681-164535ad806b}"), &g), S_OK);
    EXPECT_EQ(g.toString(), QStringLiteral("{0FD4FE16-CE63-431D-A681-164535AD806B}"));
    EXPECT_EQ(g.Data1, 0x0FD4FE16u);
    EXPECT_EQ(g.Data4[7], 0x6B);
    CLSID h{};
    EXPECT_TRUE(GUID::fromString(QStringLiteral("0FD4FE16-CE63-431D-A681-164535AD806B"), &h));
    EXPECT_EQ(g, h);
    const char *bad[] = {
        "",
        "{0FD4FE16-CE63-431D-A681-164535AD806B",
        "{0FD4FE16-CE63-431D-A681164535AD806B}",
        "{0FD4FE16-CE63-431D-A681-164535AD806G}",
        "{0FD4FE16-CE63-431D-A681-164535AD806B0}",
        "{0FD4FE16-CE63-431D-A681-164535AD806\xd9\xa3}", // an Arabic-Indic digit
        "Menulet.ShellExt",
    };
    for (const char *b : bad) {
        CLSID out{};
        EXPECT_EQ(CLSIDFromString(QString::fromUtf8(b), &out), CO_E_CLASSSTRING) << b;
        EXPECT_TRUE(out.isNull());
    }
}

// A sink of both outgoing interfaces that counts what it hears.
class Sink final : public ICounterEvents, public IDispatch
{
public:
    HRESULT QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ICounterEvents)
            *ppv = static_cast<ICounterEvents *>(this);
        else if (riid == IID_IDispatch || riid == DIID_DCounterEvents)
            *ppv = static_cast<IDispatch *>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; } // lives on the test's stack

    HRESULT OnChanged(int value) override
    {
        early.push_back(value);
        if (unadviseOnEvent) {
            unadviseOnEvent->Unadvise(cookieToDrop);
            unadviseOnEvent = nullptr;
        }
        return S_OK;
    }
    HRESULT GetIDsOfNames(const QString &, DISPID *) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID id, quint16, std::vector<Variant> &args, Variant *) override
    {
        if (id != DISPID_Changed || args.size() != 1) return DISP_E_MEMBERNOTFOUND;
        dispatched.push_back(args[0].longValue());
        return S_OK;
    }

    ULONG refs = 0;
    std::vector<int> early;
    std::vector<int> dispatched;
    IConnectionPoint *unadviseOnEvent = nullptr;
    DWORD cookieToDrop = 0;
};

// A sink with neither outgoing interface.
class Deaf final : public IUnknown
{
public:
    HRESULT QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

class Activation : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("registry.reg"));
    const QString module = QStringLiteral(QUORVA_TEST_COUNTER_MODULE);

    void SetUp() override
    {
        qputenv("QUORVA_REGISTRY", store.toUtf8());
        // Another class is registered already: unregistering must leave it and its keys alone.
        ASSERT_TRUE(TestFiles::write(
            store, "Quorva registry 1\n"
                   "[HKCR\\CLSID]\n"
                   "[HKCR\\CLSID\\{11111111-2222-3333-4444-555555555555}]\n"
                   "@=sz:\"Other\"\n"
                   "[HKCR\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32]\n"
                   "@=sz:\"/nonexistent/Other.so\"\n"));
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        qunsetenv("QUORVA_REGISTRY");
    }

    int regsvr32(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(QUORVA_REGSVR32), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return p.exitCode();
    }
};

TEST_F(Activation, RegisteredByRegsvr32ActivatedByProgIdAndClsidRaisesEventsAndUnregisters)
{
    const QByteArray before = TestFiles::read(store);
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), module}), 0);

    CLSID byProgId{};
    ASSERT_EQ(CLSIDFromProgID(QString::fromLatin1(ProgId), &byProgId), S_OK);
    EXPECT_EQ(byProgId, CLSID_Counter);
    QString progId;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_Counter, &progId), S_OK);
    EXPECT_EQ(progId, QString::fromLatin1(ProgId));

    ComPtr<ICounter> a;
    ASSERT_EQ(CreateObject(QString::fromLatin1(ProgId), IID_ICounter, a.putVoid()), S_OK)
        << LastActivationError().toStdString();
    ComPtr<ICounter> b;
    ASSERT_EQ(
        CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, b.putVoid()),
        S_OK);
    EXPECT_EQ(ClassTable::instance().loadedModuleCount(), 1); // loaded once for both
    EXPECT_NE(a.get(), b.get());

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(a.as(IID_IConnectionPointContainer, &container), S_OK);
    ComPtr<IConnectionPoint> early, dispatch, none;
    ASSERT_EQ(container->FindConnectionPoint(IID_ICounterEvents, early.put()), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID_DCounterEvents, dispatch.put()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_ICounter, none.put()), CONNECT_E_NOCONNECTION);
    IID iid{};
    ASSERT_EQ(dispatch->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID_DCounterEvents);

    Sink sink;
    Deaf deaf;
    DWORD c1 = 0, c2 = 0, c3 = 0;
    EXPECT_EQ(early->Advise(&deaf, &c3), CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(early->Advise(static_cast<ICounterEvents *>(&sink), &c1), S_OK);
    ASSERT_EQ(dispatch->Advise(static_cast<ICounterEvents *>(&sink), &c2), S_OK);
    EXPECT_EQ(sink.refs, 2u);

    ASSERT_EQ(a->Add(2), S_OK);
    ASSERT_EQ(b->Add(7), S_OK); // another object: its events are its own
    EXPECT_EQ(sink.early, std::vector<int>{2});
    EXPECT_EQ(sink.dispatched, std::vector<int>{2});

    // A sink may disconnect while it handles the event.
    sink.unadviseOnEvent = early.get();
    sink.cookieToDrop = c1;
    ASSERT_EQ(a->Add(3), S_OK);
    ASSERT_EQ(a->Add(1), S_OK);
    EXPECT_EQ(sink.early, (std::vector<int>{2, 5}));
    EXPECT_EQ(sink.dispatched, (std::vector<int>{2, 5, 6}));
    EXPECT_EQ(early->Unadvise(c1), CONNECT_E_NOCONNECTION);

    // The object lets its sinks go when it ends; cookies are never reused meanwhile.
    DWORD c4 = 0;
    ASSERT_EQ(dispatch->Advise(static_cast<ICounterEvents *>(&sink), &c4), S_OK);
    EXPECT_NE(c4, c2);
    early.reset();
    dispatch.reset();
    container.reset();
    a.reset();
    EXPECT_EQ(sink.refs, 0u);

    // The module stays loaded while an object of it lives.
    CoFreeUnusedLibraries();
    EXPECT_EQ(ClassTable::instance().loadedModuleCount(), 1);
    b.reset();
    CoFreeUnusedLibraries();
    EXPECT_EQ(ClassTable::instance().loadedModuleCount(), 0);

    ASSERT_EQ(regsvr32({QStringLiteral("/s"), QStringLiteral("/u"), module}), 0);
    EXPECT_EQ(TestFiles::read(store), before);
    EXPECT_EQ(CreateObject(QString::fromLatin1(ProgId), IID_ICounter, a.putVoid()),
              CO_E_CLASSSTRING);
    EXPECT_EQ(
        CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, a.putVoid()),
        REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(LastActivationError().contains(CLSID_Counter.toString()));
}

TEST_F(Activation, AReadyMadeSinkTakesDispatchEventsByIdentifier)
{
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), module}), 0);
    ComPtr<ICounter> counter;
    ASSERT_EQ(CreateObject(QString::fromLatin1(ProgId), IID_ICounter, counter.putVoid()), S_OK);
    auto *sink = new DispatchEventSink(DIID_DCounterEvents);
    std::vector<int> heard;
    sink->on(DISPID_Changed,
             [&](std::vector<Variant> &args) { heard.push_back(args.at(0).longValue()); });
    ASSERT_EQ(sink->advise(counter.get()), S_OK);
    EXPECT_TRUE(sink->connected());
    counter->Add(4);
    // A handler that disconnects its own sink.
    sink->on(DISPID_Changed, [&](std::vector<Variant> &args) {
        heard.push_back(-args.at(0).longValue());
        sink->unadvise();
    });
    counter->Add(1);
    counter->Add(1);
    EXPECT_EQ(heard, (std::vector<int>{4, -5}));
    EXPECT_FALSE(sink->connected());
    // An object without that event interface refuses it.
    auto *other = new DispatchEventSink(IID_ICounter);
    EXPECT_EQ(other->advise(counter.get()), CONNECT_E_NOCONNECTION);
    other->Release();
    sink->Release();
}

TEST_F(Activation, FailuresNameWhatIsWrong)
{
    const CLSID other = {
        0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    ComPtr<IUnknown> p;
    EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, p.putVoid()),
              CO_E_DLLNOTFOUND);
    EXPECT_TRUE(LastActivationError().contains(QStringLiteral("/nonexistent/Other.so")));

    struct
    {
        QString path;
        HRESULT hr;
        QString named;
    } cases[] = {
        // the counter module does not serve this class
        {module, CLASS_E_CLASSNOTAVAILABLE, module},
        // a bare name would be searched for on the loader's paths
        {QStringLiteral("libc.so.6"), CO_E_DLLNOTFOUND, QStringLiteral("libc.so.6")},
        {QStringLiteral(QUORVA_TEST_NOENTRY_MODULE), CO_E_ERRORINDLL,
         QStringLiteral("DllGetClassObject")},
    };
    for (const auto &c : cases) {
        win::HKEY key = 0;
        ASSERT_EQ(
            win::RegCreateKeyEx(win::HKEY_CLASSES_ROOT,
                                QStringLiteral("CLSID\\%1\\InprocServer32").arg(other.toString()),
                                QString(), 0, win::KEY_ALL_ACCESS, &key),
            win::ERROR_SUCCESS);
        win::RegSetValueEx(key, QString(), win::REG_SZ, c.path);
        win::RegCloseKey(key);
        EXPECT_EQ(CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, p.putVoid()),
                  c.hr)
            << c.path.toStdString();
        EXPECT_FALSE(p);
        EXPECT_TRUE(LastActivationError().contains(c.named)) << LastActivationError().toStdString();
    }

    CLSID out{};
    EXPECT_EQ(CLSIDFromProgID(QStringLiteral("No.Such"), &out), CO_E_CLASSSTRING);
    // A ProgID cannot reach into another key.
    EXPECT_EQ(
        CLSIDFromProgID(QStringLiteral("CLSID\\{11111111-2222-3333-4444-555555555555}"), &out),
        CO_E_CLASSSTRING);
}

TEST_F(Activation, AModuleFileServesItsClassesWithoutTheRegistry)
{
    ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstanceFromModule(module, CLSID_Counter, IID_ICounter, counter.putVoid()),
              S_OK);
    EXPECT_EQ(counter->Add(2), S_OK);
    const CLSID other = {
        0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    struct
    {
        QString path;
        CLSID clsid;
        HRESULT hr;
        QString named;
    } cases[] = {
        {QStringLiteral("relative/Counter.so"), CLSID_Counter, CO_E_DLLNOTFOUND,
         QStringLiteral("relative/Counter.so")},
        {dir.filePath(QStringLiteral("missing.so")), CLSID_Counter, CO_E_DLLNOTFOUND,
         dir.filePath(QStringLiteral("missing.so"))},
        {module, other, CLASS_E_CLASSNOTAVAILABLE, other.toString()},
    };
    for (const auto &c : cases) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(CoCreateInstanceFromModule(c.path, c.clsid, IID_IUnknown, p.putVoid()), c.hr)
            << c.path.toStdString();
        EXPECT_FALSE(p);
        EXPECT_TRUE(LastActivationError().contains(c.named)) << LastActivationError().toStdString();
    }
}

TEST_F(Activation, ClassObjectsOfTheProcessComeFirstUntilRevoked)
{
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), module}), 0);
    // The counter's own class object, registered under the process's table.
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(
        CoGetClassObject(CLSID_Counter, CLSCTX_INPROC_SERVER, IID_IClassFactory, factory.putVoid()),
        S_OK);
    const CLSID alias = {
        0x22222222, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(alias, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie),
              S_OK);
    ComPtr<ICounter> c;
    EXPECT_EQ(CoCreateInstance(alias, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, c.putVoid()),
              S_OK);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(c.get(), IID_IUnknown, aggregated.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(alias, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter, c.putVoid()),
              REGDB_E_CLASSNOTREG);

    // LockServer keeps the module loaded without any object.
    ASSERT_EQ(factory->LockServer(true), S_OK);
    factory.reset();
    CoFreeUnusedLibraries();
    EXPECT_EQ(ClassTable::instance().loadedModuleCount(), 1);
    ASSERT_EQ(
        CoGetClassObject(CLSID_Counter, CLSCTX_INPROC_SERVER, IID_IClassFactory, factory.putVoid()),
        S_OK);
    factory->LockServer(false);
    factory.reset();
    CoFreeUnusedLibraries();
    EXPECT_EQ(ClassTable::instance().loadedModuleCount(), 0);
}

TEST_F(Activation, UnregisteringLeavesAnotherClassesProgIdAlone)
{
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), module}), 0);
    // Another class took the ProgID over since.
    win::HKEY key = 0;
    ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CLASSES_ROOT,
                                  QString::fromLatin1(ProgId) + QStringLiteral("\\Clsid"),
                                  QString(), 0, win::KEY_ALL_ACCESS, &key),
              win::ERROR_SUCCESS);
    win::RegSetValueEx(key, QString(), win::REG_SZ,
                       QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
    win::RegCloseKey(key);
    ASSERT_EQ(regsvr32({QStringLiteral("/s"), QStringLiteral("/u"), module}), 0);
    CLSID out{};
    EXPECT_EQ(CLSIDFromProgID(QString::fromLatin1(ProgId), &out), S_OK);
    EXPECT_EQ(out.toString(), QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
    QString progId;
    EXPECT_EQ(ProgIDFromCLSID(CLSID_Counter, &progId), REGDB_E_CLASSNOTREG);
}

TEST(ServerRegistration, RefusesWhatWouldNameAnotherKeyOrNoFile)
{
    QTemporaryDir dir;
    qputenv("QUORVA_REGISTRY", dir.filePath(QStringLiteral("r.reg")).toUtf8());
    const CLSID id = {0x33333333, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    EXPECT_EQ(ServerRegistration({id, QStringLiteral("A\\B"), QString()}).registerServer("/x.so"),
              SELFREG_E_CLASS);
    EXPECT_EQ(ServerRegistration({id, QStringLiteral("A.B"), QString()}).registerServer("x.so"),
              SELFREG_E_CLASS);
    EXPECT_EQ(ServerRegistration({id, QStringLiteral("A.B"), QString()}).registerServer("/x.so"),
              S_OK);
    // Unregistering twice is no failure.
    EXPECT_EQ(ServerRegistration({id, QStringLiteral("A.B"), QString()}).unregisterServer(), S_OK);
    EXPECT_EQ(ServerRegistration({id, QStringLiteral("A.B"), QString()}).unregisterServer(), S_OK);
    qunsetenv("QUORVA_REGISTRY");
}

} // namespace

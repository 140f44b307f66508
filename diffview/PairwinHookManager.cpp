#include "diffview/PairwinHookManager.h"

#include "platform/com/DispatchEventSink.h"
#include "platform/com/HResult.h"
#include "platform/text/BasicError.h"

#include <QFileInfo>

std::unique_ptr<PairwinHookManager> PairwinHookManager::create(const QString &programFolder)
{
    com::ComPtr<pairwin::_ClsHookExcelManager> manager;
    com::HRESULT hr = pairwin::CreateHookExcelManager(manager.put());
    QString why = com::LastActivationError();
    if (com::FAILED(hr)) {
        const QString module = programFolder + QStringLiteral("Pairwin.so");
        if (QFileInfo::exists(module)) {
            hr = pairwin::CreateHookExcelManagerFromModule(module, manager.put());
            if (com::FAILED(hr)) why = com::LastActivationError();
        }
    }
    if (com::FAILED(hr) || !manager)
        throw BasicError(429,
                         QStringLiteral("ActiveX component can't create object: %1 (%2)")
                             .arg(QString::fromLatin1(pairwin::ProgID_ClsHookExcelManager), why));
    return std::unique_ptr<PairwinHookManager>(new PairwinHookManager(std::move(manager)));
}

PairwinHookManager::PairwinHookManager(com::ComPtr<pairwin::_ClsHookExcelManager> manager)
    : m_manager(std::move(manager)),
      m_sink(new com::DispatchEventSink(pairwin::DIID___ClsHookExcelManager))
{
    m_sink->on(pairwin::DISPID_OnPaint, [this](std::vector<com::Variant> &a) {
        if (OnPaint && a.size() >= 2) OnPaint(int(a[0].toLong()), int(a[1].toLong()));
    });
    m_sink->on(pairwin::DISPID_OnScrolled, [this](std::vector<com::Variant> &a) {
        if (OnScrolled && a.size() >= 3)
            OnScrolled(int(a[0].toLong()), int(a[1].toLong()), int(a[2].toLong()));
    });
    m_sink->advise(m_manager.get());
}

PairwinHookManager::~PairwinHookManager()
{
    // A connected sink keeps the manager alive: it goes first.
    m_sink->unadvise();
    m_sink->Release();
    m_manager.reset();
}

void PairwinHookManager::RemoveAllPairs()
{
    const com::HRESULT hr = m_manager->RemoveAllPairs();
    if (com::FAILED(hr)) throw BasicError(5, QStringLiteral("RemoveAllPairs failed"));
}

bool PairwinHookManager::AddPair(int hWndSpy, int hWndCtrl)
{
    pairwin::VARIANT_BOOL added = pairwin::VARIANT_FALSE;
    m_manager->AddPair(win::HWND(hWndSpy), win::HWND(hWndCtrl), &added);
    return added != pairwin::VARIANT_FALSE;
}

bool PairwinHookManager::SetSpyHook(bool fSet)
{
    pairwin::VARIANT_BOOL linked = pairwin::VARIANT_FALSE;
    const com::HRESULT hr =
        m_manager->SetSpyHook(fSet ? pairwin::VARIANT_TRUE : pairwin::VARIANT_FALSE, &linked);
    return com::SUCCEEDED(hr) && linked != pairwin::VARIANT_FALSE;
}

#include "platform/com/ServerRegistration.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryTree.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace com {

namespace {

bool setText(const QString &path, const QString &name, const QString &value)
{
    win::HKEY key = 0;
    if (win::RegCreateKeyEx(win::HKEY_CLASSES_ROOT, path, QString(), 0, win::KEY_ALL_ACCESS,
                            &key) != win::ERROR_SUCCESS)
        return false;
    const bool ok = win::RegSetValueEx(key, name, win::REG_SZ, value) == win::ERROR_SUCCESS;
    win::RegCloseKey(key);
    return ok;
}

QString readText(const QString &path, const QString &name)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, path, 0, win::KEY_READ, &key) !=
        win::ERROR_SUCCESS)
        return QString();
    win::RegData data;
    const bool ok = win::RegQueryValueEx(key, name, &data) == win::ERROR_SUCCESS;
    win::RegCloseKey(key);
    return ok ? data.text : QString();
}

bool deleteTree(const QString &path)
{
    const win::LSTATUS rc = win::RegDeleteTree(win::HKEY_CLASSES_ROOT, path);
    return rc == win::ERROR_SUCCESS || rc == win::ERROR_FILE_NOT_FOUND;
}

bool validProgId(const QString &progId)
{
    return !progId.isEmpty() && win::RegistryTree::validKeyName(progId) &&
           !progId.contains(QLatin1Char('\\'));
}

QString classKey(REFCLSID clsid)
{
    return QStringLiteral("CLSID\\") + clsid.toString();
}

} // namespace

HRESULT ServerRegistration::registerServer(const QString &modulePath) const
{
    if (!modulePath.startsWith(QLatin1Char('/'))) return SELFREG_E_CLASS;
    if (!progId.isEmpty() && !validProgId(progId)) return SELFREG_E_CLASS;
    const QString cls = classKey(clsid);
    bool ok = setText(cls, QString(), description) &&
              setText(cls + QStringLiteral("\\InprocServer32"), QString(), modulePath) &&
              setText(cls + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"),
                      threadingModel);
    if (ok && !progId.isEmpty()) {
        ok = setText(cls + QStringLiteral("\\ProgID"), QString(), progId) &&
             setText(progId, QString(), description) &&
             setText(progId + QStringLiteral("\\Clsid"), QString(), clsid.toString());
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT ServerRegistration::unregisterServer() const
{
    bool ok = deleteTree(classKey(clsid));
    if (validProgId(progId)) {
        CLSID registered{};
        const QString text = readText(progId + QStringLiteral("\\Clsid"), QString());
        if (GUID::fromString(text.trimmed(), &registered) && registered == clsid)
            ok = deleteTree(progId) && ok;
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

QString ServerRegistration::moduleFileName(const void *address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

} // namespace com

#include "platform/shell/shellhost/ContextMenuHost.h"

#include "platform/com/ClassTable.h"
#include "platform/registry/Registry.h"
#include "platform/shell/FileDataObject.h"
#include "platform/shell/IShellExtInit.h"

namespace shell {

const char ContextMenuHost::HandlersKey[] = "*\\shellex\\ContextMenuHandlers";

namespace {

QString hex(com::HRESULT hr)
{
    return QString::asprintf("0x%08X", unsigned(hr));
}

QString escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

struct Registered
{
    QString name;
    QString value;
};

// The handler keys in the order of their names, each with its default value.
std::vector<Registered> registeredHandlers(QStringList *errors)
{
    std::vector<Registered> out;
    win::HKEY key = 0;
    const win::LSTATUS rc =
        win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, QString::fromLatin1(ContextMenuHost::HandlersKey),
                          0, win::KEY_READ, &key);
    if (rc != win::ERROR_SUCCESS) {
        if (rc != win::ERROR_FILE_NOT_FOUND)
            errors->append(QStringLiteral("the registry store cannot be read (error %1)").arg(rc));
        return out;
    }
    QString name;
    for (quint32 i = 0; win::RegEnumKeyEx(key, i, &name) == win::ERROR_SUCCESS; ++i) {
        Registered r{name, QString()};
        win::HKEY sub = 0;
        if (win::RegOpenKeyEx(key, name, 0, win::KEY_READ, &sub) == win::ERROR_SUCCESS) {
            win::RegData data;
            if (win::RegQueryValueEx(sub, QString(), &data) == win::ERROR_SUCCESS)
                r.value = data.text;
            win::RegCloseKey(sub);
        }
        out.push_back(r);
    }
    win::RegCloseKey(key);
    return out;
}

} // namespace

ContextMenuHost::ContextMenuHost() : m_menu(CreatePopupMenu()) {}

ContextMenuHost::~ContextMenuHost()
{
    m_handlers.clear(); // each handler ends before the menu and data it was given
    if (m_data) m_data->Release();
    DestroyMenu(m_menu);
}

void ContextMenuHost::build(const QStringList &files, UINT flags, UINT idFirst, UINT idLast)
{
    if (!m_data) m_data = new FileDataObject(files);
    UINT next = idFirst;
    for (const Registered &r : registeredHandlers(&m_errors)) {
        if (next > idLast || next < idFirst) {
            m_errors.append(QStringLiteral("handler %1: no command identifiers left").arg(r.name));
            continue;
        }
        Handler h;
        h.name = r.name;
        // The default value names the class; a key named by a class identifier may leave it
        // empty.
        if (!com::GUID::fromString(r.value.trimmed(), &h.clsid) &&
            !com::GUID::fromString(r.name, &h.clsid)) {
            m_errors.append(
                QStringLiteral("handler %1: \"%2\" is no class identifier").arg(r.name, r.value));
            continue;
        }
        com::ComPtr<IShellExtInit> init;
        com::HRESULT hr = com::CoCreateInstance(h.clsid, nullptr, com::CLSCTX_INPROC_SERVER,
                                                IID_IShellExtInit, init.putVoid());
        if (com::FAILED(hr)) {
            m_errors.append(QStringLiteral("handler %1: cannot be created (%2): %3")
                                .arg(r.name, hex(hr), com::LastActivationError()));
            continue;
        }
        hr = init->Initialize(nullptr, m_data, 0);
        if (com::FAILED(hr)) {
            m_errors.append(
                QStringLiteral("handler %1: Initialize failed (%2)").arg(r.name, hex(hr)));
            continue;
        }
        hr = init.as(IID_IContextMenu, &h.menu);
        if (com::FAILED(hr)) {
            m_errors.append(
                QStringLiteral("handler %1: no IContextMenu (%2)").arg(r.name, hex(hr)));
            continue;
        }
        const int before = GetMenuItemCount(m_menu);
        hr = h.menu->QueryContextMenu(m_menu, UINT(before), next, idLast, flags);
        if (com::FAILED(hr)) {
            m_errors.append(
                QStringLiteral("handler %1: QueryContextMenu failed (%2)").arg(r.name, hex(hr)));
            continue;
        }
        h.idFirst = next;
        h.idCount = com::HRESULT_CODE(hr);
        h.firstItem = before;
        // Anything the handler put outside the identifiers it was given would run another
        // handler's command.
        for (int i = before; i < GetMenuItemCount(m_menu); ++i) {
            MenuItem item;
            if (!GetMenuItem(m_menu, i, &item) || item.separator) continue;
            if (item.id < h.idFirst || item.id - h.idFirst >= h.idCount || item.id > idLast)
                m_errors.append(
                    QStringLiteral("handler %1: command id %2 is outside its range %3..%4")
                        .arg(r.name, QString::number(item.id), QString::number(h.idFirst),
                             QString::number(
                                 qMin<qint64>(qint64(h.idFirst) + h.idCount - 1, idLast))));
        }
        next += h.idCount;
        m_handlers.push_back(std::move(h));
    }
}

QString ContextMenuHost::commandString(const Handler &h, UINT offset, UINT type) const
{
    char16_t buffer[1024] = {};
    if (com::FAILED(h.menu->GetCommandString(offset, type, nullptr,
                                             reinterpret_cast<char *>(buffer), 1024)))
        return QString();
    buffer[1023] = 0;
    return QString::fromUtf16(buffer);
}

std::vector<ContextMenuHost::Command> ContextMenuHost::commands() const
{
    std::vector<Command> out;
    const int count = GetMenuItemCount(m_menu);
    for (int i = 0; i < count; ++i) {
        MenuItem item;
        if (!GetMenuItem(m_menu, i, &item)) continue;
        Command c;
        c.separator = item.separator;
        if (!item.separator) {
            c.caption = item.text;
            c.grayed = item.grayed();
            c.bitmap = item.uncheckedBitmap;
            for (size_t h = 0; h < m_handlers.size(); ++h) {
                const Handler &handler = m_handlers[h];
                if (item.id >= handler.idFirst && item.id - handler.idFirst < handler.idCount) {
                    c.handler = int(h);
                    c.offset = item.id - handler.idFirst;
                    c.verb = commandString(handler, c.offset, GCS_VERBW);
                    c.help = commandString(handler, c.offset, GCS_HELPTEXTW);
                    break;
                }
            }
        }
        out.push_back(c);
    }
    return out;
}

com::HRESULT ContextMenuHost::invoke(int handler, UINT offset)
{
    if (handler < 0 || size_t(handler) >= m_handlers.size()) return com::E_INVALIDARG;
    CMINVOKECOMMANDINFO info;
    info.lpVerb = MAKEINTRESOURCE(offset);
    return m_handlers[size_t(handler)].menu->InvokeCommand(&info);
}

QString ContextMenuHost::listing() const
{
    QString out;
    const std::vector<Command> items = commands();
    auto headers = [&](size_t position, bool last) {
        for (const Handler &h : m_handlers)
            if (h.firstItem == int(position) || (last && h.firstItem > int(position)))
                out += QStringLiteral("handler\t%1\t%2\n").arg(escaped(h.name), h.clsid.toString());
    };
    for (size_t i = 0; i < items.size(); ++i) {
        const Command &c = items[i];
        headers(i, false);
        if (c.separator) {
            out += QStringLiteral("separator\n");
            continue;
        }
        int w = 0, hgt = 0;
        const QString image = GetBitmapPixels(c.bitmap, &w, &hgt, nullptr)
                                  ? QStringLiteral("image %1x%2").arg(w).arg(hgt)
                                  : QStringLiteral("-");
        out += QStringLiteral("command\t%1\t%2\t%3\t%4\t%5\n")
                   .arg(c.handler >= 0 ? QString::number(c.offset) : QStringLiteral("?"),
                        c.grayed ? QStringLiteral("grayed") : QStringLiteral("enabled"), image,
                        escaped(c.verb), escaped(c.caption));
    }
    headers(items.size(), true); // handlers that added nothing at the end
    return out;
}

} // namespace shell

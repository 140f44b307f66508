#include "shell/menulet/ShellExt.h"

#include "platform/com/ServerRegistration.h"
#include "platform/shell/DropFiles.h"
#include "platform/win/MessageBox.h"
#include "shell/menulet/ModMenulet.h"

#include <QFileInfo>
#include <cstring>

namespace menulet {

namespace {

const char Section[] = "Menulet";

// Verb, help text and validation text of each command (validation texts are empty: nothing
// is stored for them).
struct CommandTexts
{
    const char *verb;
    const char *help;
};
const CommandTexts Texts[3] = {
    {"QuorvaCompare", "Compare the two selected workbooks in Quorva"},
    {"QuorvaSelectLeft", "Remember the selected workbook as the left file of a comparison"},
    {"QuorvaCompareWithLeft", "Compare the remembered left file with the selected workbook"},
};

// Copies the text into the caller's buffer as UTF-8, cut at a character boundary so that at
// most cchMax bytes are used with the NUL.
void storeUtf8(const QString &text, char *out, shell::UINT cchMax)
{
    QByteArray bytes = text.toUtf8();
    if (quint64(bytes.size()) >= cchMax) {
        qsizetype n = qsizetype(cchMax) - 1;
        while (n > 0 && (quint8(bytes.at(n)) & 0xC0) == 0x80)
            --n;
        bytes.truncate(n);
    }
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
    out[bytes.size()] = '\0';
}

void storeUtf16(const QString &text, char16_t *out, shell::UINT cchMax)
{
    qsizetype n = qMin<qsizetype>(text.size(), qsizetype(cchMax) - 1);
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n; // never half a pair
    std::memcpy(out, text.utf16(), size_t(n) * sizeof(char16_t));
    out[n] = 0;
}

} // namespace

ShellExt::ShellExt(com::ServerModule &module) : ComObject(0), m_module(module)
{
    m_module.lock();
    m_LibraryFolder = QFileInfo(com::ServerRegistration::moduleFileName(
                                    reinterpret_cast<const void *>(&ModMenulet::LoadMenuBitmap)))
                          .absolutePath();
    if (!m_LibraryFolder.endsWith(QLatin1Char('/'))) m_LibraryFolder += QLatin1Char('/');
    m_MainProgramPath = ModMenulet::GetMainProgramPath(m_LibraryFolder);
    m_SettingsIni.setIniFileName(m_LibraryFolder + QStringLiteral("Quorvex.ini"));
    const QString language = m_SettingsIni.ReadString(
        QStringLiteral("OPTION"), QStringLiteral("Language"), QStringLiteral("ChineseS.Lan"));

    // Built-in texts unless the language file says otherwise: no language file ships with the
    // program, and a menu without captions would offer nothing.
    m_BeginCompare = QStringLiteral("开始比较");
    m_SelLeft = QStringLiteral("作为左边文件");
    m_CompareWithPrefix = QStringLiteral("与");
    m_CompareWithPostfix = QStringLiteral("开始比较");
    const QString langFile = m_LibraryFolder + QStringLiteral("Lang/") + language;
    if (ModMenulet::IsNonEmptyFile(langFile)) {
        m_LangIni.setIniFileName(langFile);
        const QString s = QString::fromLatin1(Section);
        m_BeginCompare = m_LangIni.ReadString(s, QStringLiteral("BeginCompare"), m_BeginCompare);
        m_SelLeft = m_LangIni.ReadString(s, QStringLiteral("SelLeft"), m_SelLeft);
        m_CompareWithPrefix =
            m_LangIni.ReadString(s, QStringLiteral("CompareWithPrefix"), m_CompareWithPrefix);
        m_CompareWithPostfix =
            m_LangIni.ReadString(s, QStringLiteral("CompareWithPostfix"), m_CompareWithPostfix);
    }
}

void *ShellExt::interfaceFor(const com::IID &riid)
{
    if (riid == com::IID_IUnknown || riid == IID__ShellExt) return static_cast<_ShellExt *>(this);
    if (riid == shell::IID_IShellExtInit) return static_cast<shell::IShellExtInit *>(this);
    if (riid == shell::IID_IContextMenu) return static_cast<shell::IContextMenu *>(this);
    return nullptr;
}

ShellExt::~ShellExt()
{
    for (shell::HBITMAP b : m_Bitmaps)
        shell::DeleteObject(b);
    m_module.unlock();
}

com::HRESULT ShellExt::Initialize(const void *folder, shell::IDataObject *data, win::HKEY progIdKey)
{
    Q_UNUSED(folder);
    Q_UNUSED(progIdKey);
    if (!data) return com::E_INVALIDARG;
    shell::FORMATETC format;
    format.cfFormat = shell::CF_HDROP;
    shell::STGMEDIUM medium;
    const com::HRESULT hr = data->GetData(&format, &medium);
    if (com::FAILED(hr)) return hr;
    auto drop = static_cast<shell::HDROP>(medium.hGlobal);
    m_SelectedCount = int(
        qMin<quint32>(shell::DragQueryFile(drop, shell::DragQueryCount, nullptr, 0), 0x7FFFFFFF));
    m_FirstFile.clear();
    m_SecondFile.clear();
    for (int i = 0; i < qMin(2, m_SelectedCount); ++i) {
        // Each name whole, however long: a cut name would name another file. Blanks and tabs
        // are kept, as they may be part of a name here.
        const quint32 length = shell::DragQueryFile(drop, quint32(i), nullptr, 0);
        std::vector<char16_t> buffer(size_t(length) + 1);
        const quint32 got = shell::DragQueryFile(drop, quint32(i), buffer.data(), length + 1);
        (i == 0 ? m_FirstFile : m_SecondFile) = QString::fromUtf16(buffer.data(), qsizetype(got));
    }
    shell::ReleaseStgMedium(&medium);
    return com::S_OK;
}

com::HRESULT ShellExt::QueryContextMenu(shell::HMENU menu, shell::UINT indexMenu,
                                        shell::UINT idCmdFirst, shell::UINT idCmdLast,
                                        shell::UINT uFlags)
{
    const bool wanted = (uFlags & 0xF) == shell::CMF_NORMAL || (uFlags & shell::CMF_VERBSONLY) ||
                        (uFlags & shell::CMF_EXPLORE);
    if (!wanted) return com::MAKE_HRESULT(0, 0, 0);

    struct Item
    {
        int command;
        QString caption;
        bool grayed;
    };
    std::vector<Item> items;
    items.push_back({BeginCompare, m_BeginCompare, m_SelectedCount != 2});
    items.push_back({SelLeft, m_SelLeft, m_SelectedCount != 1});
    {
        const QString left = m_SelectedCount == 1 ? ModMenulet::LoadLeftFileName() : QString();
        if (!left.isEmpty())
            items.push_back({CompareWithLeft,
                             m_CompareWithPrefix + QLatin1Char(' ') + left + QLatin1Char(' ') +
                                 m_CompareWithPostfix,
                             false});
        else if (!(m_CompareWithPrefix + m_CompareWithPostfix).isEmpty())
            items.push_back({CompareWithLeft,
                             m_CompareWithPrefix + QLatin1Char(' ') + m_CompareWithPostfix, true});
    }

    // Only as many commands as the identifiers given: one past idCmdLast would be another
    // handler's, and choosing it would run the wrong command.
    std::vector<Item> added;
    quint64 id = idCmdFirst;
    for (const Item &item : items) {
        if (item.caption.isEmpty()) continue;
        if (id > idCmdLast) break;
        added.push_back(item);
        ++id;
    }
    m_CommandOfOffset.clear();
    if (added.empty()) return com::MAKE_HRESULT(0, 0, 0);

    shell::InsertMenu(menu, indexMenu, shell::MF_BYPOSITION | shell::MF_SEPARATOR, 0, QString());
    shell::UINT position = indexMenu + 1;
    shell::UINT next = idCmdFirst;
    for (const Item &item : added) {
        const shell::UINT flags =
            shell::MF_BYPOSITION | shell::MF_USECHECKBITMAPS | (item.grayed ? shell::MF_GRAYED : 0);
        shell::InsertMenu(menu, position, flags, next, item.caption);
        const shell::HBITMAP picture = ModMenulet::ScaleMenuBitmap(ModMenulet::LoadMenuBitmap());
        if (picture) {
            m_Bitmaps.push_back(picture);
            shell::SetMenuItemBitmaps(
                menu, position, shell::MF_BYPOSITION | shell::MF_USECHECKBITMAPS | shell::MF_BITMAP,
                picture, picture);
        }
        m_CommandOfOffset.push_back(item.command);
        ++position;
        ++next;
    }
    shell::InsertMenu(menu, position, shell::MF_BYPOSITION | shell::MF_SEPARATOR, 0, QString());
    return com::MAKE_HRESULT(0, 0, next - idCmdFirst);
}

int ShellExt::commandAt(com::UINT_PTR offset) const
{
    if (m_CommandOfOffset.empty()) return offset <= 2 ? int(offset) : -1;
    return offset < m_CommandOfOffset.size() ? m_CommandOfOffset[size_t(offset)] : -1;
}

com::HRESULT ShellExt::InvokeCommand(const shell::CMINVOKECOMMANDINFO *info)
{
    if (!info) return com::E_INVALIDARG;
    // A verb given as text names none of these commands.
    if (!shell::IS_INTRESOURCE(info->lpVerb)) return com::S_OK;
    const auto offset = com::UINT_PTR(reinterpret_cast<std::uintptr_t>(info->lpVerb));
    switch (commandAt(offset)) {
    case BeginCompare:
        ModMenulet::RunCompare(m_MainProgramPath, m_FirstFile, m_SecondFile);
        break;
    case SelLeft: {
        QString why;
        if (!ModMenulet::SaveLeftFileName(m_FirstFile, &why))
            win::MsgBox(QStringLiteral("Can't remember the left file: ") + why,
                        win::vbOKOnly | win::vbCritical);
        break;
    }
    case CompareWithLeft:
        ModMenulet::RunCompare(m_MainProgramPath, ModMenulet::LoadLeftFileName(), m_FirstFile);
        break;
    default:
        break;
    }
    return com::S_OK;
}

com::HRESULT ShellExt::GetCommandString(com::UINT_PTR idCmd, shell::UINT uType,
                                        shell::UINT *reserved, char *pszName, shell::UINT cchMax)
{
    Q_UNUSED(reserved);
    const int command = commandAt(idCmd);
    if (command < 0 || !pszName || cchMax == 0) return com::S_OK;
    QString text;
    switch (uType) {
    case shell::GCS_VERBA:
    case shell::GCS_VERBW:
        text = QString::fromLatin1(Texts[command].verb);
        break;
    case shell::GCS_HELPTEXTA:
    case shell::GCS_HELPTEXTW:
        text = QString::fromLatin1(Texts[command].help);
        break;
    default:
        break;
    }
    if (text.isEmpty()) return com::S_OK;
    if (uType & 4)
        storeUtf16(text, reinterpret_cast<char16_t *>(pszName), cchMax);
    else
        storeUtf8(text, pszName, cchMax);
    return com::S_OK;
}

} // namespace menulet

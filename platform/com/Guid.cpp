#include "platform/com/Guid.h"

namespace com {

QString GUID::toString() const
{
    QString s = QStringLiteral("{%1-%2-%3-")
                    .arg(Data1, 8, 16, QLatin1Char('0'))
                    .arg(Data2, 4, 16, QLatin1Char('0'))
                    .arg(Data3, 4, 16, QLatin1Char('0'));
    for (int i = 0; i < 8; ++i) {
        if (i == 2) s += QLatin1Char('-');
        s += QStringLiteral("%1").arg(Data4[i], 2, 16, QLatin1Char('0'));
    }
    s += QLatin1Char('}');
    return s.toUpper();
}

bool GUID::fromString(const QString &text, GUID *out)
{
    QString t = text;
    if (t.startsWith(QLatin1Char('{')) != t.endsWith(QLatin1Char('}'))) return false;
    if (t.startsWith(QLatin1Char('{'))) t = t.mid(1, t.size() - 2);
    // 8-4-4-4-12 hexadecimal digits
    static const int groups[] = {8, 4, 4, 4, 12};
    if (t.size() != 36) return false;
    QString digits;
    int at = 0;
    for (int g = 0; g < 5; ++g) {
        if (g > 0) {
            if (t.at(at) != QLatin1Char('-')) return false;
            ++at;
        }
        for (int i = 0; i < groups[g]; ++i, ++at) {
            const char16_t c = t.at(at).unicode();
            const bool hex =
                (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
            if (!hex) return false;
            digits += QChar(c);
        }
    }
    GUID g{};
    g.Data1 = digits.mid(0, 8).toUInt(nullptr, 16);
    g.Data2 = quint16(digits.mid(8, 4).toUInt(nullptr, 16));
    g.Data3 = quint16(digits.mid(12, 4).toUInt(nullptr, 16));
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = quint8(digits.mid(16 + 2 * i, 2).toUInt(nullptr, 16));
    *out = g;
    return true;
}

QString StringFromCLSID(REFCLSID clsid)
{
    return clsid.toString();
}

HRESULT CLSIDFromString(const QString &text, CLSID *clsid)
{
    if (!clsid) return E_POINTER;
    return GUID::fromString(text.trimmed(), clsid) ? S_OK : CO_E_CLASSSTRING;
}

} // namespace com

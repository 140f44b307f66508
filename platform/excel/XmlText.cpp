#include "platform/excel/XmlText.h"

#include <cstring>

namespace excel {

bool XmlText::decode(const char *data, std::size_t size, QString *out)
{
    const void *amp = std::memchr(data, '&', size);
    if (!amp) {
        *out = QString::fromUtf8(data, qsizetype(size));
        return true;
    }
    std::string s;
    s.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c != '&') {
            s += c;
            continue;
        }
        const void *semi = std::memchr(data + i, ';', std::min<std::size_t>(size - i, 12));
        if (!semi) return false;
        std::size_t end = std::size_t(static_cast<const char *>(semi) - data);
        std::string name(data + i + 1, end - i - 1);
        if (name == "amp")
            s += '&';
        else if (name == "lt")
            s += '<';
        else if (name == "gt")
            s += '>';
        else if (name == "quot")
            s += '"';
        else if (name == "apos")
            s += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            char *stop = nullptr;
            unsigned long code = name[1] == 'x' || name[1] == 'X'
                                     ? std::strtoul(name.c_str() + 2, &stop, 16)
                                     : std::strtoul(name.c_str() + 1, &stop, 10);
            if (!stop || *stop || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
                return false;
            char32_t u = char32_t(code);
            s += QString::fromUcs4(&u, 1).toStdString();
        } else {
            return false;
        }
        i = end;
    }
    *out = QString::fromStdString(s);
    return true;
}

QString XmlText::unescapeStringValue(const QString &text)
{
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            ushort code = QStringView(text).mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

namespace {
struct ErrorName
{
    const char *text;
    int code;
};
const ErrorName kErrors[] = {
    {"#NULL!", 2000},  {"#DIV/0!", 2007},   {"#VALUE!", 2015},   {"#REF!", 2023},
    {"#NAME?", 2029},  {"#NUM!", 2036},     {"#N/A", 2042},      {"#GETTING_DATA", 2043},
    {"#SPILL!", 2045}, {"#CONNECT!", 2046}, {"#BLOCKED!", 2047}, {"#UNKNOWN!", 2048},
    {"#FIELD!", 2049}, {"#CALC!", 2050},
};
} // namespace

int XmlText::errorCode(const QString &text)
{
    for (const ErrorName &e : kErrors)
        if (text.compare(QLatin1String(e.text), Qt::CaseInsensitive) == 0) return e.code;
    return 0;
}

QString XmlText::errorText(int code)
{
    for (const ErrorName &e : kErrors)
        if (code == e.code) return QLatin1String(e.text);
    return QStringLiteral("#VALUE!");
}

} // namespace excel

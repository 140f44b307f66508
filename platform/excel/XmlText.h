#pragma once

#include <QString>
#include <cstddef>

namespace excel {

// Text decoding shared by the workbook's XML parts.
class XmlText
{
public:
    // UTF-8 character data with the XML entities (&amp; &#65; &#x41; ...) resolved. False
    // for an unknown or malformed entity.
    static bool decode(const char *data, std::size_t size, QString *out);
    // Resolves the "_xHHHH_" escapes that .xlsx strings use for control characters
    // ("_x000D_" is a carriage return, "_x005F_" a literal underscore).
    static QString unescapeStringValue(const QString &text);
    // The automation error number of an error text ("#N/A" 2042), 0 for an unknown text; and
    // the text of a number.
    static int errorCode(const QString &text);
    static QString errorText(int code);
};

} // namespace excel

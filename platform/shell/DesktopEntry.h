#pragma once

#include <QString>
#include <QStringList>

namespace shell {

// Values of freedesktop desktop entries (".desktop" files: shortcuts, service menus), escaped as
// that format asks, so that a file's reader gets back exactly the text given.
class DesktopEntry
{
public:
    // A value of type string: backslash, line break, tab and carriage return escaped, and a
    // leading blank written as "\s" (a reader would trim it).
    static QString stringValue(const QString &text);
    // One argument of the Exec key: in double quotes with '"', '`', '$' and '\' escaped and '%'
    // doubled, then escaped as a string value (which a reader undoes before the quoting).
    static QString execArgument(const QString &argument);
    // A value of type list of strings: each item escaped as a string value with ";" escaped
    // too, and each followed by ";".
    static QString listValue(const QStringList &items);
};

} // namespace shell

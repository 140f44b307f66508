#pragma once

#include <QString>
#include <functional>
#include <vector>

// What the language texts need of a window: its name and its controls in the window's own
// order, each with a name, an index within a control array (-1 for none), its kind and a way
// to read and set its caption. Windows fill one from their widgets (LanguageWidgets); windowless
// modules can fill one by hand, so the core needs no widget library.
class LanguageForm
{
public:
    // The control types that carry a caption of their own, and Other for the rest (text boxes,
    // lists, grids, tabs), which the language texts never touch.
    enum Kind { Menu, CommandButton, Label, Frame, CheckBox, OptionButton, Other };

    struct Control
    {
        QString name;
        int index = -1;
        Kind kind = Other;
        std::function<QString()> caption;
        std::function<void(const QString &)> setCaption;
    };

    explicit LanguageForm(const QString &name = QString()) : m_name(name) {}

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    void add(Control control) { m_controls.push_back(std::move(control)); }
    void add(const QString &name, Kind kind, std::function<QString()> caption,
             std::function<void(const QString &)> setCaption, int index = -1)
    {
        m_controls.push_back(Control{name, index, kind, std::move(caption), std::move(setCaption)});
    }
    const std::vector<Control> &controls() const { return m_controls; }
    void clear() { m_controls.clear(); }

    // The control's type name as the language file's conventions name it ("Menu",
    // "CommandButton", ...; "" for Other).
    static QString kindName(Kind kind);

private:
    QString m_name;
    std::vector<Control> m_controls;
};

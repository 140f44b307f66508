#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

// A window's controls as its design lists them, the way a compiled form's resource holds them:
// each control's class, name, caption, parent and rectangle. One builder makes them in the
// table's order, which is also the order the language texts walk them.
class FormTemplate
{
public:
    struct Control
    {
        std::function<QWidget *(QWidget *parent)> make;
        QString name;
        QString caption;
        QString parent; // a control made earlier, or a named child of the window; empty: the window
        QRect rect;     // in the window's design unit; empty: a layout places it
        int index = -1; // element `index` of a control array
    };

    // A control of class T; `member` is set when it is made.
    template <class T>
    static Control control(T *&member, const char *name, const char *caption = nullptr,
                           QRect rect = {}, const char *parent = nullptr)
    {
        return Control{[&member](QWidget *p) { return member = new T(p); }, latin1(name),
                       utf8(caption), latin1(parent), rect};
    }
    // Element `index` of a control array of class T, appended to `array`.
    template <class T>
    static Control element(QList<T *> &array, int index, const char *name,
                           const char *caption = nullptr, QRect rect = {},
                           const char *parent = nullptr)
    {
        return Control{[&array](QWidget *p) {
                           auto *w = new T(p);
                           array.append(w);
                           return w;
                       },
                       latin1(name),
                       utf8(caption),
                       latin1(parent),
                       rect,
                       index};
    }

    // A control the window makes itself (a page of a tab control, say), named for the table.
    static Control made(const QString &name, std::function<QWidget *(QWidget *parent)> make)
    {
        return Control{std::move(make), name, QString(), QString(), QRect()};
    }

    // Places a control at its design rectangle (default: the rectangle in pixels).
    using Place = std::function<void(QWidget *control, const QRect &rect, const QString &parent)>;
    // Told of each control once it is made, in the table's order.
    using Made = std::function<void(QWidget *control, int index)>;

    // Makes the controls in order: each is named, captioned (a button's or label's text, a
    // frame's title, an edit's text) and placed when it has a rectangle. A parent the table does
    // not know yet is a programming error and throws std::logic_error naming it.
    static void build(QWidget *window, const std::vector<Control> &controls,
                      const Place &place = {}, const Made &made = {});

    // Sets the caption the way the control shows it.
    static void setCaption(QWidget *control, const QString &caption);

private:
    static QString latin1(const char *text) { return text ? QString::fromLatin1(text) : QString(); }
    static QString utf8(const char *text) { return text ? QString::fromUtf8(text) : QString(); }
};

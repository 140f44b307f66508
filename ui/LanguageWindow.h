#pragma once

#include "core/ClsLanguage.h"

#include <QString>
#include <QStringList>
#include <memory>

class FormControls;
class QWidget;

// What every window does with the program's language: its section of the language file is its
// object name; loading puts the product's icon on it, the language's captions on the controls it
// registered, and the section's own key on its title; its messages read their texts from the
// same section. The language file is the one chosen when the window loads.
class LanguageWindow
{
public:
    LanguageWindow(QWidget *window, const FormControls &controls);

    // `skipped` names controls whose captions stay as built (the product's name, say); a
    // window whose title is the product's name keeps it with `title` false.
    void load(const QStringList &skipped = {}, bool title = true);
    QString text(const QString &key, const QString &defaultText);
    ClsLanguage &language();

private:
    QString section() const;

    QWidget *m_Window;
    const FormControls &m_Controls;
    std::unique_ptr<ClsLanguage> m_Language;
};

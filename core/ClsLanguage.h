#pragma once

#include "core/ClsIni.h"
#include "core/ClsMap.h"
#include "core/LanguageForm.h"

#include <QString>
#include <QStringList>
#include <memory>

// The texts of the current language file ("Lang/<LanguageFileName>" beside the program): one
// section per window, one key per control or message. Every look-up has a built-in default,
// which is written into the file when the key is missing, so a file fills itself with the
// built-in texts and becomes a template for translation.
class ClsLanguage
{
public:
    // Runs Init.
    ClsLanguage();

    // Points the reader at the current options' language file (creating the options object
    // when there is none yet). Called again after the user chose another language.
    void Init();
    // Sets the captions of the window's translatable controls from section = window name,
    // key = control name, with the current caption as default.
    void LoadLanguageOfForm(const LanguageForm &form);
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue);
    // Puts every menu item whose name marks a separator on the skip list.
    void SkipMnuLines(const LanguageForm &form);
    // Puts each name on the skip list (a control array has its one name).
    void SkipControls(const QStringList &names);
    void SkipControlByName(const QString &name);

    QString fileName() const { return m_FileName; }
    bool isSkipped(const QString &name) const;

private:
    static bool IsMenuSeparatorName(const QString &name);
    ClsMap &skipList();

    QString m_FileName;
    ClsIni m_Ini;
    std::unique_ptr<ClsMap> m_SkipList;
};

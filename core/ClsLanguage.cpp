#include "core/ClsLanguage.h"

#include "core/ModLanguage.h"
#include "core/ProcessGlobals.h"

ClsLanguage::ClsLanguage()
{
    Init();
}

void ClsLanguage::Init()
{
    m_FileName = AppPathOrDefault() + QStringLiteral("Lang/") + CurrentOptions().LanguageFileName();
    m_Ini.setIniFileName(m_FileName);
}

ClsMap &ClsLanguage::skipList()
{
    if (!m_SkipList)
        m_SkipList = std::make_unique<ClsMap>(); // text mode: names compare without case
    return *m_SkipList;
}

bool ClsLanguage::isSkipped(const QString &name) const
{
    return m_SkipList && m_SkipList->Exists(name);
}

void ClsLanguage::LoadLanguageOfForm(const LanguageForm &form)
{
    SkipMnuLines(form);
    const QString section = form.name();
    for (const LanguageForm::Control &c : form.controls()) {
        if (isSkipped(c.name) || !ModLanguage::IsTranslatableControl(c)) continue;
        if (!c.caption || !c.setCaption) continue;
        c.setCaption(ReadString(section, c.name, c.caption()));
    }
}

QString ClsLanguage::ReadString(const QString &section, const QString &key,
                                const QString &defaultValue)
{
    return m_Ini.ReadString(section, key, defaultValue);
}

void ClsLanguage::SkipMnuLines(const LanguageForm &form)
{
    for (const LanguageForm::Control &c : form.controls())
        if (c.kind == LanguageForm::Menu && IsMenuSeparatorName(c.name)) SkipControlByName(c.name);
}

void ClsLanguage::SkipControls(const QStringList &names)
{
    for (const QString &name : names)
        SkipControlByName(name);
}

void ClsLanguage::SkipControlByName(const QString &name)
{
    skipList().Add(name, QString());
}

bool ClsLanguage::IsMenuSeparatorName(const QString &name)
{
    return name.size() >= 7 &&
           name.left(3).compare(QLatin1String("mnu"), Qt::CaseInsensitive) == 0 &&
           name.indexOf(QLatin1String("Line"), 3, Qt::CaseInsensitive) >= 0;
}

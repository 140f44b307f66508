#include "core/ClsOption.h"

#include "platform/text/BasicError.h"

ClsIni &ClsOption::recorder() const
{
    if (!m_Recorder)
        throw BasicError(BasicError::ObjectVariableNotSet,
                         QStringLiteral("ClsOption: no settings file set"));
    return *m_Recorder;
}

void ClsOption::ReadFromFile()
{
    ClsIni &ini = recorder();
    m_ContextMenu = ini.ReadNum(QStringLiteral("Explorer"), QStringLiteral("ContextMenu"),
                                m_ContextMenu ? -1 : 0) != 0;
    m_LanguageFileName =
        ini.ReadString(QStringLiteral("OPTION"), QStringLiteral("Language"), m_LanguageFileName);
}

void ClsOption::Save2File()
{
    ClsIni &ini = recorder();
    ini.WriteNum(QStringLiteral("Explorer"), QStringLiteral("ContextMenu"), m_ContextMenu ? -1 : 0);
    ini.WriteString(QStringLiteral("OPTION"), QStringLiteral("Language"), m_LanguageFileName);
}

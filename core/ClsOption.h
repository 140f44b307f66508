#pragma once

#include "core/ClsIni.h"

#include <QString>
#include <memory>

// The program options: the Explorer context menu on or off, the language file, the row limit.
// One process-wide instance (g_Options) is read from the settings file at start and written
// back at exit.
class ClsOption
{
public:
    bool ContextMenu() const { return m_ContextMenu; }
    void setContextMenu(bool on) { m_ContextMenu = on; }

    // The settings object that ReadFromFile and Save2File use (a reference, not a copy).
    void SetRecorder(std::shared_ptr<ClsIni> recorder) { m_Recorder = std::move(recorder); }
    // [Explorer] ContextMenu (not 0 is on; missing keeps the current value, nothing written),
    // then [OPTION] Language (the current name is the default and is written when missing).
    void ReadFromFile();
    // [Explorer] ContextMenu as -1 or 0, then [OPTION] Language. Results are not checked.
    void Save2File();

    QString LanguageFileName() const { return m_LanguageFileName; }
    void setLanguageFileName(const QString &name) { m_LanguageFileName = name; }

    // The last worksheet row that a side reads.
    int MaxRowNum() const { return 65536; }

private:
    ClsIni &recorder() const;

    bool m_ContextMenu = true;
    std::shared_ptr<ClsIni> m_Recorder;
    QString m_LanguageFileName = QStringLiteral("ChineseS.Lan");
};

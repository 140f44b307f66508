#pragma once

#include <QElapsedTimer>
#include <QString>
#include <memory>

namespace vbs {
class ScriptControl;
}

// Hosts a session's user equality script: loads a VBScript file from the program's "Script"
// folder into a script control and asks its function IsEqual whether two cell texts are equal.
// Failures show a message, set the comparison's cancel flag and give the agreed result.
class ClsScript
{
public:
    ClsScript();
    ~ClsScript();
    ClsScript(const ClsScript &) = delete;
    ClsScript &operator=(const ClsScript &) = delete;

    // Loads the file (program folder & "Script/" & the session's ScriptFileName) into a fresh
    // scope, so that a second load behaves like the first. True on success.
    bool AddCode(const QString &strFileName);
    // The script's verdict; True (with a message and the cancel flag set) when the script fails.
    bool IsEqual(const QString &str1, const QString &str2);

    // The folder script files must stay inside; by default the program folder's "Script/"
    // (g_AppPath & "Script/").
    void setScriptFolder(const QString &folder);
    QString scriptFolder() const;
    // True when `scriptFileName` names a file directly inside the Script folder: not empty, not
    // absolute, no "/" or "\" separator, not "." or "..". `why` gets the reason otherwise.
    static bool IsSafeScriptFileName(const QString &scriptFileName, QString *why = nullptr);

    // The comparison's cancel flag. Until the comparison's own module provides it, the
    // comparison installs its reader and writer here; without them a flag private to this class
    // stands in (readable through these same functions).
    using IsCancelFn = bool (*)();
    using SetCancelFn = void (*)(bool);
    static void setCancelFlag(IsCancelFn isCancel, SetCancelFn setCancel);
    static bool isCancelCompare();
    static void setCancelCompare(bool cancel);

private:
    void fail(const QString &prefix, int number, const QString &description);
    bool pollCancel();
    QString scriptNamed() const;

    std::unique_ptr<vbs::ScriptControl> m_control;
    QString m_scriptFolder;
    QString m_fileName; // the file loaded last, named when its IsEqual fails
    QElapsedTimer m_callClock;
    qint64 m_nextYieldMs = 0;
};

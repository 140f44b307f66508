#pragma once

#include "platform/com/Variant.h"
#include "platform/vbscript/ScriptError.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vbs {

class Interpreter;
struct Procedure;

// Our stand-in for the script control with its Language set to "VBScript": code is added with
// AddCode (which runs its module-level statements), procedures are called with Run, and Reset
// forgets everything. Failures raise ScriptError and are kept in Error() as the control's Error
// object keeps them (Number, Description, Line, Column). Scripts get no file, process or object
// creation access; a cancel check polled while it runs stops a runaway script, and a memory
// budget bounds what its values take.
class ScriptControl
{
public:
    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl &) = delete;
    ScriptControl &operator=(const ScriptControl &) = delete;

    QString Language() const { return m_language; }
    // Only "VBScript" is offered; any other language raises error 380.
    void setLanguage(const QString &language);
    bool AllowUI() const { return m_allowUI; }
    void setAllowUI(bool allow);
    // Milliseconds one AddCode or Run may take; -1 (the default) for no limit.
    int Timeout() const { return m_timeout; }
    void setTimeout(int ms);
    // Asked every few thousand statements and at least every few hundredths of a second while a
    // script runs; true stops the script with error 18.
    void setCancelCheck(std::function<bool()> check);
    // Bytes the script's values may take together; beyond it a statement fails with error 7.
    std::int64_t MemoryBudget() const;
    void setMemoryBudget(std::int64_t bytes);

    void AddCode(const QString &code);
    com::Variant Run(const QString &name, std::vector<com::Variant> args = {});
    void Reset();

    // The last error, if the last AddCode or Run failed.
    const ScriptError *Error() const { return m_error ? &*m_error : nullptr; }
    void clearError() { m_error.reset(); }

private:
    [[noreturn]] void fail(const ScriptError &e);

    std::unique_ptr<Interpreter> m_interpreter;
    QString m_language;
    bool m_allowUI = true;
    int m_timeout = -1;
    std::optional<ScriptError> m_error;
    QString m_lastName;
    Procedure *m_lastProcedure = nullptr;
};

} // namespace vbs

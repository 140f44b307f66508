#include "platform/vbscript/ScriptControl.h"

#include "platform/vbscript/Interpreter.h"

#include <new>

namespace vbs {

ScriptControl::ScriptControl()
    : m_interpreter(std::make_unique<Interpreter>()), m_language(QStringLiteral("VBScript"))
{
}

ScriptControl::~ScriptControl() = default;

void ScriptControl::setLanguage(const QString &language)
{
    if (language.compare(QLatin1String("VBScript"), Qt::CaseInsensitive) != 0)
        throw BasicError(380, QStringLiteral("Invalid property value: the language \"%1\" is not "
                                             "available (only VBScript is)")
                                  .arg(language));
    m_language = QStringLiteral("VBScript");
}

void ScriptControl::setAllowUI(bool allow)
{
    m_allowUI = allow;
    m_interpreter->setAllowUI(allow);
}

void ScriptControl::setTimeout(int ms)
{
    m_timeout = ms;
    m_interpreter->setTimeout(ms);
}

void ScriptControl::setCancelCheck(std::function<bool()> check)
{
    m_interpreter->setCancelCheck(std::move(check));
}

std::int64_t ScriptControl::MemoryBudget() const
{
    return m_interpreter->memoryBudget();
}

void ScriptControl::setMemoryBudget(std::int64_t bytes)
{
    m_interpreter->setMemoryBudget(bytes);
}

void ScriptControl::fail(const ScriptError &e)
{
    m_error = e;
    throw e;
}

void ScriptControl::AddCode(const QString &code)
{
    m_error.reset();
    m_lastProcedure = nullptr;
    try {
        m_interpreter->addCode(code);
    } catch (const ScriptError &e) {
        ScriptError located = e;
        if (e.isSyntax() && e.line() > 0) {
            // The lines as the lexer counts them: CR LF, LF or CR each end one.
            qsizetype start = 0;
            for (int line = 1; line < e.line() && start < code.size(); ++line) {
                qsizetype end = start;
                while (end < code.size() && code[end] != QLatin1Char('\n') &&
                       code[end] != QLatin1Char('\r'))
                    ++end;
                if (end + 1 < code.size() && code[end] == QLatin1Char('\r') &&
                    code[end + 1] == QLatin1Char('\n'))
                    ++end;
                start = end + 1;
            }
            qsizetype end = start;
            while (end < code.size() && code[end] != QLatin1Char('\n') &&
                   code[end] != QLatin1Char('\r'))
                ++end;
            located.setText(code.mid(start, std::min<qsizetype>(end - start, 1000)));
        }
        fail(located);
    } catch (const BasicError &e) {
        fail(ScriptError(e.number(), e.description()));
    } catch (const std::bad_alloc &) {
        fail(ScriptError(7, QString()));
    }
}

com::Variant ScriptControl::Run(const QString &name, std::vector<com::Variant> args)
{
    m_error.reset();
    if (!m_lastProcedure || name != m_lastName) {
        m_lastProcedure = m_interpreter->findProcedure(name);
        m_lastName = name;
        if (!m_lastProcedure)
            fail(ScriptError(35, QStringLiteral("Sub or Function not defined: '%1'").arg(name)));
    }
    try {
        return m_interpreter->call(*m_lastProcedure, args);
    } catch (const ScriptError &e) {
        fail(e);
    } catch (const BasicError &e) {
        fail(ScriptError(e.number(), e.description()));
    } catch (const std::bad_alloc &) {
        fail(ScriptError(7, QString()));
    }
}

void ScriptControl::Reset()
{
    m_interpreter->reset();
    m_lastProcedure = nullptr;
    m_lastName.clear();
    m_error.reset();
}

} // namespace vbs

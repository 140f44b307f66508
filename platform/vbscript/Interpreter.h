#pragma once

#include "platform/com/Variant.h"
#include "platform/vbscript/ScriptError.h"
#include "platform/vbscript/SyntaxTree.h"

#include <QElapsedTimer>
#include <QHash>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace vbs {

class ErrObject;

// Runs bound syntax trees. Holds the global variables and procedures of every piece of code
// added since the last reset, the Err object, and the guards against runaway scripts: a call
// depth limit, a budget for the memory its values take, and a work counter that reads the clock
// every few hundred statements and asks a cancel callback every few thousand statements or
// every kPollMs, whichever comes first. Work that handles much data (long texts, big arrays,
// long loops inside built-ins) counts for more than one statement.
class Interpreter
{
public:
    static constexpr int kMaxCallDepth = 1000;
    static constexpr int kPollInterval = 4096;
    static constexpr int kClockInterval = 256;
    static constexpr int kPollMs = 20;
    // Bytes the values a script holds may take together (texts, arrays and what they hold,
    // match collections); beyond it the statement fails with error 7.
    static constexpr std::int64_t kDefaultMemoryBudget = 256LL * 1024 * 1024;
    // Machine stack that nested script calls may use; well inside a thread's usual 8 MiB.
    static constexpr std::uintptr_t kMaxStackBytes = 2 * 1024 * 1024;

    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter &) = delete;
    Interpreter &operator=(const Interpreter &) = delete;

    // Parses, binds and runs the module-level code of `text`; its procedures join the ones
    // already added. Raises ScriptError.
    void addCode(const QString &text);
    // Forgets every procedure and variable.
    void reset();

    Procedure *findProcedure(const QString &name) const;
    // Calls a procedure with arguments passed by value; raises ScriptError (450 on a wrong
    // argument count).
    com::Variant call(Procedure &proc, std::vector<com::Variant> &args);

    // Polled every kPollInterval statements: returning true stops the script with error 18.
    void setCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    // Milliseconds a single AddCode or call may run; <= 0 for no limit.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    void setAllowUI(bool allow) { m_allowUI = allow; }
    void setMemoryBudget(std::int64_t bytes);
    std::int64_t memoryBudget() const { return m_memoryBudget; }

    // For built-ins and the runtime's objects, while a script runs on this thread (they do
    // nothing otherwise): `work` adds units of work (one is about a statement), `pulse` is
    // called by long loops every thousand or so turns to read the clock, `made` counts the bytes
    // of a value being made against the memory budget. Each may end the script (18) or raise
    // 7.
    static void work(std::int64_t units);
    static void pulse();
    static void made(std::int64_t bytes);
    bool allowUI() const { return m_allowUI; }

    // For the binder: global variable vars by name (case-insensitive).
    int findGlobal(const QString &name) const;
    int declareGlobal(const QString &name);
    // Counts the pieces of code added; names bound as Implicit look again when it changes.
    int generation() const { return m_generation; }
    // Random numbers for Rnd.
    double random(double n);

private:
    enum class Flow { Normal, ExitFor, ExitDo, ExitProc };
    // Marks this interpreter as the one running on the thread (a message box or the cancel
    // poll may run another one meanwhile).
    struct Running
    {
        explicit Running(Interpreter &interpreter);
        ~Running();
        Interpreter &m_interpreter;
        Interpreter *m_outer;
    };
    // Values that an evaluation holds on the machine stack while it evaluates more (an
    // operator's left side, a call's arguments): the memory census counts them too. They form
    // a chain through the stack frames, innermost first.
    struct Temps
    {
        Temps(Interpreter &interpreter, const com::Variant *data, std::size_t count)
            : m_top(interpreter.m_temps), m_outer(interpreter.m_temps), m_data(data), m_count(count)
        {
            m_top = this;
        }
        ~Temps() { m_top = m_outer; }
        Temps(const Temps &) = delete;
        Temps &operator=(const Temps &) = delete;
        Temps *&m_top;
        Temps *m_outer;
        const com::Variant *m_data;
        std::size_t m_count;
    };
    struct Frame
    {
        com::Variant *vars = nullptr;
        const Procedure *proc = nullptr;
        bool resumeNext = false;
        bool optionExplicit = false;
    };

    Flow execBlock(const Block &block, Frame &f);
    Flow execStmt(const Stmt &s, Frame &f);
    Flow execIf(const IfStmt &s, Frame &f);
    Flow execSelect(const SelectStmt &s, Frame &f);
    Flow execFor(const ForStmt &s, Frame &f);
    Flow execForEach(const ForEachStmt &s, Frame &f);
    Flow execDo(const DoStmt &s, Frame &f);
    void execDim(const DimStmt &s, Frame &f);
    void execReDim(const ReDimStmt &s, Frame &f);
    void execErase(const EraseStmt &s, Frame &f);

    com::Variant eval(const Expr &e, Frame &f);
    com::Variant evalName(const NameExpr &n, Frame &f);
    com::Variant evalMember(const MemberExpr &m, Frame &f);
    com::Variant evalNew(const NewExpr &n);
    com::Variant callProc(Procedure &proc, const NameExpr &n, Frame &f);
    com::Variant callBuiltin(const NameExpr &n, Frame &f);
    com::Variant invoke(Procedure &proc, com::Variant *args, int argc);
    com::Variant index(const com::Variant &base, const std::vector<ExprPtr> &args, Frame &f,
                       const QString &name);
    com::Variant &element(com::Variant &base, const std::vector<ExprPtr> &args, Frame &f,
                          const QString &name);
    std::vector<com::Variant> evalArgs(const std::vector<ExprPtr> &args, Frame &f);
    // The variable a name stands for; null when it is no variable (a procedure, a constant).
    com::Variant *variable(const NameExpr &n, Frame &f);
    // Binds a name to the procedure or global variable of that name; false when there is none.
    bool bindKnown(const NameExpr &n);
    void bindDynamic(const NameExpr &n, Frame &f);
    // An Implicit name finds a global or procedure that code added later defined.
    void recheckImplicit(const NameExpr &n);
    void assign(const Expr &target, com::Variant value, Frame &f, bool isSet);
    void store(com::Variant &slot, com::Variant value);

    void checkIdle() const;
    void addWork(std::int64_t units)
    {
        m_steps += units;
        if (m_steps >= m_nextTick) tick();
    }
    // Work in proportion to the characters of the texts among `values`.
    void textWork(const com::Variant *values, int count);
    void textWork(const com::Variant &x, const com::Variant &y);
    void tick();
    void poll();
    // Counts `bytes` about to be held (or `pending`, a value already made that nothing holds
    // yet) against the budget; takes a census of every value held when enough was made since
    // the last one, and raises 7 when they exceed the budget.
    void charge(std::int64_t bytes, const com::Variant *pending = nullptr)
    {
        m_made += bytes;
        if (m_made > m_madeLimit || bytes >= kWorkBytes) chargeSlowly(bytes, pending);
    }
    void chargeSlowly(std::int64_t bytes, const com::Variant *pending);
    void chargeValue(const com::Variant &value);
    void setHeld(std::int64_t bytes);
    void census(std::int64_t bytes, const com::Variant *pending);
    [[noreturn]] void raise(int number, const QString &description = QString());
    ScriptError located(const BasicError &e) const;
    void recordError(const ScriptError &e);
    void runProgram(Program &program);
    void startClock();

    std::vector<std::unique_ptr<Program>> m_programs;
    QHash<QString, Procedure *> m_procedures;
    QHash<QString, int> m_globalIndex;
    std::vector<com::Variant> m_globals;
    std::shared_ptr<ErrObject> m_err;
    com::Variant m_errVariant;
    std::deque<std::vector<com::Variant>> m_framePool;
    std::vector<com::Variant> m_withStack;
    int m_depth = 0;
    int m_running = 0;
    int m_generation = 0;
    std::uintptr_t m_stackBase = 0;
    int m_line = 0;
    std::int64_t m_steps = 0;
    std::int64_t m_nextTick = kClockInterval;
    std::int64_t m_nextPoll = kPollInterval;
    QElapsedTimer m_pollClock;
    Temps *m_temps = nullptr;
    std::int64_t m_memoryBudget = kDefaultMemoryBudget;
    std::int64_t m_held = 0; // bytes held at the last census
    std::int64_t m_made = 0; // bytes made since
    // Made bytes that call for a census: the budget's rest, and at least a sixteenth of it so
    // that a script near the budget is not counted through at every step.
    std::int64_t m_madeLimit = kDefaultMemoryBudget;
    // Bytes made that count as a unit of work.
    static constexpr std::int64_t kWorkBytes = 16 * 1024;
    std::function<bool()> m_cancelCheck;
    int m_timeoutMs = 0;
    QElapsedTimer m_clock;
    bool m_allowUI = true;
    std::uint32_t m_seed = 0x50000;
    double m_lastRandom = 0;
};

} // namespace vbs

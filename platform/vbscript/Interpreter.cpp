#include "platform/vbscript/Interpreter.h"

#include "platform/com/DispatchObject.h"
#include "platform/com/VariantArray.h"
#include "platform/vbscript/Builtins.h"
#include "platform/vbscript/ErrObject.h"
#include "platform/vbscript/Operators.h"
#include "platform/vbscript/Parser.h"
#include "platform/vbscript/RegExpObject.h"
#include "platform/vbscript/Resolver.h"
#include "platform/vbscript/ValueCensus.h"

#include <cmath>
#include <memory>
#include <new>

namespace vbs {

using com::Variant;

namespace {

bool isHard(const Expr &e)
{
    if (e.kind == Expr::Literal) return static_cast<const LiteralExpr &>(e).hard;
    if (e.kind == Expr::Name) return static_cast<const NameExpr &>(e).binding == NameExpr::Constant;
    if (e.kind == Expr::Paren) return isHard(*static_cast<const ParenExpr &>(e).inner);
    return false;
}

QString quoted(const QString &description, const QString &name)
{
    return QStringLiteral("%1: '%2'").arg(description, name);
}

// The interpreter running on this thread, for the built-ins' work and memory accounting.
thread_local Interpreter *t_running = nullptr;

// Texts shorter than this add no work beyond their statement's.
constexpr qsizetype kWorkChars = 4096;

} // namespace

Interpreter::Running::Running(Interpreter &interpreter)
    : m_interpreter(interpreter), m_outer(t_running)
{
    ++interpreter.m_running;
    t_running = &interpreter;
}

Interpreter::Running::~Running()
{
    --m_interpreter.m_running;
    t_running = m_outer;
}

Interpreter::Interpreter() : m_err(std::make_shared<ErrObject>())
{
    m_errVariant = Variant(std::static_pointer_cast<com::DispatchObject>(m_err));
}

Interpreter::~Interpreter() = default;

void Interpreter::checkIdle() const
{
    // Scripts run on the user-interface thread, which a message box or the cancel poll may
    // re-enter: the code that runs must stay alive until it returns.
    if (m_running > 0)
        throw ScriptError(5, QStringLiteral("Invalid procedure call or argument: code cannot be "
                                            "added or reset while a script runs"));
}

void Interpreter::reset()
{
    checkIdle();
    m_programs.clear();
    m_procedures.clear();
    m_globalIndex.clear();
    m_globals.clear();
    m_framePool.clear();
    m_withStack.clear();
    m_err->clear();
    m_depth = 0;
    m_line = 0;
    setHeld(0);
}

int Interpreter::findGlobal(const QString &name) const
{
    return m_globalIndex.value(name.toLower(), -1);
}

int Interpreter::declareGlobal(const QString &name)
{
    QString k = name.toLower();
    auto it = m_globalIndex.constFind(k);
    if (it != m_globalIndex.constEnd()) return *it;
    int slot = int(m_globals.size());
    m_globals.emplace_back();
    m_globalIndex.insert(k, slot);
    return slot;
}

Procedure *Interpreter::findProcedure(const QString &name) const
{
    return m_procedures.value(name.toLower(), nullptr);
}

double Interpreter::random(double n)
{
    if (n == 0) return m_lastRandom;
    if (n < 0) m_seed = std::uint32_t(std::int64_t(n * 16777216.0)) & 0xFFFFFF;
    m_seed = (m_seed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
    m_lastRandom = double(m_seed) / 16777216.0;
    return m_lastRandom;
}

void Interpreter::startClock()
{
    if (m_depth == 0) {
        // Reading the clock costs as much as a short script: only when a time limit is set.
        if (m_timeoutMs > 0)
            m_clock.start();
        else
            m_clock.invalidate();
        m_nextTick = m_steps + kClockInterval;
        m_nextPoll = m_steps + kPollInterval;
        // The clock for the cancel poll starts at the first tick: short calls never read it.
        m_pollClock.invalidate();
        m_stackBase = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        Operators::startBudget();
    }
}

void Interpreter::addCode(const QString &text)
{
    checkIdle();
    std::unique_ptr<Program> program = Parser::parse(text);
    Resolver(*this, *program).resolve();
    for (auto &p : program->procedures)
        m_procedures.insert(p->name.toLower(), p.get());
    ++m_generation;
    m_programs.push_back(std::move(program));
    runProgram(*m_programs.back());
}

void Interpreter::runProgram(Program &program)
{
    startClock();
    Running running(*this);
    Frame f;
    f.optionExplicit = program.optionExplicit;
    int savedLine = m_line;
    try {
        execBlock(program.body, f);
    } catch (const ScriptError &) {
        m_line = savedLine;
        throw;
    }
    m_line = savedLine;
}

Variant Interpreter::call(Procedure &proc, std::vector<Variant> &args)
{
    if (args.size() != proc.params.size())
        throw ScriptError(450, quoted(BasicError::standardDescription(450), proc.name), proc.line);
    startClock();
    Running running(*this);
    return invoke(proc, args.data(), int(args.size()));
}

void Interpreter::work(std::int64_t units)
{
    if (Interpreter *i = t_running) i->addWork(units);
}

void Interpreter::pulse()
{
    if (Interpreter *i = t_running) i->tick();
}

void Interpreter::made(std::int64_t bytes)
{
    if (Interpreter *i = t_running) i->charge(bytes);
}

void Interpreter::textWork(const Variant &x, const Variant &y)
{
    qsizetype chars =
        (x.isString() ? x.stringValue().size() : 0) + (y.isString() ? y.stringValue().size() : 0);
    if (chars >= kWorkChars) addWork(chars / kWorkChars);
}

void Interpreter::textWork(const Variant *values, int count)
{
    qsizetype chars = 0;
    for (int i = 0; i < count; ++i)
        if (values[i].isString()) chars += values[i].stringValue().size();
    if (chars >= kWorkChars) addWork(chars / kWorkChars);
}

void Interpreter::tick()
{
    m_nextTick = m_steps + kClockInterval;
    if (m_steps >= m_nextPoll) {
        poll();
    } else if (!m_pollClock.isValid()) {
        m_pollClock.start();
    } else if (m_pollClock.elapsed() >= kPollMs) {
        poll();
    }
}

void Interpreter::setMemoryBudget(std::int64_t bytes)
{
    m_memoryBudget = bytes;
    setHeld(m_held);
}

void Interpreter::setHeld(std::int64_t bytes)
{
    m_held = bytes;
    m_made = 0;
    m_madeLimit = std::max(m_memoryBudget - m_held, m_memoryBudget / 16);
}

void Interpreter::chargeSlowly(std::int64_t bytes, const Variant *pending)
{
    if (m_made > m_madeLimit) census(bytes, pending);
    addWork(bytes / kWorkBytes);
}

void Interpreter::chargeValue(const Variant &value)
{
    std::int64_t bytes = ValueCensus::shallowBytes(value);
    if (value.isArray()) {
        // A new array's texts are new too (Split, Filter).
        auto array = value.array();
        for (std::size_t i = 0; array && i < array->size(); ++i)
            if (array->flat(i).isString()) bytes += ValueCensus::shallowBytes(array->flat(i));
    } else if (value.isObject()) {
        ValueCensus census;
        census.add(value);
        bytes = census.bytes();
    }
    if (bytes > 0) charge(bytes, &value);
}

void Interpreter::census(std::int64_t bytes, const Variant *pending)
{
    ValueCensus census;
    census.add(m_globals.data(), m_globals.size());
    for (const auto &frame : m_framePool)
        census.add(frame.data(), frame.size());
    census.add(m_withStack.data(), m_withStack.size());
    for (const Temps *t = m_temps; t; t = t->m_outer)
        census.add(t->m_data, t->m_count);
    if (pending) census.add(*pending);
    setHeld(census.bytes() + (pending ? 0 : bytes));
    if (m_held > m_memoryBudget)
        throw BasicError(7, QStringLiteral("Out of memory (the script's values would take more "
                                           "than %1 MiB)")
                                .arg(m_memoryBudget / (1024 * 1024)));
}

void Interpreter::poll()
{
    m_nextPoll = m_steps + kPollInterval;
    m_nextTick = m_steps + kClockInterval;
    m_pollClock.start();
    if (m_cancelCheck && m_cancelCheck()) {
        ScriptError e(18,
                      QStringLiteral("User interrupt occurred: the script was stopped "
                                     "because the comparison was cancelled"),
                      m_line);
        e.setCatchable(false);
        throw e;
    }
    if (m_timeoutMs > 0 && m_clock.isValid() && m_clock.elapsed() > m_timeoutMs) {
        ScriptError e(18,
                      QStringLiteral("User interrupt occurred: the script ran longer than "
                                     "its time limit of %1 ms")
                          .arg(m_timeoutMs),
                      m_line);
        e.setCatchable(false);
        throw e;
    }
}

void Interpreter::raise(int number, const QString &description)
{
    throw ScriptError(number, description, m_line);
}

ScriptError Interpreter::located(const BasicError &e) const
{
    QString description = e.description();
    // Members that an object lacks are named in the message.
    if (e.number() == BasicError::ObjectDoesNotSupport && !e.source().isEmpty())
        description = quoted(description, e.source());
    return ScriptError(e.number(), description, m_line);
}

void Interpreter::recordError(const ScriptError &e)
{
    m_err->set(e.number(), e.description(), e.source());
}

Interpreter::Flow Interpreter::execBlock(const Block &block, Frame &f)
{
    for (const StmtPtr &sp : block) {
        const Stmt &s = *sp;
        m_line = s.line;
        if (++m_steps >= m_nextTick) tick();
        try {
            Flow flow = execStmt(s, f);
            if (flow != Flow::Normal) return flow;
        } catch (ScriptError &e) {
            if (e.line() == 0) e.setLine(m_line);
            if (!f.resumeNext || !e.catchable()) throw;
            recordError(e);
        } catch (const BasicError &e) {
            ScriptError located = this->located(e);
            if (!f.resumeNext) throw located;
            recordError(located);
        } catch (const std::bad_alloc &) {
            ScriptError located(7, QString(), m_line);
            if (!f.resumeNext) throw located;
            recordError(located);
        }
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execStmt(const Stmt &s, Frame &f)
{
    switch (s.kind) {
    case Stmt::Assign: {
        const auto &a = static_cast<const AssignStmt &>(s);
        Variant v = eval(*a.value, f);
        Temps keep(*this, &v, 1);
        if (a.isSet) {
            if (!v.isObject()) raise(BasicError::ObjectRequired);
        } else if (v.isObject()) {
            v = Operators::deref(v);
        }
        assign(*a.target, std::move(v), f, a.isSet);
        return Flow::Normal;
    }
    case Stmt::Call: {
        const Expr &c = *static_cast<const CallStmt &>(s).call;
        if (c.kind == Expr::Name) {
            const auto &n = static_cast<const NameExpr &>(c);
            if (n.binding == NameExpr::Constant)
                raise(13, quoted(BasicError::standardDescription(13), n.name));
        }
        eval(c, f);
        return Flow::Normal;
    }
    case Stmt::Dim:
        execDim(static_cast<const DimStmt &>(s), f);
        return Flow::Normal;
    case Stmt::ReDim:
        execReDim(static_cast<const ReDimStmt &>(s), f);
        return Flow::Normal;
    case Stmt::If:
        return execIf(static_cast<const IfStmt &>(s), f);
    case Stmt::Select:
        return execSelect(static_cast<const SelectStmt &>(s), f);
    case Stmt::For:
        return execFor(static_cast<const ForStmt &>(s), f);
    case Stmt::ForEach:
        return execForEach(static_cast<const ForEachStmt &>(s), f);
    case Stmt::Do:
        return execDo(static_cast<const DoStmt &>(s), f);
    case Stmt::Exit:
        switch (static_cast<const ExitStmt &>(s).what) {
        case ExitStmt::Do:
            return Flow::ExitDo;
        case ExitStmt::For:
            return Flow::ExitFor;
        default:
            m_err->clear();
            return Flow::ExitProc;
        }
    case Stmt::OnError:
        f.resumeNext = static_cast<const OnErrorStmt &>(s).resumeNext;
        m_err->clear();
        return Flow::Normal;
    case Stmt::Erase:
        execErase(static_cast<const EraseStmt &>(s), f);
        return Flow::Normal;
    case Stmt::With: {
        const auto &w = static_cast<const WithStmt &>(s);
        Variant object = eval(*w.object, f);
        if (!object.isObject()) raise(BasicError::ObjectRequired);
        m_withStack.push_back(std::move(object));
        struct Pop
        {
            std::vector<Variant> &stack;
            ~Pop() { stack.pop_back(); }
        } pop{m_withStack};
        return execBlock(w.body, f);
    }
    case Stmt::Const:
    case Stmt::Nop:
        return Flow::Normal;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execIf(const IfStmt &s, Frame &f)
{
    for (const auto &b : s.branches) {
        m_line = b.line;
        bool c;
        if (f.resumeNext) {
            // An error in the condition resumes with the next statement: the branch's first.
            try {
                c = Operators::truth(eval(*b.cond, f));
            } catch (ScriptError &e) {
                if (!e.catchable()) throw;
                if (e.line() == 0) e.setLine(m_line);
                recordError(e);
                c = true;
            } catch (const BasicError &e) {
                recordError(located(e));
                c = true;
            }
        } else {
            c = Operators::truth(eval(*b.cond, f));
        }
        if (c) return execBlock(b.body, f);
    }
    return execBlock(s.elseBody, f);
}

Interpreter::Flow Interpreter::execSelect(const SelectStmt &s, Frame &f)
{
    Variant test = eval(*s.test, f);
    Temps keep(*this, &test, 1);
    bool hardTest = isHard(*s.test);
    for (const auto &c : s.cases) {
        m_line = c.line;
        for (const auto &item : c.items) {
            Variant a = eval(*item.a, f);
            bool hardA = isHard(*item.a);
            bool match = false;
            if (item.kind == SelectStmt::Item::Value) {
                match = Operators::compare(test, a, hardTest, hardA) == 0;
            } else if (item.kind == SelectStmt::Item::Range) {
                Variant b = eval(*item.b, f);
                int lo = Operators::compare(test, a, hardTest, hardA);
                int hi = Operators::compare(test, b, hardTest, isHard(*item.b));
                match = lo != Operators::kNullResult && hi != Operators::kNullResult && lo >= 0 &&
                        hi <= 0;
            } else {
                Variant r = Operators::binary(item.op, test, a, hardTest, hardA);
                match = r.isBoolean() && r.boolValue();
            }
            if (match) return execBlock(c.body, f);
        }
    }
    return execBlock(s.elseBody, f);
}

Interpreter::Flow Interpreter::execFor(const ForStmt &s, Frame &f)
{
    Variant from = Operators::deref(eval(*s.from, f));
    Variant to = Operators::deref(eval(*s.to, f));
    Variant step = s.step ? Operators::deref(eval(*s.step, f)) : Variant::fromInteger(1);
    for (const Variant *v : {&from, &to, &step})
        if (v->isNull()) raise(BasicError::InvalidUseOfNull);
    double limit = Operators::toDouble(to);
    double increment = Operators::toDouble(step);
    if (from.isString()) from = Variant(Operators::toDouble(from));
    assign(*s.var, from, f, false);
    for (;;) {
        m_line = s.line;
        Variant current = evalName(*s.var, f);
        double c = Operators::toDouble(Operators::deref(current));
        if (increment >= 0 ? c > limit : c < limit) break;
        if (++m_steps >= m_nextTick) tick();
        Flow flow = execBlock(s.body, f);
        if (flow == Flow::ExitFor) break;
        if (flow != Flow::Normal) return flow;
        m_line = s.line;
        assign(*s.var, Operators::add(evalName(*s.var, f), step), f, false);
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execForEach(const ForEachStmt &s, Frame &f)
{
    Variant collection = eval(*s.collection, f);
    Temps keepCollection(*this, &collection, 1);
    std::vector<Variant> items;
    if (auto arr = collection.array()) {
        for (std::size_t i = 0; i < arr->size(); ++i) {
            assign(*s.var, arr->flat(i), f, false);
            if (++m_steps >= m_nextTick) tick();
            Flow flow = execBlock(s.body, f);
            if (flow == Flow::ExitFor) break;
            if (flow != Flow::Normal) return flow;
        }
        return Flow::Normal;
    }
    auto object = collection.object();
    if (!object || !object->enumerate(&items))
        raise(451, QStringLiteral("Object not a collection"));
    Temps keepItems(*this, items.data(), items.size());
    charge(std::int64_t(items.size() * sizeof(Variant)));
    for (Variant &item : items) {
        assign(*s.var, item, f, item.isObject());
        if (++m_steps >= m_nextTick) tick();
        Flow flow = execBlock(s.body, f);
        if (flow == Flow::ExitFor) break;
        if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execDo(const DoStmt &s, Frame &f)
{
    for (;;) {
        if (s.condKind == DoStmt::PreWhile || s.condKind == DoStmt::PreUntil) {
            m_line = s.line;
            bool c = Operators::truth(eval(*s.cond, f));
            if (c != (s.condKind == DoStmt::PreWhile)) break;
        }
        if (++m_steps >= m_nextTick) tick();
        Flow flow = execBlock(s.body, f);
        if (flow == Flow::ExitDo) break;
        if (flow != Flow::Normal) return flow;
        if (s.condKind == DoStmt::PostWhile || s.condKind == DoStmt::PostUntil) {
            m_line = s.loopLine;
            bool c = Operators::truth(eval(*s.cond, f));
            if (c != (s.condKind == DoStmt::PostWhile)) break;
        }
    }
    return Flow::Normal;
}

namespace {

std::int64_t slotBytes(const std::vector<com::VariantArray::Bound> &bounds)
{
    std::int64_t count = 1;
    for (const auto &b : bounds)
        count *= b.count;
    return count * std::int64_t(sizeof(Variant));
}

std::vector<com::VariantArray::Bound> boundsOf(const std::vector<Variant> &uppers)
{
    std::vector<com::VariantArray::Bound> bounds;
    std::int64_t total = 1;
    for (const Variant &u : uppers) {
        std::int32_t upper = Operators::toLong(u);
        if (upper < -1) throw BasicError(BasicError::SubscriptOutOfRange);
        bounds.push_back({0, upper + 1});
        total *= std::int64_t(upper) + 1;
        Operators::checkElements(total);
    }
    return bounds;
}

} // namespace

void Interpreter::execDim(const DimStmt &s, Frame &f)
{
    for (const DimItem &item : s.items) {
        if (!item.isArray) continue;
        Variant *slot = variable(*item.var, f);
        if (!slot || slot->isArray()) continue;
        std::shared_ptr<com::VariantArray> arr;
        if (item.bounds.empty()) {
            arr = std::make_shared<com::VariantArray>();
        } else {
            auto bounds = boundsOf(evalArgs(item.bounds, f));
            charge(slotBytes(bounds));
            arr = std::make_shared<com::VariantArray>(std::move(bounds));
            arr->setFixed(true);
        }
        *slot = Variant(arr);
    }
}

void Interpreter::execReDim(const ReDimStmt &s, Frame &f)
{
    for (const DimItem &item : s.items) {
        Variant *slot = variable(*item.var, f);
        if (!slot) raise(501, quoted(BasicError::standardDescription(501), item.var->name));
        auto bounds = boundsOf(evalArgs(item.bounds, f));
        auto arr = slot->array();
        if (arr && arr->isFixed()) raise(10);
        if (s.preserve && arr && arr->dimensions() > 0) {
            // Growing an array bit by bit charges the growth only.
            charge(std::max<std::int64_t>(0, slotBytes(bounds) -
                                                 std::int64_t(arr->size() * sizeof(Variant))));
            if (slot->isShared()) {
                arr = arr->clone();
                *slot = Variant(arr);
            }
            arr->redim(std::move(bounds), true, [] { pulse(); });
        } else {
            charge(slotBytes(bounds));
            *slot =
                Variant(std::make_shared<com::VariantArray>(std::move(bounds), [] { pulse(); }));
        }
    }
}

void Interpreter::execErase(const EraseStmt &s, Frame &f)
{
    for (const auto &var : s.vars) {
        Variant *slot = variable(*var, f);
        auto arr = slot ? slot->array() : nullptr;
        if (!arr) raise(BasicError::TypeMismatch);
        if (arr->isFixed()) {
            charge(std::int64_t(arr->size() * sizeof(Variant)));
            auto fresh = arr->clone();
            for (std::size_t i = 0; i < fresh->size(); ++i)
                fresh->flat(i) = Variant();
            *slot = Variant(fresh);
        } else {
            *slot = Variant(std::make_shared<com::VariantArray>());
        }
    }
}

Variant Interpreter::eval(const Expr &e, Frame &f)
{
    switch (e.kind) {
    case Expr::Literal:
        return static_cast<const LiteralExpr &>(e).value;
    case Expr::Name:
        return evalName(static_cast<const NameExpr &>(e), f);
    case Expr::Member:
        return evalMember(static_cast<const MemberExpr &>(e), f);
    case Expr::Unary: {
        const auto &u = static_cast<const UnaryExpr &>(e);
        return Operators::unary(u.op, eval(*u.operand, f));
    }
    case Expr::Binary: {
        const auto &b = static_cast<const BinaryExpr &>(e);
        Variant x = eval(*b.lhs, f);
        Temps keep(*this, &x, 1);
        Variant y = eval(*b.rhs, f);
        if (x.isString() || y.isString()) textWork(x, y);
        if (b.op >= Op::Eq && b.op <= Op::Ge)
            return Operators::binary(b.op, x, y, isHard(*b.lhs), isHard(*b.rhs));
        return Operators::binary(b.op, x, y);
    }
    case Expr::Paren:
        return eval(*static_cast<const ParenExpr &>(e).inner, f);
    case Expr::New:
        return evalNew(static_cast<const NewExpr &>(e));
    case Expr::WithObject:
        return m_withStack.back();
    case Expr::Index: {
        const auto &i = static_cast<const IndexExpr &>(e);
        return index(eval(*i.base, f), i.args, f, QStringLiteral("()"));
    }
    }
    return Variant();
}

bool Interpreter::bindKnown(const NameExpr &n)
{
    auto &m = const_cast<NameExpr &>(n);
    if (Procedure *p = findProcedure(n.name)) {
        m.binding = NameExpr::Proc;
        m.proc = p;
        return true;
    }
    int slot = findGlobal(n.name);
    if (slot >= 0) {
        m.binding = NameExpr::Global;
        m.slot = slot;
        return true;
    }
    return false;
}

void Interpreter::bindDynamic(const NameExpr &n, Frame &f)
{
    if (bindKnown(n)) return;
    if (f.optionExplicit || !n.hasArgs)
        raise(500, quoted(BasicError::standardDescription(500), n.name));
    raise(13, quoted(BasicError::standardDescription(13), n.name));
}

void Interpreter::recheckImplicit(const NameExpr &n)
{
    const_cast<NameExpr &>(n).generation = m_generation;
    bindKnown(n);
}

Variant Interpreter::evalName(const NameExpr &n, Frame &f)
{
    if (n.binding == NameExpr::Implicit && n.generation != m_generation) {
        recheckImplicit(n);
        return evalName(n, f);
    }
    switch (n.binding) {
    case NameExpr::Implicit:
    case NameExpr::Local:
        if (!n.hasArgs) return f.vars[n.slot];
        return index(f.vars[n.slot], n.args, f, n.name);
    case NameExpr::Global:
        if (!n.hasArgs) return m_globals[std::size_t(n.slot)];
        return index(m_globals[std::size_t(n.slot)], n.args, f, n.name);
    case NameExpr::Constant:
        if (n.hasArgs) raise(13, quoted(BasicError::standardDescription(13), n.name));
        return n.constant;
    case NameExpr::Proc:
        return callProc(*n.proc, n, f);
    case NameExpr::Builtin:
        return callBuiltin(n, f);
    case NameExpr::ErrObject:
        if (n.hasArgs) return index(m_errVariant, n.args, f, n.name);
        return m_errVariant;
    case NameExpr::Dynamic:
        bindDynamic(n, f);
        return evalName(n, f);
    case NameExpr::Unbound:
        break;
    }
    raise(500, quoted(BasicError::standardDescription(500), n.name));
}

std::vector<Variant> Interpreter::evalArgs(const std::vector<ExprPtr> &args, Frame &f)
{
    std::vector<Variant> out(args.size());
    Temps keep(*this, out.data(), out.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        out[i] = eval(*args[i], f);
    return out;
}

Variant Interpreter::index(const Variant &base, const std::vector<ExprPtr> &args, Frame &f,
                           const QString &name)
{
    if (base.isArray()) {
        Variant copy = base;
        Temps keep(*this, &copy, 1);
        return element(copy, args, f, name);
    }
    if (base.isObject()) {
        auto object = base.object();
        if (!object) raise(BasicError::ObjectVariableNotSet);
        std::vector<Variant> values = evalArgs(args, f);
        QString member = object->defaultMember();
        if (member.isEmpty())
            raise(BasicError::ObjectDoesNotSupport,
                  quoted(BasicError::standardDescription(438), name));
        return object->invoke(member, values);
    }
    raise(13, quoted(BasicError::standardDescription(13), name));
}

Variant &Interpreter::element(Variant &base, const std::vector<ExprPtr> &args, Frame &f,
                              const QString &name)
{
    auto arr = base.array();
    if (!arr) raise(13, quoted(BasicError::standardDescription(13), name));
    if (args.size() == 1) return arr->at(Operators::toLong(eval(*args[0], f)));
    if (args.size() == 2) {
        std::int32_t i = Operators::toLong(eval(*args[0], f));
        std::int32_t j = Operators::toLong(eval(*args[1], f));
        return arr->at(i, j);
    }
    std::vector<int> indexes;
    for (const auto &a : args)
        indexes.push_back(Operators::toLong(eval(*a, f)));
    return arr->at(indexes);
}

Variant *Interpreter::variable(const NameExpr &n, Frame &f)
{
    if (n.binding == NameExpr::Implicit && n.generation != m_generation) recheckImplicit(n);
    switch (n.binding) {
    case NameExpr::Implicit:
    case NameExpr::Local:
        return &f.vars[n.slot];
    case NameExpr::Global:
        return &m_globals[std::size_t(n.slot)];
    case NameExpr::Dynamic: {
        int slot = findGlobal(n.name);
        if (slot < 0) {
            if (f.optionExplicit) raise(500, quoted(BasicError::standardDescription(500), n.name));
            slot = declareGlobal(n.name);
        }
        auto &m = const_cast<NameExpr &>(n);
        m.binding = NameExpr::Global;
        m.slot = slot;
        return &m_globals[std::size_t(slot)];
    }
    default:
        return nullptr;
    }
}

void Interpreter::store(Variant &slot, Variant value)
{
    if (value.isString()) {
        // A text that something else holds too takes nothing more here.
        const QString &text = value.stringValue();
        if (!text.isEmpty() && text.isDetached())
            charge(ValueCensus::textBytes(text.size()), &value);
    } else if (value.isArray()) {
        if (value.isShared()) {
            // Arrays are values: a copy still referenced elsewhere is duplicated.
            charge(ValueCensus::shallowBytes(value));
            auto copy = value.array()->clone();
            copy->setFixed(false);
            value = Variant(copy);
        } else {
            charge(ValueCensus::shallowBytes(value), &value);
        }
    } else if (value.isObject() && !value.isShared()) {
        charge(ValueCensus::shallowBytes(value), &value);
    }
    slot = std::move(value);
}

void Interpreter::assign(const Expr &target, Variant value, Frame &f, bool isSet)
{
    if (target.kind == Expr::Member) {
        const auto &m = static_cast<const MemberExpr &>(target);
        Variant o = eval(*m.object, f);
        auto object = o.object();
        if (!o.isObject())
            raise(BasicError::ObjectRequired, quoted(BasicError::standardDescription(424), m.name));
        if (!object) raise(BasicError::ObjectVariableNotSet);
        object->put(m.name, evalArgs(m.args, f), value);
        return;
    }
    if (target.kind != Expr::Name)
        raise(501, QStringLiteral("Illegal assignment: an element of a result cannot be "
                                  "assigned"));
    const auto &n = static_cast<const NameExpr &>(target);
    Variant *slot = variable(n, f);
    if (!slot) {
        if (n.binding == NameExpr::ErrObject && n.hasArgs == false && !isSet) {
            m_err->put(QStringLiteral("Number"), {}, value);
            return;
        }
        raise(501, quoted(BasicError::standardDescription(501), n.name));
    }
    if (!n.hasArgs) {
        if (slot->isArray() && slot->array()->isFixed()) raise(10);
        store(*slot, std::move(value));
        return;
    }
    if (slot->isObject()) {
        auto object = slot->object();
        if (!object) raise(BasicError::ObjectVariableNotSet);
        object->put(object->defaultMember(), evalArgs(n.args, f), value);
        return;
    }
    if (slot->isShared() && slot->isArray()) {
        charge(std::int64_t(slot->array()->size() * sizeof(Variant)));
        auto copy = slot->array()->clone();
        *slot = Variant(copy);
    }
    Operators::checkNesting(value);
    Variant &e = element(*slot, n.args, f, n.name);
    store(e, std::move(value));
}

Variant Interpreter::evalMember(const MemberExpr &m, Frame &f)
{
    Variant o = eval(*m.object, f);
    if (!o.isObject())
        raise(BasicError::ObjectRequired, quoted(BasicError::standardDescription(424), m.name));
    auto object = o.object();
    if (!object) raise(BasicError::ObjectVariableNotSet);
    std::vector<Variant> args = evalArgs(m.args, f);
    try {
        Variant result = object->invoke(m.name, args);
        if (result.isString() || result.isObject()) chargeValue(result);
        return result;
    } catch (const ScriptError &) {
        throw;
    } catch (const BasicError &e) {
        if (e.number() == BasicError::ObjectDoesNotSupport)
            raise(438, quoted(BasicError::standardDescription(438), m.name));
        throw;
    }
}

Variant Interpreter::evalNew(const NewExpr &n)
{
    if (n.className.compare(QLatin1String("RegExp"), Qt::CaseInsensitive) == 0)
        return Variant(
            std::static_pointer_cast<com::DispatchObject>(std::make_shared<RegExpObject>()));
    raise(506, QStringLiteral("Class not defined: '%1'").arg(n.className));
}

Variant Interpreter::callBuiltin(const NameExpr &n, Frame &f)
{
    const BuiltinInfo &b = *n.builtin;
    int argc = int(n.args.size());
    if (argc < b.minArgs || argc > b.maxArgs)
        raise(450, quoted(BasicError::standardDescription(450), n.name));
    Variant result;
    if (argc > Builtins::kMaxArgs) {
        std::vector<Variant> many = evalArgs(n.args, f);
        Temps keep(*this, many.data(), many.size());
        textWork(many.data(), argc);
        result = b.fn(*this, many.data(), argc);
    } else {
        // Only the arguments given are made: most built-ins take one or two of the six.
        struct Args
        {
            alignas(Variant) unsigned char bytes[sizeof(Variant) * Builtins::kMaxArgs];
            int made = 0;
            Variant *data() { return reinterpret_cast<Variant *>(bytes); }
            ~Args() { std::destroy_n(data(), made); }
        } buffer;
        Variant *args = buffer.data();
        Temps keep(*this, args, 0);
        for (int i = 0; i < argc; ++i) {
            new (args + i) Variant(eval(*n.args[std::size_t(i)], f));
            keep.m_count = std::size_t(++buffer.made);
        }
        textWork(args, argc);
        result = b.fn(*this, args, argc);
    }
    if (result.isString()) {
        if (!result.stringValue().isEmpty())
            charge(ValueCensus::textBytes(result.stringValue().size()), &result);
    } else if (result.isArray()) {
        chargeValue(result);
    }
    return result;
}

Variant Interpreter::callProc(Procedure &proc, const NameExpr &n, Frame &f)
{
    const std::size_t argc = n.args.size();
    if (argc != proc.params.size())
        raise(450, quoted(BasicError::standardDescription(450), proc.name));
    constexpr std::size_t kInline = 8;
    Variant inlineArgs[kInline];
    std::vector<Variant> heapArgs;
    Variant *args = inlineArgs;
    if (argc > kInline) {
        heapArgs.resize(argc);
        args = heapArgs.data();
    }
    Temps keep(*this, args, argc);
    for (std::size_t i = 0; i < argc; ++i) {
        args[i] = eval(*n.args[i], f);
        if (!proc.params[i].byRef && args[i].isArray() && args[i].isShared())
            store(args[i], args[i]);
    }
    Variant result = invoke(proc, args, int(argc));
    // ByRef parameters: plain variables and array elements get the final value back.
    for (std::size_t i = 0; i < argc; ++i) {
        if (!proc.params[i].byRef || n.args[i]->kind != Expr::Name) continue;
        const auto &a = static_cast<const NameExpr &>(*n.args[i]);
        if (a.binding != NameExpr::Local && a.binding != NameExpr::Global &&
            a.binding != NameExpr::Implicit)
            continue;
        Variant *slot = variable(a, f);
        if (!a.hasArgs) {
            *slot = std::move(args[i]);
        } else if (slot->isArray()) {
            Operators::checkNesting(args[i]);
            element(*slot, a.args, f, a.name) = std::move(args[i]);
        }
    }
    return result;
}

Variant Interpreter::invoke(Procedure &proc, Variant *args, int argc)
{
    if (m_depth >= kMaxCallDepth)
        raise(28, QStringLiteral("Out of stack space (procedure calls nested deeper than %1)")
                      .arg(kMaxCallDepth));
    // Deep expressions make each call take more of the machine stack: count bytes as well.
    auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (m_stackBase > here && m_stackBase - here > kMaxStackBytes)
        raise(28, QStringLiteral("Out of stack space (procedure calls use more than %1 KiB of "
                                 "stack)")
                      .arg(kMaxStackBytes / 1024));
    ++m_depth;
    if (int(m_framePool.size()) < m_depth) m_framePool.emplace_back();
    std::vector<Variant> &pool = m_framePool[std::size_t(m_depth - 1)];
    if (int(pool.size()) < proc.slotCount) pool.resize(std::size_t(proc.slotCount));
    Variant *vars = pool.data();
    for (int i = 0; i < argc; ++i)
        vars[i] = std::move(args[i]);
    Frame frame;
    frame.vars = vars;
    frame.proc = &proc;
    frame.optionExplicit = proc.optionExplicit;
    int savedLine = m_line;
    auto clear = [&] {
        for (int i = 0; i < proc.slotCount; ++i)
            vars[i] = Variant();
        --m_depth;
        m_line = savedLine;
    };
    try {
        execBlock(proc.body, frame);
    } catch (...) {
        clear();
        throw;
    }
    Variant result;
    if (proc.resultSlot >= 0) result = std::move(vars[proc.resultSlot]);
    for (int i = 0; i < argc; ++i)
        args[i] = std::move(vars[i]);
    clear();
    return result;
}

} // namespace vbs

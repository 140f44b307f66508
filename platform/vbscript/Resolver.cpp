#include "platform/vbscript/Resolver.h"

#include "platform/vbscript/Builtins.h"
#include "platform/vbscript/Interpreter.h"
#include "platform/vbscript/Operators.h"
#include "platform/vbscript/ScriptError.h"

namespace vbs {

namespace {

[[noreturn]] void redefined(const QString &name, int line, int column)
{
    throw ScriptError(1041, QStringLiteral("Name redefined: '%1'").arg(name), line, column,
                      ScriptError::Syntax);
}

} // namespace

Resolver::Resolver(Interpreter &interpreter, Program &program)
    : m_interpreter(interpreter), m_program(program)
{
}

void Resolver::resolve()
{
    for (auto &p : m_program.procedures) {
        QString k = key(p->name);
        if (m_procedures.contains(k)) redefined(p->name, p->line, 1);
        m_procedures.insert(k, p.get());
    }
    collect(m_program.body, nullptr);
    resolveBlock(m_program.body, nullptr);
    for (auto &p : m_program.procedures) {
        Scope scope;
        scope.proc = p.get();
        p->optionExplicit = m_program.optionExplicit;
        for (const Param &param : p->params) {
            QString k = key(param.name);
            if (scope.locals.contains(k)) redefined(param.name, p->line, 1);
            scope.locals.insert(k, scope.nextSlot++);
        }
        if (p->isFunction) {
            p->resultSlot = scope.nextSlot++;
            scope.locals.insert(key(p->name), p->resultSlot);
        }
        collect(p->body, &scope);
        resolveBlock(p->body, &scope);
        p->slotCount = scope.nextSlot;
    }
}

void Resolver::declareLocal(Scope &scope, const QString &name, int line, int column)
{
    QString k = key(name);
    if (scope.locals.contains(k) || scope.constants.contains(k)) redefined(name, line, column);
    scope.locals.insert(k, scope.nextSlot++);
}

void Resolver::collect(Block &block, Scope *scope)
{
    for (auto &sp : block) {
        Stmt &s = *sp;
        switch (s.kind) {
        case Stmt::Dim:
        case Stmt::ReDim: {
            bool redim = s.kind == Stmt::ReDim;
            auto &items =
                redim ? static_cast<ReDimStmt &>(s).items : static_cast<DimStmt &>(s).items;
            for (DimItem &item : items) {
                const QString &name = item.var->name;
                QString k = key(name);
                if (scope) {
                    if (redim && scope->locals.contains(k)) continue;
                    declareLocal(*scope, name, item.var->line, item.var->column);
                } else {
                    if (m_procedures.contains(k) || m_constants.contains(k) ||
                        (!redim && m_declaredGlobals.contains(k)))
                        redefined(name, item.var->line, item.var->column);
                    m_declaredGlobals.insert(k);
                    m_interpreter.declareGlobal(name);
                }
            }
            break;
        }
        case Stmt::Const:
            defineConstants(static_cast<ConstStmt &>(s), scope);
            break;
        case Stmt::If:
            for (auto &b : static_cast<IfStmt &>(s).branches)
                collect(b.body, scope);
            collect(static_cast<IfStmt &>(s).elseBody, scope);
            break;
        case Stmt::Select:
            for (auto &c : static_cast<SelectStmt &>(s).cases)
                collect(c.body, scope);
            collect(static_cast<SelectStmt &>(s).elseBody, scope);
            break;
        case Stmt::For:
            collect(static_cast<ForStmt &>(s).body, scope);
            break;
        case Stmt::ForEach:
            collect(static_cast<ForEachStmt &>(s).body, scope);
            break;
        case Stmt::Do:
            collect(static_cast<DoStmt &>(s).body, scope);
            break;
        case Stmt::With:
            collect(static_cast<WithStmt &>(s).body, scope);
            break;
        default:
            break;
        }
    }
}

void Resolver::defineConstants(ConstStmt &s, Scope *scope)
{
    for (auto &item : s.items) {
        resolveExpr(*item.value, scope);
        com::Variant v = fold(*item.value);
        QString k = key(item.name);
        if (scope) {
            if (scope->locals.contains(k) || scope->constants.contains(k))
                redefined(item.name, item.line, item.column);
            scope->constants.insert(k, v);
        } else {
            if (m_constants.contains(k) || m_procedures.contains(k))
                redefined(item.name, item.line, item.column);
            m_constants.insert(k, v);
        }
    }
}

com::Variant Resolver::fold(Expr &e)
{
    try {
        switch (e.kind) {
        case Expr::Literal:
            return static_cast<LiteralExpr &>(e).value;
        case Expr::Name: {
            auto &n = static_cast<NameExpr &>(e);
            if (n.binding == NameExpr::Constant && !n.hasArgs) return n.constant;
            break;
        }
        case Expr::Paren:
            return fold(*static_cast<ParenExpr &>(e).inner);
        case Expr::Unary: {
            auto &u = static_cast<UnaryExpr &>(e);
            return Operators::unary(u.op, fold(*u.operand));
        }
        case Expr::Binary: {
            auto &b = static_cast<BinaryExpr &>(e);
            if (b.op == Op::Is) break;
            return Operators::binary(b.op, fold(*b.lhs), fold(*b.rhs), true, true);
        }
        default:
            break;
        }
    } catch (const ScriptError &) {
        throw;
    } catch (const BasicError &err) {
        throw ScriptError(err.number(), err.description(), e.line, e.column, ScriptError::Syntax);
    }
    throw ScriptError(1045, QString(), e.line, e.column, ScriptError::Syntax);
}

void Resolver::resolveBlock(Block &block, Scope *scope)
{
    for (auto &s : block)
        resolveStmt(*s, scope);
}

void Resolver::resolveDimItem(DimItem &item, Scope *scope)
{
    bind(*item.var, scope);
    for (auto &b : item.bounds)
        resolveExpr(*b, scope);
}

void Resolver::resolveStmt(Stmt &s, Scope *scope)
{
    switch (s.kind) {
    case Stmt::Assign: {
        auto &a = static_cast<AssignStmt &>(s);
        resolveExpr(*a.target, scope);
        resolveExpr(*a.value, scope);
        break;
    }
    case Stmt::Call:
        resolveExpr(*static_cast<CallStmt &>(s).call, scope);
        break;
    case Stmt::Dim:
        for (auto &item : static_cast<DimStmt &>(s).items)
            resolveDimItem(item, scope);
        break;
    case Stmt::ReDim:
        for (auto &item : static_cast<ReDimStmt &>(s).items)
            resolveDimItem(item, scope);
        break;
    case Stmt::If: {
        auto &i = static_cast<IfStmt &>(s);
        for (auto &b : i.branches) {
            resolveExpr(*b.cond, scope);
            resolveBlock(b.body, scope);
        }
        resolveBlock(i.elseBody, scope);
        break;
    }
    case Stmt::Select: {
        auto &sel = static_cast<SelectStmt &>(s);
        resolveExpr(*sel.test, scope);
        for (auto &c : sel.cases) {
            for (auto &item : c.items) {
                resolveExpr(*item.a, scope);
                if (item.b) resolveExpr(*item.b, scope);
            }
            resolveBlock(c.body, scope);
        }
        resolveBlock(sel.elseBody, scope);
        break;
    }
    case Stmt::For: {
        auto &f = static_cast<ForStmt &>(s);
        bind(*f.var, scope);
        resolveExpr(*f.from, scope);
        resolveExpr(*f.to, scope);
        if (f.step) resolveExpr(*f.step, scope);
        resolveBlock(f.body, scope);
        break;
    }
    case Stmt::ForEach: {
        auto &f = static_cast<ForEachStmt &>(s);
        bind(*f.var, scope);
        resolveExpr(*f.collection, scope);
        resolveBlock(f.body, scope);
        break;
    }
    case Stmt::Do: {
        auto &d = static_cast<DoStmt &>(s);
        if (d.cond) resolveExpr(*d.cond, scope);
        resolveBlock(d.body, scope);
        break;
    }
    case Stmt::With: {
        auto &w = static_cast<WithStmt &>(s);
        resolveExpr(*w.object, scope);
        resolveBlock(w.body, scope);
        break;
    }
    case Stmt::Erase:
        for (auto &v : static_cast<EraseStmt &>(s).vars)
            bind(*v, scope);
        break;
    default:
        break;
    }
}

void Resolver::resolveExpr(Expr &e, Scope *scope)
{
    switch (e.kind) {
    case Expr::Name:
        bind(static_cast<NameExpr &>(e), scope);
        break;
    case Expr::Member: {
        auto &m = static_cast<MemberExpr &>(e);
        resolveExpr(*m.object, scope);
        for (auto &a : m.args)
            resolveExpr(*a, scope);
        break;
    }
    case Expr::Unary:
        resolveExpr(*static_cast<UnaryExpr &>(e).operand, scope);
        break;
    case Expr::Binary: {
        auto &b = static_cast<BinaryExpr &>(e);
        resolveExpr(*b.lhs, scope);
        resolveExpr(*b.rhs, scope);
        break;
    }
    case Expr::Paren:
        resolveExpr(*static_cast<ParenExpr &>(e).inner, scope);
        break;
    case Expr::Index: {
        auto &i = static_cast<IndexExpr &>(e);
        resolveExpr(*i.base, scope);
        for (auto &a : i.args)
            resolveExpr(*a, scope);
        break;
    }
    default:
        break;
    }
}

void Resolver::bind(NameExpr &n, Scope *scope)
{
    for (auto &a : n.args)
        resolveExpr(*a, scope);
    QString k = key(n.name);
    if (scope) {
        bool selfCall = n.hasArgs && k == key(scope->proc->name);
        if (!selfCall) {
            auto it = scope->locals.constFind(k);
            if (it != scope->locals.constEnd()) {
                n.binding = scope->implicit.contains(k) ? NameExpr::Implicit : NameExpr::Local;
                n.slot = *it;
                n.generation = m_interpreter.generation() + 1;
                return;
            }
        }
        auto c = scope->constants.constFind(k);
        if (c != scope->constants.constEnd()) {
            n.binding = NameExpr::Constant;
            n.constant = *c;
            return;
        }
    }
    auto c = m_constants.constFind(k);
    if (c != m_constants.constEnd()) {
        n.binding = NameExpr::Constant;
        n.constant = *c;
        return;
    }
    Procedure *proc = m_procedures.value(k, nullptr);
    if (!proc) proc = m_interpreter.findProcedure(n.name);
    if (proc) {
        n.binding = NameExpr::Proc;
        n.proc = proc;
        return;
    }
    int global = m_interpreter.findGlobal(n.name);
    if (global >= 0) {
        n.binding = NameExpr::Global;
        n.slot = global;
        return;
    }
    if (k == QLatin1String("err")) {
        n.binding = NameExpr::ErrObject;
        return;
    }
    if (const BuiltinInfo *b = Builtins::find(n.name)) {
        n.binding = NameExpr::Builtin;
        n.builtin = b;
        return;
    }
    com::Variant constant;
    if (Builtins::constant(n.name, &constant)) {
        n.binding = NameExpr::Constant;
        n.constant = constant;
        return;
    }
    if (!m_program.optionExplicit && !n.hasArgs) {
        // An undeclared name is an implicit variable of the scope that first uses it.
        if (scope) {
            // This code's own generation starts when it is added: no check until code is
            // added after it.
            n.binding = NameExpr::Implicit;
            n.slot = scope->nextSlot;
            n.generation = m_interpreter.generation() + 1;
            scope->implicit.insert(k);
            scope->locals.insert(k, scope->nextSlot++);
        } else {
            n.binding = NameExpr::Global;
            n.slot = m_interpreter.declareGlobal(n.name);
        }
        return;
    }
    n.binding = NameExpr::Dynamic;
}

} // namespace vbs

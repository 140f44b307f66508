#pragma once

#include "platform/vbscript/SyntaxTree.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace vbs {

class Interpreter;

// Binds every name of a parsed program once: parameters and Dim'd names to frame slots,
// module-level names to global slots, calls to procedures or built-ins, constants to their
// folded values. Names that cannot be bound yet (Option Explicit, or code added later) are
// left to a lookup when they run. Raises ScriptError (compilation) for redefined names and
// constants that are not constant.
class Resolver
{
public:
    Resolver(Interpreter &interpreter, Program &program);
    void resolve();

private:
    struct Scope
    {
        Procedure *proc = nullptr;
        QHash<QString, int> locals;
        QSet<QString> implicit; // locals made by use, not by declaration
        QHash<QString, com::Variant> constants;
        int nextSlot = 0;
    };

    void collect(Block &block, Scope *scope);
    void declareLocal(Scope &scope, const QString &name, int line, int column);
    void resolveBlock(Block &block, Scope *scope);
    void resolveStmt(Stmt &s, Scope *scope);
    void resolveExpr(Expr &e, Scope *scope);
    void bind(NameExpr &n, Scope *scope);
    void resolveDimItem(DimItem &item, Scope *scope);
    void defineConstants(ConstStmt &s, Scope *scope);
    com::Variant fold(Expr &e);
    static QString key(const QString &name) { return name.toLower(); }

    Interpreter &m_interpreter;
    Program &m_program;
    QHash<QString, Procedure *> m_procedures;
    QHash<QString, com::Variant> m_constants;
    QSet<QString> m_declaredGlobals;
};

} // namespace vbs

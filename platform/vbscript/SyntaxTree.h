#pragma once

#include "platform/com/Variant.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// The parsed form of a script. Names are bound to variable slots, procedures, built-ins or
// constants once, after parsing, so that running a script does no name lookups.
namespace vbs {

class Interpreter;
struct Procedure;
struct BuiltinInfo;

enum class Op : std::uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    Neg,
    Not,
};

struct Expr
{
    enum Kind : std::uint8_t {
        Literal,
        Name,
        Member,
        Unary,
        Binary,
        Paren,
        New,
        WithObject,
        Index
    };
    explicit Expr(Kind k) : kind(k) {}
    virtual ~Expr() = default;
    Kind kind;
    int line = 0;
    int column = 0;
    int depth = 1; // of the subtree: evaluating and freeing it recurses this deep
};
using ExprPtr = std::unique_ptr<Expr>;

struct LiteralExpr : Expr
{
    LiteralExpr() : Expr(Literal) {}
    com::Variant value;
    // Literals and constants are "hard typed": a comparison with a text converts the text.
    bool hard = true;
};

struct NameExpr : Expr
{
    enum Binding : std::uint8_t {
        Unbound,
        Local,     // slot in the procedure's frame
        Global,    // slot in the global table
        Proc,      // a script procedure
        Builtin,   // a built-in function
        Constant,  // a constant folded at compile time
        ErrObject, // the Err object
        Dynamic,   // looked up by name when it runs (code added later, or an undefined name)
        Implicit,  // an undeclared name in a procedure: its own variable until code added later
                   // defines a global or procedure of that name
    };
    NameExpr() : Expr(Name) {}
    QString name;
    bool hasArgs = false; // written with parentheses
    std::vector<ExprPtr> args;
    Binding binding = Unbound;
    int slot = -1;
    Procedure *proc = nullptr;
    const BuiltinInfo *builtin = nullptr;
    int generation = 0; // Implicit: the code generation it was last checked against
    com::Variant constant;
};

struct MemberExpr : Expr
{
    MemberExpr() : Expr(Member) {}
    ExprPtr object;
    QString name;
    bool hasArgs = false;
    std::vector<ExprPtr> args;
};

struct UnaryExpr : Expr
{
    UnaryExpr() : Expr(Unary) {}
    Op op = Op::Neg;
    ExprPtr operand;
};

struct BinaryExpr : Expr
{
    BinaryExpr() : Expr(Binary) {}
    Op op = Op::Add;
    ExprPtr lhs;
    ExprPtr rhs;
};

struct ParenExpr : Expr
{
    ParenExpr() : Expr(Paren) {}
    ExprPtr inner;
};

struct NewExpr : Expr
{
    NewExpr() : Expr(New) {}
    QString className;
};

// An element of a value that is itself a call's result or an element: Split(s)(0), a(1)(2).
struct IndexExpr : Expr
{
    IndexExpr() : Expr(Index) {}
    ExprPtr base;
    std::vector<ExprPtr> args;
};

// The object of the innermost With block (".member").
struct WithObjectExpr : Expr
{
    WithObjectExpr() : Expr(WithObject) {}
};

struct Stmt
{
    enum Kind : std::uint8_t {
        Assign,
        Call,
        Dim,
        ReDim,
        Const,
        If,
        Select,
        For,
        ForEach,
        Do,
        Exit,
        OnError,
        Erase,
        With,
        Nop
    };
    explicit Stmt(Kind k) : kind(k) {}
    virtual ~Stmt() = default;
    Kind kind;
    int line = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct AssignStmt : Stmt
{
    AssignStmt() : Stmt(Assign) {}
    ExprPtr target; // NameExpr or MemberExpr
    ExprPtr value;
    bool isSet = false;
};

struct CallStmt : Stmt
{
    CallStmt() : Stmt(Call) {}
    ExprPtr call; // NameExpr or MemberExpr
};

struct DimItem
{
    std::unique_ptr<NameExpr> var;
    bool isArray = false;
    std::vector<ExprPtr> bounds; // upper bounds; none for a dynamic array "a()"
};

struct DimStmt : Stmt
{
    DimStmt() : Stmt(Dim) {}
    std::vector<DimItem> items;
};

struct ReDimStmt : Stmt
{
    ReDimStmt() : Stmt(ReDim) {}
    bool preserve = false;
    std::vector<DimItem> items;
};

// Constants are folded when names are bound; the statement itself does nothing when it runs.
struct ConstStmt : Stmt
{
    ConstStmt() : Stmt(Const) {}
    struct Item
    {
        QString name;
        int line = 0;
        int column = 0;
        ExprPtr value;
    };
    std::vector<Item> items;
};

struct IfStmt : Stmt
{
    IfStmt() : Stmt(If) {}
    struct Branch
    {
        ExprPtr cond;
        Block body;
        int line = 0; // of its If or ElseIf
    };
    std::vector<Branch> branches;
    Block elseBody;
};

struct SelectStmt : Stmt
{
    SelectStmt() : Stmt(Select) {}
    struct Item
    {
        enum Kind : std::uint8_t { Value, Range, Compare } kind = Value;
        Op op = Op::Eq;
        ExprPtr a;
        ExprPtr b;
    };
    struct Case
    {
        std::vector<Item> items;
        Block body;
        int line = 0;
    };
    ExprPtr test;
    std::vector<Case> cases;
    bool hasElse = false;
    Block elseBody;
};

struct ForStmt : Stmt
{
    ForStmt() : Stmt(For) {}
    std::unique_ptr<NameExpr> var;
    ExprPtr from;
    ExprPtr to;
    ExprPtr step; // null: 1
    Block body;
};

struct ForEachStmt : Stmt
{
    ForEachStmt() : Stmt(ForEach) {}
    std::unique_ptr<NameExpr> var;
    ExprPtr collection;
    Block body;
};

struct DoStmt : Stmt
{
    enum CondKind : std::uint8_t { None, PreWhile, PreUntil, PostWhile, PostUntil };
    DoStmt() : Stmt(Do) {}
    CondKind condKind = None;
    ExprPtr cond;
    Block body;
    int loopLine = 0; // of the Loop that holds a condition
};

struct ExitStmt : Stmt
{
    enum What : std::uint8_t { Do, For, Function, Sub };
    ExitStmt() : Stmt(Exit) {}
    What what = Do;
};

struct OnErrorStmt : Stmt
{
    OnErrorStmt() : Stmt(OnError) {}
    bool resumeNext = false;
};

struct EraseStmt : Stmt
{
    EraseStmt() : Stmt(Erase) {}
    std::vector<std::unique_ptr<NameExpr>> vars;
};

struct WithStmt : Stmt
{
    WithStmt() : Stmt(With) {}
    ExprPtr object;
    Block body;
};

struct Param
{
    QString name;
    bool byRef = true;
};

struct Procedure
{
    QString name;
    bool isFunction = false;
    std::vector<Param> params;
    int resultSlot = -1; // functions: the slot after the parameters
    int slotCount = 0;
    int line = 0;
    bool optionExplicit = false;
    Block body;
};

// One piece of code given to AddCode: its procedures and its module-level statements.
struct Program
{
    std::vector<std::unique_ptr<Procedure>> procedures;
    Block body;
    bool optionExplicit = false;
};

} // namespace vbs

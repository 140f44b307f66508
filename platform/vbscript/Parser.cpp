#include "platform/vbscript/Parser.h"

#include "platform/vbscript/Lexer.h"
#include "platform/vbscript/ScriptError.h"

#include <initializer_list>
#include <iterator>
#include <utility>

namespace vbs {

namespace {

// One operator of a precedence level: a symbol, or a keyword when `keyword` is set.
struct LevelOperator
{
    Token::Type type;
    Token::Keyword keyword;
    Op op;
};

// A precedence level: left-associative binary operators between operands of the next level,
// or a prefix operator (Not) whose operand is of the same level.
struct PrecedenceLevel
{
    bool prefix;
    std::initializer_list<LevelOperator> operators;
};

constexpr Token::Type kWord = Token::Identifier;

// The operators from the loosest to the tightest binding; sign and power bind tighter still
// (parseUnary, parsePower).
const PrecedenceLevel kLevels[] = {
    {false, {{kWord, Token::Imp, Op::Imp}}},
    {false, {{kWord, Token::Eqv, Op::Eqv}}},
    {false, {{kWord, Token::Xor, Op::Xor}}},
    {false, {{kWord, Token::Or, Op::Or}}},
    {false, {{kWord, Token::And, Op::And}}},
    {true, {{kWord, Token::Not, Op::Not}}},
    {false,
     {{Token::Eq, Token::None, Op::Eq},
      {Token::Ne, Token::None, Op::Ne},
      {Token::Lt, Token::None, Op::Lt},
      {Token::Gt, Token::None, Op::Gt},
      {Token::Le, Token::None, Op::Le},
      {Token::Ge, Token::None, Op::Ge},
      {kWord, Token::Is, Op::Is}}},
    {false, {{Token::Amp, Token::None, Op::Concat}}},
    {false, {{Token::Plus, Token::None, Op::Add}, {Token::Minus, Token::None, Op::Sub}}},
    {false, {{kWord, Token::Mod, Op::Mod}}},
    {false, {{Token::Backslash, Token::None, Op::IntDiv}}},
    {false, {{Token::Star, Token::None, Op::Mul}, {Token::Slash, Token::None, Op::Div}}},
};

constexpr int kLevelCount = int(std::size(kLevels));
constexpr int kCompareLevel = 6;

const LevelOperator *levelOperator(const PrecedenceLevel &level, const Token &t)
{
    for (const LevelOperator &o : level.operators)
        if (t.type == o.type && (o.keyword == Token::None || t.keyword == o.keyword)) return &o;
    return nullptr;
}

// Missing arguments ("MsgBox x, , t") are passed as COM passes them: an Error variant.
constexpr std::int32_t kParamNotFound = std::int32_t(0x80020004u);

ExprPtr literal(com::Variant value, const Token &at)
{
    auto e = std::make_unique<LiteralExpr>();
    e->value = std::move(value);
    e->line = at.line;
    e->column = at.column;
    return e;
}

com::Variant integerLiteral(double v)
{
    if (v >= -32768 && v <= 32767) return com::Variant::fromInteger(std::int16_t(v));
    if (v >= -2147483648.0 && v <= 2147483647.0) return com::Variant(std::int32_t(v));
    return com::Variant(v);
}

} // namespace

std::unique_ptr<Program> Parser::parse(const QString &text)
{
    if (text.size() > kMaxSourceLength)
        throw ScriptError(7,
                          QStringLiteral("Script text is too long (%1 characters, at most %2)")
                              .arg(text.size())
                              .arg(kMaxSourceLength),
                          1, 1, ScriptError::Syntax);
    Lexer lexer(text);
    Parser parser(lexer.tokenize());
    return parser.parseProgram();
}

Parser::Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens))
{
    if (m_tokens.empty() || m_tokens.back().type != Token::End) {
        Token end;
        end.line = m_tokens.empty() ? 1 : m_tokens.back().line;
        m_tokens.push_back(end);
    }
}

const Token &Parser::peek(int ahead) const
{
    std::size_t i = m_pos + std::size_t(ahead);
    return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
}

const Token &Parser::next()
{
    const Token &t = peek();
    if (m_pos + 1 < m_tokens.size()) ++m_pos;
    return t;
}

bool Parser::atEndOfStatement() const
{
    const Token &t = peek();
    return t.type == Token::Newline || t.type == Token::End ||
           (m_inlineIf > 0 && t.is(Token::Else));
}

bool Parser::accept(Token::Type type)
{
    if (peek().type != type) return false;
    next();
    return true;
}

bool Parser::acceptKeyword(Token::Keyword keyword)
{
    if (!peek().is(keyword)) return false;
    next();
    return true;
}

void Parser::expect(Token::Type type, int error)
{
    if (!accept(type)) fail(error, peek());
}

void Parser::expectKeyword(Token::Keyword keyword, int error)
{
    if (!acceptKeyword(keyword)) fail(error, peek());
}

void Parser::expectEndOfStatement()
{
    if (!atEndOfStatement()) fail(1025, peek());
}

void Parser::fail(int number, const Token &at, const QString &description)
{
    throw ScriptError(number, description, at.line, at.column, ScriptError::Syntax);
}

QString Parser::expectName()
{
    const Token &t = peek();
    if (t.type != Token::Identifier || t.keyword != Token::None) fail(1010, t);
    next();
    return t.text;
}

void Parser::enter()
{
    if (++m_depth > kMaxNesting)
        fail(1002, peek(),
             QStringLiteral("Syntax error: blocks or expressions nested deeper than %1 levels")
                 .arg(kMaxNesting));
}

std::unique_ptr<Program> Parser::parseProgram()
{
    m_program = std::make_unique<Program>();
    for (;;) {
        while (accept(Token::Newline)) {
        }
        const Token &t = peek();
        if (t.type == Token::End) break;
        if (t.is(Token::Option)) {
            next();
            if (!peek().isWord("Explicit")) fail(1010, peek());
            next();
            if (m_seenStatement)
                fail(1042, t,
                     QStringLiteral("Option Explicit must come before any other statement"));
            m_program->optionExplicit = true;
            expectEndOfStatement();
            continue;
        }
        m_seenStatement = true;
        bool scoped = t.is(Token::Public) || t.is(Token::Private);
        int k = scoped ? 1 : 0;
        if (scoped && peek(1).isWord("Default")) ++k;
        if (peek(k).is(Token::Function) || peek(k).is(Token::Sub)) {
            for (int i = 0; i < k; ++i)
                next();
            bool isFunction = next().is(Token::Function);
            m_program->procedures.push_back(parseProcedure(isFunction));
            expectEndOfStatement();
            continue;
        }
        if (t.is(Token::Class))
            fail(1002, t, QStringLiteral("Syntax error: Class definitions are not supported"));
        if (scoped) {
            next();
            StmtPtr s;
            if (peek().is(Token::Const))
                s = parseConst();
            else
                s = parseDim(false);
            m_program->body.push_back(std::move(s));
            expectEndOfStatement();
            continue;
        }
        StmtPtr s = parseStatement();
        if (s) m_program->body.push_back(std::move(s));
        expectEndOfStatement();
    }
    return std::move(m_program);
}

std::unique_ptr<Procedure> Parser::parseProcedure(bool isFunction)
{
    auto proc = std::make_unique<Procedure>();
    proc->isFunction = isFunction;
    proc->line = peek().line;
    proc->name = expectName();
    if (accept(Token::LParen)) {
        if (!accept(Token::RParen)) {
            do {
                Param p;
                if (acceptKeyword(Token::ByVal))
                    p.byRef = false;
                else
                    acceptKeyword(Token::ByRef);
                p.name = expectName();
                if (accept(Token::LParen)) expect(Token::RParen, 1006);
                proc->params.push_back(p);
            } while (accept(Token::Comma));
            expect(Token::RParen, 1006);
        }
    }
    expectEndOfStatement();
    m_procKind = isFunction ? 1 : 2;
    proc->body = parseBlock();
    m_procKind = 0;
    const Token &end = peek();
    if (!end.is(Token::EndKw)) fail(1014, end);
    next();
    expectKeyword(isFunction ? Token::Function : Token::Sub, isFunction ? 1015 : 1016);
    return proc;
}

Block Parser::parseBlock()
{
    enter();
    Block block;
    for (;;) {
        while (accept(Token::Newline)) {
        }
        const Token &t = peek();
        if (t.type == Token::End || t.is(Token::EndKw) || t.is(Token::Else) ||
            t.is(Token::ElseIf) || t.is(Token::Loop) || t.is(Token::Next) || t.is(Token::Wend) ||
            t.is(Token::Case))
            break;
        StmtPtr s = parseStatement();
        if (s) block.push_back(std::move(s));
        expectEndOfStatement();
    }
    leave();
    return block;
}

Block Parser::parseInlineStatements()
{
    Block block;
    for (;;) {
        const Token &t = peek();
        if (t.type == Token::End || (t.type == Token::Newline && !t.colon) || t.is(Token::Else))
            break;
        if (t.type == Token::Newline) {
            next();
            continue;
        }
        StmtPtr s = parseStatement();
        if (s) block.push_back(std::move(s));
        expectEndOfStatement();
    }
    return block;
}

StmtPtr Parser::parseStatement()
{
    const Token &t = peek();
    int line = t.line;
    StmtPtr s;
    if (t.type == Token::Dot && m_with > 0) {
        s = parseAssignOrCall(false, false);
        s->line = line;
        return s;
    }
    if (t.type != Token::Identifier) fail(1024, t);
    // Statements that their keyword starts, each read by its own parser from that keyword on.
    using StatementParser = StmtPtr (Parser::*)();
    static constexpr std::pair<Token::Keyword, StatementParser> kStatements[] = {
        {Token::Const, &Parser::parseConst},   {Token::If, &Parser::parseIf},
        {Token::Select, &Parser::parseSelect}, {Token::For, &Parser::parseFor},
        {Token::Do, &Parser::parseDo},         {Token::While, &Parser::parseWhile},
        {Token::Exit, &Parser::parseExit},     {Token::On, &Parser::parseOnError},
        {Token::Erase, &Parser::parseErase},   {Token::With, &Parser::parseWith},
    };
    for (const auto &[keyword, parse] : kStatements) {
        if (t.keyword == keyword) {
            s = (this->*parse)();
            if (s && s->line == 0) s->line = line;
            return s;
        }
    }
    switch (t.keyword) {
    case Token::Dim:
        next();
        s = parseDim(false);
        break;
    case Token::ReDim:
        next();
        s = parseDim(true);
        break;
    case Token::Set:
        next();
        s = parseAssignOrCall(true, false);
        break;
    case Token::Let:
        next();
        s = parseAssignOrCall(false, false);
        break;
    case Token::Call:
        next();
        s = parseAssignOrCall(false, true);
        break;
    case Token::None:
        if (t.isWord("Stop") && (peek(1).type == Token::Newline || peek(1).type == Token::End)) {
            // A breakpoint for a debugger; there is none here.
            next();
            s = std::make_unique<Stmt>(Stmt::Nop);
            break;
        }
        if (t.isWord("Randomize")) {
            next();
            if (!atEndOfStatement()) parseExpr();
            s = std::make_unique<Stmt>(Stmt::Nop);
            break;
        }
        s = parseAssignOrCall(false, false);
        break;
    case Token::Class:
        fail(1002, t, QStringLiteral("Syntax error: Class definitions are not supported"));
    case Token::Function:
    case Token::Sub:
        fail(1024, t,
             QStringLiteral("Expected statement (a Function or Sub cannot be defined here)"));
    case Token::Me:
        fail(1037, t);
    default:
        fail(1024, t);
    }
    if (s && s->line == 0) s->line = line;
    return s;
}

StmtPtr Parser::parseIf()
{
    auto s = std::make_unique<IfStmt>();
    s->line = next().line;
    IfStmt::Branch first;
    first.line = s->line;
    first.cond = parseExpr();
    expectKeyword(Token::Then, 1017);
    const Token &after = peek();
    if (after.type == Token::End || (after.type == Token::Newline && !after.colon)) {
        first.body = parseBlock();
        s->branches.push_back(std::move(first));
        for (;;) {
            const Token &t = peek();
            if (t.is(Token::ElseIf)) {
                next();
                IfStmt::Branch b;
                b.line = t.line;
                b.cond = parseExpr();
                expectKeyword(Token::Then, 1017);
                b.body = parseBlock();
                s->branches.push_back(std::move(b));
                continue;
            }
            if (t.is(Token::Else)) {
                next();
                s->elseBody = parseBlock();
                if (!peek().is(Token::EndKw)) fail(1014, peek());
                continue;
            }
            if (t.is(Token::EndKw)) {
                next();
                expectKeyword(Token::If, 1012);
                break;
            }
            fail(1014, t);
        }
        return s;
    }
    // Single-line form: statements up to the line end, with an optional Else part.
    ++m_inlineIf;
    enter();
    first.body = parseInlineStatements();
    s->branches.push_back(std::move(first));
    if (acceptKeyword(Token::Else)) s->elseBody = parseInlineStatements();
    leave();
    --m_inlineIf;
    return s;
}

StmtPtr Parser::parseSelect()
{
    auto s = std::make_unique<SelectStmt>();
    s->line = next().line;
    expectKeyword(Token::Case, 1021);
    s->test = parseExpr();
    expectEndOfStatement();
    for (;;) {
        while (accept(Token::Newline)) {
        }
        const Token &t = peek();
        if (t.is(Token::Case)) {
            next();
            if (s->hasElse) fail(1014, t);
            if (acceptKeyword(Token::Else)) {
                s->hasElse = true;
                s->elseBody = parseBlock();
                continue;
            }
            SelectStmt::Case c;
            c.line = t.line;
            do {
                SelectStmt::Item item;
                if (acceptKeyword(Token::Is)) {
                    item.kind = SelectStmt::Item::Compare;
                    const LevelOperator *o = levelOperator(kLevels[kCompareLevel], peek());
                    if (!o || o->op == Op::Is) fail(1002, peek());
                    next();
                    item.op = o->op;
                    item.a = parseLevel(kCompareLevel + 1);
                } else {
                    item.a = parseExpr();
                    if (acceptKeyword(Token::To)) {
                        item.kind = SelectStmt::Item::Range;
                        item.b = parseExpr();
                    }
                }
                c.items.push_back(std::move(item));
            } while (accept(Token::Comma));
            c.body = parseBlock();
            s->cases.push_back(std::move(c));
            continue;
        }
        if (t.is(Token::EndKw)) {
            next();
            expectKeyword(Token::Select, 1022);
            break;
        }
        fail(t.type == Token::End ? 1014 : 1021, t);
    }
    return s;
}

StmtPtr Parser::parseFor()
{
    int line = next().line;
    if (acceptKeyword(Token::Each)) {
        auto s = std::make_unique<ForEachStmt>();
        s->line = line;
        auto var = std::make_unique<NameExpr>();
        var->line = peek().line;
        var->column = peek().column;
        var->name = expectName();
        s->var = std::move(var);
        expectKeyword(Token::In, 1046);
        s->collection = parseExpr();
        expectEndOfStatement();
        ++m_loopFor;
        s->body = parseBlock();
        --m_loopFor;
        expectKeyword(Token::Next, 1020);
        if (peek().type == Token::Identifier && peek().keyword == Token::None) next();
        return s;
    }
    auto s = std::make_unique<ForStmt>();
    s->line = line;
    auto var = std::make_unique<NameExpr>();
    var->line = peek().line;
    var->column = peek().column;
    var->name = expectName();
    s->var = std::move(var);
    expect(Token::Eq, 1011);
    s->from = parseExpr();
    expectKeyword(Token::To, 1013);
    s->to = parseExpr();
    if (acceptKeyword(Token::Step)) s->step = parseExpr();
    expectEndOfStatement();
    ++m_loopFor;
    s->body = parseBlock();
    --m_loopFor;
    expectKeyword(Token::Next, 1020);
    if (peek().type == Token::Identifier && peek().keyword == Token::None) next();
    return s;
}

StmtPtr Parser::parseDo()
{
    auto s = std::make_unique<DoStmt>();
    s->line = next().line;
    if (acceptKeyword(Token::While)) {
        s->condKind = DoStmt::PreWhile;
        s->cond = parseExpr();
    } else if (acceptKeyword(Token::Until)) {
        s->condKind = DoStmt::PreUntil;
        s->cond = parseExpr();
    } else if (!atEndOfStatement()) {
        fail(1028, peek());
    }
    expectEndOfStatement();
    ++m_loopDo;
    s->body = parseBlock();
    --m_loopDo;
    s->loopLine = peek().line;
    expectKeyword(Token::Loop, 1019);
    if (s->condKind == DoStmt::None) {
        if (acceptKeyword(Token::While)) {
            s->condKind = DoStmt::PostWhile;
            s->cond = parseExpr();
        } else if (acceptKeyword(Token::Until)) {
            s->condKind = DoStmt::PostUntil;
            s->cond = parseExpr();
        }
    }
    return s;
}

StmtPtr Parser::parseWhile()
{
    auto s = std::make_unique<DoStmt>();
    s->line = next().line;
    s->condKind = DoStmt::PreWhile;
    s->cond = parseExpr();
    expectEndOfStatement();
    // While...Wend cannot be left with Exit Do.
    int savedDo = m_loopDo;
    m_loopDo = 0;
    s->body = parseBlock();
    m_loopDo = savedDo;
    expectKeyword(Token::Wend, 1018);
    return s;
}

StmtPtr Parser::parseExit()
{
    auto s = std::make_unique<ExitStmt>();
    const Token &exitTok = next();
    s->line = exitTok.line;
    const Token &t = peek();
    if (t.is(Token::Do) && m_loopDo > 0)
        s->what = ExitStmt::Do;
    else if (t.is(Token::For) && m_loopFor > 0)
        s->what = ExitStmt::For;
    else if (t.is(Token::Function) && m_procKind == 1)
        s->what = ExitStmt::Function;
    else if (t.is(Token::Sub) && m_procKind == 2)
        s->what = ExitStmt::Sub;
    else
        fail(1039, t.type == Token::Identifier ? t : exitTok);
    next();
    return s;
}

StmtPtr Parser::parseOnError()
{
    auto s = std::make_unique<OnErrorStmt>();
    s->line = next().line;
    if (!peek().isWord("Error")) fail(1002, peek());
    next();
    if (peek().isWord("Resume")) {
        next();
        expectKeyword(Token::Next, 1020);
        s->resumeNext = true;
    } else if (peek().isWord("GoTo")) {
        next();
        const Token &zero = peek();
        if (zero.type != Token::Integer || zero.number != 0)
            fail(1002, zero, QStringLiteral("Syntax error: only On Error GoTo 0 is supported"));
        next();
    } else {
        fail(1002, peek());
    }
    return s;
}

namespace {

bool isNumberLiteral(const Expr &e)
{
    if (e.kind == Expr::Unary) {
        const auto &u = static_cast<const UnaryExpr &>(e);
        return u.op == Op::Neg && u.operand->kind == Expr::Literal && isNumberLiteral(*u.operand);
    }
    return e.kind == Expr::Literal && static_cast<const LiteralExpr &>(e).value.isNumber();
}

} // namespace

DimItem Parser::parseDimItem(bool redim)
{
    DimItem item;
    auto var = std::make_unique<NameExpr>();
    var->line = peek().line;
    var->column = peek().column;
    var->name = expectName();
    item.var = std::move(var);
    if (accept(Token::LParen)) {
        item.isArray = true;
        if (!accept(Token::RParen)) {
            do {
                const Token &at = peek();
                item.bounds.push_back(parseExpr());
                // Dim takes number literals only: a script that passes here must also load
                // where the language refuses names and expressions in Dim's bounds.
                if (!redim && !isNumberLiteral(*item.bounds.back())) fail(1026, at);
            } while (accept(Token::Comma));
            expect(Token::RParen, 1006);
        }
        if (redim && item.bounds.empty()) fail(1023, peek(-1));
    } else if (redim) {
        fail(1005, peek());
    }
    return item;
}

StmtPtr Parser::parseDim(bool redim)
{
    if (redim) {
        auto s = std::make_unique<ReDimStmt>();
        s->line = peek(-1).line;
        if (peek().isWord("Preserve")) {
            next();
            s->preserve = true;
        }
        do {
            s->items.push_back(parseDimItem(true));
        } while (accept(Token::Comma));
        return s;
    }
    auto s = std::make_unique<DimStmt>();
    s->line = peek(-1).line;
    do {
        s->items.push_back(parseDimItem(false));
    } while (accept(Token::Comma));
    return s;
}

StmtPtr Parser::parseConst()
{
    auto s = std::make_unique<ConstStmt>();
    s->line = next().line;
    do {
        ConstStmt::Item item;
        item.line = peek().line;
        item.column = peek().column;
        item.name = expectName();
        expect(Token::Eq, 1011);
        item.value = parseExpr();
        s->items.push_back(std::move(item));
    } while (accept(Token::Comma));
    return s;
}

StmtPtr Parser::parseWith()
{
    auto s = std::make_unique<WithStmt>();
    s->line = next().line;
    s->object = parseExpr();
    expectEndOfStatement();
    ++m_with;
    s->body = parseBlock();
    --m_with;
    if (!peek().is(Token::EndKw)) fail(1014, peek());
    next();
    if (!acceptKeyword(Token::With))
        fail(1002, peek(), QStringLiteral("Syntax error: expected 'With' after 'End'"));
    return s;
}

ExprPtr Parser::withObject(const Token &dot)
{
    // ".name" inside a With block: the Dot stays for parsePostfix to read the member.
    auto e = std::make_unique<WithObjectExpr>();
    e->line = dot.line;
    e->column = dot.column;
    return e;
}

StmtPtr Parser::parseErase()
{
    auto s = std::make_unique<EraseStmt>();
    s->line = next().line;
    do {
        auto var = std::make_unique<NameExpr>();
        var->line = peek().line;
        var->column = peek().column;
        var->name = expectName();
        s->vars.push_back(std::move(var));
    } while (accept(Token::Comma));
    return s;
}

StmtPtr Parser::parseAssignOrCall(bool isSet, bool isCall)
{
    const Token &first = peek();
    int line = first.line;
    int lastParen = -1;
    ExprPtr target;
    if (first.type == Token::Dot && m_with > 0) {
        target = parsePostfix(withObject(first), &lastParen);
    } else {
        if (first.type != Token::Identifier || (first.keyword != Token::None))
            fail(first.type == Token::Identifier ? 1024 : 1010, first);
        auto name = std::make_unique<NameExpr>();
        name->line = first.line;
        name->column = first.column;
        name->name = first.text;
        next();
        target = parsePostfix(std::move(name), &lastParen);
    }
    if (!isCall && peek().type == Token::Eq) {
        next();
        auto s = std::make_unique<AssignStmt>();
        s->line = line;
        s->isSet = isSet;
        s->target = std::move(target);
        s->value = parseExpr();
        return s;
    }
    if (isSet) fail(1011, peek());
    if (target->kind == Expr::Index) {
        // An element evaluated as a statement: only its calls matter.
        expectEndOfStatement();
        auto s = std::make_unique<CallStmt>();
        s->line = line;
        s->call = std::move(target);
        return s;
    }
    auto argsOf = [](Expr *e) -> std::vector<ExprPtr> * {
        if (e->kind == Expr::Name) return &static_cast<NameExpr *>(e)->args;
        return &static_cast<MemberExpr *>(e)->args;
    };
    auto hasArgsOf = [](Expr *e) -> bool & {
        if (e->kind == Expr::Name) return static_cast<NameExpr *>(e)->hasArgs;
        return static_cast<MemberExpr *>(e)->hasArgs;
    };
    auto s = std::make_unique<CallStmt>();
    s->line = line;
    if (isCall) {
        expectEndOfStatement();
        s->call = std::move(target);
        return s;
    }
    if (atEndOfStatement()) {
        if (lastParen >= 0) {
            // "Foo(x)" as a statement passes the parenthesised x; "Foo(a, b)" is an error.
            auto *args = argsOf(target.get());
            if (args->size() > 1) fail(1044, m_tokens[std::size_t(lastParen)]);
            if (args->size() == 1 && args->front()) {
                auto p = std::make_unique<ParenExpr>();
                p->line = args->front()->line;
                p->column = args->front()->column;
                p->inner = std::move(args->front());
                args->front() = std::move(p);
            }
        }
        s->call = std::move(target);
        return s;
    }
    if (lastParen >= 0) {
        // "Foo (a) + 1, b": the parenthesis began the first argument.
        m_pos = std::size_t(lastParen);
        argsOf(target.get())->clear();
    } else if (hasArgsOf(target.get())) {
        fail(1025, peek());
    }
    hasArgsOf(target.get()) = true;
    *argsOf(target.get()) = parseBareArgs();
    s->call = std::move(target);
    return s;
}

std::vector<ExprPtr> Parser::parseBareArgs()
{
    std::vector<ExprPtr> args;
    for (;;) {
        if (peek().type == Token::Comma) {
            args.push_back(literal(com::Variant::fromError(kParamNotFound), peek()));
            next();
            continue;
        }
        args.push_back(parseExpr());
        if (!accept(Token::Comma)) break;
        if (atEndOfStatement()) fail(1023, peek());
    }
    return args;
}

std::vector<ExprPtr> Parser::parseParenArgs()
{
    enter();
    std::vector<ExprPtr> args;
    next(); // '('
    if (accept(Token::RParen)) {
        leave();
        return args;
    }
    for (;;) {
        if (peek().type == Token::Comma || peek().type == Token::RParen)
            args.push_back(literal(com::Variant::fromError(kParamNotFound), peek()));
        else
            args.push_back(parseExpr());
        if (accept(Token::Comma)) continue;
        expect(Token::RParen, 1006);
        break;
    }
    leave();
    return args;
}

ExprPtr Parser::parsePostfix(ExprPtr base, int *lastParen)
{
    for (;;) {
        const Token &t = peek();
        if (t.type == Token::LParen) {
            bool *hasArgs = nullptr;
            std::vector<ExprPtr> *args = nullptr;
            if (base->kind == Expr::Name) {
                auto *n = static_cast<NameExpr *>(base.get());
                hasArgs = &n->hasArgs;
                args = &n->args;
            } else if (base->kind == Expr::Member) {
                auto *m = static_cast<MemberExpr *>(base.get());
                hasArgs = &m->hasArgs;
                args = &m->args;
            }
            if (!hasArgs || *hasArgs) {
                auto index = std::make_unique<IndexExpr>();
                index->line = t.line;
                index->column = t.column;
                index->base = std::move(base);
                index->args = parseParenArgs();
                measure(*index);
                base = std::move(index);
                if (lastParen) *lastParen = -1;
                continue;
            }
            if (lastParen) *lastParen = int(m_pos);
            *hasArgs = true;
            *args = parseParenArgs();
            measure(*base);
            continue;
        }
        if (t.type == Token::Dot) {
            next();
            const Token &m = peek();
            if (m.type != Token::Identifier) fail(1010, m);
            next();
            auto member = std::make_unique<MemberExpr>();
            member->line = m.line;
            member->column = m.column;
            member->name = m.text;
            member->object = std::move(base);
            measure(*member);
            base = std::move(member);
            if (lastParen) *lastParen = -1;
            continue;
        }
        return base;
    }
}

ExprPtr Parser::binary(Op op, ExprPtr lhs, ExprPtr rhs, const Token &at)
{
    auto e = std::make_unique<BinaryExpr>();
    e->op = op;
    e->line = at.line;
    e->column = at.column;
    e->lhs = std::move(lhs);
    e->rhs = std::move(rhs);
    measure(*e);
    return e;
}

void Parser::measure(Expr &e)
{
    int deepest = 0;
    auto consider = [&deepest](const ExprPtr &child) {
        if (child) deepest = std::max(deepest, child->depth);
    };
    switch (e.kind) {
    case Expr::Binary:
        consider(static_cast<BinaryExpr &>(e).lhs);
        consider(static_cast<BinaryExpr &>(e).rhs);
        break;
    case Expr::Unary:
        consider(static_cast<UnaryExpr &>(e).operand);
        break;
    case Expr::Paren:
        consider(static_cast<ParenExpr &>(e).inner);
        break;
    case Expr::Member:
        consider(static_cast<MemberExpr &>(e).object);
        for (const auto &a : static_cast<MemberExpr &>(e).args)
            consider(a);
        break;
    case Expr::Name:
        for (const auto &a : static_cast<NameExpr &>(e).args)
            consider(a);
        break;
    case Expr::Index:
        consider(static_cast<IndexExpr &>(e).base);
        for (const auto &a : static_cast<IndexExpr &>(e).args)
            consider(a);
        break;
    default:
        break;
    }
    e.depth = deepest + 1;
    if (e.depth > kMaxExpressionDepth)
        throw ScriptError(1002,
                          QStringLiteral("Syntax error: expression too complex (more than %1 "
                                         "operations deep)")
                              .arg(kMaxExpressionDepth),
                          e.line, e.column, ScriptError::Syntax);
}

ExprPtr Parser::parseExpr()
{
    enter();
    ExprPtr e = parseLevel(0);
    leave();
    return e;
}

ExprPtr Parser::parseLevel(int level)
{
    if (level == kLevelCount) return parseUnary();
    const PrecedenceLevel &l = kLevels[level];
    if (l.prefix) {
        const LevelOperator *o = levelOperator(l, peek());
        if (!o) return parseLevel(level + 1);
        const Token &t = next();
        enter();
        auto e = std::make_unique<UnaryExpr>();
        e->op = o->op;
        e->line = t.line;
        e->column = t.column;
        e->operand = parseLevel(level);
        measure(*e);
        leave();
        return e;
    }
    ExprPtr lhs = parseLevel(level + 1);
    while (const LevelOperator *o = levelOperator(l, peek())) {
        const Token &t = next();
        lhs = binary(o->op, std::move(lhs), parseLevel(level + 1), t);
    }
    return lhs;
}

ExprPtr Parser::parseUnary()
{
    const Token &t = peek();
    if (t.type == Token::Minus || t.type == Token::Plus) {
        next();
        enter();
        ExprPtr operand = parseUnary();
        leave();
        if (t.type == Token::Plus) return operand;
        if (operand->kind == Expr::Literal) {
            auto *lit = static_cast<LiteralExpr *>(operand.get());
            const com::Variant &v = lit->value;
            if (v.type() == com::vbInteger || v.type() == com::vbLong) {
                lit->value = integerLiteral(-double(v.longValue()));
                lit->line = t.line;
                lit->column = t.column;
                return operand;
            }
            if (v.type() == com::vbDouble) {
                lit->value = com::Variant(-v.numberValue());
                return operand;
            }
        }
        auto e = std::make_unique<UnaryExpr>();
        e->op = Op::Neg;
        e->line = t.line;
        e->column = t.column;
        e->operand = std::move(operand);
        measure(*e);
        return e;
    }
    return parsePower();
}

ExprPtr Parser::parsePower()
{
    ExprPtr lhs = parsePrimary();
    while (peek().type == Token::Caret) {
        const Token &t = next();
        ExprPtr rhs;
        // The exponent may carry its own sign: 2 ^ -1.
        if (peek().type == Token::Minus || peek().type == Token::Plus) {
            const Token &s = next();
            enter();
            ExprPtr operand = parsePrimary();
            leave();
            if (s.type == Token::Minus) {
                auto neg = std::make_unique<UnaryExpr>();
                neg->op = Op::Neg;
                neg->line = s.line;
                neg->column = s.column;
                neg->operand = std::move(operand);
                measure(*neg);
                rhs = std::move(neg);
            } else {
                rhs = std::move(operand);
            }
        } else {
            rhs = parsePrimary();
        }
        lhs = binary(Op::Pow, std::move(lhs), std::move(rhs), t);
    }
    return lhs;
}

ExprPtr Parser::parsePrimary()
{
    const Token &t = peek();
    switch (t.type) {
    case Token::Integer:
        next();
        return literal(integerLiteral(t.number), t);
    case Token::Float:
        next();
        return literal(com::Variant(t.number), t);
    case Token::String:
        next();
        return literal(com::Variant(t.text), t);
    case Token::Date:
        next();
        return literal(com::Variant::fromDate(t.number), t);
    case Token::Dot:
        if (m_with == 0) fail(1023, t);
        return parsePostfix(withObject(t));
    case Token::LParen: {
        next();
        auto e = std::make_unique<ParenExpr>();
        e->line = t.line;
        e->column = t.column;
        e->inner = parseExpr();
        measure(*e);
        expect(Token::RParen, 1006);
        return e;
    }
    case Token::Identifier:
        break;
    default:
        fail(1023, t);
    }
    switch (t.keyword) {
    case Token::True:
        next();
        return literal(com::Variant(true), t);
    case Token::False:
        next();
        return literal(com::Variant(false), t);
    case Token::Empty:
        next();
        return literal(com::Variant(), t);
    case Token::Null:
        next();
        return literal(com::Variant::null(), t);
    case Token::Nothing:
        next();
        return literal(com::Variant::nothing(), t);
    case Token::New: {
        next();
        auto e = std::make_unique<NewExpr>();
        e->line = t.line;
        e->column = t.column;
        e->className = expectName();
        return e;
    }
    case Token::Me:
        fail(1037, t);
    case Token::None: {
        next();
        auto n = std::make_unique<NameExpr>();
        n->line = t.line;
        n->column = t.column;
        n->name = t.text;
        return parsePostfix(std::move(n));
    }
    default:
        fail(1023, t);
    }
}

} // namespace vbs

#pragma once

#include "platform/vbscript/SyntaxTree.h"
#include "platform/vbscript/Token.h"

#include <memory>
#include <vector>

namespace vbs {

// Builds the syntax tree of one piece of script text. Names are left unbound (the Resolver
// binds them). Raises ScriptError (compilation, with line and column) on the first fault; limits
// the text's size and the nesting of blocks and expressions so that hostile text cannot exhaust
// the stack.
class Parser
{
public:
    static constexpr int kMaxSourceLength = 4 * 1024 * 1024;
    static constexpr int kMaxNesting = 100;
    // Depth of one expression's tree (long operator chains are deep without being nested).
    static constexpr int kMaxExpressionDepth = 1000;

    // Lexes and parses.
    static std::unique_ptr<Program> parse(const QString &text);

    explicit Parser(std::vector<Token> tokens);
    std::unique_ptr<Program> parseProgram();

private:
    const Token &peek(int ahead = 0) const;
    const Token &next();
    bool atEndOfStatement() const;
    bool accept(Token::Type type);
    bool acceptKeyword(Token::Keyword keyword);
    void expect(Token::Type type, int error);
    void expectKeyword(Token::Keyword keyword, int error);
    void expectEndOfStatement();
    [[noreturn]] void fail(int number, const Token &at, const QString &description = QString());
    QString expectName();
    void enter();
    void leave() { --m_depth; }

    std::unique_ptr<Procedure> parseProcedure(bool isFunction);
    Block parseBlock();
    StmtPtr parseStatement();
    Block parseInlineStatements();
    StmtPtr parseIf();
    StmtPtr parseSelect();
    StmtPtr parseFor();
    StmtPtr parseDo();
    StmtPtr parseWhile();
    StmtPtr parseExit();
    StmtPtr parseOnError();
    StmtPtr parseDim(bool redim);
    StmtPtr parseConst();
    StmtPtr parseErase();
    StmtPtr parseWith();
    ExprPtr withObject(const Token &dot);
    StmtPtr parseAssignOrCall(bool isSet, bool isCall);
    DimItem parseDimItem(bool redim);

    ExprPtr parseExpr();
    // The binary and Not levels of operator precedence, 0 the loosest.
    ExprPtr parseLevel(int level);
    ExprPtr parseUnary();
    ExprPtr parsePower();
    ExprPtr parsePrimary();
    ExprPtr parsePostfix(ExprPtr base, int *lastParen = nullptr);
    std::vector<ExprPtr> parseParenArgs();
    std::vector<ExprPtr> parseBareArgs();
    ExprPtr binary(Op op, ExprPtr lhs, ExprPtr rhs, const Token &at);
    // Sets e's depth from its children's and enforces kMaxExpressionDepth.
    void measure(Expr &e);

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    int m_depth = 0;
    int m_inlineIf = 0; // inside a single-line If: Else ends a statement
    int m_with = 0;     // open With blocks (".member")
    int m_loopDo = 0;   // open Do loops (Exit Do)
    int m_loopFor = 0;  // open For loops (Exit For)
    int m_procKind = 0; // 0 module, 1 Function, 2 Sub
    bool m_seenStatement = false;
    std::unique_ptr<Program> m_program;
};

} // namespace vbs

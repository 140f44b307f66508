#include "platform/vbscript/Parser.h"
#include "platform/vbscript/Lexer.h"
#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <gtest/gtest.h>

namespace {

std::vector<vbs::Token> lex(const char *text)
{
    QString s = QString::fromUtf8(text);
    vbs::Lexer lexer(s);
    return lexer.tokenize();
}

TEST(ScriptParser, LexerTokens)
{
    auto t = lex("x = &H1F + .5 ' note\r\ny = \"a\"\"b\" _\n  & #1/2/2003#: Rem rest");
    ASSERT_GE(t.size(), 12u);
    EXPECT_EQ(t[0].type, vbs::Token::Identifier);
    EXPECT_EQ(t[2].type, vbs::Token::Integer);
    EXPECT_EQ(t[2].number, 31);
    EXPECT_EQ(t[4].type, vbs::Token::Float);
    EXPECT_EQ(t[4].number, 0.5);
    EXPECT_EQ(t[5].type, vbs::Token::Newline);
    EXPECT_EQ(t[6].line, 2);
    EXPECT_EQ(t[8].text, QStringLiteral("a\"b"));
    // The continued line keeps counting lines.
    EXPECT_EQ(t[9].type, vbs::Token::Amp);
    EXPECT_EQ(t[9].line, 3);
    EXPECT_EQ(t[10].type, vbs::Token::Date);
    EXPECT_EQ(describe(com::Variant::fromDate(t[10].number)), "Date:2003-01-02");
    EXPECT_TRUE(t[11].colon);
    EXPECT_EQ(t.back().type, vbs::Token::End);
    EXPECT_EQ(t[0].keyword, vbs::Token::None);
    EXPECT_EQ(lex("ELSEIF")[0].keyword, vbs::Token::ElseIf);
}

TEST(ScriptParser, ProgramShape)
{
    auto p = vbs::Parser::parse(QStringLiteral(
        "Option Explicit\nDim a, b(3)\nPrivate Function F(ByVal x, y)\nEnd Function\n"
        "Public Sub S\nEnd Sub\nIf a Then b(0) = 1 Else b(1) = 2\n"));
    EXPECT_TRUE(p->optionExplicit);
    ASSERT_EQ(p->procedures.size(), 2u);
    EXPECT_TRUE(p->procedures[0]->isFunction);
    EXPECT_FALSE(p->procedures[0]->params[0].byRef);
    EXPECT_TRUE(p->procedures[0]->params[1].byRef);
    EXPECT_FALSE(p->procedures[1]->isFunction);
    ASSERT_EQ(p->body.size(), 2u);
    EXPECT_EQ(p->body[1]->kind, vbs::Stmt::If);
    EXPECT_EQ(p->body[1]->line, 7);
}

TEST(ScriptParser, CallStatementForms)
{
    // "Foo (a), b" passes a parenthesised first argument; "Foo (a) + 1" one expression.
    const char *prelude = "Function Two(a, b)\n Two = a & \",\" & b\nEnd Function\n"
                          "Sub Keep(a, b)\n r = Two(a, b)\nEnd Sub\n"
                          "Sub One(a)\n r = a\nEnd Sub\nDim r\n";
    EXPECT_EQ(runBody("Keep (1), 2: T = r", prelude), "String:1,2");
    EXPECT_EQ(runBody("One (1) + 1: T = r", prelude), "Integer:2");
    EXPECT_EQ(runBody("One(5): T = r", prelude), "Integer:5");
    EXPECT_EQ(runBody("Call Keep(3, 4): T = r", prelude), "String:3,4");
    EXPECT_EQ(runBody("Keep 1, 2: T = r", prelude), "String:1,2");
    EXPECT_EQ(runBody("x = Two(\"a\", \"b\"): T = x", prelude), "String:a,b");
}

TEST(ScriptParser, BrokenInputEndsInAnErrorWithItsLine)
{
    const char *inputs[] = {
        "\"",          "#",
        "#1/2",        "&H",
        "&HFFFFFFFFF", "1e",
        "x = 1..2",    "If",
        "For Each",    "Sub",
        "Function F(", "x = (((1)",
        "Select Case", "Do Loop Until",
        "x.",          "End",
        "Next",        "Loop",
        "Wend",        "Case 1",
        "Else",        "Dim a(",
        "ReDim a",     "On Error",
        "Exit",        "Const",
        "Set x",       "New",
        "Me.x = 1",
    };
    for (const char *input : inputs) {
        QString text = QString::fromUtf8(input);
        try {
            vbs::ScriptControl sc;
            sc.AddCode(text);
            ADD_FAILURE() << "loads: " << input;
        } catch (const vbs::ScriptError &e) {
            EXPECT_GT(e.line(), 0) << input;
        }
    }
}

} // namespace

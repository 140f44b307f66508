#pragma once

#include <QString>
#include <cstdint>

namespace vbs {

// One lexical token of a script. Reserved words come as identifiers with their keyword set;
// words that are only keywords in some places (Explicit, Error, Preserve...) stay identifiers.
struct Token
{
    enum Type : std::uint8_t {
        End,
        Newline, // a line end or ":" (statement separator)
        Identifier,
        Integer, // number literal without point or exponent
        Float,
        String,
        Date,
        LParen,
        RParen,
        Comma,
        Dot,
        Plus,
        Minus,
        Star,
        Slash,
        Backslash,
        Caret,
        Amp,
        Eq,
        Ne,
        Lt,
        Gt,
        Le,
        Ge,
    };
    enum Keyword : std::uint8_t {
        None,
        And,
        ByRef,
        ByVal,
        Call,
        Case,
        Class,
        Const,
        Dim,
        Do,
        Each,
        Else,
        ElseIf,
        Empty,
        EndKw,
        Eqv,
        Erase,
        Exit,
        False,
        For,
        Function,
        If,
        Imp,
        In,
        Is,
        Let,
        Loop,
        Me,
        Mod,
        New,
        Next,
        Not,
        Nothing,
        Null,
        On,
        Option,
        Or,
        Private,
        Public,
        ReDim,
        Select,
        Set,
        Step,
        Sub,
        Then,
        To,
        True,
        Until,
        Wend,
        While,
        With,
        Xor,
    };

    Type type = End;
    Keyword keyword = None;
    bool colon = false; // a Newline token that came from ":"
    int line = 1;
    int column = 1;
    QString text; // identifier as written, string literal's value
    double number = 0;

    bool is(Keyword k) const { return type == Identifier && keyword == k; }
    // A contextual word compared without regard to case ("Explicit", "Error", "Preserve").
    bool isWord(const char *word) const;
};

} // namespace vbs

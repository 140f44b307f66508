#include "platform/vbscript/Parser.h"
#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

vbs::ScriptError addCodeError(const QString &code)
{
    vbs::ScriptControl sc;
    try {
        sc.AddCode(code);
    } catch (const vbs::ScriptError &e) {
        EXPECT_NE(sc.Error(), nullptr);
        return e;
    }
    ADD_FAILURE() << "no error for: " << code.toStdString();
    return vbs::ScriptError(0, QStringLiteral("none"));
}

TEST(ScriptErrors, ResumeNextRecordsAndContinues)
{
    struct Case
    {
        const char *body;
        const char *expected;
    } cases[] = {
        {"On Error Resume Next\nx = 1 / 0\nT = Err.Number & \"|\" & Err.Description",
         "String:11|Division by zero"},
        {"On Error Resume Next\nx = CLng(\"z\")\nT = Err.Number", "Long:13"},
        {"On Error Resume Next\nx = 1 / 0\nErr.Clear\nT = Err.Number", "Long:0"},
        {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nT = Err.Number", "Long:0"},
        {"On Error Resume Next\nx = 1 / 0\ny = 2\nT = y", "Integer:2"},
        {"On Error Resume Next\nErr.Raise 1000, \"src\", \"custom\"\n"
         "T = Err.Number & Err.Source & Err.Description",
         "String:1000srccustom"},
        {"On Error Resume Next\nErr.Raise 9\nT = Err.Description", "String:Subscript out of range"},
        {"Err.Raise vbObjectError + 1", "error -2147221503"},
        {"x = 1 / 0\nOn Error Resume Next", "error 11"},
        {"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\ny = 1 / 0", "error 11"},
        // An error in an If condition resumes inside the branch.
        {"On Error Resume Next\nIf 1 / 0 Then T = \"in\" Else T = \"else\"", "String:in"},
        // A called procedure without a handler passes its error to the caller's handler.
        {"On Error Resume Next\nFail\nT = \"after \" & Err.Number", "String:after 5"},
        // Resume Next in a procedure ends with it.
        {"Quiet\nT = Err.Number", "Long:5"},
        {"On Error Resume Next\nT = Err", "Long:0"},
    };
    const char *prelude = "Sub Fail\n x = Mid(\"a\", 0)\n T2 = 1\nEnd Sub\n"
                          "Sub Quiet\n On Error Resume Next\n x = Mid(\"a\", 0)\nEnd Sub\n";
    for (const auto &c : cases)
        EXPECT_EQ(runBody(QString::fromUtf8(c.body), QString::fromUtf8(prelude)).toStdString(),
                  c.expected)
            << c.body;
}

TEST(ScriptErrors, RuntimeErrorsCarryNumberDescriptionAndLine)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function F(a)\n  Dim x\n  x = a * 2\n  F = x / 0\nEnd Function\n"
                              "Function G(a)\n  G = F(a)\nEnd Function\n"));
    try {
        sc.Run(QStringLiteral("G"), {com::Variant(std::int32_t(1))});
        FAIL();
    } catch (const vbs::ScriptError &e) {
        EXPECT_EQ(e.number(), 11);
        EXPECT_EQ(e.description(), QStringLiteral("Division by zero"));
        EXPECT_EQ(e.line(), 4); // where it happened, not where it was called
        EXPECT_EQ(e.column(), 0);
        ASSERT_NE(sc.Error(), nullptr);
        EXPECT_EQ(sc.Error()->line(), 4);
    }
    try {
        sc.Run(QStringLiteral("F"), {com::Variant(QStringLiteral("x"))});
        FAIL();
    } catch (const vbs::ScriptError &e) {
        EXPECT_EQ(e.number(), 13);
        EXPECT_EQ(e.line(), 3);
    }
    EXPECT_THROW(sc.Run(QStringLiteral("NoSuch")), vbs::ScriptError);
    EXPECT_EQ(sc.Error()->number(), 35);
    EXPECT_THROW(sc.Run(QStringLiteral("F")), vbs::ScriptError);
    EXPECT_EQ(sc.Error()->number(), 450);
}

TEST(ScriptErrors, ConditionErrorsReportTheirOwnLine)
{
    struct Case
    {
        const char *body;
        int line;
    } cases[] = {
        {"If False Then\n x = 1\nElseIf 1 / 0 Then\n x = 2\nEnd If", 4},
        {"Do\n x = x + 1\nLoop Until CLng(\"z\")", 4},
        {"Select Case 1\nCase 2\n x = 1\nCase 1 / 0\n x = 2\nEnd Select", 5},
        {"For i = 1 To 3\n x = 1\n i = \"z\"\nNext", 2},
    };
    for (const auto &c : cases) {
        vbs::ScriptControl sc;
        sc.AddCode(QStringLiteral("Function T()\n") + QString::fromUtf8(c.body) +
                   QStringLiteral("\nEnd Function"));
        try {
            sc.Run(QStringLiteral("T"));
            ADD_FAILURE() << c.body;
        } catch (const vbs::ScriptError &e) {
            EXPECT_EQ(e.line(), c.line) << c.body;
        }
    }
}

TEST(ScriptErrors, SyntaxErrorsCarryLineAndColumn)
{
    {
        vbs::ScriptControl sc;
        EXPECT_THROW(sc.AddCode(QStringLiteral("x = 1\r\n\r\ny = (2 +\r\nz = 3")),
                     vbs::ScriptError);
        ASSERT_NE(sc.Error(), nullptr);
        EXPECT_EQ(sc.Error()->line(), 3);
        EXPECT_EQ(sc.Error()->text(), QStringLiteral("y = (2 +"));
        EXPECT_EQ(sc.Error()->source(), QStringLiteral("VBScript compilation error"));
    }
    struct Case
    {
        const char *code;
        int number;
        int line;
        int column;
    } cases[] = {
        {"x = 1\ny = (2 + \n", 1023, 2, 10},
        {"x = \"abc\n", 1033, 1, 5},
        {"If x Then\n  y = 1\n", 1014, 3, 1},
        {"For i = 1 To\nNext", 1023, 1, 13},
        {"x = 1 2", 1025, 1, 7},
        {"Function F(\nEnd Function", 1010, 1, 12},
        {"x = $", 1032, 1, 5},
        {"Foo(1, 2)", 1044, 1, 4},
        {"Class C\nEnd Class", 1002, 1, 1},
        {"Do\nx = 1\nNext", 1019, 3, 1},
        {"Sub S\n Exit Function\nEnd Sub", 1039, 2, 7},
        {"Function F()\nEnd Function\nFunction F()\nEnd Function", 1041, 3, 1},
        {"x = 1\nOption Explicit", 1042, 2, 1},
        {"Select Case x\nx = 1\nEnd Select", 1021, 2, 1},
        // Dim's bounds are number literals; a name, constant or expression is refused at load.
        {"n = 3\nDim a(n)", 1026, 2, 7},
        {"Const N = 3\nDim a(N)", 1026, 2, 7},
        {"Dim a(2, 1 + 1)", 1026, 1, 10},
        {"Public p(\"3\")", 1026, 1, 10},
        {"Sub S(n)\n  Dim b(n - 1)\nEnd Sub", 1026, 2, 9},
        {"Sub S(n)\nEnd Sub\nx = 1\nPrivate q(UBound(Array(1)))", 1026, 4, 11},
    };
    for (const auto &c : cases) {
        vbs::ScriptError e = addCodeError(QString::fromUtf8(c.code));
        EXPECT_EQ(e.number(), c.number) << c.code;
        EXPECT_EQ(e.line(), c.line) << c.code;
        EXPECT_EQ(e.column(), c.column) << c.code;
        EXPECT_TRUE(e.isSyntax()) << c.code;
    }
}

TEST(ScriptErrors, EveryTruncatedStatementFailsOnItsLine)
{
    const QString sample =
        QStringLiteral("Option Explicit\n"
                       "Const Tolerance = 0.001\n"
                       "Dim calls, names(3)\n"
                       "Function IsEqual(a, b)\n"
                       "    Dim x, y\n"
                       "    calls = calls + 1\n"
                       "    x = LCase(Trim(a))\n"
                       "    y = LCase(Trim(b))\n"
                       "    If IsNumeric(x) And IsNumeric(y) Then\n"
                       "        IsEqual = Abs(CDbl(x) - CDbl(y)) < Tolerance\n"
                       "    ElseIf x = \"\" Or y = \"\" Then\n"
                       "        IsEqual = (x = y)\n"
                       "    Else\n"
                       "        Select Case Left(x, 1)\n"
                       "            Case \"#\", \"*\"\n"
                       "                IsEqual = Mid(x, 2) = Mid(y, 2)\n"
                       "            Case Else\n"
                       "                IsEqual = StrComp(x, y, vbTextCompare) = 0\n"
                       "        End Select\n"
                       "    End If\n"
                       "End Function\n"
                       "Sub Count(ByRef n)\n"
                       "    Do While n < 10: n = n + 1: Loop\n"
                       "    For n = 1 To 3 Step 1\n"
                       "        names(n) = Replace(names(n), \"a\", \"b\", 1, -1)\n"
                       "    Next\n"
                       "End Sub");
    vbs::ScriptControl whole;
    ASSERT_NO_THROW(whole.AddCode(sample));
    const QStringList lines = sample.split(QLatin1Char('\n'));
    int checked = 0;
    for (int l = 0; l < lines.size(); ++l) {
        // Cut the line before its last token (and drop everything after it).
        QString line = lines[l].trimmed();
        int cut = int(line.size()) - 1;
        QChar last = line[cut];
        if (last == QLatin1Char(')') || last == QLatin1Char('"')) {
            --cut;
        } else {
            while (cut > 0 && (line[cut - 1].isLetterOrNumber() || line[cut - 1] == '.'))
                --cut;
        }
        QString leading = lines[l].left(lines[l].indexOf(line));
        QStringList kept = lines.mid(0, l);
        kept << leading + line.left(cut);
        QString truncated = kept.join(QLatin1Char('\n'));
        vbs::ScriptControl sc;
        try {
            sc.AddCode(truncated);
            ADD_FAILURE() << "loads without error: " << truncated.toStdString();
        } catch (const vbs::ScriptError &e) {
            EXPECT_TRUE(e.isSyntax()) << truncated.toStdString();
            EXPECT_EQ(e.line(), l + 1) << truncated.toStdString();
            EXPECT_GT(e.column(), 0);
            ++checked;
        }
    }
    EXPECT_EQ(checked, lines.size());
}

TEST(ScriptErrors, ForbiddenFacilitiesFailClearly)
{
    struct Case
    {
        const char *body;
        int number;
        const char *mention;
    } cases[] = {
        {"Set fso = CreateObject(\"Scripting.FileSystemObject\")", 429,
         "Scripting.FileSystemObject"},
        {"Set x = GetObject(\"winmgmts:\")", 429, "GetObject"},
        {"Execute \"x = 1\"", 70, "Execute"},
        {"ExecuteGlobal \"x = 1\"", 70, "ExecuteGlobal"},
        {"T = Eval(\"1 + 1\")", 70, "Eval"},
        {"T = InputBox(\"?\")", 70, "InputBox"},
        {"WScript.Echo 1", 424, "Echo"},
    };
    for (const auto &c : cases) {
        vbs::ScriptControl sc;
        sc.AddCode(QStringLiteral("Function T()\n") + QString::fromUtf8(c.body) +
                   QStringLiteral("\nEnd Function"));
        try {
            sc.Run(QStringLiteral("T"));
            ADD_FAILURE() << "no error: " << c.body;
        } catch (const vbs::ScriptError &e) {
            EXPECT_EQ(e.number(), c.number) << c.body;
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.mention)))
                << e.description().toStdString();
        }
    }
}

TEST(ScriptErrors, LimitsStopHostileScripts)
{
    // Source size.
    QString huge(vbs::Parser::kMaxSourceLength + 1, QLatin1Char(' '));
    EXPECT_EQ(addCodeError(huge).number(), 7);
    // Nesting of expressions and of blocks.
    QString deep = QStringLiteral("x = ") + QString(500, QLatin1Char('(')) + QLatin1Char('1') +
                   QString(500, QLatin1Char(')'));
    EXPECT_EQ(addCodeError(deep).number(), 1002);
    QString blocks;
    for (int i = 0; i < 300; ++i)
        blocks += QStringLiteral("If True Then\n");
    EXPECT_EQ(addCodeError(blocks).number(), 1002);
    QString minus = QStringLiteral("x = ") + QString(100000, QLatin1Char('-')) + QLatin1Char('1');
    EXPECT_EQ(addCodeError(minus).number(), 1002);
    // Long operator chains are deep trees too.
    QStringList terms;
    for (int i = 0; i < 300000; ++i)
        terms << QStringLiteral("1");
    EXPECT_EQ(addCodeError(QStringLiteral("x = ") + terms.join(QLatin1Char('+'))).number(), 1002);
    EXPECT_EQ(runBody(QStringLiteral("T = ") + terms.mid(0, 900).join(QLatin1Char('+'))),
              "Integer:900");
    // String size.
    EXPECT_EQ(runBody("s = \"x\"\nDo: s = s & s: Loop"), "error 14");
    EXPECT_EQ(runBody("T = Space(100000000)"), "error 14");
    // Long texts kept in an array add up: the call stops long before memory runs out.
    EXPECT_EQ(runBody("ReDim a(1000)\nFor i = 0 To 1000: a(i) = Space(10000000): Next"), "error 7");
    // Short texts made over and over do not count.
    EXPECT_EQ(runBody("For i = 1 To 100000: s = Space(100) & i: Next: T = Len(s)"), "Long:106");
    // Arrays in arrays: a long chain would be freed recursively.
    EXPECT_EQ(runBody("a = Array()\nFor i = 1 To 100000: a = Array(a): Next"), "error 7");
    EXPECT_EQ(runBody("Dim a(0)\nFor i = 1 To 100000: a(0) = a: Next"), "error 7");
    EXPECT_EQ(runBody("a = Array(Array(Array(1)))\nT = a(0)(0)(0)"), "Integer:1");
    EXPECT_EQ(runBody("a = Array(Array(Array(7)))\nb = a(0): c = b(0): T = c(0)"), "Integer:7");
    // Recursion.
    EXPECT_EQ(runBody("T = R(1)", "Function R(n)\n R = R(n + 1)\nEnd Function\n"), "error 28");
    // Recursion through deeply nested expressions runs out of its stack budget, not the
    // machine's stack.
    QString nested =
        QString(90, QLatin1Char('(')) + QStringLiteral("D(n + 1)") + QString(90, QLatin1Char(')'));
    EXPECT_EQ(runBody(QStringLiteral("T = D(1)"), QStringLiteral("Function D(n)\n D = ") + nested +
                                                      QStringLiteral(" + 1\nEnd Function\n")),
              "error 28");
}

TEST(ScriptErrors, CancelStopsARunawayLoop)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function IsEqual(a, b)\n On Error Resume Next\n Do\n x = x + 1\n"
                              " Loop\nEnd Function"));
    int polls = 0;
    sc.setCancelCheck([&polls] { return ++polls >= 3; });
    try {
        sc.Run(QStringLiteral("IsEqual"), {com::Variant(QString()), com::Variant(QString())});
        FAIL();
    } catch (const vbs::ScriptError &e) {
        EXPECT_EQ(e.number(), 18);
        EXPECT_FALSE(e.catchable());
        EXPECT_EQ(polls, 3);
    }
    // A time limit works the same way.
    vbs::ScriptControl timed;
    timed.setTimeout(50);
    timed.AddCode(QStringLiteral("Function F()\n While True: Wend\nEnd Function"));
    EXPECT_THROW(timed.Run(QStringLiteral("F")), vbs::ScriptError);
    EXPECT_EQ(timed.Error()->number(), 18);
}

TEST(ScriptErrors, OnlyVBScriptIsOffered)
{
    vbs::ScriptControl sc;
    EXPECT_EQ(sc.Language(), QStringLiteral("VBScript"));
    EXPECT_NO_THROW(sc.setLanguage(QStringLiteral("vbscript")));
    EXPECT_THROW(sc.setLanguage(QStringLiteral("JScript")), BasicError);
}

} // namespace

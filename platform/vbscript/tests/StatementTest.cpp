#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include "platform/win/MessageBox.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *body;
    const char *expected;
};

void runTable(const Case *cases, std::size_t n, const char *prelude = "")
{
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_EQ(
            runBody(QString::fromUtf8(cases[i].body), QString::fromUtf8(prelude)).toStdString(),
            std::string(cases[i].expected))
            << cases[i].body;
}

TEST(ScriptStatements, ControlFlow)
{
    const Case cases[] = {
        {"If 1 > 2 Then\n T = 1\nElseIf 2 > 1 Then\n T = 2\nElse\n T = 3\nEnd If", "Integer:2"},
        {"If False Then T = 1 Else T = 2", "Integer:2"},
        {"If True Then T = 1: T = T + 1 Else T = 9", "Integer:2"},
        {"If Null Then T = 1 Else T = 2", "Integer:2"},
        {"If \"abc\" Then T = 1", "error 13"},
        {"If \"True\" Then T = 1", "Integer:1"},
        {"For i = 1 To 10: s = s + i: Next: T = s", "Integer:55"},
        {"For i = 10 To 1 Step -3: s = s & i: Next: T = s", "String:10741"},
        {"For i = 1 To 0: s = 1: Next: T = IsEmpty(s) & i", "String:True1"},
        {"For i = 0 To 1 Step 0.25: n = n + 1: Next: T = n", "Integer:5"},
        {"For i = 1 To 10\n If i = 4 Then Exit For\nNext\nT = i", "Integer:4"},
        {"For Each x In Array(1, 2, 3): s = s + x: Next: T = s", "Integer:6"},
        {"For Each x In Split(\"\", \",\"): n = 1: Next: T = IsEmpty(n)", "Boolean:True"},
        {"For Each x In 5: Next", "error 451"},
        {"Do While i < 5: i = i + 1: Loop: T = i", "Integer:5"},
        {"Do Until i >= 5: i = i + 1: Loop: T = i", "Integer:5"},
        {"Do: i = i + 1: Loop While i < 5: T = i", "Integer:5"},
        {"Do: i = i + 1: Loop Until True: T = i", "Integer:1"},
        {"Do\n i = i + 1\n If i = 7 Then Exit Do\nLoop\nT = i", "Integer:7"},
        {"While i < 3: i = i + 1: Wend: T = i", "Integer:3"},
        {"For i = 1 To 3\n Do\n Exit Do\n Loop\n n = n + 1\nNext\nT = n", "Integer:3"},
        {"Select Case 5\nCase 1, 2: T = \"a\"\nCase 3 To 6: T = \"b\"\nCase Else: T = \"c\"\n"
         "End Select",
         "String:b"},
        {"Select Case \"x\"\nCase \"a\", \"x\": T = 1\nEnd Select", "Integer:1"},
        {"Select Case 10\nCase Is > 20: T = 1\nCase Is >= 10: T = 2\nEnd Select", "Integer:2"},
        {"Select Case Null\nCase Null: T = 1\nCase Else: T = 2\nEnd Select", "Integer:2"},
        {"Select Case 7\nCase 1: T = 1\nEnd Select\nT = IsEmpty(T)", "Boolean:True"},
        {"x = 1 _\n + 2: T = x", "Integer:3"},
        {"T = 1 ' comment\nRem another\nT = T + 1", "Integer:2"},
        {"tEsT = 5: T = TEST", "Integer:5"},
        {"Stop\nRandomize\nT = 1", "Integer:1"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptStatements, ProceduresAndArguments)
{
    const char *prelude = "Function Twice(ByVal n)\n n = n * 2\n Twice = n\nEnd Function\n"
                          "Sub Bump(n)\n n = n + 1\nEnd Sub\n"
                          "Sub BumpVal(ByVal n)\n n = n + 1\nEnd Sub\n"
                          "Function Fact(n)\n If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\n"
                          "End Function\n"
                          "Function Early(x)\n Early = 1\n If x Then Exit Function\n Early = 2\n"
                          "End Function\n"
                          "Function Acc(a)\n For Each x In a: Acc = Acc & x: Next\nEnd Function\n"
                          "Sub Fill(a)\n a(0) = \"changed\"\nEnd Sub\n";
    const Case cases[] = {
        {"T = Twice(4)", "Integer:8"},
        {"n = 4: x = Twice(n): T = n", "Integer:4"},
        {"n = 1: Bump n: T = n", "Integer:2"},
        {"n = 1: Bump (n): T = n", "Integer:1"},
        {"n = 1: Call Bump(n): T = n", "Integer:2"},
        {"n = 1: BumpVal n: T = n", "Integer:1"},
        {"Dim a(2): a(1) = 5: Bump a(1): T = a(1)", "Integer:6"},
        {"T = Fact(10)", "Long:3628800"},
        {"T = Early(True) & Early(False)", "String:12"},
        {"T = Acc(Array(\"a\", \"b\"))", "String:ab"},
        {"a = Array(1, 2): Fill a: T = a(0)", "String:changed"},
        {"T = Twice(1, 2)", "error 450"},
        {"T = Missing(1)", "error 13"},
        {"Bump 1, 2", "error 450"},
        {"x = Fact(100000)", "error 28"},
    };
    runTable(cases, std::size(cases), prelude);
}

TEST(ScriptStatements, ArraysAreValues)
{
    const Case cases[] = {
        {"Dim a(3): T = UBound(a)", "Long:3"},
        {"Dim a(2, 4): T = UBound(a, 2)", "Long:4"},
        {"Dim a(2, 4): a(1, 3) = \"x\": T = a(1, 3)", "String:x"},
        {"Dim a(2): T = a(3)", "error 9"},
        {"Dim a(2): ReDim a(5)", "error 10"},
        {"Dim a(): ReDim a(2): a(2) = 1: T = UBound(a)", "Long:2"},
        {"Dim a(): T = UBound(a)", "error 9"},
        {"ReDim a(1): a(0) = \"k\": ReDim Preserve a(3): T = a(0) & UBound(a)", "String:k3"},
        {"ReDim a(1): a(0) = \"k\": ReDim a(3): T = IsEmpty(a(0))", "Boolean:True"},
        {"a = Array(1, 2): b = a: b(0) = 9: T = a(0)", "Integer:1"},
        {"a = Array(): T = UBound(a)", "Long:-1"},
        {"a = Array(1, 2): Erase a: T = UBound(a)", "error 9"},
        {"x = 5: T = x(0)", "error 13"},
        {"ReDim a(100000000)", "error 7"},
        {"ReDim a(2000, 2000)", "error 7"},
        {"a = Split(Space(2000000))", "error 7"},
        {"a = Array(3, 1): T = LBound(a) & UBound(a) & IsArray(a)", "String:01True"},
        {"T = Split(\"a,b,c\", \",\")(1)", "String:b"},
        {"a = Array(Array(1, 2), Array(3, 4)): T = a(1)(0)", "Integer:3"},
        {"a = Array(Array(1, 2)): a(0)(1) = 5", "error 501"},
        {"T = Split(\"a\")(3)", "error 9"},
        {"x = 5: T = Array(x)(0)(0)", "error 13"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptStatements, DeclarationsAndConstants)
{
    EXPECT_EQ(runBody("T = Answer * 2", "Const Answer = 21\n"), "Integer:42");
    EXPECT_EQ(runBody("Const A = 2, B = A * 3\nT = B"), "Integer:6");
    EXPECT_EQ(runBody("T = Counter", "Dim Counter\nCounter = 5\n"), "Integer:5");
    EXPECT_EQ(runBody("Const A = 1\nA = 2"), "error 501");
    EXPECT_EQ(runBody("Dim x\nDim x"), "error 1041");
    EXPECT_EQ(runBody("Const A = Len(\"x\")"), "error 1045");
    EXPECT_EQ(runBody("T = vbCrLf = Chr(13) & Chr(10)"), "Boolean:True");
    EXPECT_EQ(runBody("T = vbTextCompare + vbBinaryCompare"), "Long:1");
    // Option Explicit makes an undeclared name an error when it runs, not when it loads.
    EXPECT_EQ(runBody("Dim y\ny = 1\nT = y", "Option Explicit\n"), "Integer:1");
    EXPECT_EQ(runBody("y = 1", "Option Explicit\n"), "error 500");
    EXPECT_EQ(runBody("If False Then y = 1\nT = 2", "Option Explicit\n"), "Integer:2");
    // Dim's bounds are number literals; ReDim takes any expression.
    EXPECT_EQ(runBody("Dim a(5), b(2, 3), c(), d(-1), e(+2), f(&H3)\n"
                      "T = UBound(a) & UBound(b, 2) & UBound(d) & UBound(e) & UBound(f)"),
              "String:53-123");
    EXPECT_EQ(runBody("n = 4\nReDim a(n - 1)\nT = UBound(a)"), "Long:3");
}

TEST(ScriptStatements, ModuleCodeRunsAtLoad)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Dim calls\ncalls = 10\nFunction Next1()\n calls = calls + 1\n"
                              " Next1 = calls\nEnd Function\n"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("next1"))), "Integer:11");
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Next1"))), "Integer:12");
    sc.Reset();
    EXPECT_THROW(sc.Run(QStringLiteral("Next1")), vbs::ScriptError);
}

TEST(ScriptStatements, CodeCannotBeResetWhileItRuns)
{
    // A message box lets the event loop run; whatever it does, the running code stays alive.
    vbs::ScriptControl sc;
    struct ResettingBox : win::MessageBoxSeam
    {
        vbs::ScriptControl *control = nullptr;
        int refused = 0;
        int show(const QString &, int, const QString &) override
        {
            try {
                control->Reset();
            } catch (const vbs::ScriptError &) {
                ++refused;
            }
            try {
                control->AddCode(QStringLiteral("Dim z"));
            } catch (const vbs::ScriptError &) {
                ++refused;
            }
            return win::vbOK;
        }
    } box;
    box.control = &sc;
    win::MessageBoxSeam *previous = win::MessageBoxSeam::installed();
    win::MessageBoxSeam::install(&box);
    sc.AddCode(QStringLiteral("Function F()\n MsgBox \"x\"\n F = 7\nEnd Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("F"))), "Integer:7");
    EXPECT_EQ(box.refused, 2);
    win::MessageBoxSeam::install(previous);
}

TEST(ScriptStatements, RegExp)
{
    const Case cases[] = {
        {"Set r = New RegExp: r.Pattern = \"^\\d+$\": T = r.Test(\"123\")", "Boolean:True"},
        {"Set r = New RegExp: r.Pattern = \"b\": r.IgnoreCase = True: T = r.Test(\"ABC\")",
         "Boolean:True"},
        {"Set r = New RegExp: r.Pattern = \"a\": T = r.Replace(\"aaa\", \"b\")", "String:baa"},
        {"Set r = New RegExp: r.Pattern = \"a\": r.Global = True: T = r.Replace(\"aaa\", \"b\")",
         "String:bbb"},
        {"Set r = New RegExp: r.Pattern = \"(\\w+) (\\w+)\": T = r.Replace(\"ab cd\", \"$2 $1\")",
         "String:cd ab"},
        {"Set r = New RegExp: r.Pattern = \"b\": T = r.Replace(\"abc\", \"[$&|$`|$'|$$|$3|$]\")",
         "String:a[b|a|c|$|$3|$]c"},
        {"Set r = New RegExp: r.PATTERN = \"x\": T = r.rEPLACE(\"abc\", \"y\")", "String:abc"},
        {"Set r = New RegExp: r.Pattern = \"\": r.Global = True: T = r.Replace(\"ab\", \"-\")",
         "String:-a-b-"},
        {"Set r = New RegExp: r.Pattern = \"\\s+\": r.Global = True\n"
         "T = r.Replace(\"a  b \" & vbTab & \"c\", \" \")",
         "String:a b c"},
        {"Set r = New RegExp: r.Pattern = \"\\d\": r.Global = True\n"
         "Set m = r.Execute(\"a1b22\"): T = m.Count & m(0) & m.Item(2).FirstIndex",
         "String:314"},
        {"Set r = New RegExp: r.Pattern = \"(\\d)(\\w)\"\n"
         "T = r.Execute(\"x1y\")(0).SubMatches(1)",
         "String:y"},
        {"Set r = New RegExp: r.Pattern = \"\\d\": r.Global = True\n"
         "For Each x In r.Execute(\"a1b2\"): s = s & x.Value: Next: T = s",
         "String:12"},
        {"Set r = New RegExp: r.Pattern = \"(\": T = r.Test(\"x\")", "error 5017"},
        // A pattern the engine gives up on stops the script rather than answering wrongly.
        {"Set r = New RegExp: r.Pattern = \"(a+)+c|x\": T = r.Test(String(40, \"a\") & \"bx\")",
         "error 28"},
        {"Set r = New RegExp: r.Pattern = \"(a+)+c|x\": r.Global = True\n"
         "T = r.Replace(String(40, \"a\") & \"bx\", \"-\")",
         "error 28"},
        {"Set r = New RegExp: r.Pattern = \"a\": T = r.Test(ChrW(&HD800) & \"a\")", "Boolean:True"},
        {"Set r = New RegExp: r.Pattern = \"(?R)\": T = r.Test(\"x\")", "error 28"},
        {"Set r = New RegExp: r.Pattern = \"\\C\": T = r.Test(\"x\")", "error 5017"},
        {"Set r = New RegExp: r.Global = True: Set m = r.Execute(Space(2000000))", "error 7"},
        {"Set r = New RegExp: T = r.Nope", "error 438"},
        {"Set r = New Thing", "error 506"},
        {"Set r = New RegExp\nWith r\n .Pattern = \"a\"\n .Global = True\n"
         " T = .Replace(\"aa\", \"b\") & .Test(\"xa\")\nEnd With",
         "String:bbTrue"},
        {"With New RegExp\n .Pattern = \"x\"\n If .Test(\"yx\") Then T = Len(.Pattern)\nEnd With",
         "Long:1"},
        {"Set r = New RegExp: r.Pattern = \"o\"\nWith r\n With New RegExp\n .Pattern = \"i\"\n"
         " End With\n T = .Pattern\nEnd With",
         "String:o"},
        {"With 5\nEnd With", "error 424"},
        {".Pattern = 1", "error 1024"},
        {"Set r = New RegExp: T = TypeName(r) & (r Is r) & (r Is Nothing)",
         "String:IRegExp2TrueFalse"},
        {"Set r = 5", "error 424"},
    };
    runTable(cases, std::size(cases));
}

} // namespace

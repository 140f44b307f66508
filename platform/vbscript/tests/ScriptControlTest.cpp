#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <gtest/gtest.h>

namespace {

using com::Variant;

TEST(ScriptControl, CodeAddedLaterIsFoundByName)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function First(x)\n First = Later(x) & \"!\"\nEnd Function"));
    EXPECT_THROW(sc.Run(QStringLiteral("First"), {Variant(QStringLiteral("a"))}), vbs::ScriptError);
    EXPECT_EQ(sc.Error()->number(), 13); // an unknown function is a type mismatch
    sc.AddCode(QStringLiteral("Function Later(x)\n Later = UCase(x)\nEnd Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("First"), {Variant(QStringLiteral("a"))})),
              "String:A!");
    EXPECT_EQ(sc.Error(), nullptr);
    // A procedure added again replaces the earlier one for callers by name.
    sc.AddCode(QStringLiteral("Function Later(x)\n Later = LCase(x)\nEnd Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Later"), {Variant(QStringLiteral("B"))})),
              "String:b");
}

TEST(ScriptControl, UndeclaredNamesFindWhatLaterCodeDefines)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function Use()\n Use = limit & \"|\" & Helper\n"
                              " count = count + 1\nEnd Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Use"))), "String:|");
    sc.AddCode(QStringLiteral("Dim limit\nlimit = 5\nFunction Helper()\n Helper = \"h\"\n"
                              "End Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Use"))), "String:5|h");
    // Without such a definition the name stays the procedure's own variable.
    sc.AddCode(QStringLiteral("Function Count2()\n count = count + 1\n Count2 = count\n"
                              "End Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Count2"))), "Integer:1");
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Count2"))), "Integer:1");
}

TEST(ScriptControl, GlobalsPersistBetweenCallsUntilReset)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Dim seen\nFunction Note(x)\n seen = seen & x\n Note = seen\n"
                              "End Function"));
    sc.Run(QStringLiteral("Note"), {Variant(QStringLiteral("a"))});
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Note"), {Variant(QStringLiteral("b"))})),
              "String:ab");
    sc.Reset();
    sc.AddCode(QStringLiteral("Dim seen\nFunction Note(x)\n seen = seen & x\n Note = seen\n"
                              "End Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Note"), {Variant(QStringLiteral("c"))})), "String:c");
}

TEST(ScriptControl, RunPassesArgumentsAndReturnsSubtypes)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function Kind(v)\n Kind = TypeName(v)\nEnd Function\n"
                              "Sub Nothing1()\nEnd Sub\n"
                              "Function Swap(a, b)\n Dim t: t = a: a = b: b = t\nEnd Function"));
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Kind"), {Variant(QStringLiteral("x"))})),
              "String:String");
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Kind"), {Variant::null()})), "String:Null");
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Kind"), {Variant(2.5)})), "String:Double");
    EXPECT_EQ(describe(sc.Run(QStringLiteral("Nothing1"))), "Empty:");
    // Run passes its arguments by value as far as the caller can see.
    std::vector<Variant> args{Variant(std::int32_t(1)), Variant(std::int32_t(2))};
    sc.Run(QStringLiteral("Swap"), args);
    EXPECT_EQ(args[0].longValue(), 1);
}

TEST(ScriptControl, ErrExitAndClearRules)
{
    // Exit Function clears Err; returning normally keeps it.
    const char *prelude = "Function Quits()\n On Error Resume Next\n x = 1 / 0\n Exit Function\n"
                          "End Function\n"
                          "Function Keeps()\n On Error Resume Next\n x = 1 / 0\nEnd Function\n";
    EXPECT_EQ(runBody("x = Quits(): T = Err.Number", prelude), "Long:0");
    EXPECT_EQ(runBody("x = Keeps(): T = Err.Number", prelude), "Long:11");
    EXPECT_EQ(runBody("On Error Resume Next\nErr.Number = 5\nT = Err.Description & Err", prelude),
              "String:5");
    EXPECT_EQ(runBody("Err.Raise 0"), "error 5");
}

} // namespace

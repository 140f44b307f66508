#include "platform/vbscript/Interpreter.h"
#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

// Runs `body` as function T with a small memory budget; "error N" or the described result.
QString runWithBudget(const QString &body, std::int64_t budget)
{
    vbs::ScriptControl sc;
    sc.setMemoryBudget(budget);
    try {
        sc.AddCode(QStringLiteral("Function T()\n") + body + QStringLiteral("\nEnd Function\n"));
        return describe(sc.Run(QStringLiteral("T")));
    } catch (const vbs::ScriptError &e) {
        return QStringLiteral("error %1").arg(e.number());
    }
}

TEST(ScriptResources, ValuesThatOutgrowTheBudgetFailWithOutOfMemory)
{
    // Each would hold hundreds of MiB without the budget.
    const char *hostile[] = {
        // An array of many long texts.
        "ReDim a(2000)\ns = Space(60000)\nFor i = 0 To 2000: a(i) = s & i: Next",
        // Arrays inside arrays: each element a copy of a big array.
        "ReDim b(100000)\nReDim a(100)\nFor i = 0 To 100: a(i) = b: Next",
        // Big arrays held by nested calls' variables.
        "T = R(100)\nEnd Function\nFunction R(n)\nReDim big(100000)\nIf n > 0 Then R = R(n - 1)",
        // Temporaries: arrays held while the next argument is evaluated.
        "s = String(100000, \",\")\nx = Array(Split(s, \",\"), Split(s, \",\"), Split(s, \",\"), "
        "Split(s, \",\"), "
        "Split(s, \",\"), Split(s, \",\"), Split(s, \",\"), Split(s, \",\"), Split(s, \",\"), "
        "Split(s, \",\"), Split(s, \",\"), Split(s, \",\"))",
        "s = String(100000, \",\")\nx = Split(s, \",\") & (Split(s, \",\") & (Split(s, \",\") & "
        "(Split(s, \",\") & "
        "(Split(s, \",\") & (Split(s, \",\") & (Split(s, \",\") & (Split(s, \",\") & Split(s, "
        "\",\"))))))))",
        // Match collections kept in an array.
        "Set re = New RegExp\nre.Pattern = \".\"\nre.Global = True\ns = Space(10000)\n"
        "ReDim a(50)\nFor i = 0 To 50: Set a(i) = re.Execute(s): Next",
        // Patterns of many regular expressions.
        "ReDim a(1000)\nFor i = 0 To 1000\n Set a(i) = New RegExp\n"
        " a(i).Pattern = Space(100000) & i\nNext",
        // An array grown one element at a time.
        "n = 0\nDo While n < 10000\n ReDim Preserve a(n)\n a(n) = Space(10000) & n\n"
        " n = n + 1\nLoop",
    };
    for (const char *body : hostile)
        EXPECT_EQ(runWithBudget(QString::fromLatin1(body), 32 * kMiB), "error 7") << body;
}

TEST(ScriptResources, TheDefaultBudgetIsTheDocumentedOne)
{
    vbs::ScriptControl sc;
    EXPECT_EQ(sc.MemoryBudget(), 256 * kMiB);
    EXPECT_EQ(sc.MemoryBudget(), vbs::Interpreter::kDefaultMemoryBudget);
    // 1,001 texts of 400 KB: 400 MB.
    sc.AddCode(QStringLiteral("Function T()\nOn Error Resume Next\nReDim a(1000)\n"
                              "For i = 0 To 1000\n a(i) = Space(200000) & i\n"
                              " If Err.Number <> 0 Then Exit For\nNext\n"
                              "T = Err.Number & \" at \" & i & \": \" & Err.Description\n"
                              "End Function\n"));
    QString result = sc.Run(QStringLiteral("T")).toString();
    EXPECT_TRUE(result.startsWith(QStringLiteral("7 at "))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("256 MiB"))) << result.toStdString();
    int stoppedAt = result.section(QLatin1Char(' '), 2, 2).chopped(1).toInt();
    EXPECT_GT(stoppedAt, 500); // nearly the budget was usable
    EXPECT_LT(stoppedAt, 700);
}

TEST(ScriptResources, OnlyWhatIsHeldCounts)
{
    const struct
    {
        const char *body;
        const char *expected;
    } cases[] = {
        // Made and dropped again and again: far more than the budget in all.
        {"For i = 1 To 200\n ReDim y(100000)\n s = Space(1000000) & i\nNext\nT = Len(s)",
         "Long:1000003"},
        // One text shared by many elements counts once.
        {"ReDim a(100000)\ns = Space(4000000)\nFor i = 0 To 100000: a(i) = s: Next\n"
         "T = Len(a(100000))",
         "Long:4000000"},
        // After the error the script frees what it held and goes on.
        {"On Error Resume Next\nReDim a(1000)\nFor i = 0 To 1000\n a(i) = Space(100000) & i\n"
         " If Err.Number <> 0 Then Exit For\nNext\nn = Err.Number\nErr.Clear\nErase a\n"
         "ReDim b(1000)\nFor i = 0 To 100: b(i) = Space(100000) & i: Next\n"
         "T = n & \"/\" & Err.Number & \"/\" & Len(b(100))",
         "String:7/0/100003"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(runWithBudget(QString::fromLatin1(c.body), 32 * kMiB).toStdString(),
                  std::string(c.expected))
            << c.body;
}

// Scripts that never end: plain loops of cheap statements and single statements that take long
// (long built-ins, big values).
const char *const kEndlessBodies[] = {
    "Do\n i = i + 1\nLoop",
    "Do While True: s = LCase(\"A\"): Loop",
    "Do\n ReDim y(1000000)\nLoop",
    "s = String(16000000, \"a\")\nDo\n n = InStr(s, \"b\")\nLoop",
    "s = String(16000000, \"a\")\nt = String(16000000, \"a\")\nDo\n e = (s = t)\nLoop",
    "s = String(1000000, \",\")\nDo\n x = Split(s, \",\")\nLoop",
    "s = String(4000000, \"a\")\nDo\n x = Replace(s, \"a\", \"b\")\nLoop",
    "Set re = New RegExp\nre.Pattern = \".\"\nre.Global = True\ns = Space(100000)\n"
    "Do\n Set m = re.Execute(s)\nLoop",
    "Set re = New RegExp\nre.Pattern = \"a\"\nre.Global = True\ns = String(2000000, \"a\")\n"
    "Do\n x = re.Replace(s, \"$&b\")\nLoop",
};

std::int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs `body` as function T; returns the error number it stopped with and sets `*stoppedAt`.
int runEndless(vbs::ScriptControl &sc, const char *body, std::int64_t *stoppedAt)
{
    sc.AddCode(QStringLiteral("Function T()\n") + QString::fromLatin1(body) +
               QStringLiteral("\nEnd Function\n"));
    int number = 0;
    try {
        sc.Run(QStringLiteral("T"));
    } catch (const vbs::ScriptError &e) {
        number = e.number();
    }
    *stoppedAt = nowMs();
    return number;
}

// Sets the cancel flag from another thread a moment after the script started, and measures how
// long the script went on after that. The bound is generous: a script that ignored the flag
// until its next few thousand statements ran for a minute and more.
TEST(ScriptResources, CancelStopsEndlessScriptsPromptly)
{
    for (const char *body : kEndlessBodies) {
        vbs::ScriptControl sc;
        std::atomic<bool> cancel{false};
        std::atomic<std::int64_t> cancelledAt{0};
        sc.setCancelCheck([&cancel] { return cancel.load(); });
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            cancelledAt = nowMs();
            cancel = true;
        });
        std::int64_t stoppedAt = 0;
        int number = runEndless(sc, body, &stoppedAt);
        canceller.join();
        EXPECT_EQ(number, 18) << body;
        EXPECT_LT(stoppedAt - cancelledAt.load(), 3000) << body;
    }
}

TEST(ScriptResources, ATimeLimitStopsEndlessScriptsToo)
{
    for (const char *body : kEndlessBodies) {
        vbs::ScriptControl sc;
        sc.setTimeout(200);
        std::int64_t started = nowMs(), stoppedAt = 0;
        EXPECT_EQ(runEndless(sc, body, &stoppedAt), 18) << body;
        EXPECT_LT(stoppedAt - started, 5000) << body;
        ASSERT_NE(sc.Error(), nullptr);
        EXPECT_EQ(sc.Error()->number(), 18);
    }
}

} // namespace

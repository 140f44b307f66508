// Calls a typical user IsEqual a million times through the script control, for a few kinds of
// script, against the same rule written in C++ (the floor); and how long scripts whose single
// statements take long go on after Cancel, against the time one such statement takes (the
// floor). Prints "<figure> <value> <unit>". Goal: every isequal_* at least 1e6 calls/s on a quiet
// machine. Names on the command line measure only those figures ("isequal_regexp"), and
// --calls=N makes N calls (for a profiler).
#include "platform/text/BasicText.h"
#include "platform/vbscript/CompiledPattern.h"
#include "platform/vbscript/ScriptControl.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

int g_calls = 1000000; // --calls=N sets another count (for a profiler)
constexpr int kPairs = 4096;

// Names given on the command line pick the figures to measure (all when none is given), so
// that one script can be profiled alone.
std::vector<const char *> g_wanted;

bool wanted(const char *kind, const char *name)
{
    if (g_wanted.empty()) return true;
    char figure[64];
    std::snprintf(figure, sizeof figure, "%s_%s", kind, name);
    for (const char *w : g_wanted)
        if (std::strcmp(w, figure) == 0 || std::strcmp(w, name) == 0) return true;
    return false;
}

struct Pair
{
    QString a;
    QString b;
};

std::vector<Pair> makePairs(bool numeric)
{
    std::vector<Pair> pairs;
    for (int i = 0; i < kPairs; ++i) {
        if (numeric) {
            double v = i * 1.25;
            pairs.push_back({QString::number(v), QString::number(v + (i % 3) * 0.0005)});
        } else {
            QString s = QStringLiteral("Item-%1 部门").arg(i * 7919 % 10007);
            pairs.push_back({QStringLiteral("  ") + s, i % 2 ? s.toUpper() : s + QLatin1Char('x')});
        }
    }
    return pairs;
}

void benchScript(const char *name, const char *code, bool numeric)
{
    if (!wanted("isequal", name)) return;
    std::vector<Pair> pairs = makePairs(numeric);
    vbs::ScriptControl sc;
    sc.AddCode(QString::fromUtf8(code));
    int equal = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < g_calls; ++i) {
        const Pair &p = pairs[std::size_t(i % kPairs)];
        equal += sc.Run(QStringLiteral("IsEqual"), {com::Variant(p.a), com::Variant(p.b)}).toBool();
    }
    double secs = t.nsecsElapsed() / 1e9;
    std::printf("isequal_%s %.3g calls/s\n", name, g_calls / secs);
    std::fprintf(stderr, "isequal_%s equal pairs: %d\n", name, equal);
}

template <typename F> void benchNative(const char *name, bool numeric, F rule)
{
    if (!wanted("native", name)) return;
    std::vector<Pair> pairs = makePairs(numeric);
    int equal = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < g_calls; ++i) {
        const Pair &p = pairs[std::size_t(i % kPairs)];
        equal += rule(p.a, p.b);
    }
    double secs = t.nsecsElapsed() / 1e9;
    std::printf("native_%s %.3g calls/s\n", name, g_calls / secs);
    std::fprintf(stderr, "native_%s equal pairs: %d\n", name, equal);
}

// `setup` runs once, then `statement` in a loop until Cancel, pressed from another thread.
void benchCancel(const char *name, const char *setup, const char *statement)
{
    if (!wanted("cancel_latency", name)) return;
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function Once()\n%1\n%2\nEnd Function\n"
                              "Function Forever()\n%1\nDo\n%2\nLoop\nEnd Function\n")
                   .arg(QString::fromUtf8(setup), QString::fromUtf8(statement)));
    QElapsedTimer once;
    once.start();
    sc.Run(QStringLiteral("Once"));
    double onceMs = once.nsecsElapsed() / 1e6;
    std::atomic<bool> cancel{false};
    sc.setCancelCheck([&cancel] { return cancel.load(); });
    QElapsedTimer sinceCancel;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sinceCancel.start();
        cancel = true;
    });
    try {
        sc.Run(QStringLiteral("Forever"));
    } catch (const vbs::ScriptError &) {
    }
    canceller.join();
    std::printf("cancel_latency_%s %.3g ms\n", name, sinceCancel.nsecsElapsed() / 1e6);
    std::printf("statement_%s %.3g ms\n", name, onceMs);
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--calls=", 8) == 0)
            g_calls = std::max(1, std::atoi(argv[i] + 8));
        else
            g_wanted.push_back(argv[i]);
    }
    benchScript("trimcase",
                "Function IsEqual(a, b)\n"
                "    IsEqual = (LCase(Trim(a)) = LCase(Trim(b)))\n"
                "End Function\n",
                false);
    benchScript("strcomp",
                "Function IsEqual(a, b)\n"
                "    IsEqual = StrComp(Trim(a), Trim(b), vbTextCompare) = 0\n"
                "End Function\n",
                false);
    benchScript("tolerance",
                "Const Tolerance = 0.001\n"
                "Function IsEqual(a, b)\n"
                "    If IsNumeric(a) And IsNumeric(b) Then\n"
                "        IsEqual = Abs(CDbl(a) - CDbl(b)) < Tolerance\n"
                "    Else\n"
                "        IsEqual = (a = b)\n"
                "    End If\n"
                "End Function\n",
                true);
    benchScript(
        "regexp",
        "Dim re\n"
        "Set re = New RegExp\n"
        "re.Pattern = \"\\s+\"\n"
        "re.Global = True\n"
        "Function IsEqual(a, b)\n"
        "    IsEqual = StrComp(re.Replace(a, \"\"), re.Replace(b, \"\"), vbTextCompare) = 0\n"
        "End Function\n",
        false);
    benchCancel("redim", "", "ReDim y(1000000)");
    benchCancel("instr", "s = String(16000000, \"a\")", "n = InStr(s, \"b\")");
    benchCancel("split", "s = String(1000000, \",\")", "x = Split(s, \",\")");
    benchNative("trimcase", false, [](const QString &a, const QString &b) {
        return a.trimmed().toLower() == b.trimmed().toLower();
    });
    // The same rule with the number reading the script's IsNumeric and CDbl use (QString's
    // toDouble goes through its locale machinery and would measure that instead).
    benchNative("tolerance", true, [](const QString &a, const QString &b) {
        double x, y;
        bool numbers = BasicText::tryParseNumber(a, &x) && BasicText::tryParseNumber(b, &y);
        return numbers ? std::abs(x - y) < 0.001 : a == b;
    });
    // What the regular expressions alone cost, on the engine the script's Replace calls.
    benchNative("regexp", false, [](const QString &a, const QString &b) {
        static vbs::CompiledPattern blanks(QStringLiteral("\\s+"), false, false);
        const auto removed = [](const QString &s) {
            QString out;
            out.reserve(s.size());
            qsizetype last = 0;
            vbs::CompiledPattern::Walk walk(blanks, s);
            while (walk.next()) {
                out += QStringView(s).mid(last, blanks.start() - last);
                last = blanks.end();
            }
            out += QStringView(s).mid(last);
            return out;
        };
        return removed(a).compare(removed(b), Qt::CaseInsensitive) == 0;
    });
    // The same through Qt's own regular expressions, for comparison.
    benchNative("regexp_qt", false, [](const QString &a, const QString &b) {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        return QString(a).remove(blanks).compare(QString(b).remove(blanks), Qt::CaseInsensitive) ==
               0;
    });
    return 0;
}

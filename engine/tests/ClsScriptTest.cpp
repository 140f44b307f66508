#include "engine/ClsScript.h"
#include "core/ProcessGlobals.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ClsScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_folder = m_root.path() + QStringLiteral("/Script/");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        ClsScript::setCancelFlag(nullptr, nullptr);
        ClsScript::setCancelCompare(false);
        m_script.setScriptFolder(m_folder);
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        QString path = m_folder + name;
        EXPECT_TRUE(TestFiles::write(path, bytes));
        return path;
    }

    QString write(const QString &name, const char *text) { return write(name, QByteArray(text)); }

    // The one message box shown, checked for its icon and title.
    QString onlyMessage()
    {
        EXPECT_EQ(m_boxes.shown().size(), 1u);
        if (m_boxes.shown().empty()) return QString();
        const auto &box = m_boxes.shown().front();
        EXPECT_EQ(box.style, 16);
        EXPECT_EQ(box.title, QStringLiteral("Quorva"));
        return box.prompt;
    }

    QTemporaryDir m_root;
    QString m_folder;
    FakeMessageBox m_boxes;
    ClsScript m_script;
};

TEST_F(ClsScriptTest, ResultsConvertToBoolean)
{
    struct Case
    {
        const char *body;
        const char *a;
        const char *b;
        bool expected;
    } cases[] = {
        {"IsEqual = 0", "x", "y", false},
        {"IsEqual = 7", "x", "y", true},
        {"IsEqual = -0.5", "x", "y", true},
        {"IsEqual = \"True\"", "x", "y", true},
        {"IsEqual = \"0\"", "x", "y", false},
        {"IsEqual = Empty", "x", "y", false},
        {"IsEqual = (LCase(Trim(a)) = LCase(Trim(b)))", " Abc ", "aBC", true},
        {"IsEqual = (LCase(Trim(a)) = LCase(Trim(b)))", "abc", "abd", false},
        {"IsEqual = Abs(CDbl(a) - CDbl(b)) < 0.01", "1.004", "1", true},
        {"IsEqual = Abs(CDbl(a) - CDbl(b)) < 0.01", "1.02", "1", false},
        {"IsEqual = (a = \"中文\") And (b = \"\")", "中文", "", true},
    };
    for (const auto &c : cases) {
        QByteArray text =
            QByteArray("Function IsEqual(a, b)\r\n    ") + c.body + "\r\nEnd Function\r\n";
        QString path = write(QStringLiteral("case.vbs"), text);
        ASSERT_TRUE(m_script.AddCode(path)) << c.body;
        EXPECT_EQ(m_script.IsEqual(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected)
            << c.body;
    }
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_FALSE(ClsScript::isCancelCompare());
}

TEST_F(ClsScriptTest, LastLineWithoutLineEndAndEitherEncoding)
{
    QString path = write(QStringLiteral("noend.vbs"), "Function IsEqual(a, b)\nIsEqual = (a = b)\n"
                                                      "End Function");
    ASSERT_TRUE(m_script.AddCode(path));
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("q"), QStringLiteral("q")));

    QStringEncoder gbk("GB18030");
    QByteArray gb = gbk.encode(QStringLiteral("Function IsEqual(a, b)\r\n"
                                              "    IsEqual = (Replace(a, \"，\", \",\") = b)\r\n"
                                              "End Function"));
    path = write(QStringLiteral("gb.vbs"), gb);
    ASSERT_TRUE(m_script.AddCode(path));
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("1，2"), QStringLiteral("1,2")));
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(ClsScriptTest, EmptyFileLoadsAndFailsAtTheFirstCall)
{
    QString path = write(QStringLiteral("empty.vbs"), "");
    EXPECT_TRUE(m_script.AddCode(path));
    EXPECT_TRUE(m_boxes.shown().empty());
    m_boxes.expect(win::vbOK);
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_TRUE(onlyMessage().startsWith(QStringLiteral("IsEqual::err=35,")));
    EXPECT_TRUE(ClsScript::isCancelCompare());
}

TEST_F(ClsScriptTest, LoadFailuresShowTheirMessageAndCancel)
{
    struct Case
    {
        const char *content; // null: no file is written
        const char *prefix;
        const char *mention;
    } cases[] = {
        {"Function IsEqual(a, b)\r\n  IsEqual = a = b)\r\nEnd Function", "AddCode::err=1025,",
         "line 2"},
        {"Function IsEqual(a, b)\r\n  If a Then\r\nEnd Function", "AddCode::err=1012,", "line 3"},
        {"x = 1 / 0\r\n", "AddCode::err=11,", "Division by zero"},
        {nullptr, "AddCode::err=53,", "missing.vbs"},
    };
    for (const auto &c : cases) {
        m_boxes.clear();
        ClsScript::setCancelCompare(false);
        m_boxes.expect(win::vbOK);
        QString path = c.content ? write(QStringLiteral("bad.vbs"), c.content)
                                 : m_folder + QStringLiteral("missing.vbs");
        EXPECT_FALSE(m_script.AddCode(path)) << c.prefix;
        QString prompt = onlyMessage();
        EXPECT_TRUE(prompt.startsWith(QString::fromUtf8(c.prefix))) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QString::fromUtf8(c.mention))) << prompt.toStdString();
        if (c.content) {
            EXPECT_TRUE(prompt.endsWith(path)) << prompt.toStdString();
        }
        EXPECT_TRUE(ClsScript::isCancelCompare());
    }
}

TEST_F(ClsScriptTest, ScriptFileNamesMayNotLeaveTheScriptFolder)
{
    // A readable script outside the folder: it must never be loaded through these names.
    ASSERT_TRUE(TestFiles::write(m_root.path() + QStringLiteral("/outside.vbs"),
                                 "Function IsEqual(a, b)\r\nIsEqual = True\r\nEnd Function\r\n"));
    QDir().mkpath(m_folder + QStringLiteral("sub"));
    write(QStringLiteral("sub/inner.vbs"), "Function IsEqual(a, b)\r\nEnd Function\r\n");
    const QString names[] = {
        QStringLiteral("../outside.vbs"),
        QStringLiteral("..\\outside.vbs"),
        QStringLiteral("sub/inner.vbs"),
        QStringLiteral("/etc/hostname"),
        QStringLiteral(".."),
        QStringLiteral(""),
    };
    for (const QString &name : names) {
        m_boxes.clear();
        ClsScript::setCancelCompare(false);
        m_boxes.expect(win::vbOK);
        EXPECT_FALSE(m_script.AddCode(m_folder + name)) << name.toStdString();
        QString prompt = onlyMessage();
        EXPECT_TRUE(prompt.startsWith(QStringLiteral("AddCode::err=75,"))) << prompt.toStdString();
        EXPECT_TRUE(ClsScript::isCancelCompare());
    }
    m_boxes.clear();
    m_boxes.expect(win::vbOK);
    EXPECT_FALSE(m_script.AddCode(m_root.path() + QStringLiteral("/outside.vbs")));
    EXPECT_TRUE(onlyMessage().contains(QStringLiteral("refused")));
    EXPECT_TRUE(ClsScript::IsSafeScriptFileName(QStringLiteral("my rules.vbs")));
    EXPECT_FALSE(ClsScript::IsSafeScriptFileName(QStringLiteral("a/b.vbs")));
}

TEST_F(ClsScriptTest, TheDefaultFolderIsTheProgramsScriptFolder)
{
    QString saved = g_AppPath;
    g_AppPath = m_root.path() + QLatin1Char('/');
    ClsScript script;
    EXPECT_EQ(script.scriptFolder(), m_folder);
    QString path = write(QStringLiteral("plain.vbs"),
                         "Function IsEqual(a, b)\r\nIsEqual = True\r\nEnd Function\r\n");
    EXPECT_TRUE(script.AddCode(g_AppPath + QStringLiteral("Script/plain.vbs")));
    EXPECT_TRUE(script.IsEqual(QStringLiteral("a"), QStringLiteral("b")));
    (void)path;
    g_AppPath = saved;
}

TEST_F(ClsScriptTest, EveryLoadStartsFromAFreshScope)
{
    QString path = write(QStringLiteral("state.vbs"),
                         "Option Explicit\r\nConst Limit = 1\r\nDim calls\r\ncalls = 0\r\n"
                         "Function IsEqual(a, b)\r\n    calls = calls + 1\r\n"
                         "    IsEqual = (calls <= Limit)\r\nEnd Function\r\n");
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(m_script.AddCode(path)) << run;
        EXPECT_TRUE(m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b"))) << run;
        EXPECT_FALSE(m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b"))) << run;
    }
    // A later file without IsEqual does not see the earlier one's.
    ASSERT_TRUE(m_script.AddCode(write(QStringLiteral("other.vbs"), "Dim x\r\n")));
    m_boxes.expect(win::vbOK);
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_TRUE(onlyMessage().startsWith(QStringLiteral("IsEqual::err=35,")));
}

TEST_F(ClsScriptTest, RunFailuresCountAsEqualAndCancel)
{
    struct Case
    {
        const char *body;
        const char *prefix;
        const char *mention;
    } cases[] = {
        {"IsEqual = CLng(a) = CLng(b)", "IsEqual::err=13,", "line 2"},
        // Results that do not convert to a Boolean fail after the script has returned.
        {"IsEqual = \"maybe\"", "IsEqual::err=13,", "Type mismatch"},
        {"IsEqual = Null", "IsEqual::err=94,", "Null"},
        {"Set IsEqual = New RegExp", "IsEqual::err=13,", "Type mismatch"},
        {"Err.Raise 1234, \"mine\", \"user error\"", "IsEqual::err=1234,user error", "line 2"},
        {"Set f = CreateObject(\"Scripting.FileSystemObject\")", "IsEqual::err=429,", "line 2"},
    };
    for (const auto &c : cases) {
        QByteArray text =
            QByteArray("Function IsEqual(a, b)\r\n    ") + c.body + "\r\nEnd Function\r\n";
        ASSERT_TRUE(m_script.AddCode(write(QStringLiteral("fail.vbs"), text))) << c.body;
        m_boxes.clear();
        ClsScript::setCancelCompare(false);
        m_boxes.expect(win::vbOK);
        EXPECT_TRUE(m_script.IsEqual(QStringLiteral("x"), QStringLiteral("y"))) << c.body;
        QString prompt = onlyMessage();
        EXPECT_TRUE(prompt.startsWith(QString::fromUtf8(c.prefix))) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QString::fromUtf8(c.mention))) << prompt.toStdString();
        EXPECT_TRUE(prompt.endsWith(QStringLiteral("fail.vbs"))) << prompt.toStdString();
        EXPECT_TRUE(ClsScript::isCancelCompare());
    }
}

bool g_flag = false;
int g_polls = 0;
bool countingIsCancel()
{
    return ++g_polls >= 5 || g_flag;
}
void storeCancel(bool cancel)
{
    g_flag = cancel;
}

TEST_F(ClsScriptTest, TheCancelFlagStopsARunawayScriptWithoutAMessage)
{
    ClsScript::setCancelFlag(countingIsCancel, storeCancel);
    g_flag = false;
    g_polls = 0;
    ASSERT_TRUE(m_script.AddCode(write(QStringLiteral("loop.vbs"),
                                       "Function IsEqual(a, b)\r\n    On Error Resume Next\r\n"
                                       "    Do\r\n    Loop\r\nEnd Function\r\n")));
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b")));
    EXPECT_GE(g_polls, 5);
    EXPECT_TRUE(m_boxes.shown().empty());
    // A failing script sets the installed flag, not the stand-in.
    ASSERT_TRUE(m_script.AddCode(write(QStringLiteral("bad.vbs"), "")));
    g_polls = -1000000;
    m_boxes.expect(win::vbOK);
    m_script.IsEqual(QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_TRUE(g_flag);
    ClsScript::setCancelFlag(nullptr, nullptr);
}

TEST_F(ClsScriptTest, MsgBoxGoesThroughTheSeam)
{
    ASSERT_TRUE(m_script.AddCode(write(
        QStringLiteral("ui.vbs"), "Function IsEqual(a, b)\r\n"
                                  "    IsEqual = (MsgBox(a & \"?\", vbYesNo, \"Ask\") = vbYes)\r\n"
                                  "End Function\r\n")));
    m_boxes.expect(win::vbYes);
    EXPECT_TRUE(m_script.IsEqual(QStringLiteral("same"), QStringLiteral("b")));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].prompt, QStringLiteral("same?"));
    EXPECT_EQ(m_boxes.shown()[0].style, 4);
    EXPECT_EQ(m_boxes.shown()[0].title, QStringLiteral("Ask"));
}

} // namespace

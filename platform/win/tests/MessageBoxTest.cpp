#include "platform/win/MessageBox.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

// Runs f with standard error sent to a file; returns what was written there.
template <typename F> QByteArray stderrOf(F &&f)
{
    QTemporaryFile file;
    if (!file.open()) return "cannot capture";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    f();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

struct Answering : win::MessageBoxSeam
{
    int answer;
    explicit Answering(int a) : answer(a) {}
    int show(const QString &, int, const QString &) override { return answer; }
};

} // namespace

// With nobody to press a button, a box must not answer Yes to "replace the file?" or "delete?":
// it takes the button that changes nothing and leaves its question on standard error.
TEST(MessageBox, WithoutSeamAnswersTheChoiceThatChangesNothing)
{
    ASSERT_EQ(win::MessageBoxSeam::installed(), nullptr);
    const struct
    {
        int style;
        int answer;
    } cases[] = {
        {win::vbOKOnly, win::vbOK},
        {win::vbOKCancel, win::vbCancel},
        {win::vbAbortRetryIgnore, win::vbAbort},
        {win::vbYesNoCancel, win::vbCancel},
        {win::vbYesNoCancel | win::vbQuestion, win::vbCancel},
        {win::vbYesNo, win::vbNo},
        {win::vbYesNo | win::vbCritical | win::vbDefaultButton2, win::vbNo},
        {win::vbRetryCancel | win::vbExclamation, win::vbCancel},
    };
    for (const auto &c : cases) {
        int got = 0;
        const QByteArray err = stderrOf([&] {
            got =
                win::MsgBox(QStringLiteral("覆盖文件 a.txt？"), c.style, QStringLiteral("Quorva"));
        });
        EXPECT_EQ(got, c.answer) << "style " << c.style;
        EXPECT_EQ(QString::fromUtf8(err), QStringLiteral("Quorva: 覆盖文件 a.txt？\n"))
            << "style " << c.style;
    }
}

TEST(MessageBox, DefaultAnswerIsTheFirstButton)
{
    EXPECT_EQ(win::defaultAnswer(win::vbYesNoCancel | win::vbQuestion), win::vbYes);
    EXPECT_EQ(win::defaultAnswer(win::vbOKCancel), win::vbOK);
    EXPECT_EQ(win::defaultAnswer(win::vbRetryCancel), win::vbRetry);
}

// The program and the platform library share one installed seam; scopes put back what they
// replaced, in reverse order.
TEST(MessageBox, ScopesInstallAndRestoreTheSeam)
{
    Answering yes(win::vbYes), no(win::vbNo);
    {
        win::MessageBoxSeam::Scope outer(&yes);
        EXPECT_EQ(win::MsgBox(QStringLiteral("?"), win::vbYesNo), win::vbYes);
        {
            win::MessageBoxSeam::Scope inner(&no);
            EXPECT_EQ(win::MessageBoxSeam::installed(), &no);
            EXPECT_EQ(win::MsgBox(QStringLiteral("?"), win::vbYesNo), win::vbNo);
        }
        EXPECT_EQ(win::MessageBoxSeam::installed(), &yes);
        win::MessageBoxSeam::install(nullptr);
        EXPECT_EQ(stderrOf([] { win::MsgBox(QStringLiteral("q"), win::vbYesNo, QString()); }),
                  QByteArray("Quorva: q\n"));
    }
    EXPECT_EQ(win::MessageBoxSeam::installed(), nullptr);
}

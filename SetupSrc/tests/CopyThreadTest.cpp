#include "SetupSrc/Include/IniFile.h"
#include "SetupSrc/SetupMessage.h"
#include "SetupSrc/TCorvaleCopyFileThread.h"
#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/tests/FileSizeLimit.h"
#include "SetupSrc/tests/SetupTestEnv.h"
#include "platform/win/MessageBox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

namespace {

// The window's side: records the thread's messages in the order they arrive.
class Receiver : public QObject
{
public:
    struct Message
    {
        int message;
        quint64 wParam;
        bool operator==(const Message &o) const
        {
            return message == o.message && wParam == o.wParam;
        }
    };
    std::vector<Message> messages;

    bool event(QEvent *e) override
    {
        if (const SetupMessage *m = SetupMessage::from(e)) {
            messages.push_back({m->message(), m->wParam()});
            return true;
        }
        return QObject::event(e);
    }
    bool ended() const
    {
        return !messages.empty() && (messages.back().message == WM_COPYFILE_DONE ||
                                     messages.back().message == WM_COPYFILE_ABORT);
    }
};

void PrintTo(const Receiver::Message &m, std::ostream *os)
{
    static const char *names[] = {"BEGIN", "STEP", "DONE", "ABORT"};
    *os << names[m.message - WM_COPYFILE_BEGIN] << "(" << m.wParam << ")";
}

Receiver::Message begin(quint64 i)
{
    return {WM_COPYFILE_BEGIN, i};
}
Receiver::Message step(quint64 bytes)
{
    return {WM_COPYFILE_STEP, bytes};
}
Receiver::Message done()
{
    return {WM_COPYFILE_DONE, 0};
}
Receiver::Message abortAt(quint64 i)
{
    return {WM_COPYFILE_ABORT, i};
}

class CopyThread : public SetupTestEnv
{
protected:
    QString target;
    std::unique_ptr<TSetupRule> rule;
    std::unique_ptr<IniFile> language;
    Receiver receiver;
    std::mutex promptMutex;
    QStringList prompts; // the texts asked, in order

    void SetUp() override
    {
        SetupTestEnv::SetUp();
        target = programFiles + "/Quorva/";
    }

    void load(const QByteArray &files)
    {
        writeFile(source + "/Setup.rul", "[Setup]\r\nDefaultDirName={PROGRAMFILES}\\Quorva\r\n"
                                         "[Files]\r\n" +
                                             files);
        rule = std::make_unique<TSetupRule>(source + "/Setup.rul");
        language = std::make_unique<IniFile>(rule->LanguageFileName());
    }

    // Runs the copy to its end; `answer` is asked for each failed copy (on the copy thread).
    void run(std::function<int(const QString &, int)> answer = {},
             TCorvaleCopyFileThread::LockedFileDeleter deleter = {},
             std::function<void(TCorvaleCopyFileThread &)> beforeStart = {})
    {
        auto prompt = [&](const QString &text, int index) {
            {
                std::lock_guard<std::mutex> lock(promptMutex);
                prompts.append(text);
            }
            if (!answer) {
                ADD_FAILURE() << "unexpected question: " << text.toStdString();
                return int(win::vbAbort);
            }
            return answer(text, index);
        };
        TCorvaleCopyFileThread thread(&receiver, *rule, *language, prompt);
        if (deleter) thread.SetLockedFileDeleter(deleter);
        if (beforeStart) beforeStart(thread);
        thread.start();
        QElapsedTimer t;
        t.start();
        while (!receiver.ended() && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(thread.wait(30000));
        QCoreApplication::processEvents();
        abortReason = thread.AbortReason();
        cancelled = thread.Cancelled();
    }
    QString abortReason;
    bool cancelled = false;

    QStringList uninstallFiles() const { return uninstallEntries(target + "Uninst.isu", "Files"); }

    bool problemsMention(const QString &text) const
    {
        for (const QString &p : rule->Log().Problems())
            if (p.contains(text)) return true;
        return false;
    }
};

} // namespace

TEST_F(CopyThread, CopiesEveryLineLogsItAndReportsEachStep)
{
    writeFile(source + "/Quorva", QByteArray(1000, 'q'));
    writeFile(source + "/sub/a.so", QByteArray(24, 'a'));
    writeFile(source + "/Uninst.isu", "[Files]\r\nshipped=\r\n");
    writeFile(source + "/Uninst", "#!/bin/sh\n");
    // An older copy of the first file is there already, read-only.
    writeFile(target + "Quorva", "old");
    ASSERT_EQ(chmod(QFile::encodeName(target + "Quorva").constData(), 0444), 0);
    ASSERT_EQ(chmod(QFile::encodeName(source + "/Quorva").constData(), 0755), 0);
    load("Quorva\r\nsub\\a.so=\\bin\\a.so\r\n");

    run();

    const std::vector<Receiver::Message> expected = {begin(0), step(1000), begin(1), step(24),
                                                     done()};
    EXPECT_EQ(receiver.messages, expected);
    EXPECT_EQ(readFile(target + "Quorva"), QByteArray(1000, 'q'));
    EXPECT_EQ(QFileInfo(target + "Quorva").permissions() & 0x7000,
              QFileInfo(source + "/Quorva").permissions() & 0x7000);
    EXPECT_EQ(readFile(target + "bin/a.so"), QByteArray(24, 'a'));
    EXPECT_TRUE(QFileInfo::exists(target + "Uninst"));
    // The shipped template's entries stay; the folder and the targets follow, in line order.
    EXPECT_EQ(uninstallFiles(),
              (QStringList{"shipped", target, target + "Quorva", target + "bin/a.so"}));
    EXPECT_TRUE(rule->Log().Problems().isEmpty())
        << rule->Log().Problems().join('\n').toStdString();
}

TEST_F(CopyThread, NothingIsWrittenThroughALinkPlantedInTheInstallFolder)
{
    // Someone who may write to an install folder that exists already plants things where Setup
    // writes: a pipe as its log (a write would wait for a reader for ever), a link as its
    // uninstall log and as a folder that a [Files] line names.
    const QString outside = tmp.filePath("outside");
    writeFile(outside + "/victim", "keep");
    writeFile(outside + "/x.so", "theirs"); // of the source's size
    QDir().mkpath(target);
    ASSERT_EQ(mkfifo(QFile::encodeName(target + "Setup.log").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(outside + "/victim", target + "Uninst.isu"));
    ASSERT_TRUE(QFile::link(outside, target + "sub"));
    writeFile(source + "/one", "1");
    writeFile(source + "/x.so", "mine!!");
    load("one\r\nx.so=sub\\x.so\r\n");

    run([](const QString &text, int index) {
        EXPECT_EQ(index, 1);
        EXPECT_TRUE(text.contains("is a link")) << text.toStdString();
        return int(win::vbIgnore);
    });

    EXPECT_EQ(prompts.size(), 1);
    EXPECT_EQ(readFile(outside + "/victim"), "keep");
    EXPECT_EQ(readFile(outside + "/x.so"), "theirs");
    for (const char *name : {"Setup.log", "Uninst.isu"}) {
        EXPECT_FALSE(QFileInfo(target + name).isSymLink()) << name;
        EXPECT_TRUE(QFileInfo(target + name).isFile()) << name;
    }
    EXPECT_TRUE(readFile(target + "Setup.log").contains("copying files"));
    // Ignored behind the link: not logged, or an uninstall would delete the other's file.
    EXPECT_EQ(uninstallFiles(), (QStringList{target, target + "one"}));
}

TEST_F(CopyThread, AbortOnTheThirdLineStopsThereAndLogsOnlyWhatWasCopied)
{
    writeFile(source + "/one", "1");
    writeFile(source + "/two", "22");
    writeFile(source + "/four", "4444");
    load("one\r\ntwo\r\nthree\r\nfour\r\n");

    run([](const QString &, int index) {
        EXPECT_EQ(index, 2);
        return int(win::vbAbort);
    });

    const std::vector<Receiver::Message> expected = {begin(0), step(1),  begin(1),
                                                     step(2),  begin(2), abortAt(2)};
    EXPECT_EQ(receiver.messages, expected);
    ASSERT_EQ(prompts.size(), 1);
    // The question names the file and why it failed.
    EXPECT_TRUE(
        prompts[0].startsWith(QString::fromUtf8("复制文件失败\nFileName=") + target + "three\n"))
        << prompts[0].toStdString();
    EXPECT_TRUE(prompts[0].contains(source + "/three")) << prompts[0].toStdString();
    EXPECT_EQ(uninstallFiles(), (QStringList{target, target + "one", target + "two"}));
    EXPECT_FALSE(QFileInfo::exists(target + "four"));
    EXPECT_TRUE(abortReason.contains(target + "three"));
    EXPECT_FALSE(cancelled);
}

TEST_F(CopyThread, RetryCopiesAgainAndIgnoreGoesOn)
{
    writeFile(source + "/one", "1");
    writeFile(source + "/Lang/zh.Lan", "lan");
    load("missing\r\nLang\\zh.Lan\r\none\r\n");
    writeFile(language->FileName(), "[Install]\r\nCopyOneFailedPrompt=Copy failed\r\n");

    // The missing source appears before the Retry; the language file's folder is never made
    // for a line without "=", so that copy fails until the user ignores it.
    int asked = 0;
    run([&](const QString &, int index) {
        ++asked;
        if (index == 0) {
            writeFile(source + "/missing", "now");
            return int(win::vbRetry);
        }
        return int(win::vbIgnore);
    });

    const std::vector<Receiver::Message> expected = {begin(0), step(3), begin(1), step(3),
                                                     begin(2), step(1), done()};
    EXPECT_EQ(receiver.messages, expected);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(prompts[1].startsWith("Copy failed\nFileName=" + target + "Lang/zh.Lan\n"));
    EXPECT_EQ(readFile(target + "missing"), QByteArray("now"));
    EXPECT_FALSE(QFileInfo::exists(target + "Lang"));
    // An ignored line counts as installed, and is a problem for the finish page.
    EXPECT_EQ(uninstallFiles(),
              (QStringList{target, target + "missing", target + "Lang/zh.Lan", target + "one"}));
    EXPECT_TRUE(problemsMention(target + "Lang/zh.Lan"));
}

TEST_F(CopyThread, AMissingSourceIsAlwaysAskedAbout)
{
    // Whatever stands at the target: an empty one too, though its size (0) is what a missing
    // source would read as.
    struct
    {
        const char *name;
        QByteArray existingTarget; // null: none
    } cases[] = {{"no target", QByteArray()},
                 {"empty target", QByteArray("")},
                 {"some target", QByteArray("abc")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(target).removeRecursively();
        receiver.messages.clear();
        prompts.clear();
        if (!c.existingTarget.isNull()) writeFile(target + "gone.so", c.existingTarget);
        writeFile(source + "/real.so", "r");
        load("gone.so\r\nreal.so\r\n");
        run([](const QString &, int) { return int(win::vbIgnore); });
        EXPECT_EQ(prompts.size(), 1);
        const std::vector<Receiver::Message> expected = {begin(0), step(0), begin(1), step(1),
                                                         done()};
        EXPECT_EQ(receiver.messages, expected);
    }
}

TEST_F(CopyThread, AFailedCopyOverAFileOfTheSameSizeCountsAsInstalled)
{
    // The copy fails (files may not grow past 2000 bytes); the target is there with the source's
    // size, as a shared runtime in use would be: no question.
    writeFile(source + "/big.so", QByteArray(5000, 'n'));
    writeFile(source + "/other.so", QByteArray(4000, 'o'));
    writeFile(target + "big.so", QByteArray(5000, 'o'));
    writeFile(target + "other.so", QByteArray(10, 'o'));
    load("big.so\r\nother.so\r\n");
    FileSizeLimit limit(2000);
    run([&](const QString &text, int index) {
        EXPECT_EQ(index, 1);
        EXPECT_TRUE(text.contains(target + "other.so"));
        return int(win::vbIgnore);
    });
    limit.lift();
    EXPECT_EQ(prompts.size(), 1);
    EXPECT_EQ(readFile(target + "big.so"), QByteArray(5000, 'o'));
    EXPECT_EQ(readFile(target + "other.so"), QByteArray(10, 'o'));
    EXPECT_EQ(uninstallFiles(), (QStringList{target, target + "big.so", target + "other.so"}));
    // No half-written temporary file is left behind.
    for (const QString &name : QDir(target).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
}

TEST_F(CopyThread, RetryOnTheContextMenuModuleFreesItFirst)
{
    // The first module's source is missing until its Retry; the context-menu module cannot be
    // written (files may not grow past 2000 bytes) until its second Retry.
    writeFile(source + "/Menulet.so", QByteArray(5000, 'm'));
    writeFile(target + "Menulet.so", "old");
    load("Other.so\r\nMenulet.so\r\n");
    auto limit = std::make_unique<FileSizeLimit>(2000);
    std::vector<std::pair<QString, QString>> freed;
    std::vector<int> askedFor;
    run(
        [&](const QString &, int index) {
            askedFor.push_back(index);
            if (index == 0) writeFile(source + "/Other.so", "x");
            if (askedFor.size() == 3) limit->lift();
            return int(win::vbRetry);
        },
        [&](const QString &path, const QString &executable) {
            freed.emplace_back(path, executable);
            return true;
        });
    limit.reset();
    EXPECT_EQ(askedFor, (std::vector<int>{0, 1, 1}));
    // Only the context-menu module is freed, from the program that loads it, before each retry.
    const auto menulet = std::make_pair(target + "Menulet.so", QString("shellhost"));
    EXPECT_EQ(freed, (std::vector<std::pair<QString, QString>>{menulet, menulet}));
    EXPECT_EQ(readFile(target + "Menulet.so"), QByteArray(5000, 'm'));
    EXPECT_EQ(readFile(target + "Other.so"), QByteArray("x"));
}

TEST_F(CopyThread, ARefusedTargetIsAskedAboutAndNeverLogged)
{
    writeFile(source + "/Quorva", "q");
    load("Quorva=../../outside\r\nQuorva\r\n");
    run([](const QString &text, int) {
        EXPECT_TRUE(text.contains("Quorva=../../outside")) << text.toStdString();
        return int(win::vbIgnore);
    });
    const std::vector<Receiver::Message> expected = {begin(0), step(1), begin(1), step(1), done()};
    EXPECT_EQ(receiver.messages, expected);
    EXPECT_EQ(uninstallFiles(), (QStringList{target, target + "Quorva"}));
    EXPECT_FALSE(QFileInfo::exists(programFiles + "/outside"));
}

TEST_F(CopyThread, EveryEndPostsAbortWithItsReason)
{
    writeFile(source + "/one", "1");
    struct
    {
        const char *name;
        std::function<void()> prepare;
        std::function<int(const QString &, int)> answer;
        std::function<void(TCorvaleCopyFileThread &)> beforeStart;
        std::vector<Receiver::Message> expected;
        const char *reason;
        bool cancelled;
    } cases[] = {
        {"the install folder cannot be made",
         [&] { writeFile(programFiles + "/Quorva", "a file in the way"); },
         {},
         {},
         {abortAt(0)},
         "cannot be used",
         false},
        {"the question throws",
         [] {},
         [](const QString &, int) -> int { throw std::runtime_error("no screen"); },
         {},
         {begin(0), step(1), begin(1), abortAt(1)},
         "no screen",
         false},
        {"stopped before the start",
         [] {},
         {},
         [](TCorvaleCopyFileThread &t) { t.RequestStop(); },
         {abortAt(0)},
         "cancelled",
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(programFiles + "/Quorva");
        QDir(programFiles + "/Quorva").removeRecursively();
        receiver.messages.clear();
        c.prepare();
        load("one\r\nmissing\r\n");
        run(c.answer, {}, c.beforeStart);
        EXPECT_EQ(receiver.messages, c.expected);
        EXPECT_TRUE(abortReason.contains(c.reason)) << abortReason.toStdString();
        EXPECT_EQ(cancelled, c.cancelled);
    }
}

TEST_F(CopyThread, AStopEndsTheRunAfterTheCurrentLineWithoutFurtherQuestions)
{
    writeFile(source + "/one", "1");
    struct
    {
        int answer;
        std::vector<Receiver::Message> expected;
    } cases[] = {
        // The line is done (ignored); the next one does not begin.
        {win::vbIgnore, {begin(0), step(0), abortAt(1)}},
        // The retried copy fails again: the user who asked to quit is not asked again.
        {win::vbRetry, {begin(0), abortAt(0)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        receiver.messages.clear();
        prompts.clear();
        load("missing\r\none\r\n");
        TCorvaleCopyFileThread *running = nullptr;
        run(
            [&](const QString &, int) {
                running->RequestStop();
                return c.answer;
            },
            {}, [&](TCorvaleCopyFileThread &t) { running = &t; });
        EXPECT_EQ(receiver.messages, c.expected);
        EXPECT_EQ(prompts.size(), 1);
        EXPECT_TRUE(cancelled);
        EXPECT_FALSE(QFileInfo::exists(target + "one"));
    }
}

TEST_F(CopyThread, NothingToInstallOrNothingInstalledEndsInAbort)
{
    struct
    {
        const char *name;
        QByteArray files;
        std::vector<Receiver::Message> expected;
        const char *reason;
        bool folderMade;
    } cases[] = {
        {"no [Files] lines", "", {abortAt(0)}, "is damaged", false},
        {"every copy ignored",
         "gone.so\r\nmissing.so\r\n",
         {begin(0), step(0), begin(1), step(0), abortAt(2)},
         "No file was installed",
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(target).removeRecursively();
        receiver.messages.clear();
        load(c.files);
        run([](const QString &, int) { return int(win::vbIgnore); });
        EXPECT_EQ(receiver.messages, c.expected);
        EXPECT_TRUE(abortReason.contains(c.reason)) << abortReason.toStdString();
        EXPECT_TRUE(abortReason.contains(source + "/Setup.rul")) << abortReason.toStdString();
        EXPECT_FALSE(cancelled);
        EXPECT_EQ(QFileInfo::exists(target), c.folderMade);
    }
}

#include "SetupSrc/InstallLog.h"
#include "SetupSrc/SetupMessage.h"
#include "SetupSrc/tests/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

TEST(InstallLog, LinesWaitForTheInstallFolder)
{
    QTemporaryDir tmp;
    InstallLog log;
    log.SetFileName(tmp.filePath("inst/Setup.log"));
    log.Info("first");
    log.Problem("second\nforged line");
    EXPECT_FALSE(log.Flush()); // the folder is not there yet
    QDir().mkpath(tmp.filePath("inst"));
    log.Info("third");
    QFile f(tmp.filePath("inst/Setup.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(" first"));
    EXPECT_TRUE(lines[1].endsWith(" problem: second forged line"));
    EXPECT_TRUE(lines[2].endsWith(" third"));
    EXPECT_EQ(log.Lines(), (QStringList{"first", "problem: second forged line", "third"}));
    EXPECT_EQ(log.Problems(), QStringList{"second forged line"});
}

TEST(InstallLog, TwoThreadsWriteWholeLines)
{
    QTemporaryDir tmp;
    InstallLog log;
    log.SetFileName(tmp.filePath("Setup.log"));
    auto writer = [&log](const char *who) {
        for (int i = 0; i < 200; ++i)
            log.Info(QString("%1 %2").arg(who).arg(i));
    };
    QThread *other = QThread::create(writer, "copy");
    other->start();
    writer("window");
    other->wait();
    delete other;
    QFile f(tmp.filePath("Setup.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts).size(), 400);
    EXPECT_EQ(log.Lines().size(), 400);
}

namespace {

class Window : public QObject
{
public:
    QList<std::pair<int, quint64>> got;
    bool event(QEvent *e) override
    {
        if (const SetupMessage *m = SetupMessage::from(e)) {
            got.append({m->message(), m->wParam()});
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

TEST(SetupMessages, PostedFromAWorkerArriveInOrderOnTheWindowsThread)
{
    EXPECT_EQ(WM_COPYFILE_BEGIN, 2035);
    EXPECT_EQ(WM_COPYFILE_ABORT, 2038);
    Window window;
    QThread *worker = QThread::create([&window] {
        PostSetupMessage(&window, WM_COPYFILE_BEGIN, 0);
        PostSetupMessage(&window, WM_COPYFILE_STEP, 1234);
        PostSetupMessage(&window, WM_COPYFILE_DONE, 0);
    });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_TRUE(window.got.isEmpty()); // nothing runs on the worker
    QCoreApplication::processEvents();
    EXPECT_EQ(window.got, (QList<std::pair<int, quint64>>{{2035, 0}, {2036, 1234}, {2037, 0}}));
    QEvent other(QEvent::User);
    EXPECT_EQ(SetupMessage::from(&other), nullptr);
}

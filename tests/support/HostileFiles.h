#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <vector>

// Paths at which a careless or hostile name (in a project, on a command line) may point, made
// in a folder of the test's own: reading any of them as a file must end at once with a clear
// refusal, never wait.
class HostileFiles
{
public:
    struct Path
    {
        QString what;
        QString path;
    };

    explicit HostileFiles(const QString &folder);
    // A pipe, a folder, an endless device, and files that cannot be read (one even by root:
    // /proc/self/mem fails at offset 0; a file of mode 000 only when not running as root).
    const std::vector<Path> &specials() const { return m_specials; }
    QString fifo() const { return m_fifo; }
    // Opens the pipe for writing for a moment, so that a reader blocked on it goes on.
    void releaseFifo() const;
    // A sparse file of that many bytes (no disk space taken).
    static bool makeSparse(const QString &path, qint64 size);

private:
    QString m_fifo;
    std::vector<Path> m_specials;
};

// Watches work on the calling thread: when it has not ended after `seconds` (generous, this is
// no timing check), `release` runs on the watchdog's thread to free it (a blocked read), and
// fired() says so afterwards.
class Watchdog
{
public:
    Watchdog(int seconds, std::function<void()> release);
    ~Watchdog();
    bool fired() const { return m_fired; }
    // Ends the watch; after this fired() no longer changes.
    void disarm();

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

// A folder where writes fail for want of room: a small file system mounted there and filled up
// when the test may mount one (as root with the right to), else the process's file-size limit,
// beyond which a write fails as on a full disk. Files put there before fill() stay readable.
class FullDisk
{
public:
    explicit FullDisk(const QString &folder);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    void fill();
    // Undoes fill() (the limit; a mounted file system stays until the end).
    void release();
    QString how() const
    {
        return m_mounted ? QStringLiteral("a full tmpfs") : QStringLiteral("a file-size limit");
    }

private:
    QString m_folder;
    bool m_mounted = false;
    bool m_limited = false;
    struct rlimit m_old = {};
};

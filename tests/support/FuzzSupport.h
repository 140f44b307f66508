#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: a broken invariant stops the run loudly, and files are written
// into one folder of the run, in memory where the system has /dev/shm (every write syncs the
// file to disk, which in memory costs nothing).
namespace FuzzSupport {

[[noreturn]] inline void fault(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline QString filePath(const QString &name)
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/quorva-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/quorva-fuzz-XXXXXX"));
    return dir.filePath(name);
}

} // namespace FuzzSupport

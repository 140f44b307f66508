// Takes any bytes as "Menulet.ini" (the file any program of the user may have written, or a
// damaged one), reads the remembered left file from it and then remembers a file. What is read
// is one line of text; a file that was
// remembered reads back exactly; a refusal gives a reason and leaves the file's bytes as they
// were. (A damaged file may hold a NUL; the name read ends there, and may then end in a blank.)
#include "shell/menulet/ModMenulet.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, qPrintable(detail));
    std::abort();
}

struct World
{
    QTemporaryDir dir{QDir(QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm")
                                                                     : QDir::tempPath())
                          .filePath(QStringLiteral("fuzz_menulet-XXXXXX"))};
    QStringList files;
    QString ini;

    World()
    {
        const QString runtime = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        for (const char *name : {"a.xlsx", "b  c.xlsx", "中文 文件.xlsx", "x=y;[z].xlsx"}) {
            const QString path = dir.filePath(QString::fromUtf8(name));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly)) fault("cannot make", path);
            files.append(path);
        }
        QString why;
        const QString folder = ModMenulet::GetTempDir(&why);
        if (folder.isEmpty()) fault("no folder for Menulet.ini", why);
        ini = folder + QStringLiteral("Menulet.ini");
    }
};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static World world;
    if (size == 0) return 0;
    const QString path = world.files[data[0] % world.files.size()];
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    {
        QFile f(world.ini);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) fault("cannot write the ini");
        f.write(bytes);
    }

    const QString left = ModMenulet::LoadLeftFileName();
    if (left.contains(QLatin1Char('\n')) || left.contains(QLatin1Char('\r')) ||
        left.contains(QChar(0)))
        fault("a remembered name with a line break or NUL", left);
    if (!left.isEmpty() && left.front().isSpace())
        fault("a remembered name with a leading blank", left);

    QString why;
    if (ModMenulet::SaveLeftFileName(path, &why)) {
        if (ModMenulet::LoadLeftFileName() != path)
            fault("remembered, but reads back otherwise", ModMenulet::LoadLeftFileName());
    } else {
        if (why.isEmpty()) fault("refused without a reason");
        if (contents(world.ini) != bytes) fault("refused, but the file changed");
    }
    return 0;
}

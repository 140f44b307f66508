// Feeds arbitrary bytes to the session options as a project file (.vrk), read as the session
// window reads one. The read must end without a crash or an escaping error, every value it takes
// must be one the options accept, and a refused script name must be reported with the file.
#include "core/ClsIni.h"
#include "engine/ClsSessionOption.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void fault(const char *what)
{
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every write syncs the file to disk: in memory that costs nothing.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/quorva-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/quorva-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("project.vrk"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    auto ini = std::make_shared<ClsIni>();
    ini->setIniFileName(path);
    ClsSessionOption options;
    options.SetRecorder(ini);
    try {
        options.ReadFromFile();
    } catch (const BasicError &) {
        fault("an error escaped the read");
    }
    if (!ClsSessionOption::isSafeScriptFileName(options.ScriptFileName()) &&
        !options.ScriptFileName().isEmpty())
        fault("an unsafe script name was taken");
    const QString stored =
        ini->ReadString(QStringLiteral("Script"), QStringLiteral("ScriptFileName"), QString());
    if (stored != options.ScriptFileName()) {
        bool reported = false;
        for (const QString &p : options.readProblems())
            reported =
                reported || (p.contains(path) && p.contains(QLatin1String("ScriptFileName")));
        if (!reported) fault("a refused script name was not reported");
    }
    for (const QString &p : options.readProblems())
        if (!p.startsWith(path)) fault("a problem does not name the file");
    // A value that is neither True, False nor a number is refused and reported.
    const QString allCol = ini->ReadString(QStringLiteral("Option"),
                                           QStringLiteral("CompareAllCol"), QStringLiteral("True"));
    double number = 0;
    if (allCol.compare(QLatin1String("True"), Qt::CaseInsensitive) != 0 &&
        allCol.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0 &&
        !BasicText::tryParseNumber(allCol, &number)) {
        bool reported = false;
        for (const QString &p : options.readProblems())
            reported = reported || p.contains(QLatin1String("CompareAllCol=") + allCol);
        if (!reported) fault("a refused CompareAllCol was not reported");
    }
    if (!options.ReportPath().isEmpty() && !options.ReportPath().endsWith(QLatin1Char('/')))
        fault("report path without its closing /");
    return 0;
}

// Feeds arbitrary bytes to the session options as a project file (.vrk), read as the session
// window reads one. The read must end without a crash or an escaping error, every value it takes
// must be one the options accept, and a refused script name must be reported with the file.
#include "core/ClsIni.h"
#include "engine/ClsSessionOption.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "tests/support/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = FuzzSupport::filePath(QStringLiteral("project.vrk"));
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
        FuzzSupport::fault("an error escaped the read");
    }
    if (!ClsSessionOption::isSafeScriptFileName(options.ScriptFileName()) &&
        !options.ScriptFileName().isEmpty())
        FuzzSupport::fault("an unsafe script name was taken");
    const QString stored =
        ini->ReadString(QStringLiteral("Script"), QStringLiteral("ScriptFileName"), QString());
    if (stored != options.ScriptFileName()) {
        bool reported = false;
        for (const QString &p : options.readProblems())
            reported =
                reported || (p.contains(path) && p.contains(QLatin1String("ScriptFileName")));
        if (!reported) FuzzSupport::fault("a refused script name was not reported");
    }
    for (const QString &p : options.readProblems())
        if (!p.startsWith(path)) FuzzSupport::fault("a problem does not name the file");
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
        if (!reported) FuzzSupport::fault("a refused CompareAllCol was not reported");
    }
    if (!options.ReportPath().isEmpty() && !options.ReportPath().endsWith(QLatin1Char('/')))
        FuzzSupport::fault("report path without its closing /");
    return 0;
}

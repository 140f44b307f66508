// Feeds arbitrary text to the command-line parser: it must end without a crash or a hang, and
// what it sets must be consistent (a pair is both names or none; a project ends in ".vrk").
#include "core/ClsCmdParaParse.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (text.isEmpty()) return 0; // callers pass only a non-empty text
    ClsCmdParaParse p;
    p.Initialize(text);
    if (p.LeftFileName().isEmpty() != p.RightFileName().isEmpty()) {
        fprintf(stderr, "invariant broken: half a pair\n");
        abort();
    }
    if (!p.PrjFileName().isEmpty() &&
        (!p.PrjFileName().endsWith(QLatin1String(".vrk"), Qt::CaseInsensitive) ||
         !p.LeftFileName().isEmpty())) {
        fprintf(stderr, "invariant broken: project name\n");
        abort();
    }
    return 0;
}

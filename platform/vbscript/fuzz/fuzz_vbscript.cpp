// Feeds arbitrary bytes to the script engine as script text: parsing, binding and running the
// module-level code must end in success or a ScriptError, never a crash, a hang or a leak.
#include "platform/vbscript/ScriptControl.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    vbs::ScriptControl sc;
    sc.setAllowUI(false);
    int polls = 0;
    // Loops end after a few thousand statements.
    sc.setCancelCheck([&polls] { return ++polls > 2; });
    try {
        sc.AddCode(text);
        sc.Run(QStringLiteral("IsEqual"),
               {com::Variant(QStringLiteral("a")), com::Variant(QStringLiteral("b"))});
    } catch (const vbs::ScriptError &) {
    }
    return 0;
}

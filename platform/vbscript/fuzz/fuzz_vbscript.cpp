// Feeds arbitrary bytes to the script engine as script text: parsing, binding and running the
// module-level code must end in success or a ScriptError, never a crash, a hang or a leak; read
// as a date text, it is a date or refused.
#include "platform/vbscript/DateText.h"
#include "platform/vbscript/ScriptControl.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // The same text read as a date: a date, or a refusal.
    double date;
    (void)vbs::DateText::parse(text, &date);
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

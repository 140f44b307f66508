// Formula token arrays: the first byte says how many of the rest are tokens, the remainder is
// the extra data (array constants).
#include "platform/excel/XlsFormula.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1) return 0;
    const std::size_t split = std::min<std::size_t>(data[0], size - 1);
    const char *p = reinterpret_cast<const char *>(data + 1);
    const QByteArray tokens = QByteArray::fromRawData(p, qsizetype(split));
    const QByteArray extra = QByteArray::fromRawData(p + split, qsizetype(size - 1 - split));
    using Kind = excel::XlsFormula::Context::SupBookKind;
    static const excel::XlsFormula::Context context = [] {
        excel::XlsFormula::Context c;
        c.sheetNames = {QStringLiteral("Sheet1"), QStringLiteral("Sheet 2")};
        c.xti = {{0, 0, 0}, {0, 0, 1}, {1, -2, -2}, {2, 0, 0}, {0, -1, -1}, {5, 0, 0}};
        c.supBooks = {Kind::Internal, Kind::AddIn, Kind::External};
        c.externNames = {{}, {QStringLiteral("EDATE")}, {}};
        c.names = {QStringLiteral("Name1")};
        return c;
    }();
    excel::XlsFormula::decompile(tokens, extra, context, 10, 3);
    return 0;
}

// Whole files: the compound file container, then the workbook's records.
#include "platform/excel/XlsReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    excel::WorkbookData book;
    QString error;
    excel::XlsReader::readBytes(bytes, &book, &error, QStringLiteral("fuzz.xls"));
    return 0;
}

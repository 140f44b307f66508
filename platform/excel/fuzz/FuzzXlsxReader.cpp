// Fuzz target of the .xlsx reader: any bytes must give a workbook or an error, never a crash,
// a hang or unbounded memory. Inputs that are not zip packages go straight to the worksheet
// tokenizer and to the shared-strings reader, in chunks of varying size, since mutations of a
// compressed package rarely get past its checksums. Built with libFuzzer when QUORVA_FUZZ is
// on (clang); otherwise as a replay program that reads the files named on its command line.
//
//   cmake -B build/fuzz -DQUORVA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   build/fuzz/platform/excel/fuzz/fuzz_xlsx_reader platform/excel/tests/fixtures

#include "platform/excel/SharedStringsParser.h"
#include "platform/excel/SheetParser.h"
#include "platform/excel/XlsxReader.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2 || data[0] != 'P' || data[1] != 'K') {
        excel::WorkbookData book;
        for (int i = 0; i < 4; ++i)
            book.strings.push_back(u"s");
        book.styles.resize(3);
        excel::SheetData sheet;
        excel::SheetParser parser(&sheet, &book, 4);
        const std::size_t chunk = 1 + (size ? data[size - 1] % 97 : 0);
        bool ok = true;
        for (std::size_t i = 0; ok && i < size; i += chunk)
            ok = parser.feed(reinterpret_cast<const char *>(data) + i, std::min(chunk, size - i));
        if (ok) parser.finish();
        excel::StringPool strings;
        excel::SharedStringsParser sst(&strings, 64, std::int64_t(size));
        ok = true;
        for (std::size_t i = 0; ok && i < size; i += chunk)
            ok = sst.feed(reinterpret_cast<const char *>(data) + i, std::min(chunk, size - i));
        if (ok) sst.finish();
        return 0;
    }
    excel::XlsxLimits limits;
    limits.maxSheetBytes = 64 << 20;
    limits.maxPartBytes = 16 << 20;
    limits.maxTotalBytes = 128 << 20;
    limits.maxCells = 2'000'000;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    excel::WorkbookData workbook;
    QString error;
    excel::XlsxReader::readBytes(bytes, QStringLiteral("fuzz"), &workbook, &error, limits);
    return 0;
}

#ifndef QUORVA_LIBFUZZER
int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray bytes = f.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                               std::size_t(bytes.size()));
    }
    return 0;
}
#endif

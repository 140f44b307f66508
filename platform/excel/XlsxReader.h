#pragma once

#include "platform/excel/WorkbookData.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace excel {

// What reading one workbook may take before it is refused.
struct XlsxLimits
{
    std::int64_t maxSheetBytes = std::int64_t(2) << 30;  // one inflated worksheet part
    std::int64_t maxPartBytes = std::int64_t(256) << 20; // any other part
    std::int64_t maxTotalBytes = std::int64_t(6) << 30;  // all parts together
    std::int64_t maxCells = 200'000'000;                 // over all sheets
    int maxCompressionRatio = 500; // inflated : stored, checked for parts above 64 MiB
    int maxXmlDepth = 64;
    int maxSheets = 4096;
    // Shared strings that inflate to more than this are read on a thread of their own while
    // the sheets are read (not a limit: how reading is arranged).
    std::int64_t sharedStringsBesideBytes = std::int64_t(1) << 20;
};

// Reads an .xlsx or .xlsm workbook into a WorkbookData: worksheets, cells, shared and inline
// strings, formulas (shared ones expanded per cell) with their cached results, comments,
// merged ranges, styles, row heights and sheet visibility. Worksheet cell data is tokenized as
// it inflates; only the small parts (workbook, relationships, styles, strings, comments) are
// parsed as trees.
class XlsxReader
{
public:
    using Limits = XlsxLimits;

    // False with *error naming the file and the part when the file cannot be read.
    static bool read(const QString &path, WorkbookData *out, QString *error,
                     const Limits &limits = Limits());
    // The same from bytes in memory; `name` stands for the file in messages. This is also the
    // entry point of the fuzz target.
    static bool readBytes(const QByteArray &bytes, const QString &name, WorkbookData *out,
                          QString *error, const Limits &limits = Limits());
};

} // namespace excel

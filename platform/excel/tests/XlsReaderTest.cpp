#include "platform/excel/XlsReader.h"
#include "platform/excel/CompoundFile.h"
#include "tests/support/TestFiles.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

using namespace excel;

namespace {

QByteArray fixture(const char *name)
{
    return TestFiles::read(TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/")) +
                           QLatin1String(name));
}

// Finds its way around a good compound file so that tests can damage chosen parts of it.
class Container
{
public:
    explicit Container(const QByteArray &bytes) : bytes(bytes)
    {
        shift = qFromLittleEndian<std::uint16_t>(bytes.constData() + 30);
        const std::uint32_t dirStart = u32(48);
        dirChain = chain(dirStart);
        for (std::size_t i = 0; i < dirChain.size() * (sectorSize() / 128); ++i) {
            const qsizetype at = sectorOffset(dirChain[i / (sectorSize() / 128)]) +
                                 qsizetype(i % (sectorSize() / 128)) * 128;
            QString name;
            for (int c = 0; c < 31; ++c) {
                const char16_t ch =
                    qFromLittleEndian<std::uint16_t>(bytes.constData() + at + 2 * c);
                if (!ch) break;
                name += QChar(ch);
            }
            if (name == QLatin1String("Workbook")) workbookEntry = at;
            if (i == 0) rootEntry = at;
        }
        workbookChain = chain(u32(workbookEntry + 116));
    }

    qsizetype sectorSize() const { return qsizetype(1) << shift; }
    qsizetype sectorOffset(std::uint32_t s) const { return (qsizetype(s) + 1) << shift; }
    std::uint32_t u32(qsizetype at) const
    {
        return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
    }
    void put32(qsizetype at, std::uint32_t v) { qToLittleEndian(v, bytes.data() + at); }
    void put16(qsizetype at, std::uint16_t v) { qToLittleEndian(v, bytes.data() + at); }
    qsizetype fatEntry(std::uint32_t sector) const
    {
        const qsizetype perSector = sectorSize() / 4;
        const std::uint32_t fatSector = u32(76 + 4 * qsizetype(sector / perSector));
        return sectorOffset(fatSector) + 4 * qsizetype(sector % perSector);
    }
    std::vector<std::uint32_t> chain(std::uint32_t s) const
    {
        std::vector<std::uint32_t> out;
        while (s < 0xFFFFFFFA && out.size() < 100000) {
            out.push_back(s);
            s = u32(fatEntry(s));
        }
        return out;
    }
    // The file offset of a byte of the Workbook stream.
    qsizetype streamByte(qsizetype offset) const
    {
        return sectorOffset(workbookChain[std::size_t(offset / sectorSize())]) +
               offset % sectorSize();
    }
    // The stream offset of the first record of a type (after `from`).
    qsizetype findRecord(std::uint16_t type, qsizetype from = 0) const
    {
        const qsizetype size = u32(workbookEntry + 120);
        qsizetype at = 0;
        while (at + 4 <= size) {
            const std::uint16_t t =
                qFromLittleEndian<std::uint16_t>(bytes.constData() + streamByte(at));
            const std::uint16_t len =
                qFromLittleEndian<std::uint16_t>(bytes.constData() + streamByte(at + 2));
            if (t == type && at >= from) return at;
            at += 4 + len;
        }
        return -1;
    }

    QByteArray bytes;
    int shift = 9;
    std::vector<std::uint32_t> dirChain, workbookChain;
    qsizetype workbookEntry = 0, rootEntry = 0;
};

struct Broken
{
    const char *name;
    std::function<void(Container &)> damage;
    const char *message; // part of the expected error
};

const Broken kBroken[] = {
    {"empty", [](Container &c) { c.bytes.clear(); }, "not a legacy Excel workbook"},
    {"cut inside the header", [](Container &c) { c.bytes.truncate(300); }, "too short"},
    {"cut in half", [](Container &c) { c.bytes.truncate(c.bytes.size() / 2); }, "outside the file"},
    {"wrong signature", [](Container &c) { c.bytes[0] = 'X'; }, "no compound file signature"},
    {"an .xlsx named .xls", [](Container &c) { c.bytes = QByteArray("PK\x03\x04 rest", 9); },
     "Office Open XML"},
    {"workbook older than Excel 5",
     [](Container &c) { c.bytes = QByteArray::fromHex("0904060000001000"); },
     "older than Excel 97"},
    {"sector size 2^10", [](Container &c) { c.put16(30, 10); }, "unsupported sector size"},
    {"mini sector size 2^7", [](Container &c) { c.put16(32, 7); }, "mini sector size"},
    {"sector size 4096 in a 512-byte file", [](Container &c) { c.put16(30, 12); }, "sector"},
    {"more FAT sectors than the file holds", [](Container &c) { c.put32(44, 0x100000); },
     "FAT sectors"},
    {"DIFAT chain out of range",
     [](Container &c) {
         c.put32(44, 120);
         c.put32(68, 0x7FFFFF);
     },
     "DIFAT"},
    {"looping FAT",
     [](Container &c) {
         const std::uint32_t s = c.workbookChain[3];
         c.put32(c.fatEntry(s), c.workbookChain[1]);
     },
     "loops"},
    {"FAT pointing outside the file",
     [](Container &c) { c.put32(c.fatEntry(c.workbookChain[2]), 0x00FFFFF0); }, "outside the file"},
    {"stream starting outside the file",
     [](Container &c) { c.put32(c.workbookEntry + 116, 0x00FFFFF0); }, "outside the file"},
    {"stream longer than its chain",
     [](Container &c) { c.put32(c.fatEntry(c.workbookChain[5]), 0xFFFFFFFE); }, "cut short"},
    {"stream size beyond the file",
     [](Container &c) { c.put32(c.workbookEntry + 120, 0x7FFFFFFF); }, "more than the whole file"},
    {"directory looping",
     [](Container &c) {
         const std::uint32_t child = c.u32(c.rootEntry + 76);
         c.put32(c.rootEntry + 128 * qsizetype(child) + 68, child);
     },
     "loops"},
    {"directory chain outside the file", [](Container &c) { c.put32(48, 0x00FFFFF0); },
     "outside the file"},
    {"no Workbook stream", [](Container &c) { c.put16(c.workbookEntry + 14, 'q'); },
     "no \"Workbook\" stream"},
    {"Excel 5 Book stream",
     [](Container &c) {
         c.put16(c.workbookEntry, 'B');
         for (int i = 1; i < 8; ++i)
             c.put16(c.workbookEntry + 2 * i, "ook\0\0\0\0"[i - 1]);
         c.put16(c.workbookEntry + 64, 10);
     },
     "older than Excel 97"},
    {"Excel 5 BOF", [](Container &c) { c.put16(c.streamByte(4), 0x0500); }, "older than Excel 97"},
    {"encrypted", [](Container &c) { c.put16(c.streamByte(c.findRecord(0x0042)), 0x002F); },
     "encrypted"},
    {"sheet beyond the stream",
     [](Container &c) { c.put32(c.streamByte(c.findRecord(0x0085) + 4), 0x7FFFFFF0); },
     "beyond the Workbook stream"},
    {"sheet not starting with BOF",
     [](Container &c) {
         const qsizetype at = c.findRecord(0x0085) + 4;
         c.put32(c.streamByte(at), c.u32(c.streamByte(at)) + 4);
     },
     "BOF"},
    {"text cell with a missing shared string",
     [](Container &c) { c.put32(c.streamByte(c.findRecord(0x00FD) + 4 + 6), 0x00FFFFFF); },
     "shared string"},
    {"row record cut short",
     [](Container &c) {
         const qsizetype at = c.findRecord(0x0208);
         // Shorten the record and turn the rest of its bytes into an unknown record.
         c.put16(c.streamByte(at + 2), 2);
         c.put16(c.streamByte(at + 6), 0x7777);
         c.put16(c.streamByte(at + 8), 12);
     },
     "row cut short"},
    {"shared strings cut short",
     [](Container &c) {
         const qsizetype at = c.findRecord(0x00FC);
         c.put32(c.streamByte(at + 8), 0x0FFFFFFF);
     },
     "shared strings cut short"},
};

TEST(XlsReaderTest, BrokenFilesGiveAClearError)
{
    const QByteArray good = fixture("libreoffice.xls");
    ASSERT_FALSE(good.isEmpty());
    for (const Broken &b : kBroken) {
        Container c(good);
        ASSERT_GT(c.workbookEntry, 0);
        b.damage(c);
        WorkbookData book;
        QString error;
        EXPECT_FALSE(XlsReader::readBytes(c.bytes, &book, &error, QStringLiteral("broken.xls")))
            << b.name;
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"broken.xls\": "))) << b.name;
        EXPECT_TRUE(error.contains(QLatin1String(b.message)))
            << b.name << ": " << error.toStdString();
        EXPECT_TRUE(book.sheets.empty()) << b.name;
    }
}

TEST(XlsReaderTest, MissingFileNamesIt)
{
    WorkbookData book;
    QString error;
    EXPECT_FALSE(XlsReader::read(QStringLiteral("/nonexistent/dir/a.xls"), &book, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"/nonexistent/dir/a.xls\": ")))
        << error.toStdString();
}

// Damaged copies of a good file, cut or with bytes changed at random: each read ends, with
// the workbook or with an error naming the file.
TEST(XlsReaderTest, RandomDamageNeverCrashes)
{
    const QByteArray good = fixture("gnumeric.xls");
    ASSERT_FALSE(good.isEmpty());
    QRandomGenerator random(8);
    for (int round = 0; round < 1000; ++round) {
        QByteArray bytes = good;
        if (round % 4 == 0) {
            bytes.truncate(random.bounded(int(good.size())));
        } else {
            const int changes = 1 + random.bounded(round % 2 ? 4 : 64);
            for (int i = 0; i < changes; ++i) {
                // Most damage where the records and the allocation tables live.
                const int at = random.bounded(int(bytes.size()));
                bytes[at] = char(random.bounded(256));
            }
        }
        WorkbookData book;
        QString error;
        if (!XlsReader::readBytes(bytes, &book, &error, QStringLiteral("damaged.xls"))) {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"damaged.xls\": ")))
                << error.toStdString();
        }
    }
}

TEST(XlsReaderTest, ReadsFormatsCommentsAndRows)
{
    WorkbookData book;
    QString error;
    ASSERT_TRUE(XlsReader::read(
        TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/libreoffice.xls")), &book,
        &error))
        << error.toStdString();
    const SheetData &data = *book.sheets[0];
    const auto cell = [&](int row, int column) -> const Cell & {
        for (const Cell &c : data.rows[std::size_t(row - 1)]) {
            if (c.column == column) return c;
        }
        static const Cell none;
        return none;
    };
    const CellStyle &a1 = book.styles[cell(1, 1).style];
    EXPECT_EQ(a1.fontColor, 0xFF0000);
    EXPECT_EQ(a1.fontColorIndex, 3);
    const CellStyle &b1 = book.styles[cell(1, 2).style];
    EXPECT_EQ(b1.fillPattern, 1);
    EXPECT_EQ(b1.fillColor, 0xFFFF00);
    EXPECT_EQ(b1.fillColorIndex, 6);
    EXPECT_EQ(book.styles[cell(2, 2).style].fillPattern, -4142);
    EXPECT_TRUE(book.styles[cell(2, 3).style].isDate);
    EXPECT_FALSE(book.styles[cell(9, 2).style].isDate);
    EXPECT_EQ(book.styles[cell(9, 2).style].numberFormat.toStdString(), "0.00%");
    EXPECT_DOUBLE_EQ(data.rowHeights.at(2), 30.0);
    EXPECT_EQ(data.comments.at(SheetData::commentKey(2, 1)).text.toStdString(), "first fruit");
    // Error constants are automation error numbers.
    EXPECT_EQ(cell(2, 5).kind(), CellKind::Error);
    EXPECT_EQ(cell(2, 5).error(), 2042);
    EXPECT_EQ(cell(3, 5).error(), 2007);
}

} // namespace

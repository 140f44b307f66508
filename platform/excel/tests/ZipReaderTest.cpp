#include "platform/excel/ZipReader.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;

// A large part inflates on a thread of its own while the sink reads the chunks before: the
// sink must still see every byte in order, stop the stream when it says so, and hear of a
// limit or of damage.
TEST(ZipReader, LargePartsStreamInOrderStopAndReportDamage)
{
    if (!TestFiles::haveOpenpyxl()) GTEST_SKIP() << "python3 missing";
    QTemporaryDir dir;
    const QString zipPath = dir.filePath(QStringLiteral("big.zip"));
    const QString rawPath = dir.filePath(QStringLiteral("big.bin"));
    const QString damagedPath = dir.filePath(QStringLiteral("damaged.zip"));
    // 3 MiB of text that compresses a little, a small part, and a copy with its compressed
    // data overwritten in the middle.
    QString output;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile, random
random.seed(5)
data = ''.join('row%d,%x;' % (i, random.getrandbits(40)) for i in range(200000)).encode()[:3 << 20]
open(sys.argv[2], 'wb').write(data)
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('big.bin', data)
    z.writestr('small.txt', 'hello')
raw = bytearray(open(sys.argv[1], 'rb').read())
for i in range(len(raw) // 2, len(raw) // 2 + 64):
    raw[i] ^= 0x5A
open(sys.argv[3], 'wb').write(bytes(raw))
)py"),
                                   {zipPath, rawPath, damagedPath}, &output),
              0)
        << output.toStdString();
    const QByteArray raw = TestFiles::read(rawPath);
    ASSERT_EQ(raw.size(), 3 << 20);

    ZipReader zip;
    ASSERT_TRUE(zip.open(zipPath)) << zip.errorString().toStdString();
    EXPECT_EQ(zip.inflatedSize(QStringLiteral("big.bin")), raw.size());
    EXPECT_EQ(zip.inflatedSize(QStringLiteral("missing")), -1);
    for (int round = 0; round < 2; ++round) { // a stopped stream leaves the reader usable
        QByteArray seen;
        int chunks = 0;
        EXPECT_TRUE(zip.stream(QStringLiteral("big.bin"), std::int64_t(1) << 30,
                               [&](const char *data, std::size_t size) {
                                   seen.append(data, qsizetype(size));
                                   ++chunks;
                                   return true;
                               }));
        EXPECT_TRUE(seen == raw);
        EXPECT_GT(chunks, 2);
        int taken = 0;
        EXPECT_FALSE(zip.stream(QStringLiteral("big.bin"), std::int64_t(1) << 30,
                                [&](const char *, std::size_t) { return ++taken < 2; }));
        EXPECT_EQ(taken, 2);
    }
    QByteArray small;
    EXPECT_TRUE(zip.read(QStringLiteral("small.txt"), &small, 100));
    EXPECT_EQ(small, QByteArray("hello"));

    qsizetype delivered = 0;
    EXPECT_FALSE(
        zip.stream(QStringLiteral("big.bin"), 1 << 20, [&](const char *, std::size_t size) {
            delivered += qsizetype(size);
            return true;
        }));
    EXPECT_TRUE(zip.errorString().contains(QStringLiteral("inflates to more than")))
        << zip.errorString().toStdString();
    EXPECT_LE(delivered, 1 << 20);

    ZipReader damaged;
    ASSERT_TRUE(damaged.open(damagedPath)) << damaged.errorString().toStdString();
    EXPECT_FALSE(damaged.stream(QStringLiteral("big.bin"), std::int64_t(1) << 30,
                                [&](const char *, std::size_t) { return true; }));
    EXPECT_TRUE(damaged.errorString().contains(QStringLiteral("damaged")))
        << damaged.errorString().toStdString();
}

#include "platform/excel/PackagePartStream.h"
#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Every call of umask in this program is counted: the process-wide file mask is shared by all
// threads, so a save must never change it, not even for a moment.
namespace {
std::atomic<int> g_umaskCalls{0};
}
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++g_umaskCalls;
    return mode_t(::syscall(SYS_umask, mask));
}

using namespace excel;
using namespace xlsxtest;

namespace {

class XlsxWriterFailureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SheetData &s = addSheet(m_wb, QStringLiteral("Sheet1"));
        setNumber(s, 1, 1, 1);
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir m_dir;
    WorkbookData m_wb;
};

TEST_F(XlsxWriterFailureTest, BadTargetsAreRefusedWithTheFileNamed)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.xlsx")));
    const struct
    {
        QString path;
        const char *reason;
    } cases[] = {
        {file(QStringLiteral("report.xls")), ".xlsx"},
        {file(QStringLiteral("REPORT.XLS")), ".xlsx"},
        {file(QStringLiteral("missing/report.xlsx")), "does not exist"},
        {file(QStringLiteral("folder.xlsx")), "folder"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(XlsxWriter::save(m_wb, c.path, &error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
    EXPECT_EQ(entries(), QStringList{QStringLiteral("folder.xlsx")});
    QString error;
    EXPECT_FALSE(XlsxWriter::save(m_wb, QString(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(XlsxWriterFailureTest, WorkbooksThatCannotBeWrittenAreRefused)
{
    const QString path = file(QStringLiteral("out.xlsx"));
    QString error;
    WorkbookData empty;
    EXPECT_FALSE(XlsxWriter::save(empty, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("no sheets"))) << error.toStdString();

    m_wb.sheets[0]->visible = 0;
    EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("hidden"))) << error.toStdString();
    m_wb.sheets[0]->visible = -1;

    const struct
    {
        const char *first;
        const char *second;
    } names[] = {{"a/b", "ok"},
                 {"", "ok"},
                 {"[x]", "ok"},
                 {"'quoted'", "ok"},
                 {"abcdefghijklmnopqrstuvwxyz123456", "ok"},
                 {"Same", "SAME"}};
    SheetData &second = addSheet(m_wb, QStringLiteral("ok"));
    for (const auto &n : names) {
        m_wb.sheets[0]->name = QString::fromUtf8(n.first);
        second.name = QString::fromUtf8(n.second);
        EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error)) << n.first;
        EXPECT_TRUE(error.contains(QLatin1String("sheet"))) << error.toStdString();
    }
    m_wb.sheets.pop_back();
    m_wb.sheets[0]->name = QStringLiteral("Sheet1");

    setString(m_wb, *m_wb.sheets[0], 3, 2, QString(32768, QLatin1Char('x')));
    EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("B3"))) << error.toStdString();
    setString(m_wb, *m_wb.sheets[0], 3, 2, QString(32767, QLatin1Char('x'))); // the most allowed
    EXPECT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    QFile::remove(path);

    // Merged areas and row heights a file cannot hold.
    const struct
    {
        CellRect first, second;
        const char *message;
    } merges[] = {
        {{1, 1, 2, 2}, {2, 2, 3, 3}, "overlap"},
        {{5, 1, 9, 1}, {1, 1, 5, 1}, "overlap"},
        {{3, 3, 1, 1}, {10, 10, 10, 11}, "not a range"},
        {{1, 1, 1, 16385}, {10, 10, 10, 11}, "not a range"},
    };
    for (const auto &m : merges) {
        m_wb.sheets[0]->merges = {m.first, m.second};
        EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
        EXPECT_TRUE(error.contains(QLatin1String(m.message))) << error.toStdString();
    }
    m_wb.sheets[0]->merges = {{1, 1, 2, 2}, {1, 3, 2, 4}, {3, 1, 3, 4}}; // touching is fine
    EXPECT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    QFile::remove(path);
    m_wb.sheets[0]->rowHeights[2000000] = 10;
    EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("row 2000000"))) << error.toStdString();
    m_wb.sheets[0]->rowHeights.clear();

    setNumber(*m_wb.sheets[0], 2, 20000, 1);
    EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("column 20000"))) << error.toStdString();
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(XlsxWriterFailureTest, FailedSaveLeavesTheOldFileWhole)
{
    const QString path = file(QStringLiteral("book.xlsx"));
    QString error;
    ASSERT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    const QByteArray before = TestFiles::read(path);
    ASSERT_FALSE(before.isEmpty());

    // A disk that fills up during the write: the file size limit makes writes fail.
    SheetData &s = *m_wb.sheets[0];
    s.rows.resize(20000);
    for (int r = 1; r <= 20000; ++r)
        for (int c = 1; c <= 20; ++c)
            setNumber(s, r, c, r * 0.37 + c);
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = XlsxWriter::save(m_wb, path, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(TestFiles::read(path), before);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("book.xlsx")}); // no temporary left behind

    // A folder the user may not write to (root may write anywhere, so only as a user).
    if (geteuid() != 0) {
        ASSERT_TRUE(
            QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        saved = XlsxWriter::save(m_wb, path, &error);
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        EXPECT_FALSE(saved);
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_EQ(TestFiles::read(path), before);
    }

    // A read-only file is not replaced.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_FALSE(XlsxWriter::save(m_wb, path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("read-only"))) << error.toStdString();
    EXPECT_EQ(TestFiles::read(path), before);

    // The same workbook saves once the disk has room, keeping the file's permissions.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_NE(TestFiles::read(path), before);
}

TEST_F(XlsxWriterFailureTest, SavingThroughALinkReplacesWhatItPointsTo)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("real")));
    const QString real = file(QStringLiteral("real/book.xlsx"));
    const QString link = file(QStringLiteral("link.xlsx"));
    ASSERT_TRUE(TestFiles::write(real, "old"));
    ASSERT_TRUE(QFile::link(real, link));
    QString error;
    ASSERT_TRUE(XlsxWriter::save(m_wb, link, &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(TestFiles::read(real).startsWith("PK"));
    EXPECT_EQ(QDir(file(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("book.xlsx")});
}

// A failure on the thread that writes sheet data (memory running out on a huge sheet) fails
// the save with its reason, leaving the old file whole; the program goes on.
TEST_F(XlsxWriterFailureTest, AFailureWhileWritingSheetDataFailsTheSave)
{
    const QString path = file(QStringLiteral("book.xlsx"));
    QString error;
    ASSERT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    const QByteArray before = TestFiles::read(path);
    SheetData &s = *m_wb.sheets[0];
    for (int r = 1; r <= 30000; ++r)
        for (int c = 1; c <= 10; ++c)
            setNumber(s, r, c, r * 0.37 + c);

    struct Case
    {
        std::function<void()> fail;
        const char *reason;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); },
         "there is not enough memory to write the sheet \"Sheet1\""},
        {[] { throw std::length_error("too long"); },
         "the sheet \"Sheet1\" could not be written (too long)"},
        {[] { throw 42; }, "the sheet \"Sheet1\" could not be written"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reason);
        int pieces = 0;
        PackagePartStream::pieceHook = [&](const QString &) {
            if (++pieces == 3) c.fail(); // in the middle of the sheet
        };
        const bool saved = XlsxWriter::save(m_wb, path, &error);
        PackagePartStream::pieceHook = nullptr;
        EXPECT_FALSE(saved);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot save \"") + path))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_EQ(TestFiles::read(path), before);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("book.xlsx")});
    }
    ASSERT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
}

// A new file gets the mode the umask allows, found without changing the umask; a replaced
// file keeps its own.
TEST_F(XlsxWriterFailureTest, ModesComeFromTheUmaskWithoutChangingIt)
{
    const mode_t saved = mode_t(::syscall(SYS_umask, 027));
    g_umaskCalls = 0;
    const QString fresh = file(QStringLiteral("fresh.xlsx"));
    QString error;
    const bool ok = XlsxWriter::save(m_wb, fresh, &error);
    const int calls = g_umaskCalls;
    ::syscall(SYS_umask, saved);
    ASSERT_TRUE(ok) << error.toStdString();
    EXPECT_EQ(calls, 0);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_EQ(::chmod(QFile::encodeName(fresh).constData(), 0604), 0);
    ASSERT_TRUE(XlsxWriter::save(m_wb, fresh, &error)) << error.toStdString();
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(g_umaskCalls, 0);
}

// Files the program names itself replace a link found at their path, whatever it points to
// (a file of someone else's, a read-only file, a folder, nothing), and leave its target alone.
TEST_F(XlsxWriterFailureTest, AReportReplacesTheLinkNotWhatItPointsTo)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    const QString other = file(QStringLiteral("other.xlsx"));
    ASSERT_TRUE(TestFiles::write(other, "other"));
    ASSERT_TRUE(QFile::setPermissions(other, QFileDevice::ReadOwner));
    for (const QString &target :
         {other, file(QStringLiteral("folder")), file(QStringLiteral("missing"))}) {
        SCOPED_TRACE(target.toStdString());
        const QString link = file(QStringLiteral("report.xlsx"));
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(target, link));
        QString error;
        ASSERT_TRUE(XlsxWriter::save(m_wb, link, &error, XlsxWriter::Link::Replace))
            << error.toStdString();
        EXPECT_FALSE(QFileInfo(link).isSymLink());
        EXPECT_TRUE(TestFiles::read(link).startsWith("PK"));
    }
    EXPECT_EQ(TestFiles::read(other), QByteArray("other"));
    EXPECT_TRUE(QDir(file(QStringLiteral("folder"))).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("missing"))));
}

TEST_F(XlsxWriterFailureTest, DamagedSourceIsNamedAndGoneSourceSavesAsNew)
{
    // The file the workbook came from was replaced by something that is not a workbook.
    const QString source = file(QStringLiteral("source.xlsx"));
    ASSERT_TRUE(TestFiles::write(source, "not a zip"));
    m_wb.format = WorkbookData::Format::Xlsx;
    m_wb.path = source;
    m_wb.sheets[0]->partName = QStringLiteral("xl/worksheets/sheet1.xml");
    m_wb.sheets[0]->modified = true;
    QString error;
    EXPECT_FALSE(XlsxWriter::save(m_wb, source, &error));
    EXPECT_TRUE(error.contains(source)) << error.toStdString();
    EXPECT_EQ(TestFiles::read(source), QByteArray("not a zip"));

    // The file is gone: the store is written whole.
    QFile::remove(source);
    ASSERT_TRUE(XlsxWriter::save(m_wb, source, &error)) << error.toStdString();
    QUORVA_NEED_OPENPYXL();
    QString failure;
    QJsonObject o = dump(source, &failure);
    ASSERT_FALSE(o.isEmpty()) << failure.toStdString();
    EXPECT_EQ(o[QStringLiteral("order")].toArray(), QJsonArray{QStringLiteral("Sheet1")});
}

} // namespace

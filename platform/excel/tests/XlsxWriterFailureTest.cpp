#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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

    // The same workbook saves once the disk has room, keeping the file's permissions.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(XlsxWriter::save(m_wb, path, &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_NE(TestFiles::read(path), before);
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
    if (!TestFiles::haveOpenpyxl()) return;
    QString failure;
    QJsonObject o = dump(source, &failure);
    ASSERT_FALSE(o.isEmpty()) << failure.toStdString();
    EXPECT_EQ(o[QStringLiteral("order")].toArray(), QJsonArray{QStringLiteral("Sheet1")});
}

} // namespace

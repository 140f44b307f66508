#include "platform/ini/Profile.h"
#include "platform/ini/ProfileBatch.h"

#include "tests/support/HostileFiles.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace win;

namespace {

class Profile : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("a.ini"));

    void put(const char *bytes) { ASSERT_TRUE(TestFiles::write(file, QByteArray(bytes))); }
    std::string bytes() const { return TestFiles::read(file).toStdString(); }
};

TEST_F(Profile, ReadsCaseInsensitiveFirstOccurrenceTrimmed)
{
    put("; lead comment\r\n[One]\r\nKey = v1 \r\nkey=second\r\n[two]\r\nk=x=y\r\n"
        "[ONE]\r\nother=late\r\n");
    struct
    {
        const char *section, *key, *expected;
    } cases[] = {
        {"one", "KEY", "v1"},     // trimmed, first occurrence
        {"TWO", "k", "x=y"},      // text after the first "="
        {"one", "other", "dflt"}, // a repeated section further down is not read
        {"none", "k", "dflt"},    {" One ", " key ", "v1"}, // names given with blanks
    };
    for (auto c : cases)
        EXPECT_EQ(GetPrivateProfileString(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                          QStringLiteral("dflt"), file)
                      .toStdString(),
                  c.expected)
            << c.section << "/" << c.key;
    EXPECT_EQ(GetPrivateProfileString("one", "key", "d", dir.filePath("missing.ini")), "d");
    // The buffer holds bufferSize - 1 characters.
    EXPECT_EQ(GetPrivateProfileString("one", "key", "", file, 2), "v");
}

TEST_F(Profile, ReadsNumbers)
{
    put("[s]\r\na= 5\r\nb=-12\r\nc=abc\r\nd=\r\ne= 7x\r\nf=99999999999\r\ng=-99999999999\r\n");
    struct
    {
        const char *key;
        int expected;
    } cases[] = {{"a", 5}, {"b", -12}, {"c", 0},          {"d", 42},
                 {"e", 7}, {"zz", 42}, {"f", 2147483647}, {"g", int(-2147483648LL)}};
    for (auto c : cases)
        EXPECT_EQ(GetPrivateProfileInt("s", c.key, 42, file), c.expected) << c.key;
}

TEST_F(Profile, WritesInPlaceAndLeavesOtherLinesAlone)
{
    put("; settings\r\n[A]\r\nx = 1\r\n; about y\r\ny=2\r\n\r\n; next\r\n[B]\r\nz=3");
    EXPECT_TRUE(WritePrivateProfileString("a", "X", "10", file));
    EXPECT_TRUE(WritePrivateProfileString("A", "new", "n", file));
    EXPECT_TRUE(WritePrivateProfileString("b", "w", "4", file));
    EXPECT_TRUE(WritePrivateProfileString("C", "k", "v", file));
    EXPECT_EQ(bytes(), "; settings\r\n[A]\r\nx=10\r\n; about y\r\ny=2\r\nnew=n\r\n\r\n; next\r\n"
                       "[B]\r\nz=3\r\nw=4\r\n[C]\r\nk=v\r\n");
    // Writing the same value again leaves the file byte for byte.
    EXPECT_TRUE(WritePrivateProfileString("A", "y", "2", file));
    EXPECT_EQ(TestFiles::read(file).count("y=2"), 1);
}

TEST_F(Profile, KeepsLineEndStyleAndCreatesFiles)
{
    put("[A]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileString("A", "y", "2", file));
    EXPECT_EQ(bytes(), "[A]\nx=1\ny=2\n");

    const QString fresh = dir.filePath("new.ini");
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "", fresh));
    EXPECT_EQ(TestFiles::read(fresh).toStdString(), "[S]\r\nk=\r\n");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", dir.filePath("no/such/folder/x.ini")));
}

TEST_F(Profile, RefusesTextThatWouldForgeLines)
{
    put("[A]\r\nx=1\r\n");
    const QString before = QString::fromLatin1(TestFiles::read(file));
    struct
    {
        QString section, key, value;
    } cases[] = {
        {"A", "x", "1\r\n[Evil]\r\nk=v"},
        {"A", "x", QStringLiteral("a\nb")},
        {"A\n", "x", "v"},
        {"A]", "x", "v"},
        {"A", "x\r", "v"},
        {"A", "k=v", "v"},
        {"A", "[B]", "v"},
        {"A", ";c", "v"},
        {"A", "", "v"},
        {"A", "x", QString(1, QChar(u'\0')) + QLatin1String("v")},
    };
    for (const auto &c : cases)
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, file))
            << c.section.toStdString() << "/" << c.key.toStdString();
    EXPECT_EQ(QString::fromLatin1(TestFiles::read(file)), before);
}

TEST_F(Profile, DeletesKeysAndSections)
{
    put("[A]\r\nx=1\r\n; c\r\ny=2\r\n[B]\r\nz=3\r\n[a]\r\nx=9\r\n");
    EXPECT_TRUE(DeletePrivateProfileKey("a", "X", file));
    EXPECT_EQ(bytes(), "[A]\r\n; c\r\ny=2\r\n[B]\r\nz=3\r\n[a]\r\nx=9\r\n");
    EXPECT_TRUE(DeletePrivateProfileSection("b", file));
    EXPECT_EQ(bytes(), "[A]\r\n; c\r\ny=2\r\n[a]\r\nx=9\r\n");
    EXPECT_TRUE(DeletePrivateProfileKey("none", "x", file));
    EXPECT_TRUE(DeletePrivateProfileSection("none", dir.filePath("missing.ini")));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.ini")));
}

TEST_F(Profile, DeletedKeysAndSectionsDoNotShowThroughFromRepeats)
{
    // Only the first entry (the first section) was removed, so the next one was read instead.
    put("[A]\r\nx=1\r\ny=2\r\nX = 3\r\n[B]\r\nx=4\r\n[a]\r\nx=5\r\n");
    EXPECT_TRUE(DeletePrivateProfileKey("A", "x", file));
    EXPECT_EQ(GetPrivateProfileString("A", "x", "gone", file), "gone");
    EXPECT_EQ(bytes(), "[A]\r\ny=2\r\n[B]\r\nx=4\r\n[a]\r\nx=5\r\n");
    EXPECT_TRUE(DeletePrivateProfileSection("a", file));
    EXPECT_EQ(GetPrivateProfileString("A", "x", "gone", file), "gone");
    EXPECT_EQ(bytes(), "[B]\r\nx=4\r\n");
}

TEST_F(Profile, ListsSectionsAndEntriesInBufferLayout)
{
    put("[One]\r\na=1\r\n; c\r\n\r\n  b = 2  \r\n[Two]\r\n[one]\r\nc=3\r\n");
    const QChar nul(0);
    EXPECT_EQ(GetPrivateProfileSectionNames(file), QString("One") + nul + "Two" + nul + nul);
    EXPECT_EQ(GetPrivateProfileSection("ONE", file), QString("a=1") + nul + "b = 2" + nul + nul);
    EXPECT_EQ(GetPrivateProfileSection("two", file), QString(nul));
    EXPECT_EQ(GetPrivateProfileSectionNames(dir.filePath("missing.ini")), QString(nul));
    // Cut to a buffer of 6: "One", NUL, "T", NUL, NUL... as the profile functions leave it.
    EXPECT_EQ(GetPrivateProfileSectionNames(file, 6), QString("One") + nul + nul + nul);
}

TEST_F(Profile, ReadsGb18030AndWritesUtf8)
{
    // "[语言]\r\n名称=中文\r\n" in GB18030.
    QByteArray gb = QByteArray("[") + QByteArray("\xD3\xEF\xD1\xD4") + "]\r\n" +
                    QByteArray("\xC3\xFB\xB3\xC6") + "=" + QByteArray("\xD6\xD0\xCE\xC4") + "\r\n";
    ASSERT_TRUE(TestFiles::write(file, gb));
    EXPECT_EQ(GetPrivateProfileString("语言", "名称", "", file), "中文");
    EXPECT_TRUE(WritePrivateProfileString("语言", "其他", "值", file));
    EXPECT_EQ(TestFiles::read(file), QStringLiteral("[语言]\r\n名称=中文\r\n其他=值\r\n").toUtf8());
}

TEST_F(Profile, FileWithUndecodableBytesIsReadButNeverRewritten)
{
    // A rewrite would turn the bytes the decoder could not read into U+FFFD on lines the write
    // never touched; the write is refused and the file stays as it was.
    const QByteArray cases[] = {
        QByteArray("[A]\r\nx=1\r\nraw=\xFF\xFE\xFF\r\n"),      // not GB18030 either
        QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\nraw=\xC3(\r\n"), // BOM, then bad UTF-8
        QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0"
                   "1\0\r\0\n\0\x00\xD8",
                   24), // half a pair
    };
    for (const QByteArray &bytes : cases) {
        ASSERT_TRUE(TestFiles::write(file, bytes));
        EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "1");
        EXPECT_FALSE(WritePrivateProfileString("A", "x", "2", file));
        EXPECT_FALSE(WritePrivateProfileString("B", "y", "2", file));
        EXPECT_FALSE(DeletePrivateProfileKey("A", "x", file));
        EXPECT_EQ(TestFiles::read(file), bytes);
    }
}

TEST_F(Profile, KeepsByteOrderMarkAndRefusesReadOnlyFiles)
{
    put("\xEF\xBB\xBF[A]\r\nx=1\r\n");
    EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "1");
    EXPECT_TRUE(WritePrivateProfileString("A", "x", "2", file));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[A]\r\nx=2\r\n");

    // A rewrite keeps the file's permissions.
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(file, perms));
    EXPECT_TRUE(WritePrivateProfileString("A", "x", "2 ", file));
    const auto unixBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(file) & unixBits, perms);

    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_FALSE(WritePrivateProfileString("A", "x", "3", file));
    EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "2");

    // A UTF-16 file whose text begins with U+FEFF after its mark (here on a comment line) is
    // rewritten as UTF-8 with a mark, so that the character is still there at the next read.
    QFile::setPermissions(file, perms);
    const char16_t utf16[] = {0xFEFF, 0xFEFF, u';', u'\n', u'[', u'A',
                              u']',   u'\n',  u'x', u'=',  u'1', u'\n'};
    ASSERT_TRUE(TestFiles::write(
        file, QByteArray(reinterpret_cast<const char *>(utf16), qsizetype(sizeof utf16))));
    EXPECT_TRUE(WritePrivateProfileString("A", "x", "2", file));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF\xEF\xBB\xBF;\n[A]\nx=2\n");
    EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "2");
    EXPECT_TRUE(WritePrivateProfileString("A", "x", "3", file));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF\xEF\xBB\xBF;\n[A]\nx=3\n");
}

} // namespace

// Names that point at no ordinary file are read as missing and never written, without waiting
// on a pipe or reading a device for ever.
TEST_F(Profile, SpecialFilesAreRefusedWithoutWaiting)
{
    HostileFiles hostile(dir.path());
    std::vector<HostileFiles::Path> paths = hostile.specials();
    const QString big = dir.filePath(QStringLiteral("big.ini"));
    ASSERT_TRUE(HostileFiles::makeSparse(big, 100 << 20));
    paths.push_back({QStringLiteral("a file of 100 MB"), big});
    for (const HostileFiles::Path &p : paths) {
        Watchdog dog(20, [&] { hostile.releaseFifo(); });
        EXPECT_EQ(GetPrivateProfileString("A", "x", "dflt", p.path), "dflt")
            << p.what.toStdString();
        EXPECT_EQ(GetPrivateProfileSectionNames(p.path), QString(1, QChar(0)));
        EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", p.path)) << p.what.toStdString();
        dog.disarm();
        EXPECT_FALSE(dog.fired()) << p.what.toStdString() << " was waited on";
    }
    EXPECT_FALSE(QFileInfo(hostile.fifo()).isFile()) << "the pipe was replaced by a file";
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder.vrk"))).isDir());
    EXPECT_EQ(QFileInfo(big).size(), 100 << 20);
}

// The writes of a batch reach the file together at commit, over what others wrote meanwhile;
// until then only the batch's own thread sees them, and a batch dropped uncommitted writes
// nothing.
TEST_F(Profile, ABatchIsOneChangeOfTheFile)
{
    put("[A]\r\nx=1\r\ny=1\r\n[B]\r\nk=old\r\n");
    const QString other = dir.filePath(QStringLiteral("other.ini"));
    auto elsewhere = [&](auto read) {
        QString got;
        std::thread([&] { got = read(); }).join();
        return got;
    };
    {
        ProfileBatch batch(file);
        EXPECT_TRUE(WritePrivateProfileString("A", "x", "2", file));
        EXPECT_TRUE(DeletePrivateProfileKey("A", "y", file));
        EXPECT_TRUE(DeletePrivateProfileSection("B", file));
        EXPECT_TRUE(WritePrivateProfileString("B", "k", "new", file));
        {
            ProfileBatch inner(other);
            EXPECT_TRUE(WritePrivateProfileString("O", "k", "v", other));
            EXPECT_TRUE(inner.commit());
        }
        EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "2");
        EXPECT_EQ(GetPrivateProfileString("A", "y", "gone", file), "gone");
        EXPECT_EQ(elsewhere([&] { return GetPrivateProfileString("A", "x", "", file); }), "1");
        // Another writer meanwhile: kept under the batch's changes.
        std::thread([&] { WritePrivateProfileString("C", "z", "9", file); }).join();
        EXPECT_EQ(bytes(), "[A]\r\nx=1\r\ny=1\r\n[B]\r\nk=old\r\n[C]\r\nz=9\r\n");
        EXPECT_TRUE(batch.commit());
        // After commit the batch is over: writes go to the file at once.
        EXPECT_TRUE(WritePrivateProfileString("A", "w", "3", file));
    }
    EXPECT_EQ(bytes(), "[A]\r\nx=2\r\nw=3\r\n[C]\r\nz=9\r\n[B]\r\nk=new\r\n");
    EXPECT_EQ(TestFiles::read(other), "[O]\r\nk=v\r\n");
    {
        ProfileBatch dropped(file);
        EXPECT_TRUE(WritePrivateProfileString("A", "x", "lost", file));
    }
    EXPECT_EQ(GetPrivateProfileString("A", "x", "", file), "2");
}

// A commit that cannot replace the file leaves every byte of it and says why.
TEST_F(Profile, AFailedBatchLeavesTheFileAndSaysWhy)
{
    const QByteArray original("[A]\r\nx=1\r\n");
    const QString sub = dir.filePath(QStringLiteral("sub"));
    struct Case
    {
        const char *what;
        QString path;
        std::function<void()> meanwhile; // between the batch's writes and its commit
        const char *reason;
    };
    const QString inSub = sub + QStringLiteral("/p.ini");
    const Case cases[] = {
        {"read-only file", file, [&] { QFile::setPermissions(file, QFileDevice::ReadOwner); },
         "read-only"},
        {"file replaced by a folder", file,
         [&] {
             QFile::remove(file);
             QDir().mkdir(file);
         },
         "folder"},
        {"folder gone", inSub, [&] { QDir(sub).removeRecursively(); }, "folder does not exist"},
    };
    for (const Case &c : cases) {
        QDir().mkpath(sub);
        if (QFileInfo(c.path).isDir()) QDir().rmdir(c.path);
        QFile::remove(c.path);
        ASSERT_TRUE(TestFiles::write(c.path, original));
        ProfileBatch batch(c.path);
        EXPECT_TRUE(WritePrivateProfileString("A", "x", "2", c.path));
        c.meanwhile();
        EXPECT_FALSE(batch.commit()) << c.what;
        EXPECT_TRUE(batch.errorString().contains(QLatin1String(c.reason)))
            << c.what << ": " << batch.errorString().toStdString();
        if (QFileInfo(c.path).isFile()) {
            EXPECT_EQ(TestFiles::read(c.path), original) << c.what;
            QFile::setPermissions(c.path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }
}

// On a full disk the write fails whole: the old file keeps its bytes, the reason is given.
TEST_F(Profile, AFullDiskLeavesTheOldFile)
{
    const QString small = dir.filePath(QStringLiteral("small"));
    FullDisk disk(small);
    const QString path = small + QStringLiteral("/p.ini");
    const QByteArray original("[A]\r\nx=1\r\n");
    ASSERT_TRUE(TestFiles::write(path, original));
    disk.fill();
    ProfileBatch batch(path);
    EXPECT_TRUE(WritePrivateProfileString("A", "x", QString(5000, QLatin1Char('v')), path));
    const bool committed = batch.commit();
    disk.release();
    EXPECT_FALSE(committed) << disk.how().toStdString();
    EXPECT_FALSE(batch.errorString().isEmpty());
    EXPECT_EQ(TestFiles::read(path), original) << disk.how().toStdString();
}

// Writers in separate processes change one file at the same time: every key each of them wrote
// and did not delete is there afterwards, and every call reported success.
TEST_F(Profile, WritersInSeveralProcessesLoseNothing)
{
    put("; shared by several writers\r\n[Other]\r\nkeep=1\r\n");
    const int writers = 4, keys = 200;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int w = 0; w < writers; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(QStringLiteral(QUORVA_PROFILE_WRITER),
                 {file, QStringLiteral("w%1").arg(w), QString::number(keys)});
        running.push_back(std::move(p));
    }
    for (auto &p : running) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << "a writer was told that a write failed";
    }
    int missing = 0, lingering = 0;
    for (int w = 0; w < writers; ++w) {
        for (int i = 1; i <= keys; ++i) {
            const QString key = QStringLiteral("w%1_%2").arg(w).arg(i);
            const QString value =
                GetPrivateProfileString(QStringLiteral("Shared"), key, QStringLiteral("-"), file);
            if (i % 2 == 1 && value != QStringLiteral("v%1").arg(i)) ++missing;
            if (i % 2 == 0 && value != QStringLiteral("-")) ++lingering;
        }
    }
    EXPECT_EQ(missing, 0) << "keys written but lost";
    EXPECT_EQ(lingering, 0) << "keys deleted but back";
    EXPECT_EQ(
        GetPrivateProfileString(QStringLiteral("Other"), QStringLiteral("keep"), QString(), file),
        QStringLiteral("1"));
    EXPECT_TRUE(bytes().starts_with("; shared by several writers\r\n"));
}

// Processes that each rewrite a whole list at once (as Quorva does with its recent files when
// it closes) never leave a mixture: every reader sees one writer's whole list.
TEST_F(Profile, BatchesOfSeveralProcessesAreNeverTorn)
{
    put("[Other]\r\nkeep=1\r\n");
    const int writers = 2, rounds = 150;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int w = 0; w < writers; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(
            QStringLiteral(QUORVA_PROFILE_WRITER),
            {file, QStringLiteral("w%1").arg(w), QString::number(rounds), QStringLiteral("lists")});
        running.push_back(std::move(p));
    }
    int reads = 0, torn = 0;
    std::string example;
    auto look = [&] {
        const QString list = GetPrivateProfileSection(QStringLiteral("List"), file);
        const QStringList entries = list.split(QChar(0), Qt::SkipEmptyParts);
        if (entries.isEmpty()) return;
        ++reads;
        const QString first = entries.first().section(QLatin1Char('='), 1);
        const QString round = first.section(QLatin1Char('.'), 0, 0);
        bool whole = entries.size() == 10;
        for (int i = 0; i < entries.size(); ++i)
            whole &= entries[i] == QStringLiteral("File%1=%2.%3").arg(i).arg(round).arg(i);
        if (!whole && ++torn == 1) example = entries.join(QLatin1Char(' ')).toStdString();
    };
    while (std::any_of(running.begin(), running.end(),
                       [](auto &p) { return p->state() != QProcess::NotRunning; })) {
        look();
        for (auto &p : running)
            p->waitForFinished(1); // also what lets each process's state change
    }
    for (auto &p : running) {
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << "a writer was told that a commit failed";
    }
    look();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads, for example: " << example;
    EXPECT_EQ(GetPrivateProfileString("Other", "keep", "", file), "1");
}

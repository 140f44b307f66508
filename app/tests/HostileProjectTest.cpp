#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "tests/support/HostileFiles.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class HostileProject : public SessionFixture
{
};

// Names that point at no project are refused before a window opens, with the name and the
// reason; none of them is waited on.
TEST_F(HostileProject, NamesThatAreNoProjectAreRefusedWithTheReason)
{
    start();
    HostileFiles hostile(folder() + "h");
    struct Case
    {
        QString what, path, reason;
    };
    std::vector<Case> cases;
    for (const HostileFiles::Path &p : hostile.specials())
        cases.push_back({p.what, p.path, QString()});
    const QString big = folder() + "big.vrk";
    ASSERT_TRUE(HostileFiles::makeSparse(big, 100 << 20));
    cases.push_back({"100 MB", big, "32 MB"});
    const QString binary = folder() + "binary.vrk";
    ASSERT_TRUE(TestFiles::write(binary, QByteArray("PK\x03\x04\x00\x00\xff\xfe\x00", 9)));
    cases.push_back({"binary", binary, "不是文本"});
    const QString newline = folder() + "two\nlines.vrk";
    ASSERT_TRUE(TestFiles::write(newline, "[LEFT]\r\n"));
    cases.push_back({"a line break in the name", newline, "控制字符"});

    for (const Case &c : cases) {
        boxes.clear();
        boxes.expect(win::vbOK);
        Watchdog dog(20, [&] { hostile.releaseFifo(); });
        window->OpenSessionWindow(c.path);
        settle();
        dog.disarm();
        EXPECT_FALSE(dog.fired()) << c.what.toStdString() << " was waited on";
        EXPECT_TRUE(sessionNames().isEmpty()) << c.what.toStdString();
        ASSERT_EQ(boxes.shown().size(), 1u) << c.what.toStdString();
        const QString prompt = boxes.shown()[0].prompt;
        EXPECT_TRUE(prompt.startsWith("不能打开工程文件：")) << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(c.reason)) << prompt.toStdString();
        EXPECT_FALSE(prompt.section("\r\n", 1, 1).contains('\n')) << "the name is one line";
    }
    EXPECT_TRUE(QFileInfo(hostile.fifo()).exists() && !QFileInfo(hostile.fifo()).isFile());
    EXPECT_EQ(QFileInfo(big).size(), 100 << 20);
}

// Careless but readable projects open: a file cut short keeps what it has, a repeated section
// is read from its first occurrence.
TEST_F(HostileProject, CutOrRepeatedProjectsOpenWithWhatTheyHold)
{
    struct
    {
        const char *name, *text, *left, *right;
    } cases[] = {
        {"cut.vrk", "[LEFT]\r\nLeftFileName=a.xlsx\r\n[Right]\r\nRightFileNa", "a.xlsx", ""},
        {"twice.vrk",
         "[LEFT]\r\nLeftFileName=first.xlsx\r\n[LEFT]\r\nLeftFileName=second.xlsx\r\n"
         "[Right]\r\nRightFileName=r.xlsx\r\n",
         "first.xlsx", "r.xlsx"},
    };
    for (auto c : cases) {
        const QString path = folder() + c.name;
        ASSERT_TRUE(TestFiles::write(path, c.text));
        frmSession *frm = openProject(path);
        ASSERT_TRUE(frm) << c.name;
        EXPECT_EQ(frm->TxtLeftFileName->text(), c.left) << c.name;
        EXPECT_EQ(frm->txtRightFileName->text(), c.right) << c.name;
    }
    EXPECT_TRUE(boxes.shown().empty());
}

// A save that fails leaves the project's bytes as they were and the message says why.
TEST_F(HostileProject, AFailedSaveKeepsTheOldProjectAndSaysWhy)
{
    const QString sub = folder() + "p/";
    QDir().mkpath(sub);
    struct Case
    {
        const char *what;
        std::function<void(const QString &path)> spoil;
        const char *reason;
    };
    FullDisk disk(folder() + "full");
    const Case cases[] = {
        {"read-only folder and file",
         [&](const QString &path) {
             QFile::setPermissions(path, QFile::ReadOwner);
             QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
         },
         "read-only"},
        {"disk full", [&](const QString &) { disk.fill(); }, ""},
    };
    for (const Case &c : cases) {
        const QString dir = QString(c.what) == "disk full" ? folder() + "full/" : sub;
        const QString path = dir + "x.vrk";
        const QByteArray original = "[LEFT]\r\nLeftFileName=a.xlsx\r\n";
        ASSERT_TRUE(TestFiles::write(path, original));
        frmSession *frm = openProject(path);
        ASSERT_TRUE(frm) << c.what;
        // Opening writes the defaults of missing keys: those bytes are the ones to keep.
        const QByteArray before = TestFiles::read(path);
        type(frm->TxtLeftFileName, QString(3000, 'b'));
        c.spoil(path);
        boxes.clear();
        boxes.expect(win::vbOK);
        EXPECT_FALSE(window->SaveSessionToFile(frm, path)) << c.what;
        disk.release();
        EXPECT_EQ(TestFiles::read(path), before) << c.what;
        ASSERT_EQ(boxes.shown().size(), 1u) << c.what;
        const QStringList lines = boxes.shown()[0].prompt.split("\r\n");
        EXPECT_GE(lines.size(), 3) << "a reason between the text and the name";
        EXPECT_TRUE(lines.value(1).contains(c.reason)) << boxes.shown()[0].prompt.toStdString();
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(folder() + "full/filler");
        boxes.allowAll();
        frm->CloseWindow();
        settle();
        boxes.allowAll(false);
    }
}

} // namespace

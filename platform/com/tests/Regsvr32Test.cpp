#include "platform/registry/Registry.h"

#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProcessResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

class Regsvr32 : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("registry.reg"));

    ProcessResult run(const QStringList &args, const QByteArray &failRegister = QByteArray())
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUORVA_REGISTRY"), store);
        if (!failRegister.isEmpty())
            env.insert(QStringLiteral("QUORVA_TEST_FAIL_REGISTER"),
                       QString::fromLatin1(failRegister));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(QUORVA_REGSVR32), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return ProcessResult{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
                             QString::fromUtf8(p.readAllStandardOutput()),
                             QString::fromUtf8(p.readAllStandardError())};
    }
};

TEST_F(Regsvr32, ExitCodesTellWhatWentWrong)
{
    const QString module = QStringLiteral(QUORVA_TEST_COUNTER_MODULE);
    const QString notElf = dir.filePath(QStringLiteral("text.so"));
    ASSERT_TRUE(TestFiles::write(notElf, "not a module"));
    struct
    {
        QStringList args;
        const char *failRegister;
        int code;
    } cases[] = {
        {{}, "", 1},
        {{QStringLiteral("/s")}, "", 1},
        {{QStringLiteral("/x"), module}, "", 1},
        {{QStringLiteral("--help")}, "", 1},
        {{module, module}, "", 1},
        {{QStringLiteral("/s"), dir.filePath(QStringLiteral("missing.so"))}, "", 3},
        {{notElf}, "", 3},
        {{QStringLiteral(QUORVA_TEST_NOENTRY_MODULE)}, "", 4},
        {{QStringLiteral("/u"), QStringLiteral(QUORVA_TEST_NOENTRY_MODULE)}, "", 4},
        {{module}, "1", 5},
        {{QStringLiteral("/S"), module}, "", 0},
        {{QStringLiteral("-u"), module}, "", 0},
    };
    for (const auto &c : cases) {
        const ProcessResult r = run(c.args, c.failRegister);
        EXPECT_EQ(r.exitCode, c.code) << c.args.join(QLatin1Char(' ')).toStdString() << "\n"
                                      << r.err.toStdString();
    }
}

TEST_F(Regsvr32, ReportsUnlessSilent)
{
    const QString module = QStringLiteral(QUORVA_TEST_COUNTER_MODULE);
    ProcessResult r = run({module});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("DllRegisterServer"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(module));
    EXPECT_TRUE(r.err.isEmpty());

    r = run({module}, "1");
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(r.err.contains(QStringLiteral("0x80040201"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());

    r = run({QStringLiteral("/s"), QStringLiteral("/u"), QStringLiteral("missing.so")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());

    r = run({QStringLiteral("missing.so")});
    EXPECT_EQ(r.exitCode, 3);
    // A relative name is taken from the current folder, not searched for.
    EXPECT_TRUE(r.err.contains(dir.filePath(QStringLiteral("missing.so")))) << r.err.toStdString();
}

TEST_F(Regsvr32, RegistersTheAbsolutePathOfARelativeName)
{
    const QString copy = dir.filePath(QStringLiteral("Counter.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVA_TEST_COUNTER_MODULE), copy));
    ASSERT_EQ(run({QStringLiteral("/s"), QStringLiteral("./Counter.so")}).exitCode, 0);
    qputenv("QUORVA_REGISTRY", store.toUtf8());
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT,
                                QStringLiteral("CLSID\\{5D0C64A1-2B7E-4C39-9A41-6E0F2183C710}"
                                               "\\InprocServer32"),
                                0, win::KEY_READ, &key),
              win::ERROR_SUCCESS);
    win::RegData data;
    EXPECT_EQ(win::RegQueryValueEx(key, QString(), &data), win::ERROR_SUCCESS);
    win::RegCloseKey(key);
    qunsetenv("QUORVA_REGISTRY");
    EXPECT_EQ(data.text, copy);
}

} // namespace

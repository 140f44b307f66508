#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Helpers for tests that work on real files.
class TestFiles
{
public:
    // The repository's root (tests run with QUORVA_TEST_DATA pointing at it).
    static QString sourceRoot();
    static QString path(const QString &relative)
    {
        return sourceRoot() + QLatin1Char('/') + relative;
    }
    static QByteArray read(const QString &file);
    static bool write(const QString &file, const QByteArray &bytes);
    // Runs a python3 script with Debian's interpreter (where openpyxl lives; the environment
    // variable QUORVA_TEST_PYTHON names another); the script gets its arguments in sys.argv.
    // Returns the exit code; output lands in *output when given.
    static int runPython(const QString &script, const QStringList &arguments = {},
                         QString *output = nullptr);
    // The script's output lines (trailing empty ones dropped), or one line "cannot read
    // <argument>: <output>" when it fails: readers of workbooks compare lines.
    static QStringList runPythonLines(const QString &script, const QString &argument);
    static bool haveOpenpyxl();
    // True in builds that require every test dependency (QUORVA_REQUIRE_TEST_DEPS, the ci
    // preset): there a missing one fails the test instead of skipping it.
    static bool dependenciesRequired();
};

// At the top of a test (or its SetUp) that needs python3-openpyxl: skips the test when it is
// missing, or fails it where test dependencies are required, so that a green CI run means that
// the test ran.
#define QUORVA_NEED_OPENPYXL()                                                                     \
    do {                                                                                           \
        if (!TestFiles::haveOpenpyxl()) {                                                          \
            if (TestFiles::dependenciesRequired())                                                 \
                FAIL() << "python3-openpyxl is missing, and this build requires it";               \
            GTEST_SKIP() << "python3-openpyxl is missing";                                         \
        }                                                                                          \
    } while (0)

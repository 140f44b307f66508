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
    // Runs a python3 script with Debian's interpreter (where openpyxl lives); the script gets
    // its arguments in sys.argv. Returns the exit code; output lands in *output when given.
    static int runPython(const QString &script, const QStringList &arguments = {},
                         QString *output = nullptr);
    static bool haveOpenpyxl();
};

#include "tests/support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

QString TestFiles::sourceRoot()
{
    QByteArray root = qgetenv("QUORVA_TEST_DATA");
    return root.isEmpty() ? QStringLiteral(".") : QString::fromLocal8Bit(root);
}

QByteArray TestFiles::read(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

bool TestFiles::write(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

int TestFiles::runPython(const QString &script, const QStringList &arguments, QString *output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString python =
        qEnvironmentVariable("QUORVA_TEST_PYTHON", QStringLiteral("/usr/bin/python3"));
    p.start(python, QStringList{QStringLiteral("-c"), script} + arguments);
    if (!p.waitForFinished(120000)) return -1;
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool TestFiles::dependenciesRequired()
{
#ifdef QUORVA_REQUIRE_TEST_DEPS
    return true;
#else
    return false;
#endif
}

QStringList TestFiles::runPythonLines(const QString &script, const QString &argument)
{
    QString output;
    if (runPython(script, {argument}, &output) != 0)
        return {QStringLiteral("cannot read ") + argument + QStringLiteral(": ") + output};
    QStringList out = output.split(QLatin1Char('\n'));
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

bool TestFiles::haveOpenpyxl()
{
    static int ok = runPython(QStringLiteral("import openpyxl")) == 0 ? 1 : 0;
    return ok == 1;
}

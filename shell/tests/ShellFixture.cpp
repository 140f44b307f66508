#include "shell/tests/ShellFixture.h"

#include "platform/registry/Registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

void ShellFixture::SetUp()
{
    ASSERT_TRUE(root.isValid());
    home = root.filePath(QStringLiteral("home"));
    runtime = root.filePath(QStringLiteral("run"));
    temp = root.filePath(QStringLiteral("tmp"));
    store = root.filePath(QStringLiteral("registry.reg"));
    app = root.filePath(QStringLiteral("opt/quorva"));
    work = root.filePath(QStringLiteral("work"));
    shared = root.filePath(QStringLiteral("share"));
    argvFile = root.filePath(QStringLiteral("argv"));
    for (const QString &d : {home, runtime, temp, app, work})
        ASSERT_TRUE(QDir().mkpath(d));
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString bin = QStringLiteral(QUORVA_BIN_DIR);
    for (const char *name : {"Menulet.so", "Regwell", "Unregwell", "shellhost"})
        ASSERT_TRUE(QFile::copy(bin + QLatin1Char('/') + QLatin1String(name),
                                app + QLatin1Char('/') + QLatin1String(name)))
            << name;
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(QUORVA_TEST_ARGV_RECORDER), app + QStringLiteral("/Quorva")));
    writeStore("Quorva registry 1\n"
               "[HKCR\\*]\n[HKCR\\*\\shellex]\n[HKCR\\*\\shellex\\ContextMenuHandlers]\n"
               "[HKCR\\CLSID]\n"
               "[HKLM\\SOFTWARE]\n[HKLM\\SOFTWARE\\Tarquell]\n[HKLM\\SOFTWARE\\Tarquell\\Quorva]\n"
               "\"Path\"=sz:\"" +
               app.toUtf8() + "/Quorva\"\n");
}

ShellFixture::Result ShellFixture::run(const QString &program, const QStringList &arguments)
{
    const QString path = program == QStringLiteral("regsvr32")
                             ? QStringLiteral(QUORVA_BIN_DIR) + QStringLiteral("/regsvr32")
                             : app + QLatin1Char('/') + program;
    return start(path, arguments);
}

ShellFixture::Result ShellFixture::script(const QByteArray &text)
{
    return start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(text)});
}

ShellFixture::Result ShellFixture::start(const QString &path, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("APP"), app);
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    // The machine's folder for every user's data, where an install by root puts the desktop's
    // files: never the real one.
    env.insert(QStringLiteral("XDG_DATA_DIRS"), shared + QStringLiteral(":/usr/share"));
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("TMPDIR"), temp);
    env.insert(QStringLiteral("QUORVA_REGISTRY"), store);
    env.insert(QStringLiteral("QUORVA_TEST_ARGV_FILE"), argvFile);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(work);
    p.start(path, arguments);
    EXPECT_TRUE(p.waitForFinished(60000)) << path.toStdString();
    return Result{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
                  QString::fromUtf8(p.readAllStandardOutput()),
                  QString::fromUtf8(p.readAllStandardError())};
}

bool ShellFixture::recorderRan() const
{
    return QFile::exists(argvFile);
}

QStringList ShellFixture::recordedArguments(int waitMs)
{
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(argvFile) && t.elapsed() < waitMs)
        QThread::msleep(20);
    QFile f(argvFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList out;
    for (const QByteArray &a : f.readAll().split('\0'))
        out.append(QString::fromUtf8(a));
    out.removeLast(); // after the last NUL
    f.close();
    QFile::remove(argvFile);
    return out;
}

QByteArray ShellFixture::storeBytes() const
{
    QFile f(store);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString ShellFixture::storeText() const
{
    return QString::fromUtf8(storeBytes());
}

void ShellFixture::writeStore(const QByteArray &text)
{
    QFile f(store);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QString ShellFixture::makeFile(const QString &name)
{
    const QString path = work + QLatin1Char('/') + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("PK");
    return path;
}

QString ShellFixture::registryText(const QString &rootName, const QString &key,
                                   const QString &value) const
{
    qputenv("QUORVA_REGISTRY", store.toUtf8());
    const win::HKEY r = rootName == QStringLiteral("HKCU")   ? win::HKEY_CURRENT_USER
                        : rootName == QStringLiteral("HKLM") ? win::HKEY_LOCAL_MACHINE
                                                             : win::HKEY_CLASSES_ROOT;
    QString out = QStringLiteral("<missing>");
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(r, key, 0, win::KEY_READ, &k) == win::ERROR_SUCCESS) {
        win::RegData d;
        if (win::RegQueryValueEx(k, value, &d) == win::ERROR_SUCCESS) out = d.text;
        win::RegCloseKey(k);
    }
    qunsetenv("QUORVA_REGISTRY");
    return out;
}

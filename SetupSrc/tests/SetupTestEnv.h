#pragma once

#include "SetupSrc/tests/QtPrinters.h"
#include "platform/ini/Profile.h"
#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <string>

// A private world for one installer test: home, data and config folders, the registry store,
// Program Files, the system folder, and a folder of fake programs first on PATH. Everything
// changed is put back afterwards.
class SetupTestEnv : public ::testing::Test
{
protected:
    QTemporaryDir tmp;
    QString home, programFiles, systemDir, bin, source, record;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        home = tmp.filePath("home");
        programFiles = tmp.filePath("programs");
        systemDir = tmp.filePath("system");
        bin = tmp.filePath("bin");
        source = tmp.filePath("source");
        record = tmp.filePath("record.txt");
        for (const QString &d : {home, programFiles, bin, source})
            QDir().mkpath(d);
        set("HOME", home);
        set("XDG_DATA_HOME", home + "/.local/share");
        set("XDG_CONFIG_HOME", home + "/.config");
        // The machine's data folder for every user, where an install by root goes: never the
        // real one. Desktop tools (xdg-mime) answer as GNOME's do.
        set("XDG_DATA_DIRS", tmp.filePath("share") + ":/usr/share");
        set("XDG_CURRENT_DESKTOP", "GNOME");
        set("QUORVA_REGISTRY", tmp.filePath("registry.reg"));
        set("QUORVA_PROGRAMFILES", programFiles);
        set("QUORVA_SYSTEM_DIR", systemDir);
        set("QX_RECORD", record);
        set("PATH", bin + ":" + qEnvironmentVariable("PATH"));
    }

    void TearDown() override
    {
        for (const auto &[name, old] : saved) {
            if (old.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), old);
        }
    }

    void set(const char *name, const QString &value)
    {
        if (!saved.count(name))
            saved[name] = qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
        qputenv(name, value.toUtf8());
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        f.write(bytes);
    }

    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A program that appends its name and arguments ("name [a] [b]") to $QX_RECORD, after
    // sleeping `delay` seconds, and ends with `exitCode`.
    static void writeFakeProgram(const QString &path, const QString &name, int exitCode = 0,
                                 const char *delay = "0")
    {
        const QByteArray script = "#!/bin/sh\n"
                                  "sleep " +
                                  QByteArray(delay) +
                                  "\n"
                                  "line='" +
                                  name.toUtf8() +
                                  "'\n"
                                  "for a in \"$@\"; do line=\"$line [$a]\"; done\n"
                                  "echo \"$line\" >> \"$QX_RECORD\"\n"
                                  "exit " +
                                  QByteArray::number(exitCode) + "\n";
        writeFile(path, script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The keys of one section of an uninstall log, in file order.
    static QStringList uninstallEntries(const QString &log, const QString &section)
    {
        QStringList keys;
        const QString packed = win::GetPrivateProfileSection(section, log);
        for (const QString &entry : packed.split(QChar(0), Qt::SkipEmptyParts))
            keys.append(entry.endsWith('=') ? entry.chopped(1) : entry);
        return keys;
    }

    // A text value of the registry store, or "<no key>" / "<no value>".
    static QString registryText(win::HKEY root, const QString &key, const QString &name)
    {
        win::HKEY k = 0;
        if (win::RegOpenKeyEx(root, key, 0, win::KEY_READ, &k) != win::ERROR_SUCCESS)
            return "<no key>";
        win::RegData d;
        const long rc = win::RegQueryValueEx(k, name, &d);
        win::RegCloseKey(k);
        return rc == win::ERROR_SUCCESS ? d.text : "<no value>";
    }

    // The record's lines once it holds at least `count` (waiting up to five seconds for
    // programs that run detached).
    QStringList recordLines(int count = 0) const
    {
        QStringList lines;
        for (int i = 0; i < 100; ++i) {
            lines = QString::fromUtf8(readFile(record)).split('\n', Qt::SkipEmptyParts);
            if (lines.size() >= count) break;
            QThread::msleep(50);
        }
        return lines;
    }

private:
    std::map<std::string, QByteArray> saved; // null: was not set
};

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A user's world for the integration's programs: a temporary home, runtime folder, temporary
// folder and registry store, and an install folder holding copies of the deliverables with the
// argument recorder as "Quorva". The registry holds what an installer's Registry line writes:
// HKLM "SOFTWARE\Tarquell\Quorva" "Path" = the install folder's Quorva.
class ShellFixture : public ::testing::Test
{
protected:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void SetUp() override;

    // Runs a deliverable of the install folder (or regsvr32 from the build) in the user's world.
    Result run(const QString &program, const QStringList &arguments);
    // Runs a /bin/sh script in the same world (for arguments that are no text, such as names
    // with bytes that are not UTF-8); $APP is the install folder.
    Result script(const QByteArray &text);
    Result shellhost(const QStringList &arguments)
    {
        return run(QStringLiteral("shellhost"), arguments);
    }

    // The arguments the stand-in main program got, waiting for it to have run; empty when it
    // did not run within the wait.
    QStringList recordedArguments(int waitMs = 20000);
    bool recorderRan() const;

    QString storeText() const;
    QByteArray storeBytes() const;
    void writeStore(const QByteArray &text);
    // A file in the work folder with a few bytes in it.
    QString makeFile(const QString &name);
    QString registryText(const QString &root, const QString &key, const QString &value) const;

    Result start(const QString &path, const QStringList &arguments);

    QTemporaryDir root;
    QString home, runtime, temp, store, app, work, argvFile;
    QString shared; // $XDG_DATA_DIRS's first folder
};

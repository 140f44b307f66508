#pragma once

#include "app/frmMain.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class frmSession;

// Starts the main program's main window in-process over a temporary program folder (with an
// empty "Lang" folder), with message boxes, file dialogs and the shell answered by fakes, at
// 96 DPI, without running a modal loop. A message box that the test did not queue an answer
// for fails the test.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The entry routine with this command line; returns the shown main window.
    frmMain *start(const QString &commandLine = QString());
    // Closes the main window as its close box does and lets it finish; true when it closed.
    bool quit();

    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString settingsPath() const { return folder() + QStringLiteral("Quorvex.ini"); }
    QByteArray settings() const;
    void writeSettings(const QByteArray &bytes) const;
    // Creates an (empty) file in the program folder; returns its path.
    QString touch(const QString &name) const;

    // The session windows' names in the order opened; the project list's texts and keys.
    QStringList sessionNames() const;
    QStringList projectListTexts() const;
    QStringList projectListKeys() const;
    frmSession *session(const QString &name) const;
    // Runs posted events (deferred deletes included).
    static void settle();

    QTemporaryDir m_dir;
    FakeMessageBox boxes;
    FakeFileDialog dialogs;
    FakeShell shell;
    QPointer<frmMain> window;
};

#pragma once

#include "app/tests/MainWindowFixture.h"
#include "app/tests/TextPrinters.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QTreeWidget;
class QWidget;

// The main window with session windows, driven as a user does: typing, clicks, list selections.
// Temporary files and default report folders go below the test's own folder (TMPDIR), and
// workbooks are written by openpyxl.
class SessionFixture : public MainWindowFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the main window when it is not running and opens a new untitled session.
    frmSession *newSession();
    // Starts the main window when needed and opens the project file in a session window.
    frmSession *openProject(const QString &path);

    // Runs openpyxl with a prelude that defines book(name, sheets): sheets is a list of
    // (title, rows), rows lists of cell values (None = no cell); files land in `subfolder` of the
    // program folder. Returns "" on success, else the writer's output.
    QString makeBooks(const QString &body, const QString &subfolder = QString());

    // Replaces the text of a box (a line edit, or an editable combo box) by typing; characters
    // beyond Latin-1 come as an input method commits them.
    static void type(QWidget *box, const QString &text);
    // Clicks a button where a user does: a check box or option button on its indicator.
    static void click(QAbstractButton *button);
    // Selects exactly the named items of a sheet list: a click on the first, Ctrl+click on the
    // others.
    static void selectSheets(QTreeWidget *list, const QStringList &names);
    static QStringList selectedSheets(const QTreeWidget *list);
    static QStringList sheetNames(const QTreeWidget *list);

    // The file's lines without their line ends.
    static QStringList lines(const QString &path);
    // Writes the text with CR LF line ends.
    static bool writeText(const QString &path, const QString &text);
    // The messages shown so far, their prompts only.
    QStringList prompts() const;

    QString templatePath() const { return folder() + QStringLiteral("base.vrk"); }
    QString tempFolder() const { return folder() + QStringLiteral("tmp"); }

private:
    QByteArray m_oldTmpDir;
    bool m_hadTmpDir = false;
};

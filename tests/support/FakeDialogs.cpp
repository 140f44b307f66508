#include "tests/support/FakeDialogs.h"

#include <gtest/gtest.h>

FakeFileDialog::FakeFileDialog() : m_previous(win::FileDialogSeam::installed())
{
    win::FileDialogSeam::install(this);
}

FakeFileDialog::~FakeFileDialog()
{
    win::FileDialogSeam::install(m_previous);
}

QString FakeFileDialog::next()
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return QString();
    }
    QString a = m_answers.front();
    m_answers.pop_front();
    return a;
}

QString FakeFileDialog::openFile(const QString &title, const QString &filter, const QString &folder,
                                 const QString &fileName)
{
    asked.push_back({title, filter, folder, fileName, false});
    return next();
}

QString FakeFileDialog::saveFile(const QString &title, const QString &filter, const QString &folder,
                                 const QString &fileName)
{
    asked.push_back({title, filter, folder, fileName, true});
    return next();
}

FakeShell::FakeShell() : m_previous(shell::ShellSeam::installed())
{
    shell::ShellSeam::install(this);
}

FakeShell::~FakeShell()
{
    shell::ShellSeam::install(m_previous);
}

bool FakeShell::openDocument(const QString &path)
{
    opened << path;
    return true;
}

bool FakeShell::startProgram(const QString &program, const QStringList &arguments)
{
    started.push_back(QStringList{program} + arguments);
    return true;
}

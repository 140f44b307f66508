#include "tests/support/FakeDialogs.h"

#include <gtest/gtest.h>

QString FakeFileDialog::next()
{
    if (m_answers.empty()) {
        if (m_allowAll) return QString();
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

QString FakeFileDialog::saveFileWith(const win::SaveFileRequest &request)
{
    asked.push_back({request.title, request.filter, request.folder, request.fileName, true,
                     request.defaultSuffix, request.confirmOverwrite});
    return next();
}

bool FakeShell::openDocument(const QString &path)
{
    opened << path;
    return !refuse;
}

bool FakeShell::startProgram(const QString &program, const QStringList &arguments)
{
    started.push_back(QStringList{program} + arguments);
    return true;
}

#pragma once

#include "platform/shell/ShellExecute.h"
#include "platform/win/FileDialog.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

// Answers open and save dialogs with queued paths ("" = cancelled); an unqueued dialog fails.
class FakeFileDialog : public win::FileDialogSeam
{
public:
    void answer(const QString &path) { m_answers.push_back(path); }
    // Lets any number of dialogs through, each answered as cancelled.
    void allowAll(bool allow = true) { m_allowAll = allow; }
    QString openFile(const QString &title, const QString &filter, const QString &folder,
                     const QString &fileName) override;
    QString saveFile(const QString &title, const QString &filter, const QString &folder,
                     const QString &fileName) override;
    // Answers as the plain save dialog does; a test plays the dialog's own default suffix by
    // the path it queues.
    QString saveFileWith(const win::SaveFileRequest &request) override;
    struct Asked
    {
        QString title, filter, folder, fileName;
        bool save;
        QString defaultSuffix = QString();
        bool confirmOverwrite = false;
    };
    std::vector<Asked> asked;

private:
    QString next();
    std::deque<QString> m_answers;
    bool m_allowAll = false;
    win::FileDialogSeam::Scope m_installed{this};
};

// Records the documents and programs the shell was asked to open or start. With `refuse` set
// it plays a desktop on which nothing can open a document.
class FakeShell : public shell::ShellSeam
{
public:
    bool openDocument(const QString &path) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool refuse = false;
    QStringList opened;
    std::vector<QStringList> started; // program first, then its arguments

private:
    shell::ShellSeam::Scope m_installed{this};
};

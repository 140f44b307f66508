#pragma once

#include <QFile>
#include <QString>
#include <memory>

// Writes a text file line by line (UTF-8, each line ended by CR LF); the comparison writes its
// text report through it. Failures answer false or are ignored, as callers expect, but every
// lost line is counted so that a caller can tell a complete file from a damaged one.
class ClsLogFile
{
public:
    ClsLogFile();
    ~ClsLogFile();
    ClsLogFile(const ClsLogFile &) = delete;
    ClsLogFile &operator=(const ClsLogFile &) = delete;

    // Closes any open file, deletes the file at the path and creates it anew, open for writing.
    // What is replaced is the directory entry itself: a link found at the path is removed, never
    // followed, and the new file is created only where nothing is, so that a link planted in a
    // shared folder cannot turn the write onto another file.
    bool SetFileName(const QString &path);
    // Why the last SetFileName failed, as the system said it; empty after a success.
    const QString &errorString() const { return m_error; }
    // Closes any open file and opens the path for appending, creating it when missing.
    bool CreateFile(const QString &path);
    // Closes the open file, if any.
    void CloseFile();
    // Writes the text and CR LF; nothing is written (and nothing raised) while no file is open.
    void WriteLine(const QString &text);

    bool isOpen() const { return m_file != nullptr; }
    // Lines lost since the last SetFileName or CreateFile (no open file, or a failed write,
    // including one found when the file was closed).
    int lostLines() const { return m_lostLines; }

private:
    bool open(const QString &path, QIODevice::OpenMode mode);

    std::unique_ptr<QFile> m_file;
    QString m_error;
    int m_lostLines = 0;
    int m_pendingLines = 0; // written to the buffer since the last flush
};

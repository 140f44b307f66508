#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The list of files that a CF_HDROP medium carries, read with DragQueryFile.
namespace shell {

struct DropFiles;
using HDROP = DropFiles *;

constexpr quint32 DragQueryCount = 0xFFFFFFFFu;

// A new list (freed by DragFinish, or by ReleaseStgMedium when handed out in a medium).
HDROP CreateDropFiles(const QStringList &files);
void DragFinish(HDROP drop);

// With iFile = DragQueryCount: the number of files. Otherwise the length in UTF-16 units of
// file iFile (without its NUL); with a buffer, copies at most cch - 1 units and a NUL. 0 for a
// file index past the end.
quint32 DragQueryFile(HDROP drop, quint32 iFile, char16_t *buffer, quint32 cch);
// The same in UTF-8 bytes, the ANSI form of file names here.
quint32 DragQueryFileA(HDROP drop, quint32 iFile, char *buffer, quint32 cch);

} // namespace shell

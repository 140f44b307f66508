#pragma once

#include <QString>

class QWidget;

// The system save dialog as the main window (project files) and the difference view (workbook
// copies) ask for it.
namespace ModDialog {

// Flag bits of the save dialog; only the overwrite question changes what the dialog does here.
inline constexpr int OFN_OVERWRITEPROMPT = 0x2;
inline constexpr int OFN_EXPLORER = 0x80000;
inline constexpr int OFN_LONGNAMES = 0x200000;

// Shows the save dialog and returns the chosen path, "" when cancelled.
// - owner: the window the dialog belongs to (null: the active window).
// - defaultName: the name offered; a path opens the dialog in its folder when that exists.
// - startFolder: a folder to start in; blank, or not an existing folder, gives the user's home
//   folder (without its trailing "/"). Receives the folder used.
// - filter: description and pattern pieces separated by "|" (a NUL separates too).
// - flags: OFN_ bits; with OFN_OVERWRITEPROMPT an existing file is replaced only when the user
//   says so.
// - extension (without its dot, may be empty): the answer always ends in it. The dialog adds it
//   to a name typed without an extension; a name that ends otherwise gets it appended (compared
//   without regard to case), and when that names an existing file the overwrite question is
//   asked for it; No shows the dialog again.
QString ShowSaveFileDialog(QWidget *owner, const QString &defaultName, const QString &title,
                           QString &startFolder, const QString &filter, int flags,
                           const QString &extension = QString());

// The "|"- or NUL-separated pieces as the dialog seam's "description|pattern|..." text; a last
// description without its pattern is its own pattern.
QString SeamFilter(const QString &filter);

} // namespace ModDialog

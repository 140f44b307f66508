#pragma once

#include "core/ClsIni.h"

#include <QString>
#include <memory>

// Process-wide state of the main program besides g_AppPath and g_Options (core/ProcessGlobals.h):
// the settings file "Quorvex.ini" beside the program, the folder from which a workbook was last
// chosen, and the close question's answer that the main window's Close All reads.
extern std::shared_ptr<ClsIni> g_SettingsIni;
extern QString g_LastOpenPath;
extern bool g_CloseCancelled;

// The settings object, created on first use.
ClsIni &SettingsIni();

// Start-up and shut-down of the main program and three small helpers.
namespace ModMain {

// The folder that g_LastOpenPath starts with on a first start.
QString DefaultOpenPath();

// The first half of the entry routine ModMain::Main (app/ProgramEntry.h, which makes the main
// window): takes the program folder (a "/" is appended when missing) and the command line,
// reads the settings file and the program options, and loads Qt's texts for the language.
void ReadSettings(const QString &programFolder, const QString &commandLine);

// The command line that Main was given.
QString CommandLine();

// The exit routine, last step of the main window's unload: writes the options and
// LastOpenPath, then releases the options and settings objects.
void SaveSettingsOnExit();

// Keeps the folder part of the path (with its trailing "/") in g_LastOpenPath.
void RememberOpenPath(const QString &path);

// Where a file dialog starts when the user's files are in `folder`: that folder when it exists,
// else the user's home folder (with a trailing "/").
QString UserFolder(const QString &folder);
// Where a workbook dialog starts: the folder a workbook was last chosen from; before the first
// choice (LastOpenPath still the first start's root), or when that folder is gone, the user's
// files in `folder` as UserFolder finds them.
QString WorkbookDialogFolder(const QString &folder);

// 1 for a project file (".vrk"), 2 for ".xls", else 0, by the file name's last extension
// without regard to case.
int GetFileKind(const QString &path);

// Every full-width comma "，" replaced by ",".
QString NormalizeCommas(const QString &text);

} // namespace ModMain

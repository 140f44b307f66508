#pragma once

#include <QString>

class frmMain;

// The entry routines of the main program, beside the rest of ModMain (app/ModMain.h) because
// they make the main window, which uses ModMain itself.
namespace ModMain {

// The entry routine: takes the program folder (a "/" is appended when missing) and the command
// line (the program's arguments joined by blanks), reads the settings file, and loads and shows
// the main window. Returns the main window, which deletes itself when closed; the caller runs
// the event loop.
frmMain *Main(const QString &programFolder, const QString &commandLine);

// Makes a detail run show its sheet pairs in the difference view, whose session options button
// opens the session options dialog. The program calls it once at start.
void InstallDifferenceView();

} // namespace ModMain

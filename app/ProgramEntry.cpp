#include "app/ProgramEntry.h"

#include "app/ModMain.h"
#include "app/SessionOptionDialogLink.h"
#include "app/frmMain.h"
#include "diffview/LeftRightViewSeam.h"

namespace ModMain {

frmMain *Main(const QString &programFolder, const QString &commandLine)
{
    ReadSettings(programFolder, commandLine);
    auto *window = new frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->MDIForm_Load();
    window->show();
    return window;
}

void InstallDifferenceView()
{
    static LeftRightViewSeam view;
    static SessionOptionDialogLink options;
    CompareViewSeam::install(&view);
    SessionOptionDialogSeam::install(&options);
}

} // namespace ModMain

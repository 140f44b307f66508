#include "app/ModMain.h"
#include "app/ProgramEntry.h"
#include "core/ClsCmdParaParse.h"
#include "platform/excel/windows/SheetWindows.h"
#include "ui/ProductIcon.h"
#include "ui/QtFileDialog.h"
#include "ui/QtMessageBox.h"
#include "ui/ScreenDpi.h"

#include <QApplication>
#include <QStringList>

// The command line belongs to the program: every argument is taken as program text (project
// files, "left?right" pairs, " /A"), and Qt's application object sees none of them, so that an
// argument such as "-style" or "-platform" is never taken by Qt. Qt's own settings come from
// its environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, QT_SCALE_FACTOR...).
int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Quorva"));
    QApplication::setWindowIcon(ProductIcon::icon());

    ScreenDpi::install();
    QtMessageBox::install();
    QtFileDialog::install();
    // Spreadsheet applications get their windows (the report workbook, the difference view).
    excel::SheetWindows::install();
    ModMain::InstallDifferenceView();

    ModMain::Main(QCoreApplication::applicationDirPath(),
                  ClsCmdParaParse::JoinArguments(arguments));
    return app.exec();
}

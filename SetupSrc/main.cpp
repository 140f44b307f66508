// Setup: the installer. It stands in its source folder beside the rules file "Setup.rul", the
// language file "DefLang.ini" and the files to install, and shows the wizard. Without a
// "Setup.rul" beside it, it shows nothing and ends.
#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/Include/IniFile.h"
#include "SetupSrc/TSetupRule.h"
#include "SetupSrc/TfrmMain.h"
#include "platform/win/MessageDialog.h"
#include "platform/win/QtTranslations.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    // Setup has no options of its own, so Qt may take its usual ones.
    QApplication app(argc, argv);
    const QString rules = QDir(QCoreApplication::applicationDirPath())
                              .filePath(QLatin1String(TSetupRule::RulesFileTitle));
    if (!QFileInfo(rules).isFile()) {
        std::fprintf(stderr, "Setup: there is no %s beside the program; nothing to install\n",
                     qUtf8Printable(rules));
        return 0;
    }

    // Qt's own buttons and dialogs in the wizard's language: its texts are Chinese unless its
    // language file names another Qt locale ("QtLocale" of section frmMain, "" for English).
    win::QtTranslations::install(
        IniFile(QDir(QCoreApplication::applicationDirPath())
                    .filePath(QLatin1String(TSetupRule::LanguageFileTitle)))
            .ReadString(QStringLiteral("frmMain"), QStringLiteral("QtLocale"),
                        QStringLiteral("zh_CN")));
    win::MessageDialog boxes;
    win::MessageBoxSeam::Scope boxScope(&boxes);
    CorvaleGlobal::SetFolderBrowser([](QObject *owner, const QString &prompt) {
        return QFileDialog::getExistingDirectory(qobject_cast<QWidget *>(owner), prompt,
                                                 QDir::homePath());
    });
    int code = 1;
    try {
        TfrmMain window(rules);
        window.show();
        code = app.exec();
    } catch (const std::exception &e) {
        win::MsgBox(QString::fromLocal8Bit(e.what()), win::vbCritical, QStringLiteral("Setup"));
    }
    CorvaleGlobal::SetFolderBrowser(nullptr);
    return code;
}

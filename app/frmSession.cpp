#include "app/frmSession.h"

#include "app/ModMain.h"
#include "app/frmMain.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "platform/win/MessageBox.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>

namespace {
int g_nextWindowId = 0;
const QString kSection = QStringLiteral("frmSession");
} // namespace

frmSession::frmSession(QWidget *parent) : QWidget(parent), m_WindowId(++g_nextWindowId)
{
    setObjectName(kSection);
    m_Controls.setWindow(this);
    lblLeftFileName = new QLabel(QStringLiteral("左边文件:"), this);
    lblLeftFileName->setObjectName(QStringLiteral("lblLeftFileName"));
    TxtLeftFileName = new QLineEdit(this);
    TxtLeftFileName->setObjectName(QStringLiteral("TxtLeftFileName"));
    lblrightFileName = new QLabel(QStringLiteral("右边文件:"), this);
    lblrightFileName->setObjectName(QStringLiteral("lblrightFileName"));
    txtRightFileName = new QLineEdit(this);
    txtRightFileName->setObjectName(QStringLiteral("txtRightFileName"));
    for (QObject *c :
         {static_cast<QObject *>(lblLeftFileName), static_cast<QObject *>(TxtLeftFileName),
          static_cast<QObject *>(lblrightFileName), static_cast<QObject *>(txtRightFileName)})
        m_Controls.add(c);

    auto *layout = new QFormLayout(this);
    layout->addRow(lblLeftFileName, TxtLeftFileName);
    layout->addRow(lblrightFileName, txtRightFileName);
    resize(500, 300);
}

frmSession::~frmSession() = default;

void frmSession::SetIniFileName(const QString &strFileName, bool untitled)
{
    m_IniFileName = strFileName;
    m_Untitled = untitled;
    setWindowTitle(strFileName);
    if (!m_LoadRan) {
        m_LoadRan = true;
        Form_Load();
    }
}

void frmSession::Form_Load()
{
    if (frmMain *main = frmMain::Instance()) setWindowIcon(main->windowIcon());
    SwitchLanguage();
    m_Loaded = true;
}

void frmSession::SessionOption_Click()
{
    // The session options dialog comes with its own window; until then there is nothing to show.
}

void frmSession::CmdLeft_Refresh_Sheet_Click()
{
    // Reading the left workbook's sheet list comes with the sheet lists.
}

void frmSession::CmdRight_Refresh_Sheet_Click()
{
    // Reading the right workbook's sheet list comes with the sheet lists.
}

void frmSession::SwitchLanguage()
{
    m_Language.Init();
    m_Language.LoadLanguageOfForm(m_Controls.form());
}

void frmSession::SwitchLeftRight()
{
    const QString left = TxtLeftFileName->text();
    TxtLeftFileName->setText(txtRightFileName->text());
    txtRightFileName->setText(left);
    CmdLeft_Refresh_Sheet_Click();
    CmdRight_Refresh_Sheet_Click();
}

void frmSession::Form_Activate()
{
    if (frmMain *main = frmMain::Instance()) main->SubWindowActiveted(this);
}

void frmSession::MainWindowBusy(bool /*busy*/)
{
    // The compare commands are disabled here while the main window is busy.
}

bool frmSession::CloseWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) return frame->close();
    return close();
}

void frmSession::closeEvent(QCloseEvent *event)
{
    if (m_Unloaded) {
        event->accept();
        return;
    }
    // A running comparison uses this window's engine: offer to cancel it, and close once the
    // run has unwound.
    frmMain *main = frmMain::Instance();
    if (main && main->IsRunning(this)) {
        QWidget *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
        main->QueryCloseWhileBusy(frame ? frame : this);
        event->ignore();
        return;
    }
    if (Form_QueryUnload()) {
        event->ignore();
        return;
    }
    m_Unloaded = true;
    Form_Unload();
    event->accept();
}

bool frmSession::Form_QueryUnload()
{
    if (!m_Untitled && ModFile::FileExists(m_IniFileName)) {
        // A saved project is saved again silently (with the project file).
        return false;
    }
    const int answer =
        ModCommon::ShowMsg(m_Language.ReadString(kSection, QStringLiteral("SaveProjectPrompt"),
                                                 QStringLiteral("是否保存工程文件?")),
                           win::vbYesNoCancel + win::vbQuestion, windowTitle());
    bool cancel = false;
    if (answer == win::vbYes) {
        const QString old = m_IniFileName;
        frmMain *main = frmMain::Instance();
        const QString path = main ? main->SaveFileOf(this) : QString();
        if (path.isEmpty()) {
            cancel = true;
        } else {
            main->AddToRecentFile(path);
            main->FileClosed(old);
        }
    } else if (answer == win::vbNo) {
        m_Loaded = false;
    } else {
        cancel = true;
    }
    g_CloseCancelled = cancel;
    return cancel;
}

void frmSession::Form_Unload()
{
    if (frmMain *main = frmMain::Instance()) main->FileClosed(m_IniFileName);
}

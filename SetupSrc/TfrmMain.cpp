#include "SetupSrc/TfrmMain.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/Include/IniFile.h"
#include "SetupSrc/SetupMessage.h"
#include "SetupSrc/TCorvaleCopyFileThread.h"
#include "SetupSrc/TSetupRule.h"
#include "platform/text/AnsiText.h"
#include "platform/win/FormTemplate.h"
#include "platform/win/MessageBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextDocument>
#include <QThread>
#include <unistd.h>

namespace {

// The window's client size and the bands of its layout, in pixels.
constexpr int FormWidth = 559;
constexpr int FormHeight = 320;
constexpr int PanelUpHeight = 280;
constexpr int PanelLeftWidth = 125;
constexpr int ButtonsHeight = FormHeight - PanelUpHeight;
constexpr int ButtonTop = 12;
constexpr int ButtonWidth = 77;
constexpr int ButtonHeight = 21;
// The destination's edit box and its Browse button are a little taller than the wizard's buttons.
constexpr int EditHeight = 23;
// Inside a page: its margin and the width left for the controls.
constexpr int Margin = 8;
constexpr int PageWidth = FormWidth - PanelLeftWidth;
constexpr int InnerWidth = PageWidth - 2 * Margin;
// The progress bar counts in steps of this many; the bytes may exceed its integer range.
constexpr int ProgressSteps = 10000;
// A licence text is a few pages; more than this is not shown.
constexpr qint64 MaxLicenseBytes = 4 * 1024 * 1024;

// The controls whose captions come from the language file, in the order they are applied.
const char *const CaptionedControls[] = {
    "frmMain",         "PanelUp",         "PanelParent",     "TabSheet1",
    "PanelLicense",    "LblSelect1",      "ChkAgreeLicense", "TabSheet3",
    "PageAskDestPath", "LblSelect3",      "GroupBox1",       "BtnBrowse",
    "TabSheet4",       "PageCopyingFile", "LblSelect4",      "LblCopyingFileName",
    "TabSheet5",       "PageFinish",      "PanelLeft",       "PanelButtons",
    "BtnComplete",     "BtnBack",         "BtnNext",         "BtnCancel",
    "ChkLaunchApp"};

} // namespace

TfrmMain::TfrmMain(const QString &rulesPath, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmMain"));
    // The rules object reads [ShowDialog], [Setup] and [Files]; the language file may be missing.
    m_rules = std::make_unique<TSetupRule>(rulesPath);
    m_language = std::make_unique<IniFile>(m_rules->LanguageFileName());

    buildControls();
    // The pages leave their design-time holders for the panel that shows them.
    for (QFrame *page : {PanelLicense, PageAskDestPath, PageCopyingFile, PageFinish}) {
        page->setParent(PanelParent);
        page->setGeometry(0, 0, PageWidth, PanelUpHeight);
        page->setVisible(false);
    }
    if (m_rules->SdLicense()) {
        m_pages.AddControl(PanelLicense);
        BtnNext->setEnabled(false);
    }
    // Also when the rules' own folder cannot be used, whatever they say about the page.
    if (m_rules->NeedsDestPage()) m_pages.AddControl(PageAskDestPath);
    m_pages.AddControl(PageCopyingFile);
    m_pages.AddControl(PageFinish);
    m_pages.AlignPages(0);
    m_pages.ShowPage(0);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // Normally nothing runs here: the window closes only when the work has ended. Should it go
    // away earlier, the copy is stopped, and a question it waits for is dropped (the thread
    // takes that as Abort), so that waiting for it cannot hang.
    if (m_copyThread) {
        m_copyThread->RequestStop();
        while (!m_copyThread->wait(20))
            QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
        m_copyThread.reset();
    }
    if (m_actionThread) {
        m_actionThread->wait();
        delete m_actionThread;
    }
}

void TfrmMain::buildControls()
{
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    setFixedSize(FormWidth, FormHeight);
    setWindowTitle(QStringLiteral("frmMain"));

    using T = FormTemplate;
    // The design-time holder of the pages (PageControl1) is never shown; its sheets hold one
    // page each until the wizard takes the pages over.
    const auto sheet = [this](const char *name) {
        return T::made(QLatin1String(name), [this, name](QWidget *) {
            auto *s = new QWidget;
            PageControl1->addTab(s, QLatin1String(name));
            return s;
        });
    };
    const int buttonLeft[] = {217, 298, 384, 466};
    const auto buttonAt = [&](int i) {
        return QRect(buttonLeft[i], ButtonTop, ButtonWidth, ButtonHeight);
    };
    const std::vector<T::Control> controls = {
        T::control(PanelUp, "PanelUp", nullptr, {0, 0, FormWidth, PanelUpHeight}),
        T::control(PanelLeft, "PanelLeft", nullptr, {0, 0, PanelLeftWidth, PanelUpHeight},
                   "PanelUp"),
        T::control(ImgWizard, "ImgWizard", nullptr, {}, "PanelLeft"),
        T::control(PanelParent, "PanelParent", nullptr,
                   {PanelLeftWidth, 0, PageWidth, PanelUpHeight}, "PanelUp"),
        T::control(PageControl1, "PageControl1", nullptr, {}, "PanelParent"),
        sheet("TabSheet1"),
        sheet("TabSheet3"),
        sheet("TabSheet4"),
        sheet("TabSheet5"),
        T::control(PanelLicense, "PanelLicense", nullptr, {}, "TabSheet1"),
        T::control(LblSelect1, "LblSelect1",
                   "Please read the following license agreement carefully.",
                   {Margin, Margin, InnerWidth, 30}, "PanelLicense"),
        T::control(MemoLicense, "MemoLicense", nullptr, {Margin, 40, InnerWidth, 200},
                   "PanelLicense"),
        T::control(ChkAgreeLicense, "ChkAgreeLicense", "Yes, i accept this agreement.",
                   {Margin, 240, InnerWidth, 20}, "PanelLicense"),
        T::control(PageAskDestPath, "PageAskDestPath", nullptr, {}, "TabSheet3"),
        T::control(LblSelect3, "LblSelect3", "Select folder where Setup will install files.",
                   {Margin, Margin, InnerWidth, 30}, "PageAskDestPath"),
        T::control(GroupBox1, "GroupBox1", "Destination Folder", {Margin, 44, InnerWidth, 64},
                   "PageAskDestPath"),
        T::control(EditDestFolder, "EditDestFolder", nullptr,
                   {10, 28, InnerWidth - 20 - ButtonWidth - 18, EditHeight}, "GroupBox1"),
        T::control(BtnBrowse, "BtnBrowse", "B&rowse...",
                   {InnerWidth - 10 - ButtonWidth - 8, 28, ButtonWidth + 8, EditHeight},
                   "GroupBox1"),
        T::control(LblDestProblem, "LblDestProblem", nullptr, {Margin, 118, InnerWidth, 150},
                   "PageAskDestPath"),
        T::control(PageCopyingFile, "PageCopyingFile", nullptr, {}, "TabSheet4"),
        T::control(LblSelect4, "LblSelect4", "Copying files.", {Margin, Margin, InnerWidth, 30},
                   "PageCopyingFile"),
        T::control(LblCopyingFileName, "LblCopyingFileName", "Copying...",
                   {Margin, 48, InnerWidth, 18}, "PageCopyingFile"),
        T::control(ProgressBar1, "ProgressBar1", nullptr, {Margin, 72, InnerWidth, 20},
                   "PageCopyingFile"),
        T::control(PageFinish, "PageFinish", nullptr, {}, "TabSheet5"),
        T::control(MemoFinishTitle, "MemoFinishTitle",
                   "Setup has finished installing Corvale on your computer.",
                   {Margin, Margin, InnerWidth, 56}, "PageFinish"),
        T::control(ChkLaunchApp, "ChkLaunchApp", "Launch Corvale", {Margin, 70, InnerWidth, 20},
                   "PageFinish"),
        T::control(LblFinishProblems, "LblFinishProblems",
                   "Some steps did not succeed (Setup.log in the install folder tells more):",
                   {Margin, 100, InnerWidth, 30}, "PageFinish"),
        T::control(MemoFinishProblems, "MemoFinishProblems", nullptr,
                   {Margin, 132, InnerWidth, PanelUpHeight - 132 - Margin}, "PageFinish"),
        T::control(PanelButtons, "PanelButtons", nullptr,
                   {0, PanelUpHeight, FormWidth, ButtonsHeight}),
        T::control(Bevel1, "Bevel1", nullptr, {0, 0, FormWidth, 2}, "PanelButtons"),
        T::control(BtnBack, "BtnBack", "<&Back", buttonAt(0), "PanelButtons"),
        T::control(BtnNext, "BtnNext", "&Next>", buttonAt(1), "PanelButtons"),
        T::control(BtnCancel, "BtnCancel", "&Cancel", buttonAt(2), "PanelButtons"),
        T::control(BtnComplete, "BtnComplete", "&Finish", buttonAt(3), "PanelButtons"),
    };
    T::build(this, controls);
    TabSheet1 = PageControl1->widget(0);
    TabSheet3 = PageControl1->widget(1);
    TabSheet4 = PageControl1->widget(2);
    TabSheet5 = PageControl1->widget(3);

    for (QFrame *panel : {PanelUp, PanelLeft, PanelParent, PanelLicense, PageAskDestPath,
                          PageCopyingFile, PageFinish, PanelButtons}) {
        panel->setFrameShape(QFrame::NoFrame);
        // A panel's caption is kept (the language file may set it) but not drawn.
        panel->setProperty("caption", QString());
    }
    for (QLabel *l : {ImgWizard, LblSelect1, LblSelect3, LblDestProblem, LblSelect4,
                      LblCopyingFileName, LblFinishProblems}) {
        // Labels show paths and lines of the rules file: markup in them is text, and an image
        // tag must not make the label read the file it names.
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(l != LblCopyingFileName);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    ImgWizard->setWordWrap(false);
    ImgWizard->setGeometry(0, 0, 0, 0); // sized to its picture
    PageControl1->setVisible(false);
    MemoLicense->setReadOnly(true);
    MemoLicense->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BtnBrowse->setAutoDefault(false);
    LblDestProblem->setStyleSheet(QStringLiteral("color: #a00000"));
    LblDestProblem->setVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    MemoFinishTitle->setReadOnly(true);
    MemoFinishTitle->setFrameShape(QFrame::NoFrame);
    MemoFinishTitle->setFocusPolicy(Qt::NoFocus);
    {
        QPalette p = MemoFinishTitle->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        MemoFinishTitle->setPalette(p);
    }
    LblFinishProblems->setVisible(false);
    MemoFinishProblems->setReadOnly(true);
    MemoFinishProblems->setVisible(false);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    for (QPushButton *b : {BtnBack, BtnNext, BtnCancel, BtnComplete})
        b->setAutoDefault(false);
    BtnBack->setEnabled(false);
    BtnComplete->setDefault(true);
    BtnComplete->setEnabled(false);

    connect(BtnBack, &QPushButton::clicked, this, &TfrmMain::BtnBackClick);
    connect(BtnNext, &QPushButton::clicked, this, &TfrmMain::BtnNextClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TfrmMain::BtnCancelClick);
    connect(BtnComplete, &QPushButton::clicked, this, &TfrmMain::BtnCompleteClick);
    connect(BtnBrowse, &QPushButton::clicked, this, &TfrmMain::BtnBrowseClick);
    connect(ChkAgreeLicense, &QCheckBox::toggled, this, &TfrmMain::ChkAgreeLicenseClick);
}

void TfrmMain::FormCreate()
{
    ApplyLanguage();
    FormResize();
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(FormWidth / 2, FormHeight / 2));
    // A rules file that names nothing to install: no page is worth going through. The window
    // says so as soon as it runs, and closes.
    const QString damaged = m_rules->RulesProblem();
    if (!damaged.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this, damaged] {
                win::MsgBox(damaged, win::vbCritical, windowTitle());
                AbortSetup();
            },
            Qt::QueuedConnection);
        return;
    }
    EnterPage();
}

QString TfrmMain::Text(const QString &key, const QString &defaultText) const
{
    return m_language->ReadString(QStringLiteral("frmMain"), key, defaultText);
}

void TfrmMain::ApplyLanguage()
{
    auto captionOf = [this](QObject *o) -> QString {
        if (o == this) return windowTitle();
        if (auto *b = qobject_cast<QAbstractButton *>(o)) return b->text();
        if (auto *l = qobject_cast<QLabel *>(o)) return l->text();
        if (auto *g = qobject_cast<QGroupBox *>(o)) return g->title();
        const int tab = PageControl1->indexOf(qobject_cast<QWidget *>(o));
        if (tab >= 0) return PageControl1->tabText(tab);
        return o->property("caption").toString();
    };
    auto setCaptionOf = [this](QObject *o, const QString &text) {
        if (o == this)
            setWindowTitle(text);
        else if (auto *b = qobject_cast<QAbstractButton *>(o))
            b->setText(text);
        else if (auto *l = qobject_cast<QLabel *>(o))
            l->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(o))
            g->setTitle(text);
        else if (const int tab = PageControl1->indexOf(qobject_cast<QWidget *>(o)); tab >= 0)
            PageControl1->setTabText(tab, text);
        else
            o->setProperty("caption", text);
    };
    // A window called "frmMain" tells the user nothing: the rules file's caption stands in.
    if (!m_rules->Caption().isEmpty()) setWindowTitle(m_rules->Caption());
    for (const char *name : CaptionedControls) {
        const QString controlName = QLatin1String(name);
        QObject *o = controlName == QLatin1String("frmMain") ? static_cast<QObject *>(this)
                                                             : findChild<QObject *>(controlName);
        if (!o) continue;
        setCaptionOf(o, Text(controlName + QStringLiteral("_Caption"), captionOf(o)));
    }
    EditDestFolder->setText(m_rules->InstallDir());
    EditDestFolder->setCursorPosition(0);
    if (!m_rules->InstallDirProblem().isEmpty()) {
        LblDestProblem->setText(m_rules->InstallDirProblem());
        LblDestProblem->setVisible(true);
    }
    LoadWizardImage();
    LoadLicense();
    MemoFinishTitle->setPlainText(
        Text(QStringLiteral("str_FinishTitle"), MemoFinishTitle->toPlainText()));
    LblFinishProblems->setText(
        Text(QStringLiteral("str_finish_problems"), LblFinishProblems->text()));
}

void TfrmMain::LoadWizardImage()
{
    QString file = m_rules->WizardImageFile();
    if (file.isEmpty()) return;
    // Relative to the source folder, like the licence file (not to the current folder, which
    // is wherever Setup was started from).
    file = CorvaleGlobal::ToSlashes(file);
    if (!file.startsWith(QLatin1Char('/'))) file = m_rules->SourceDir() + file;
    QPixmap picture;
    if (!picture.load(file)) {
        m_rules->Log().Info(QStringLiteral("the wizard picture %1 cannot be read").arg(file));
        return;
    }
    ImgWizard->setPixmap(picture);
    ImgWizard->resize(picture.deviceIndependentSize().toSize());
}

void TfrmMain::LoadLicense()
{
    const QString file = m_rules->LicenseFile();
    QFile f(file);
    QString problem;
    if (!QFileInfo(file).isFile())
        problem = QStringLiteral("it does not exist");
    else if (f.size() > MaxLicenseBytes)
        problem = QStringLiteral("it is larger than %1 bytes").arg(MaxLicenseBytes);
    else if (!f.open(QIODevice::ReadOnly))
        problem = f.errorString();
    if (problem.isEmpty()) {
        MemoLicense->setPlainText(AnsiText::decode(f.readAll()));
        return;
    }
    // Nobody should be asked to accept a licence that is not there without being told why.
    if (m_rules->SdLicense()) {
        const QString text = Text(QStringLiteral("str_license_unreadable"),
                                  QStringLiteral("The licence file %1 cannot be read: %2"));
        MemoLicense->setPlainText(text.arg(file, problem));
        m_rules->Log().Problem(
            QStringLiteral("the licence file %1 cannot be read: %2").arg(file, problem));
    }
}

void TfrmMain::FormResize()
{
    ChkAgreeLicense->move(ChkAgreeLicense->x(),
                          PanelParent->height() - ChkAgreeLicense->height() - 3);
    MemoLicense->resize(MemoLicense->width(), ChkAgreeLicense->y() - MemoLicense->y() - 1);
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (ChkAgreeLicense) FormResize();
}

bool TfrmMain::Busy() const
{
    return m_copyThread || m_actionThread;
}

void TfrmMain::EnterPage()
{
    if (m_pages.CurrentIndex() > 0) BtnBack->setEnabled(true);
    QWidget *page = m_pages.CurrentControl();
    if (page == PageCopyingFile) {
        // Going back and forward again would start a second copy over the same files.
        BtnNext->setEnabled(false);
        BtnBack->setEnabled(false);
        StartCopy();
    } else if (page == PageFinish) {
        // Only Finish remains; the window's own close command goes too.
        const bool visible = isVisible();
        setWindowFlag(Qt::WindowCloseButtonHint, false);
        if (visible) show();
        BtnBack->setVisible(false);
        BtnNext->setVisible(false);
        BtnCancel->setVisible(false);
        BtnComplete->setEnabled(true);
        BtnComplete->setDefault(true);
        BtnComplete->setFocus();
        // Only a program that is there is offered: one whose copy was ignored would not start.
        const QString app = m_rules->WhenFinishLaunchApp();
        const bool launchable = !app.isEmpty() && QFileInfo(m_rules->ExpandMacro(app)).isFile();
        ChkLaunchApp->setVisible(launchable);
        ChkLaunchApp->setChecked(m_rules->LaunchAppDefault());
        ShowProblems();
        m_closable = true;
    }
}

void TfrmMain::ShowProblems()
{
    const QStringList problems = m_rules->Log().Problems();
    LblFinishProblems->setVisible(!problems.isEmpty());
    MemoFinishProblems->setVisible(!problems.isEmpty());
    MemoFinishProblems->setPlainText(problems.join(QLatin1Char('\n')));
}

bool TfrmMain::ValidatePage()
{
    if (m_pages.CurrentControl() != PageAskDestPath) return true;
    QString folder = EditDestFolder->text().trimmed();
    QString message;
    if (!CorvaleGlobal::IsValidPath(folder)) {
        message = Text(QStringLiteral("str_invalid_folder"), QStringLiteral("Invalid Folder Name"));
    } else if (!CorvaleGlobal::FolderWritable(folder)) {
        message = Text(QStringLiteral("str_folder_not_writable"),
                       QStringLiteral("Setup cannot write to the folder %1."))
                      .arg(folder);
    } else {
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        m_rules->SetInstallDir(folder);
        return true;
    }
    win::MsgBox(message, win::vbExclamation, windowTitle());
    EditDestFolder->setFocus();
    return false;
}

void TfrmMain::BtnNextClick()
{
    if (Busy()) return;
    if (ValidatePage() && m_pages.Next()) EnterPage();
}

void TfrmMain::BtnBackClick()
{
    if (Busy()) return;
    m_pages.Back();
    BtnNext->setEnabled(true);
    BtnComplete->setEnabled(false);
    if (m_pages.CurrentIndex() == 0) BtnBack->setEnabled(false);
}

void TfrmMain::ChkAgreeLicenseClick()
{
    const bool agreed = ChkAgreeLicense->isChecked();
    BtnNext->setEnabled(agreed);
    if (agreed) BtnNext->setDefault(true);
}

void TfrmMain::BtnBrowseClick()
{
    const QString prompt = Text(QStringLiteral("str_select_folder_prompt"),
                                QStringLiteral("Select the folder to install into"));
    const QString folder = CorvaleGlobal::BrowseForFolder(this, prompt);
    if (!folder.isEmpty()) EditDestFolder->setText(folder);
}

void TfrmMain::StartCopy()
{
    m_progressMaximum = m_rules->GetTotalFileSize();
    SetProgress(0);
    auto prompt = [this](const QString &text, int) {
        int answer = win::vbAbort; // also when the window goes away before it could ask
        QMetaObject::invokeMethod(
            this, [this, &text, &answer] { answer = AskCopyFailed(text); },
            Qt::BlockingQueuedConnection);
        return answer;
    };
    m_copyThread =
        std::make_unique<TCorvaleCopyFileThread>(this, *m_rules, *m_language, std::move(prompt));
    m_copyThread->start();
}

int TfrmMain::AskCopyFailed(const QString &text)
{
    return win::MsgBox(text, win::vbAbortRetryIgnore | win::vbExclamation, windowTitle());
}

void TfrmMain::SetProgress(qint64 position)
{
    m_progressPosition = position;
    ProgressBar1->setRange(0, ProgressSteps);
    const qint64 steps = m_progressMaximum > 0
                             ? qMin(position, m_progressMaximum) * ProgressSteps / m_progressMaximum
                             : 0;
    ProgressBar1->setValue(int(steps));
}

void TfrmMain::ShowFileLine(int index)
{
    const QString line = m_rules->FileLines().value(index);
    // A tool tip takes text that looks like markup for markup.
    LblCopyingFileName->setToolTip(
        Qt::mightBeRichText(line)
            ? QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(line.toHtmlEscaped())
            : line);
    LblCopyingFileName->setText(LblCopyingFileName->fontMetrics().elidedText(
        line, Qt::ElideMiddle, LblCopyingFileName->width()));
}

bool TfrmMain::event(QEvent *event)
{
    const SetupMessage *message = SetupMessage::from(event);
    if (!message) return QWidget::event(event);
    switch (message->message()) {
    case WM_COPYFILE_BEGIN:
        ShowFileLine(int(message->wParam()));
        break;
    case WM_COPYFILE_STEP:
        SetProgress(m_progressPosition + qint64(message->wParam()));
        break;
    case WM_COPYFILE_DONE:
        CopyEnded(true);
        break;
    case WM_COPYFILE_ABORT:
        CopyEnded(false);
        break;
    default:
        return QWidget::event(event);
    }
    return true;
}

void TfrmMain::CopyEnded(bool done)
{
    if (!m_copyThread) return;
    // The thread posts DONE or ABORT as the last thing it does.
    m_copyThread->wait();
    const bool cancelled = m_copyThread->Cancelled();
    const QString reason = m_copyThread->AbortReason();
    m_copyThread.reset();
    if (done && !m_closeRequested) {
        FinishCopy();
        return;
    }
    if (!cancelled && !m_closeRequested) {
        QString text = Text(QStringLiteral("str_copyfile_failed"),
                            QStringLiteral("Setup could not copy the files and stops."));
        win::MsgBox(text + QStringLiteral("\n\n") + reason, win::vbCritical, windowTitle());
    }
    AbortSetup();
}

void TfrmMain::FinishCopy()
{
    SetProgress(m_progressMaximum);
    ProgressBar1->setValue(ProgressBar1->maximum());
    LblCopyingFileName->setToolTip(QString());
    LblCopyingFileName->setText(
        Text(QStringLiteral("str_installing"), QStringLiteral("Completing the installation...")));
    // Registry values, servers (each regsvr32 run is waited for), shortcuts and the programs
    // to start: on a worker, so that the window stays live meanwhile. They touch no window.
    m_actionsSucceeded = false;
    m_actionsError.clear();
    m_actionThread = QThread::create(
        [this] { m_actionsSucceeded = m_rules->RunInstallActions(&m_actionsError); });
    connect(m_actionThread, &QThread::finished, this, &TfrmMain::InstallActionsEnded);
    m_actionThread->start();
}

void TfrmMain::InstallActionsEnded()
{
    if (!m_actionThread) return;
    m_actionThread->wait();
    delete m_actionThread;
    m_actionThread = nullptr;
    if (m_closeRequested) {
        AbortSetup();
        return;
    }
    if (!m_actionsSucceeded) {
        // The remaining actions did not run; the user may go back and try again, or quit.
        win::MsgBox(m_actionsError, win::vbCritical, windowTitle());
        BtnBack->setEnabled(m_pages.CurrentIndex() > 0);
        BtnCancel->setEnabled(true);
        return;
    }
    BtnNextClick();
}

void TfrmMain::AbortSetup()
{
    m_closable = true;
    close();
}

void TfrmMain::BtnCompleteClick()
{
    const QString app = m_rules->WhenFinishLaunchApp();
    if (!ChkLaunchApp->isHidden() && ChkLaunchApp->isChecked() && !app.isEmpty()) {
        const QString path = m_rules->ExpandMacro(app);
        QString problem;
        if (!CorvaleGlobal::StartFile(path, &problem))
            win::MsgBox(
                Text(QStringLiteral("str_launch_failed"), QStringLiteral("%1 cannot be started."))
                        .arg(path) +
                    QStringLiteral("\n") + problem,
                win::vbExclamation, windowTitle());
    }
    close();
}

void TfrmMain::BtnCancelClick()
{
    close();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_closable && !Busy()) {
        event->accept();
        return;
    }
    event->ignore();
    // Already asked: the window closes as soon as the work has stopped.
    if (m_closeRequested) return;
    const QString query = Text(QStringLiteral("str_quit_query"),
                               QStringLiteral("Setup is not finished. Quit Setup?"));
    if (win::MsgBox(query, win::vbYesNo | win::vbQuestion | win::vbDefaultButton2, windowTitle()) !=
        win::vbYes)
        return;
    if (!Busy()) {
        m_closable = true;
        event->accept();
        return;
    }
    m_closeRequested = true;
    BtnBack->setEnabled(false);
    BtnNext->setEnabled(false);
    BtnCancel->setEnabled(false);
    LblCopyingFileName->setText(Text(QStringLiteral("str_cancelling"),
                                     QStringLiteral("Stopping after the current step...")));
    if (m_copyThread) m_copyThread->RequestStop();
}

#include "platform/excel/windows/SheetMainWindow.h"

#include "platform/excel/Application.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetCommandBar.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/text/BasicError.h"
#include "platform/win/FileDialog.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Windows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace excel {

namespace {

const QString kTitle = QStringLiteral("Quorva");
const int kZooms[] = {10, 25, 50, 75, 100, 150, 200, 400};

} // namespace

SheetMainWindow::SheetMainWindow(std::weak_ptr<Application> application, win::DWORD thread)
    : QWidget(nullptr), m_application(std::move(application))
{
    setObjectName(QStringLiteral("SheetMainWindow"));
    resize(1000, 700);
    m_hwnd = win::registerWindow(
        this, QStringLiteral("QxSheetFrame"),
        win::WS_OVERLAPPEDWINDOW | win::WS_CLIPCHILDREN | win::WS_CLIPSIBLINGS, thread);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_standard = new SheetCommandBar(QStringLiteral("Standard"), thread, this);
    m_standard->addButton(QStringLiteral("保存"), [this] { save(); });
    m_zoom = new QComboBox;
    m_zoom->setObjectName(QStringLiteral("qx_zoom"));
    for (int z : kZooms)
        m_zoom->addItem(QStringLiteral("%1%").arg(z), z);
    m_zoom->setFocusPolicy(Qt::NoFocus);
    m_standard->addWidget(m_zoom);
    connect(m_zoom, &QComboBox::activated, this, [this](int index) { zoomChosen(index); });
    layout->addWidget(m_standard);

    m_formatting = new SheetCommandBar(QStringLiteral("Formatting"), thread, this);
    m_formatting->addButton(QStringLiteral("红色字体"), [this] {
        applyToSelection([](const Range &r) { r.Font().setColorIndex(3); });
    });
    m_formatting->addButton(QStringLiteral("自动字体颜色"), [this] {
        applyToSelection(
            [](const Range &r) { r.Font().setColorIndex(StyleCodes::ColorIndexAutomatic); });
    });
    m_formatting->addButton(QStringLiteral("黄色填充"), [this] {
        applyToSelection([](const Range &r) { r.Interior().setColorIndex(6); });
    });
    m_formatting->addButton(QStringLiteral("无填充"), [this] {
        applyToSelection(
            [](const Range &r) { r.Interior().setColorIndex(StyleCodes::ColorIndexNone); });
    });
    layout->addWidget(m_formatting);

    auto *formulaRow = new QWidget(this);
    auto *formulaLayout = new QHBoxLayout(formulaRow);
    formulaLayout->setContentsMargins(4, 2, 4, 2);
    m_address = new QLabel(formulaRow);
    m_address->setObjectName(QStringLiteral("qx_address"));
    m_address->setMinimumWidth(80);
    m_formula = new QLineEdit(formulaRow);
    m_formula->setObjectName(QStringLiteral("qx_formula"));
    m_formula->setFocusPolicy(Qt::ClickFocus);
    connect(m_formula, &QLineEdit::returnPressed, this, [this] { enterFormula(); });
    formulaLayout->addWidget(m_address);
    formulaLayout->addWidget(m_formula, 1);
    layout->addWidget(formulaRow);

    m_desk = new QWidget(this);
    m_desk->setObjectName(QStringLiteral("XLDESK"));
    win::registerWindow(m_desk, QStringLiteral("XLDESK"),
                        win::WS_CHILD | win::WS_VISIBLE | win::WS_CLIPCHILDREN, thread);
    auto *deskLayout = new QVBoxLayout(m_desk);
    deskLayout->setContentsMargins(0, 0, 0, 0);
    m_grid = new SheetGridWindow(m_application, thread, m_desk);
    deskLayout->addWidget(m_grid);
    layout->addWidget(m_desk, 1);

    setFocusProxy(m_grid);
    refreshBars();
}

SheetMainWindow::~SheetMainWindow() = default;

std::shared_ptr<Application> SheetMainWindow::application() const
{
    std::shared_ptr<Application> app = m_application.lock();
    return app && !app->hasQuit() ? app : nullptr;
}

void SheetMainWindow::viewChanged()
{
    // The grid first: the bars show its active cell.
    m_grid->viewChanged();
    refreshBars();
}

void SheetMainWindow::contentChanged()
{
    m_grid->contentChanged();
    if (m_contentPending) return;
    m_contentPending = true;
    QTimer::singleShot(0, this, [this] {
        m_contentPending = false;
        refreshBars();
    });
}

void SheetMainWindow::refreshBars()
{
    std::shared_ptr<Application> app = application();
    std::shared_ptr<Workbook> book = app ? app->ActiveWorkbook() : nullptr;
    std::shared_ptr<Worksheet> sheet = app ? app->ActiveSheet() : nullptr;
    // A workbook on disk is named by its full path: a report lands in a folder the user did not
    // choose, and the caption is where the user looks for it.
    setWindowTitle(book ? book->FullName() : QStringLiteral("电子表格"));
    if (!sheet) {
        m_address->clear();
        m_formula->clear();
        m_formula->setEnabled(false);
        return;
    }
    m_formula->setEnabled(true);
    const int row = m_grid->activeRow(), column = m_grid->activeColumn();
    m_address->setText(CellAddress::columnLetters(column) + QString::number(row));
    // What the bars show never fails the change that they follow.
    try {
        if (!m_formula->hasFocus()) m_formula->setText(sheet->Cells(row, column).Formula());
    } catch (const BasicError &) {
        m_formula->clear();
    }
    if (!m_zoom) return;
    const int zoom = app->ActiveWindow()->view().zoom;
    const int at = m_zoom->findData(zoom);
    if (at >= 0) {
        m_zoom->setCurrentIndex(at);
    } else {
        m_zoom->setEditable(false);
        m_zoom->setCurrentIndex(-1);
        m_zoom->setPlaceholderText(QStringLiteral("%1%").arg(zoom));
    }
}

void SheetMainWindow::zoomChosen(int index)
{
    std::shared_ptr<Application> app = application();
    if (!app || !app->ActiveSheet() || index < 0) return;
    try {
        if (m_zoom) app->ActiveWindow()->setZoom(m_zoom->itemData(index).toInt());
    } catch (const BasicError &e) {
        win::MsgBox(e.description(), win::vbCritical, kTitle);
    }
}

void SheetMainWindow::applyToSelection(const std::function<void(const Range &)> &change)
{
    std::shared_ptr<Application> app = application();
    std::shared_ptr<Worksheet> sheet = app ? app->ActiveSheet() : nullptr;
    if (!sheet) return;
    try {
        change(sheet->Selection());
    } catch (const BasicError &e) {
        win::MsgBox(e.description(), win::vbCritical, kTitle);
    }
}

void SheetMainWindow::enterFormula()
{
    std::shared_ptr<Application> app = application();
    std::shared_ptr<Worksheet> sheet = app ? app->ActiveSheet() : nullptr;
    if (!sheet) return;
    const QString text = m_formula->text();
    try {
        Range cell = sheet->Cells(m_grid->activeRow(), m_grid->activeColumn());
        if (text.isEmpty())
            cell.ClearContents();
        else
            cell.setFormula(text);
        m_grid->setFocus(Qt::OtherFocusReason);
    } catch (const BasicError &e) {
        win::MsgBox(e.description(), win::vbCritical, kTitle);
    }
}

void SheetMainWindow::save()
{
    std::shared_ptr<Application> app = application();
    std::shared_ptr<Workbook> book = app ? app->ActiveWorkbook() : nullptr;
    if (!book || !m_grid->commitEdit()) return;
    try {
        const QString path = book->FullName();
        const bool workbookFile = path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ||
                                  path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive);
        const bool needsName = book->ReadOnly() || book->Path().isEmpty() || !workbookFile;
        if (!needsName) {
            book->Save();
            return;
        }
        QString name = QFileInfo(book->Name()).completeBaseName() + QStringLiteral(".xlsx");
        const QString chosen = win::GetSaveFileName(
            QStringLiteral("另存为"), QStringLiteral("Excel 工作簿|*.xlsx"), book->Path(), name);
        if (chosen.isEmpty()) return;
        book->SaveAs(chosen);
    } catch (const BasicError &e) {
        win::MsgBox(e.description(), win::vbCritical, kTitle);
    }
}

void SheetMainWindow::closeEvent(QCloseEvent *event)
{
    std::shared_ptr<Application> app = application();
    if (app && m_grid->editor() && !m_grid->commitEdit()) {
        event->ignore();
        return;
    }
    std::shared_ptr<Workbook> book = app ? app->ActiveWorkbook() : nullptr;
    if (book && !book->Saved() && app->DisplayAlerts()) {
        const int answer = win::MsgBox(QStringLiteral("是否保存对“%1”的更改？").arg(book->Name()),
                                       win::vbYesNoCancel | win::vbExclamation, kTitle);
        if (answer == win::vbCancel) {
            event->ignore();
            return;
        }
        if (answer == win::vbYes) {
            save();
            if (!book->isClosed() && !book->Saved()) {
                event->ignore();
                return;
            }
        }
    }
    // The window goes out of sight; the program that owns the application decides about it.
    event->accept();
    if (app) app->setVisible(false);
}

} // namespace excel

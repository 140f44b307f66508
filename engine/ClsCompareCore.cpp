#include "engine/ClsCompareCore.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsScript.h"
#include "engine/ClsSessionOption.h"
#include "engine/CompareMainWindow.h"
#include "engine/CompareProgressBar.h"
#include "engine/CompareViewSeam.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/WorkbookPrefetch.h"
#include "platform/text/BasicError.h"
#include "platform/win/MessageBox.h"

#include <exception>

namespace {

const QString kTitle = QStringLiteral("Quorva");
const QString kCheckTitle = QStringLiteral("输入校验");

QString describe(const std::exception &e)
{
    int number = 0;
    const QString text = BasicError::describe(e, &number);
    return number ? text + QStringLiteral("（错误 %1）").arg(number) : text;
}

template <typename F> void ignoringErrors(F &&f)
{
    try {
        f();
    } catch (const std::exception &) {
    }
}

} // namespace

ClsCompareCore::ClsCompareCore()
    : m_leftObj(std::make_shared<TSingleSideConfig>()),
      m_rightObj(std::make_shared<TSingleSideConfig>()), m_script(std::make_shared<ClsScript>())
{
    // A failing user script stops the comparison through the comparison's own cancel flag.
    ClsScript::setCancelFlag(&ModCompare::IsCancelCompare, &ModCompare::SetCancelCompare);
    if (CompareMainWindow *window = CompareMainWindow::installed())
        m_progressBar = window->ProgressBar1();
}

ClsCompareCore::~ClsCompareCore()
{
    Destroy();
}

void ClsCompareCore::Destroy()
{
    ignoringErrors([this] { m_leftObj.reset(); });
    ignoringErrors([this] { m_rightObj.reset(); });
    ignoringErrors([this] { m_script.reset(); });
}

void ClsCompareCore::SetAppendOpt(std::shared_ptr<ClsSessionOption> options)
{
    m_options = std::move(options);
}

bool ClsCompareCore::CheckOpt(bool blnShowDetail)
{
    if (!blnShowDetail && m_options->CompareItem() == 0) {
        ModCommon::ShowMsg(QStringLiteral("请选择一种比较项"), win::vbCritical, kTitle);
        return false;
    }
    // The two workbooks are independent until the comparison starts: the right one is read
    // on a thread of its own while the left one opens here.
    excel::WorkbookPrefetch rightRead;
    if (m_leftObj->needsReading() && m_rightObj->needsReading())
        rightRead.start(m_rightObj->FileName());
    if (!m_leftObj->CheckOpt(*m_options)) return false;
    if (!m_rightObj->CheckOpt(*m_options, &rightRead)) return false;

    const int leftKeys = m_leftObj->GetKeyCol().count();
    const int rightKeys = m_rightObj->GetKeyCol().count();
    if (leftKeys != rightKeys) {
        ModCommon::ShowMsg(m_rightObj->KeyCol() + QStringLiteral("和") + m_leftObj->KeyCol() +
                               QStringLiteral("关键列数不等！"),
                           win::vbCritical, kCheckTitle);
        return false;
    }
    // Without key columns the key method would match nothing and report success.
    if (m_options->CompareMethod() == ClsSessionOption::CompareByKey && leftKeys == 0) {
        ModCommon::ShowMsg(
            QStringLiteral("没有指定关键列！按关键列比较时，左右两边都要输入关键列。"),
            win::vbCritical, kCheckTitle);
        return false;
    }
    if (!m_options->CompareAllCol()) {
        const int leftData = m_leftObj->GetDataCol().count();
        const int rightData = m_rightObj->GetDataCol().count();
        if (leftData != rightData) {
            ModCommon::ShowMsg(m_rightObj->DataCol() + QStringLiteral("和") + m_leftObj->DataCol() +
                                   QStringLiteral("数据列数不等！"),
                               win::vbCritical, kCheckTitle);
            return false;
        }
        // Without data columns every row pair would compare nothing and count as equal.
        if (leftData == 0) {
            ModCommon::ShowMsg(QStringLiteral("没有指定数据列！请在左右两边输入数据列，"
                                              "或者选择比较所有列。"),
                               win::vbCritical, kCheckTitle);
            return false;
        }
    }
    return true;
}

int ClsCompareCore::BeginWork()
{
    if (m_options->UseScript()) {
        if (!m_script->AddCode(m_script->scriptFolder() + m_options->ScriptFileName()))
            return ScriptNotLoaded;
    }
    m_options->CreateComparePair();
    return Done;
}

void ClsCompareCore::ExcelWndUnloaded()
{
    if (m_leftObj) m_leftObj->Restore();
    if (m_rightObj) m_rightObj->Restore();
}

void ClsCompareCore::ShowWnd(bool bShow)
{
    if (m_leftObj) m_leftObj->ShowWnd(bShow);
    if (m_rightObj) m_rightObj->ShowWnd(bShow);
}

void ClsCompareCore::setBusy(bool busy)
{
    if (CompareMainWindow *window = CompareMainWindow::installed()) window->InCompare(busy);
}

void ClsCompareCore::SetupPair(ClsComparePair &pair, const QString &leftSheetName,
                               const QString &rightSheetName)
{
    m_leftObj->InitDoc();
    m_rightObj->InitDoc();
    pair.SetAppendOpt(m_options);
    if (m_script)
        pair.SetUserEqual([script = m_script](const QString &leftText, const QString &rightText) {
            return script->IsEqual(leftText, rightText);
        });
    pair.InitLeft(m_leftObj->GetDoc(), QString());
    pair.InitRight(m_rightObj->GetDoc(), QString());
    pair.SetLeftSheet(leftSheetName);
    pair.SetRightSheet(rightSheetName);
    pair.SetLeftSideObj(m_leftObj);
    pair.SetRightSideObj(m_rightObj);
    pair.SetProgressBarObj(m_progressBar);
}

void ClsCompareCore::ShowPairDetail(const std::shared_ptr<ClsComparePair> &pair)
{
    if (CompareViewSeam *view = CompareViewSeam::installed()) view->ShowPairDetail(*this, pair);
}

void ClsCompareCore::ReportPairError(const ClsComparePair * /*pair*/, int code)
{
    QString text;
    switch (code) {
    case NoDataColumn:
        text = QStringLiteral("数据列超出工作表的范围");
        break;
    case ScriptNotLoaded:
        text = QStringLiteral("添加脚本时出错");
        break;
    default:
        return;
    }
    ModCommon::ShowMsg(text, win::vbCritical, kTitle);
}

void ClsCompareCore::reportPairFailure(const QString &leftSheetName, const QString &rightSheetName,
                                       const QString &why)
{
    ModCommon::ShowMsg(QStringLiteral("比较工作表 %1 和 %2 时出错：%3\n这一对工作表没有比较完，"
                                      "其余的工作表继续比较。")
                           .arg(leftSheetName, rightSheetName, why),
                       win::vbCritical, kTitle);
}

void ClsCompareCore::CompareSheetEntry(bool blnShowDetail)
{
    // A Cancel of an earlier run, or a script that failed then, must not stop this one.
    ModCompare::SetCancelCompare(false);
    if (m_progressBar) {
        m_progressBar->setVisible(true);
        m_progressBar->setValue(0);
    }
    setBusy(true);

    int code = Done;
    try {
        code = BeginWork();
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(QStringLiteral("准备比较时出错：") + describe(e), win::vbCritical,
                           kTitle);
        code = -1;
    }
    ReportPairError(nullptr, code);

    if (code == Done) {
        QStringList leftNames, rightNames;
        const ClsMap::Store &pairs = m_options->GetComparePair().GetObject();
        for (int k = 0; k < pairs.count(); ++k) {
            leftNames.append(pairs.keyAt(k));
            rightNames.append(pairs.valueAt(k));
        }
        for (qsizetype k = 0; k < leftNames.size(); ++k) {
            if (ModCompare::IsCancelCompare()) break;
            auto pair = std::make_shared<ClsComparePair>();
            try {
                SetupPair(*pair, leftNames.at(k), rightNames.at(k));
                code = pair->BeginCompare();
            } catch (const std::exception &e) {
                // One pair failing (a renamed sheet, a failed read) must not hide the others.
                reportPairFailure(leftNames.at(k), rightNames.at(k), describe(e));
                continue;
            }
            if (code != Done) {
                ReportPairError(pair.get(), code);
                break;
            }
            if (pair->wasCancelled()) break;
            if (blnShowDetail) {
                try {
                    ShowPairDetail(pair);
                } catch (const std::exception &e) {
                    reportPairFailure(leftNames.at(k), rightNames.at(k), describe(e));
                }
            }
        }
    }

    setBusy(false);
    ignoringErrors([this] {
        if (m_leftObj && m_leftObj->GetExcelApp())
            m_leftObj->GetExcelApp()->setScreenUpdating(true);
    });
    ignoringErrors([this] {
        if (m_rightObj && m_rightObj->GetExcelApp())
            m_rightObj->GetExcelApp()->setScreenUpdating(true);
    });
    if (m_progressBar) m_progressBar->setVisible(false);
}

#include "engine/ClsSessionOption.h"

#include "core/ClsIni.h"
#include "core/ClsMap.h"
#include "core/ModPub.h"
#include "engine/ModCompare.h"
#include "engine/SheetListView.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <cmath>

namespace {

const QString kOption = QStringLiteral("Option");
const QString kReport = QStringLiteral("Report");
const QString kXlsReport = QStringLiteral("XlsReport");
const QString kLeftSheets = QStringLiteral("LeftSheets");
const QString kRightSheets = QStringLiteral("RightSheets");
const QString kScript = QStringLiteral("Script");

int boolNum(bool on)
{
    return on ? -1 : 0;
}

ClsMap &ensure(std::unique_ptr<ClsMap> &map)
{
    if (!map) map = std::make_unique<ClsMap>();
    return *map;
}

QStringList keysOf(ClsMap &map)
{
    QStringList keys;
    for (int i = 0; i < map.count(); ++i)
        keys.append(map.GetKey(i));
    return keys;
}

} // namespace

ClsSessionOption::ClsSessionOption()
    : m_diffSheetName(QStringLiteral("差异的行")),
      m_leftSingleSheetName(QStringLiteral("左边孤立的行")),
      m_rightSingleSheetName(QStringLiteral("右边孤立的行"))
{
    setReportPath(QString());
}

ClsSessionOption::~ClsSessionOption() = default;

void ClsSessionOption::SetRecorder(std::shared_ptr<ClsIni> recorder)
{
    m_recorder = std::move(recorder);
}

void ClsSessionOption::SetLeftSheetsOwner(SheetListView *list)
{
    m_leftList = list;
}

void ClsSessionOption::SetRightSheetsOwner(SheetListView *list)
{
    m_rightList = list;
}

void ClsSessionOption::setReportPath(const QString &path)
{
    // An empty folder would send the reports to the file system's root.
    QString folder = path.isEmpty() ? ModPub::GetTempDir() : path;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    m_reportPath = folder;
    m_reportPathIsTemp = folder == ModPub::GetTempDir();
}

QString ClsSessionOption::ReportPath() const
{
    return m_reportPathIsTemp ? ModPub::GetTempDir() : m_reportPath;
}

bool ClsSessionOption::isSafeScriptFileName(const QString &name)
{
    if (name.isEmpty()) return true;
    if (name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QChar(0)) return false;
    }
    return true;
}

bool ClsSessionOption::isValidSheetName(const QString &name)
{
    if (name.isEmpty() || name.size() > 31) return false;
    for (QChar c : QStringLiteral("[]:*?/\\"))
        if (name.contains(c)) return false;
    return !name.startsWith(QLatin1Char('\'')) && !name.endsWith(QLatin1Char('\''));
}

bool ClsSessionOption::setScriptFileName(const QString &name)
{
    if (!isSafeScriptFileName(name)) return false;
    m_scriptFileName = name;
    return true;
}

ClsMap &ClsSessionOption::leftSelected()
{
    return ensure(m_leftSelected);
}

ClsMap &ClsSessionOption::rightSelected()
{
    return ensure(m_rightSelected);
}

ClsMap &ClsSessionOption::GetComparePair()
{
    return ensure(m_pairs);
}

void ClsSessionOption::fillSelected(SheetListView *list, ClsMap &map)
{
    map.RemoveAll();
    if (!list) return;
    for (int i = 1; i <= list->count(); ++i) {
        if (list->isSelected(i)) map.Add(list->itemText(i), QString::number(i));
    }
}

void ClsSessionOption::SetSelected()
{
    fillSelected(m_leftList, leftSelected());
    fillSelected(m_rightList, rightSelected());
}

bool ClsSessionOption::IsSelectedOk() const
{
    return m_leftSelected && m_rightSelected && m_leftSelected->count() > 0 &&
           m_rightSelected->count() > 0;
}

void ClsSessionOption::showSelected(SheetListView *list, ClsMap &map)
{
    if (!list) return;
    for (int i = 1; i <= list->count(); ++i)
        list->setSelected(i, map.Exists(QString::number(i)));
}

void ClsSessionOption::ShowSelected()
{
    showSelected(m_leftList, leftSelected());
    showSelected(m_rightList, rightSelected());
}

void ClsSessionOption::CreateComparePair()
{
    ClsMap &pairs = GetComparePair();
    pairs.RemoveAll();
    const QStringList left = keysOf(leftSelected());
    const QStringList right = keysOf(rightSelected());
    if (m_createPairMethod != PairByPosition)
        ModCompare::PairByName(left, right, pairs);
    else
        ModCompare::PairByPosition(left, right, pairs);
}

void ClsSessionOption::problem(const QString &section, const QString &key, const QString &value,
                               const QString &why)
{
    m_readProblems.append(
        QStringLiteral("%1 [%2] %3=%4: %5")
            .arg(m_recorder ? m_recorder->IniFileName() : QString(), section, key, value, why));
}

bool ClsSessionOption::readBool(const QString &section, const QString &key, bool current)
{
    return m_recorder->ReadNum(section, key, boolNum(current)) != 0;
}

void ClsSessionOption::readSheets(const QString &section, ClsMap &map)
{
    map.RemoveAll();
    QStringList lines;
    try {
        m_recorder->GetKeys2(section, lines);
    } catch (const BasicError &e) {
        // A file too large or unreadable: the other reads fell back to their defaults, and
        // the session window shows why.
        problem(section, QString(), QString(), e.description());
        return;
    }
    for (const QString &line : lines) {
        QString entry = line.trimmed();
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq >= 0) entry = entry.mid(eq + 1).trimmed(); // older files wrote " 2"
        // Entries are list positions as Save2File writes them; anything else names no sheet.
        bool ok = false;
        const int position = entry.toInt(&ok);
        if (!ok || position < 1 || QString::number(position) != entry) {
            problem(section, eq >= 0 ? line.left(eq).trimmed() : QString(), entry,
                    QStringLiteral("not a sheet position; ignored"));
            continue;
        }
        map.Add(entry, QString());
    }
}

void ClsSessionOption::ReadFromFile()
{
    m_readProblems.clear();
    if (!m_recorder) return;
    ClsIni &ini = *m_recorder;
    m_ignoreCaseKey = readBool(kOption, QStringLiteral("IgnoreCase_Key"), m_ignoreCaseKey);
    m_ignoreCaseText = readBool(kOption, QStringLiteral("IgnoreCase_Text"), m_ignoreCaseText);
    m_tabIndex = ini.ReadNum(kOption, QStringLiteral("TabIndex"), m_tabIndex);
    m_compareMethod = ini.ReadNum(kOption, QStringLiteral("CompareMethod"), m_compareMethod);
    m_compareItem = ini.ReadNum(kOption, QStringLiteral("CompareItem"), m_compareItem);
    m_useTrimForKey = readBool(kOption, QStringLiteral("UseTrimForKey"), m_useTrimForKey);
    m_sameToLeft = readBool(kOption, QStringLiteral("SameToLeft"), m_sameToLeft);
    m_leftName = ini.ReadString(kOption, QStringLiteral("LeftName"), m_leftName);
    m_rightName = ini.ReadString(kOption, QStringLiteral("RightName"), m_rightName);

    const QString allCol = ini.ReadString(kOption, QStringLiteral("CompareAllCol"),
                                          BasicText::fromBool(m_compareAllCol));
    double number = 0;
    if (allCol.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        m_compareAllCol = true;
    else if (allCol.trimmed().compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        m_compareAllCol = false;
    else if (BasicText::tryParseNumber(allCol, &number))
        m_compareAllCol = number != 0;
    else
        problem(kOption, QStringLiteral("CompareAllCol"), allCol,
                QStringLiteral("not True, False or a number; kept %1")
                    .arg(BasicText::fromBool(m_compareAllCol)));

    const QString pairMethod = ini.ReadString(kOption, QStringLiteral("CreatePairMethod"),
                                              QString::number(m_createPairMethod));
    if (BasicText::tryParseNumber(pairMethod, &number) && std::fabs(number) < 2147483647.0)
        m_createPairMethod = int(BasicText::roundHalfEven(number));
    else
        problem(kOption, QStringLiteral("CreatePairMethod"), pairMethod,
                QStringLiteral("not a number; kept %1").arg(m_createPairMethod));

    setReportPath(ini.ReadString(kReport, QStringLiteral("ReportPath"), m_reportPath));
    m_modifyRowHeight = readBool(kXlsReport, QStringLiteral("ModifyRowHeight"), m_modifyRowHeight);
    m_rowHeight = ini.ReadNum(kXlsReport, QStringLiteral("RowHeight"), m_rowHeight);
    m_colorDiffCell = readBool(kXlsReport, QStringLiteral("ColorDiffCell"), m_colorDiffCell);
    readSheets(kLeftSheets, leftSelected());
    readSheets(kRightSheets, rightSelected());
    // A report sheet name no workbook takes would fail every comparison at its report.
    for (auto [key, name] :
         {std::pair{QStringLiteral("DiffSheetName"), &m_diffSheetName},
          std::pair{QStringLiteral("LeftSingleSheetName"), &m_leftSingleSheetName},
          std::pair{QStringLiteral("RightSingleSheetName"), &m_rightSingleSheetName}}) {
        const QString read = ini.ReadString(kXlsReport, key, *name);
        if (read.isEmpty() || isValidSheetName(read))
            *name = read;
        else
            problem(kXlsReport, key, read,
                    QStringLiteral("not a name a workbook takes for a sheet; kept %1").arg(*name));
    }
    m_useScript = readBool(kScript, QStringLiteral("UseScript"), m_useScript);
    const QString script =
        ini.ReadString(kScript, QStringLiteral("ScriptFileName"), m_scriptFileName);
    if (!setScriptFileName(script))
        problem(kScript, QStringLiteral("ScriptFileName"), script,
                QStringLiteral("a script must lie in the Script folder; refused"));
}

bool ClsSessionOption::writeSheets(const QString &section, SheetListView *list)
{
    if (!list) return true;
    m_recorder->DelSection(section);
    bool ok = true;
    int n = 0;
    for (int i = 1; i <= list->count(); ++i) {
        if (!list->isSelected(i)) continue;
        // Written as text: a number would get a leading blank.
        ok &= m_recorder->WriteString(section, QStringLiteral("sheet") + QString::number(n),
                                      QString::number(i));
        ++n;
    }
    return ok;
}

bool ClsSessionOption::Save2File()
{
    if (!m_recorder) return false;
    ClsIni &ini = *m_recorder;
    bool ok = true;
    ok &= ini.WriteNum(kOption, QStringLiteral("IgnoreCase_Key"), boolNum(m_ignoreCaseKey));
    ok &= ini.WriteNum(kOption, QStringLiteral("IgnoreCase_Text"), boolNum(m_ignoreCaseText));
    ok &= ini.WriteNum(kOption, QStringLiteral("DealMerge"), boolNum(m_dealMerge));
    ok &= ini.WriteNum(kOption, QStringLiteral("TabIndex"), m_tabIndex);
    ok &= ini.WriteNum(kOption, QStringLiteral("CompareMethod"), m_compareMethod);
    ok &= ini.WriteNum(kOption, QStringLiteral("CompareItem"), m_compareItem);
    ok &= ini.WriteNum(kOption, QStringLiteral("UseTrimForKey"), boolNum(m_useTrimForKey));
    ok &= ini.WriteNum(kOption, QStringLiteral("SameToLeft"), boolNum(m_sameToLeft));
    ok &= ini.WriteString(kOption, QStringLiteral("LeftName"), m_leftName);
    ok &= ini.WriteString(kOption, QStringLiteral("RightName"), m_rightName);
    ok &= ini.WriteString(kOption, QStringLiteral("CompareAllCol"),
                          BasicText::fromBool(m_compareAllCol));
    ok &= ini.WriteString(kOption, QStringLiteral("CreatePairMethod"),
                          QString::number(m_createPairMethod));
    ok &= ini.WriteString(kReport, QStringLiteral("ReportPath"), m_reportPath);
    ok &= ini.WriteNum(kXlsReport, QStringLiteral("ModifyRowHeight"), boolNum(m_modifyRowHeight));
    ok &= ini.WriteNum(kXlsReport, QStringLiteral("RowHeight"), m_rowHeight);
    ok &= ini.WriteNum(kXlsReport, QStringLiteral("ColorDiffCell"), boolNum(m_colorDiffCell));
    ok &= writeSheets(kLeftSheets, m_leftList);
    ok &= writeSheets(kRightSheets, m_rightList);
    ok &= ini.WriteString(kXlsReport, QStringLiteral("DiffSheetName"), m_diffSheetName);
    ok &= ini.WriteString(kXlsReport, QStringLiteral("LeftSingleSheetName"), m_leftSingleSheetName);
    ok &=
        ini.WriteString(kXlsReport, QStringLiteral("RightSingleSheetName"), m_rightSingleSheetName);
    ok &= ini.WriteNum(kScript, QStringLiteral("UseScript"), boolNum(m_useScript));
    ok &= ini.WriteString(kScript, QStringLiteral("ScriptFileName"), m_scriptFileName);
    return ok;
}

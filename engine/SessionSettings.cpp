#include "engine/SessionSettings.h"

#include "core/ClsIni.h"
#include "core/ModFile.h"
#include "engine/ClsSessionOption.h"
#include "engine/TSingleSideConfig.h"
#include "platform/ini/ProfileBatch.h"
#include "platform/text/BasicText.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace {

const QString kOption = QStringLiteral("Option");

// The project file's section of a side and the prefix of its keys.
QString sectionOf(bool left)
{
    return left ? QStringLiteral("LEFT") : QStringLiteral("Right");
}

QString keyOf(bool left, const char *key)
{
    return (left ? QStringLiteral("Left") : QStringLiteral("Right")) + QLatin1String(key);
}

} // namespace

SessionSettings::SessionSettings()
    : m_ini(std::make_shared<ClsIni>()), m_option(std::make_shared<ClsSessionOption>())
{
    m_option->SetRecorder(m_ini);
}

SessionSettings::~SessionSettings() = default;

void SessionSettings::setSheetLists(SheetListView *left, SheetListView *right)
{
    m_option->SetLeftSheetsOwner(left);
    m_option->SetRightSheetsOwner(right);
}

QString SessionSettings::filePath() const
{
    return m_ini->IniFileName();
}

void SessionSettings::setFilePath(const QString &path)
{
    m_ini->setIniFileName(path);
}

QString SessionSettings::folder() const
{
    if (filePath().isEmpty()) return QString();
    QString folder;
    ModFile::SplitFilePath(filePath(), folder);
    return folder;
}

bool SessionSettings::Read(const QString &templatePath, bool untitled)
{
    ClsSessionOption &o = *m_option;
    o.setShowXlsReport(true);
    o.setShowDiffInXls(true);
    o.setShowLeftSingleInXls(true);
    o.setShowRightSingleInXls(true);
    if (untitled || !m_ini->IsValid()) m_ini->setIniFileName(templatePath);
    if (!m_ini->IsValid()) return false;
    ClsIni &ini = *m_ini;
    for (bool left : {true, false}) {
        Side &s = side(left);
        const QString section = sectionOf(left);
        s.fileName = ini.ReadString(section, keyOf(left, "FileName"), s.fileName);
        s.keyCol = ini.ReadString(section, keyOf(left, "KeyCol"), QStringLiteral("A"));
        s.dataCol = ini.ReadString(section, keyOf(left, "DataCol"), QString());
        s.startRow = ini.ReadString(section, keyOf(left, "StartRow"), QStringLiteral("1"));
    }
    o.setDealMerge(ini.ReadNum(kOption, QStringLiteral("DealMerge"), o.DealMerge() ? -1 : 0) != 0);
    o.setTxtReport(ini.ReadNum(kOption, QStringLiteral("AutoOpenTxtReport"), 1) != 0);
    o.ReadFromFile();
    return true;
}

bool SessionSettings::Write()
{
    m_writeError.clear();
    if (filePath().isEmpty()) return false;
    win::ProfileBatch batch(filePath());
    ClsIni &ini = *m_ini;
    const ClsSessionOption &o = *m_option;
    // The page shown is kept twice, as the program has always written it; [Option] is the
    // one read back.
    bool ok = ini.WriteNum(QStringLiteral("General"), QStringLiteral("TabIndex"), o.TabIndex());
    const QString projectFolder = folder();
    for (bool left : {true, false}) {
        const Side &s = side(left);
        auto write = [&](const char *key, const QString &value) {
            ok &= ini.WriteString(sectionOf(left), keyOf(left, key), value);
        };
        write("FileName", GetRelativeFileName(projectFolder, s.fileName));
        write("KeyCol", s.keyCol);
        write("DataCol", s.dataCol);
        write("StartRow", s.startRow);
    }
    for (const auto &[key, on] : {std::pair{"AutoOpenTxtReport", o.TxtReport()},
                                  std::pair{"ExcelReport", o.ShowXlsReport()},
                                  std::pair{"ShowDiffInXls", o.ShowDiffInXls()},
                                  std::pair{"ShowLeftSingleInXls", o.ShowLeftSingleInXls()},
                                  std::pair{"ShowRightSingleInXls", o.ShowRightSingleInXls()}})
        ok &= ini.WriteNum(kOption, QLatin1String(key), on ? 1 : 0);
    ok &= m_option->Save2File();
    if (!ok) {
        m_writeError = batch.file().problem();
        if (m_writeError.isEmpty())
            m_writeError = QStringLiteral("a value holds a line break or other text that a "
                                          "project file cannot keep");
        return false;
    }
    if (!batch.commit()) {
        m_writeError = batch.errorString();
        return false;
    }
    return true;
}

void SessionSettings::moveTo(const QString &path)
{
    const QString oldFolder = folder();
    setFilePath(path);
    if (oldFolder.isEmpty() || oldFolder == folder()) return;
    for (bool left : {true, false}) {
        QString &name = side(left).fileName;
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('/')))
            name = GetAbsolutePath(oldFolder, trimmed);
    }
}

bool SessionSettings::WriteTemplate(const QString &templatePath)
{
    m_writeError.clear();
    if (isSameFile(filePath(), templatePath) || ModFile::IsFileReadOnly(templatePath)) return true;
    // The copy and the full names are one replace: another Quorva saving at the same time
    // leaves its whole template or this one, never a mixture.
    win::ProfileBatch batch(templatePath);
    batch.copyFrom(filePath());
    ClsIni base;
    base.setIniFileName(templatePath);
    for (bool left : {true, false}) {
        const QString name = side(left).fileName.trimmed();
        if (!name.isEmpty())
            base.WriteString(sectionOf(left), keyOf(left, "FileName"), resolve(name));
    }
    const QString reports = m_option->ReportPath().trimmed();
    if (!reports.startsWith(QLatin1Char('/')))
        base.WriteString(QStringLiteral("Report"), QStringLiteral("ReportPath"), resolve(reports));
    if (batch.commit()) return true;
    m_writeError = batch.errorString();
    return false;
}

bool SessionSettings::isSameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

int SessionSettings::startRowOf(const QString &text)
{
    const double value = BasicText::roundHalfEven(BasicText::val(text));
    if (!(value > 0)) return 0;
    if (value >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return int(value);
}

void SessionSettings::applyToSides(TSingleSideConfig &left, TSingleSideConfig &right) const
{
    for (bool isLeft : {true, false}) {
        const Side &s = side(isLeft);
        TSingleSideConfig &config = isLeft ? left : right;
        config.setFileName(resolve(s.fileName.trimmed()));
        config.setStartRow(startRowOf(s.startRow));
        config.setKeyCol(s.keyCol.trimmed().toUpper());
        config.setDataCol(s.dataCol.trimmed().toUpper());
    }
}

QString SessionSettings::GetRelativeFileName(const QString &folder, const QString &path)
{
    QString pathFolder;
    const QString name = ModFile::SplitFilePath(path, pathFolder);
    QString base = folder;
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    // Linux file names keep their case: /Data/x.xlsx does not lie in /data/.
    if (!pathFolder.isEmpty() && pathFolder == base) return name;
    return path;
}

QString SessionSettings::GetAbsolutePath(const QString &folder, const QString &path)
{
    if (path.startsWith(QLatin1Char('/'))) return path;
    // "~/" is the user's home, as a shell reads it: a name typed into a file box often is so.
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        return folder + QLatin1Char('/') + path;
    return folder + path;
}

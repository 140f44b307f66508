#include "engine/ClsScript.h"

#include "core/ModCommon.h"
#include "core/ProcessGlobals.h"
#include "platform/text/AnsiText.h"
#include "platform/vbscript/Parser.h"
#include "platform/vbscript/ScriptControl.h"
#include "platform/win/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool g_fallbackCancel = false;
ClsScript::IsCancelFn g_isCancel = nullptr;
ClsScript::SetCancelFn g_setCancel = nullptr;

// Script text may be a few bytes per character in either encoding.
constexpr qint64 kMaxScriptFileBytes = qint64(vbs::Parser::kMaxSourceLength) * 4;
// While a script runs long, the event loop gets a turn this often so that Cancel can be pressed.
constexpr qint64 kYieldIntervalMs = 50;

struct LoadError
{
    int number;
    QString description;
};

} // namespace

ClsScript::ClsScript() : m_control(std::make_unique<vbs::ScriptControl>())
{
    m_control->setLanguage(QStringLiteral("VBScript"));
    m_control->setAllowUI(true);
    m_control->setCancelCheck([this] { return pollCancel(); });
}

QString ClsScript::scriptFolder() const
{
    // The program folder is known only once the entry routine has run.
    if (m_scriptFolder.isEmpty())
        return QDir::cleanPath(AppPathOrDefault() + QStringLiteral("Script")) + QLatin1Char('/');
    return m_scriptFolder;
}

ClsScript::~ClsScript() = default;

void ClsScript::setScriptFolder(const QString &folder)
{
    m_scriptFolder = QDir::cleanPath(folder) + QLatin1Char('/');
}

void ClsScript::setCancelFlag(IsCancelFn isCancel, SetCancelFn setCancel)
{
    g_isCancel = isCancel;
    g_setCancel = setCancel;
}

bool ClsScript::isCancelCompare()
{
    return g_isCancel ? g_isCancel() : g_fallbackCancel;
}

void ClsScript::setCancelCompare(bool cancel)
{
    if (g_setCancel)
        g_setCancel(cancel);
    else
        g_fallbackCancel = cancel;
}

bool ClsScript::IsSafeScriptFileName(const QString &scriptFileName, QString *why)
{
    auto refuse = [why](const QString &reason) {
        if (why) *why = reason;
        return false;
    };
    if (scriptFileName.isEmpty()) return refuse(QStringLiteral("no script file name is given"));
    if (scriptFileName.contains(QLatin1Char('/')) || scriptFileName.contains(QLatin1Char('\\')))
        return refuse(QStringLiteral("the name holds a path separator"));
    if (scriptFileName.contains(QLatin1Char(':')))
        return refuse(QStringLiteral("the name holds a drive or device"));
    if (scriptFileName == QLatin1String(".") || scriptFileName == QLatin1String(".."))
        return refuse(QStringLiteral("the name is not a file name"));
    if (scriptFileName.contains(QChar(0)))
        return refuse(QStringLiteral("the name holds a NUL character"));
    return true;
}

bool ClsScript::pollCancel()
{
    // The clock starts at the first poll of a call, which only long-running scripts reach.
    if (!m_callClock.isValid()) {
        m_callClock.start();
        m_nextYieldMs = kYieldIntervalMs;
    }
    if (m_callClock.elapsed() >= m_nextYieldMs) {
        m_nextYieldMs = m_callClock.elapsed() + kYieldIntervalMs;
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    return isCancelCompare();
}

void ClsScript::fail(const QString &prefix, int number, const QString &description)
{
    ModCommon::ShowMsg(prefix + QString::number(number) + QLatin1Char(',') + description,
                       win::vbCritical, QStringLiteral("Quorva"));
    setCancelCompare(true);
}

QString ClsScript::scriptNamed() const
{
    // A session may use any script of the folder: the user is told which one failed.
    return m_fileName.isEmpty() ? QString() : QStringLiteral("\n脚本文件：") + m_fileName;
}

bool ClsScript::AddCode(const QString &strFileName)
{
    try {
        // Each load starts from an empty scope: a second run must behave like the first.
        m_control->Reset();
        m_fileName = strFileName;
        // The file name comes from a project file: it must name a file directly inside the
        // Script folder, never a path that leaves it.
        const QString folder = scriptFolder();
        QString why;
        if (!strFileName.startsWith(folder))
            why = QStringLiteral("it is not inside the folder %1").arg(folder);
        else
            IsSafeScriptFileName(strFileName.mid(folder.size()), &why);
        if (!why.isEmpty())
            throw LoadError{75, QStringLiteral("Path/File access error: the script file \"%1\" "
                                               "is refused, since %2; only a file directly "
                                               "inside %3 may be used")
                                    .arg(strFileName, why, folder)};
        QFile file(strFileName);
        if (!QFileInfo(strFileName).isFile() || !file.open(QIODevice::ReadOnly))
            throw LoadError{53, QStringLiteral("File not found: %1").arg(strFileName)};
        if (file.size() > kMaxScriptFileBytes)
            throw LoadError{7, QStringLiteral("Out of memory: the script file %1 is larger than "
                                              "%2 bytes")
                                   .arg(strFileName)
                                   .arg(kMaxScriptFileBytes)};
        QString content = AnsiText::decode(file.read(kMaxScriptFileBytes + 1));
        // Every line, the last one too when it has no line end, is added with CR LF after it.
        QString text;
        if (!content.isEmpty()) {
            QStringList lines = content.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
            if (lines.last().isEmpty()) lines.removeLast();
            for (const QString &line : lines) {
                text += line;
                text += QLatin1String("\r\n");
            }
        }
        m_control->AddCode(text);
        return true;
    } catch (const LoadError &e) {
        // These name the file themselves.
        fail(QStringLiteral("AddCode::err="), e.number, e.description);
    } catch (const vbs::ScriptError &e) {
        QString where = e.column() > 0
                            ? QStringLiteral(" (line %1, column %2)").arg(e.line()).arg(e.column())
                            : QStringLiteral(" (line %1)").arg(e.line());
        fail(QStringLiteral("AddCode::err="), e.number(), e.description() + where + scriptNamed());
    } catch (const BasicError &e) {
        fail(QStringLiteral("AddCode::err="), e.number(), e.description() + scriptNamed());
    }
    m_fileName.clear();
    return false;
}

bool ClsScript::IsEqual(const QString &str1, const QString &str2)
{
    m_callClock.invalidate();
    try {
        com::Variant result =
            m_control->Run(QStringLiteral("IsEqual"), {com::Variant(str1), com::Variant(str2)});
        if (result.isNull()) throw BasicError(BasicError::InvalidUseOfNull);
        if (result.isObject() || result.isArray() || result.isError())
            throw BasicError(BasicError::TypeMismatch);
        return result.toBool();
    } catch (const vbs::ScriptError &e) {
        // A script stopped by the Cancel button needs no message: the user asked for it.
        if (e.number() == 18 && !e.catchable() && isCancelCompare()) return true;
        QString where = e.line() > 0 ? QStringLiteral(" (line %1)").arg(e.line()) : QString();
        fail(QStringLiteral("IsEqual::err="), e.number(), e.description() + where + scriptNamed());
        return true;
    } catch (const BasicError &e) {
        fail(QStringLiteral("IsEqual::err="), e.number(), e.description() + scriptNamed());
        return true;
    }
}

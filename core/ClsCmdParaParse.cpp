#include "core/ClsCmdParaParse.h"

#include "core/ModFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Where the switch part begins: a blank, "/" and letters, then a blank or the end. Paths here
// start with "/", so a bare " /" may well be part of a path ("/data/q /x.vrk").
qsizetype switchStart(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(" /[A-Za-z]+(?= |$)"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.capturedStart() : -1;
}

} // namespace

QString ClsCmdParaParse::JoinArguments(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

void ClsCmdParaParse::Initialize(const QString &commandLine)
{
    QString filePart = commandLine;
    const qsizetype at = switchStart(commandLine);
    if (at >= 0) {
        filePart = commandLine.left(at);
        if (commandLine.indexOf(QLatin1String(" /A"), at) >= 0) m_AutoRun = true;
    }

    const qsizetype question = filePart.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        // A pair; its paths are taken as given (quotes stay, so quoted paths name no file).
        m_LeftFileName = filePart.left(question);
        m_RightFileName = filePart.mid(question + 1);
        if (!ModFile::FileExists(m_LeftFileName) || !ModFile::FileExists(m_RightFileName)) {
            m_LeftFileName.clear();
            m_RightFileName.clear();
        }
        return;
    }
    // A project file: the text names a file whose name ends in ".vrk".
    QString project = filePart;
    project.remove(QLatin1Char('"'));
    project = project.trimmed();
    if (project.endsWith(QLatin1String(".vrk"), Qt::CaseInsensitive)) m_PrjFileName = project;
}

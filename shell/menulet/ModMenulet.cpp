#include "shell/menulet/ModMenulet.h"

#include "core/ClsIni.h"
#include "core/modRegistry.h"
#include "platform/files/UserFolder.h"
#include "platform/shell/ShellExecute.h"
#include "platform/win/MessageBox.h"

#include <QFileInfo>
#include <vector>

namespace ModMenulet {

namespace {

const char MainProgramKey[] = "SOFTWARE\\Tarquell\\Quorva";
const char IniName[] = "Menulet.ini";

// Resource 101: two sheets side by side, the left one blue, the right one green.
const char *const Picture[16] = {
    "................", ".bbbbbb.........", ".bBBBBb.........", ".bBBBBb..gggggg.",
    ".bbbbbb..gGGGGg.", ".bBBBBb..gGGGGg.", ".bBBBBb..gggggg.", ".bbbbbb..gGGGGg.",
    ".bBBBBb..gGGGGg.", ".bBBBBb..gggggg.", ".bbbbbb..gGGGGg.", ".........gGGGGg.",
    ".........gggggg.", "................", "................", "................",
};

quint32 colourOf(char c)
{
    switch (c) {
    case 'b':
        return 0xFF1F4E9Au;
    case 'B':
        return 0xFFBFD4F2u;
    case 'g':
        return 0xFF2E7D32u;
    case 'G':
        return 0xFFC8E6C9u;
    default:
        return 0x00000000u;
    }
}

QString iniPath(QString *error)
{
    const QString folder = GetTempDir(error);
    return folder.isEmpty() ? QString() : folder + QLatin1String(IniName);
}

void cannotFind(const QString &path)
{
    win::MsgBox(QStringLiteral("Can't found file ") + path, win::vbOKOnly);
}

} // namespace

QString GetMainProgramPath(const QString &moduleFolder)
{
    const QString path = modRegistry::GetRegValue(
        win::HKEY_LOCAL_MACHINE, QString::fromLatin1(MainProgramKey), QStringLiteral("Path"));
    if (!path.trimmed().isEmpty()) return path;
    // A store without the path: a user of a machine where another user (root) installed, whose
    // own store the installer never wrote. The program stands beside this module.
    return moduleFolder.isEmpty() ? QString() : moduleFolder + QStringLiteral("Quorva");
}

bool IsNonEmptyFile(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.size() > 0;
}

QString GetTempDir(QString *error)
{
    const QString folder = files::userRuntimeFolder(error);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/');
}

bool SaveLeftFileName(const QString &path, QString *error)
{
    // Only a file that can be compared later, under exactly its own name: "Menulet.ini" trims
    // the blanks around a value and keeps no line break, so such a name would come back as
    // another file's, and that file would be compared.
    auto refuse = [error](const QString &why) {
        if (error) *error = why;
        return false;
    };
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')) ||
        path.contains(QChar(0)))
        return refuse(QStringLiteral("the name holds a line break: %1").arg(path));
    if (path != path.trimmed())
        return refuse(QStringLiteral("the name ends with a blank, which %1 cannot keep: \"%2\"")
                          .arg(QLatin1String(IniName), path));
    if (!QFileInfo(path).isFile()) return refuse(QStringLiteral("%1 is not a file").arg(path));
    QString why;
    const QString ini = iniPath(&why);
    if (ini.isEmpty()) {
        if (error) *error = why;
        return false;
    }
    ClsIni file;
    file.setIniFileName(ini);
    if (!file.WriteString(QStringLiteral("Menulet"), QStringLiteral("LeftFileName"), path)) {
        if (error) *error = QStringLiteral("%1 cannot be written").arg(ini);
        return false;
    }
    return true;
}

QString LoadLeftFileName()
{
    const QString ini = iniPath(nullptr);
    if (ini.isEmpty() || !QFileInfo(ini).isFile()) return QString();
    ClsIni file;
    file.setIniFileName(ini);
    return file.ReadString(QStringLiteral("Menulet"), QStringLiteral("LeftFileName"), QString());
}

void RunCompare(const QString &mainProgram, const QString &left, const QString &right)
{
    if (!IsNonEmptyFile(mainProgram)) {
        cannotFind(mainProgram);
        return;
    }
    for (const QString &f : {left, right}) {
        // The main program splits its argument at the first "?".
        if (f.contains(QLatin1Char('?'))) {
            win::MsgBox(QStringLiteral("Can't compare a file whose name holds \"?\": ") + f,
                        win::vbOKOnly | win::vbExclamation);
            return;
        }
        const QFileInfo info(f);
        if (info.isDir()) {
            win::MsgBox(QStringLiteral("Can't compare a folder: ") + f,
                        win::vbOKOnly | win::vbExclamation);
            return;
        }
        if (!info.isFile()) {
            cannotFind(f);
            return;
        }
    }
    const QStringList arguments{left + QLatin1Char('?') + right};
    QString why = mainProgram;
    const bool started = shell::ShellSeam::installed()
                             ? shell::StartProgram(mainProgram, arguments)
                             : shell::SpawnProgram(mainProgram, arguments, &why);
    if (!started)
        win::MsgBox(QStringLiteral("Can't start ") + why, win::vbOKOnly | win::vbCritical);
}

shell::HBITMAP LoadMenuBitmap()
{
    std::vector<quint32> pixels;
    pixels.reserve(256);
    for (const char *row : Picture)
        for (int x = 0; x < 16; ++x)
            pixels.push_back(colourOf(row[x]));
    return shell::CreateBitmap(16, 16, pixels);
}

shell::HBITMAP ScaleMenuBitmap(shell::HBITMAP bitmap)
{
    const shell::TextMetrics m = shell::DisplayTextMetrics();
    const shell::HBITMAP scaled = shell::StretchBitmap(bitmap, m.maxCharWidth, m.height);
    shell::DeleteObject(bitmap);
    return scaled;
}

} // namespace ModMenulet

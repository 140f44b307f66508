#include "app/ProjectFileCheck.h"

#include "platform/files/FileSystem.h"
#include "platform/ini/ProfileFile.h"
#include "platform/text/AnsiText.h"

namespace ProjectFileCheck {

QString Problem(const QString &path, const Text &text)
{
    if (files::holdsControlCharacter(path))
        return text("ProjectNameControl",
                    QStringLiteral("文件名中含有换行符或其他控制字符，请先给文件改名。"));
    const files::ReadResult read = files::readFile(path, win::ProfileFile::MaxFileSize);
    switch (read.error) {
    case files::ReadError::None:
        break;
    case files::ReadError::Missing:
        return QString();
    case files::ReadError::Folder:
        return text("ProjectIsFolder", QStringLiteral("这是一个文件夹，不是工程文件。"));
    case files::ReadError::NotAFile:
        return text("ProjectIsDevice", QStringLiteral("这是设备或管道，不是普通文件。"));
    case files::ReadError::TooLarge:
        return text("ProjectTooLarge", QStringLiteral("文件大于 %1 MB，不是工程文件。"))
            .arg(win::ProfileFile::MaxFileSize >> 20);
    case files::ReadError::Failed:
        return text("ProjectReadFailed", QStringLiteral("文件不能读取：")) + read.reason;
    }
    bool exact = true;
    const QString decoded = AnsiText::decode(read.bytes, &exact);
    if (!exact || decoded.contains(QChar(0)))
        return text("ProjectNotText", QStringLiteral("文件中含有不是文本的字节，不是工程文件。"));
    return QString();
}

QString Shown(const QString &path)
{
    QString shown;
    shown.reserve(path.size());
    for (QChar c : path) {
        if (c.unicode() < 0x20)
            shown += QChar(0x2400 + c.unicode()); // the Control Pictures block: ␊ for a line feed
        else if (c.unicode() == 0x7F)
            shown += QChar(0x2421);
        else
            shown += c;
    }
    return shown;
}

} // namespace ProjectFileCheck

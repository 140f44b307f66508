#include "platform/excel/PackagePath.h"

#include <QStringList>

namespace excel {

QString PackagePath::folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString PackagePath::relationshipsOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString PackagePath::resolve(const QString &fromPart, const QString &target)
{
    const QString path =
        target.startsWith(QLatin1Char('/')) ? target.mid(1) : folderOf(fromPart) + target;
    QStringList out;
    for (const QString &segment : path.split(QLatin1Char('/'))) {
        if (segment == QLatin1String("..")) {
            if (!out.isEmpty()) out.removeLast();
        } else if (!segment.isEmpty() && segment != QLatin1String(".")) {
            out << segment;
        }
    }
    return out.join(QLatin1Char('/'));
}

QString PackagePath::relativeTarget(const QString &fromPart, const QString &toPart)
{
    const QStringList from = folderOf(fromPart).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QStringList to = toPart.split(QLatin1Char('/'));
    qsizetype common = 0;
    while (common < from.size() && common < to.size() - 1 && from[common] == to[common])
        ++common;
    QStringList out;
    for (qsizetype i = common; i < from.size(); ++i)
        out << QStringLiteral("..");
    for (qsizetype i = common; i < to.size(); ++i)
        out << to[i];
    return out.join(QLatin1Char('/'));
}

QString PackagePath::kindOf(const QString &type)
{
    return type.mid(type.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace excel

// Writes or deletes keys of one INI file through the profile functions, as one of several
// processes doing so at the same time (ProfileTest's concurrency test starts it):
//   profile_writer <file> <name> <count>
// writes key <name>_<i> = v<i> in section [Shared] for i = 1..count, then deletes the keys with
// an even i. Exits 0 when every call reported success, else 1.
//   profile_writer <file> <name> <rounds> lists
// rewrites section [List] whole in each round, as one batch: File<i> = <name>-<round>.<i> for
// i = 0..9.
#include "platform/ini/Profile.h"
#include "platform/ini/ProfileBatch.h"

#include <QString>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 4 && argc != 5) return 2;
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const int count = std::atoi(argv[3]);
    bool ok = true;
    if (argc == 5) {
        const QString list = QStringLiteral("List");
        for (int round = 0; round < count; ++round) {
            win::ProfileBatch batch(file);
            ok &= win::DeletePrivateProfileSection(list, file);
            for (int i = 0; i < 10; ++i)
                ok &= win::WritePrivateProfileString(
                    list, QStringLiteral("File%1").arg(i),
                    QStringLiteral("%1-%2.%3").arg(name).arg(round).arg(i), file);
            ok &= batch.commit();
        }
        return ok ? 0 : 1;
    }
    const QString section = QStringLiteral("Shared");
    for (int i = 1; i <= count; ++i)
        ok &= win::WritePrivateProfileString(section, name + QLatin1Char('_') + QString::number(i),
                                             QLatin1Char('v') + QString::number(i), file);
    for (int i = 2; i <= count; i += 2)
        ok &= win::DeletePrivateProfileKey(section, name + QLatin1Char('_') + QString::number(i),
                                           file);
    return ok ? 0 : 1;
}

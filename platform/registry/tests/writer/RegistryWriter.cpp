// registry_writer <name> <count>: writes <count> keys HKCU\Software\Test\<name>\k<i> with a
// number, and as many values "<name>_<i>" into the shared key HKCU\Software\Test\Shared, into
// the store that QUORVA_REGISTRY names. Exit code 0 when every write succeeded.
#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>

using namespace win;

int main(int argc, char **argv)
{
    if (argc != 3) return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        HKEY key = 0;
        const QString path = QStringLiteral("Software\\Test\\%1\\k%2").arg(name).arg(i);
        if (RegCreateKeyEx(HKEY_CURRENT_USER, path, QString(), 0, KEY_ALL_ACCESS, &key) !=
                ERROR_SUCCESS ||
            RegSetValueEx(key, QStringLiteral("n"), quint32(i)) != ERROR_SUCCESS) {
            std::fprintf(stderr, "write %d failed\n", i);
            return 1;
        }
        RegCloseKey(key);
        if (RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Test\\Shared"), QString(),
                           0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS ||
            RegSetValueEx(key, QStringLiteral("%1_%2").arg(name).arg(i), REG_SZ,
                          QString::number(i)) != ERROR_SUCCESS) {
            std::fprintf(stderr, "shared write %d failed\n", i);
            return 1;
        }
        RegCloseKey(key);
    }
    return 0;
}

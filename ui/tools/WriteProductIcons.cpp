// Writes the program's picture as PNG files of the icon theme's layout, for the desktop's menus
// and file managers: <folder>/hicolor/<size>x<size>/apps/quorva.png for each size given.
//     write_product_icons <folder> 16 32 48 ...
#include "ui/ProductIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char **argv)
{
    // No display is needed to paint into a picture.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: write_product_icons <folder> <size>...\n");
        return 1;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/quorva.png");
        if (size <= 0 || !QDir().mkpath(folder) || !ProductIcon::pixmap(size).save(file, "PNG")) {
            std::fprintf(stderr, "write_product_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

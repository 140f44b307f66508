#pragma once

#include <QIcon>

// The program's picture: two sheets side by side, one differing cell circled in red. Drawn at
// the usual icon sizes, so that no image file has to ship with the program.
namespace ProductIcon {

QIcon icon();
QPixmap pixmap(int size);

} // namespace ProductIcon

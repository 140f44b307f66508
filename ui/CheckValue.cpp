#include "ui/CheckValue.h"

#include <QCheckBox>

namespace CheckValue {

int value(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void setValue(QCheckBox *box, int value)
{
    if (value == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
    }
}

} // namespace CheckValue

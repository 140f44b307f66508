#include "ui/ModalDialog.h"

#include <QDialog>

namespace ModalDialog {

void show(QDialog *dialog, std::function<void(int result)> closed)
{
    if (!dialog) return;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, closed](int result) {
        if (closed) closed(result);
        dialog->deleteLater();
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace ModalDialog

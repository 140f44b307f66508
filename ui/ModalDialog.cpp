#include "ui/ModalDialog.h"

#include <QDialog>
#include <QPointer>

namespace ModalDialog {

namespace {
int g_nonBlocking = 0;
}

void show(QDialog *dialog, std::function<void(int result)> closed)
{
    if (!dialog) return;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!blocking()) {
        dialog->setWindowModality(Qt::ApplicationModal);
        QObject::connect(dialog, &QDialog::finished, dialog, [dialog, closed](int result) {
            if (closed) closed(result);
            dialog->deleteLater();
        });
        dialog->show();
        return;
    }
    QPointer<QDialog> guard(dialog);
    const int result = dialog->exec();
    if (closed) closed(result);
    delete guard.data();
}

bool blocking()
{
    return g_nonBlocking == 0;
}

NonBlocking::NonBlocking()
{
    ++g_nonBlocking;
}

NonBlocking::~NonBlocking()
{
    --g_nonBlocking;
}

} // namespace ModalDialog

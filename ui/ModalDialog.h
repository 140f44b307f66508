#pragma once

#include <functional>

class QDialog;

// Shows the program's modal dialogs. On the desktop a dialog runs its own event loop over its
// owner and the call returns once it has closed. Tests switch blocking off (NonBlocking): the
// dialog is then shown application-modal and the call returns at once, so that the test can
// drive it as a user would; `closed` runs when it closes, in either mode.
namespace ModalDialog {

// Shows the dialog modally and deletes it once it has closed; `closed` gets the dialog's result
// (QDialog::Accepted or QDialog::Rejected) first.
void show(QDialog *dialog, std::function<void(int result)> closed = {});

// True unless a NonBlocking scope is alive.
bool blocking();

// While one lives, show() returns at once.
class NonBlocking
{
public:
    NonBlocking();
    ~NonBlocking();
    NonBlocking(const NonBlocking &) = delete;
    NonBlocking &operator=(const NonBlocking &) = delete;
};

} // namespace ModalDialog

#pragma once

#include <functional>

class QDialog;

// Shows the program's modal dialogs. A dialog blocks the input to every other window of the
// program until it closes, but runs no event loop of its own: the call returns at once, so that
// work under way (a comparison that yields to the event loop) goes on underneath instead of
// waiting inside a nested loop, and tests drive the dialog as a user would. What the caller does
// after the dialog goes into `closed`.
namespace ModalDialog {

// Shows the dialog application-modal and deletes it once it has closed; `closed` gets the
// dialog's result (QDialog::Accepted or QDialog::Rejected) first.
void show(QDialog *dialog, std::function<void(int result)> closed = {});

} // namespace ModalDialog

#pragma once

#include "platform/Seam.h"

#include <QString>

namespace win {

// Button sets, icons and answers with the Basic runtime's numbers (vbOKOnly = 0, vbYesNoCancel
// = 3, vbCritical = 16, vbQuestion = 32, vbExclamation = 48; answers vbOK = 1 ... vbNo = 7).
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

// Every message box of the program goes through this seam: the program installs one that shows
// a dialog, tests install one that records the prompt and answers. Without one (a windowless
// program, or before the program has installed its own) a box writes its title and prompt to
// standard error and answers with safeAnswer.
class MessageBoxSeam : public Seam<MessageBoxSeam>
{
public:
    virtual ~MessageBoxSeam() = default;
    virtual int show(const QString &prompt, int style, const QString &title) = 0;
};

// Shows a message box through the installed seam; returns the answer (MsgBoxResult).
int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = QString());

// The answer of the box's first button, which a box offers as its default.
int defaultAnswer(int style);

// The answer that changes nothing, given when nobody is there to press a button: Cancel where
// the box has it, else No, else Abort (of Abort, Retry, Ignore), else OK.
int safeAnswer(int style);

} // namespace win

extern template class Seam<win::MessageBoxSeam>;

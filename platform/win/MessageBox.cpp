#include "platform/win/MessageBox.h"

#include <cstdio>

template class Seam<win::MessageBoxSeam>;

namespace win {

int defaultAnswer(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return vbOK;
    case vbAbortRetryIgnore:
        return vbAbort;
    case vbYesNoCancel:
    case vbYesNo:
        return vbYes;
    case vbRetryCancel:
        return vbRetry;
    default:
        return vbOK;
    }
}

int safeAnswer(int style)
{
    switch (style & 7) {
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel:
        return vbCancel;
    case vbYesNo:
        return vbNo;
    case vbAbortRetryIgnore:
        // Retry would ask again for ever and Ignore goes on past the failure.
        return vbAbort;
    default:
        return vbOK;
    }
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    if (MessageBoxSeam *seam = MessageBoxSeam::installed()) return seam->show(prompt, style, title);
    // Nobody can answer: say what was asked, and answer so that nothing is changed or deleted.
    std::fprintf(stderr, "%s: %s\n",
                 qUtf8Printable(title.isEmpty() ? QStringLiteral("Quorva") : title),
                 qUtf8Printable(prompt));
    std::fflush(stderr);
    return safeAnswer(style);
}

} // namespace win

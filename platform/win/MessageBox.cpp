#include "platform/win/MessageBox.h"

#include <cstdio>

namespace win {

namespace {
MessageBoxSeam *g_seam = nullptr;
}

void MessageBoxSeam::install(MessageBoxSeam *seam)
{
    g_seam = seam;
}

MessageBoxSeam *MessageBoxSeam::installed()
{
    return g_seam;
}

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

int MsgBox(const QString &prompt, int style, const QString &title)
{
    if (g_seam) return g_seam->show(prompt, style, title);
    std::fprintf(stderr, "%s: %s\n",
                 qUtf8Printable(title.isEmpty() ? QStringLiteral("Quorva") : title),
                 qUtf8Printable(prompt));
    return defaultAnswer(style);
}

} // namespace win

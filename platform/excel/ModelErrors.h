#pragma once

#include "platform/text/BasicError.h"

#include <QString>

namespace excel {

// The errors the spreadsheet model raises: 1004 for a refused operation (the application's
// own error number for it), with a message saying what and why.
class ModelErrors
{
public:
    static constexpr int ApplicationError = 1004;
    static constexpr int ObjectGone = 462; // the object's workbook or application is gone

    [[noreturn]] static void refuse(const QString &message)
    {
        throw BasicError(ApplicationError, message);
    }
    [[noreturn]] static void gone(const QString &what)
    {
        throw BasicError(ObjectGone, QStringLiteral("%1 is no longer available.").arg(what));
    }
    [[noreturn]] static void noSuchItem(const QString &what)
    {
        throw BasicError(BasicError::SubscriptOutOfRange, what);
    }
};

} // namespace excel

#pragma once

#include "platform/text/BasicError.h"

#include <QString>

// Small helpers that several test programs share.

// A QString from UTF-8 source text (the tests hold Chinese literals).
inline QString S(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Runs code and gives the Basic error number it raised, 0 when it raised none.
template <typename F> int errorNumberOf(F &&f)
{
    try {
        f();
    } catch (const BasicError &e) {
        return e.number();
    }
    return 0;
}

#pragma once

#include "platform/win/WinTypes.h"

#include <QString>
#include <cstdint>

// Word helpers for building and taking apart message parameters, and the thread of a window.
namespace ModAPI {

// 0 for window 0 and for a window that does not exist, else the window's thread.
win::DWORD GetWindowThreadId(win::HWND hWnd);
// hi's low 16 bits as the high word, lo's low 16 bits as the low word.
std::int32_t MakeLong(std::int32_t lo, std::int32_t hi);
std::int32_t MakeWParam(std::int32_t lo, std::int32_t hi);
// Bits 0-15 and 16-31 as signed 16-bit values.
std::int32_t LoWord(std::int32_t value);
std::int32_t HiWord(std::int32_t value);
// The low 16 bits as four upper-case hexadecimal digits.
QString Hex4(std::int32_t value);
// Upper-case hexadecimal without leading zeros; a negative value in its 32-bit two's-complement
// form.
QString Hex(std::int32_t value);

} // namespace ModAPI

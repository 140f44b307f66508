#include "pairing/pairwin/ModAPI.h"

#include "platform/win/Windows.h"

namespace ModAPI {

win::DWORD GetWindowThreadId(win::HWND hWnd)
{
    if (hWnd == 0) return 0;
    return win::GetWindowThreadProcessId(hWnd, nullptr);
}

std::int32_t MakeLong(std::int32_t lo, std::int32_t hi)
{
    return std::int32_t((std::uint32_t(lo) & 0xFFFFu) | ((std::uint32_t(hi) & 0xFFFFu) << 16));
}

std::int32_t MakeWParam(std::int32_t lo, std::int32_t hi)
{
    return MakeLong(lo, hi);
}

std::int32_t LoWord(std::int32_t value)
{
    return std::int16_t(std::uint32_t(value) & 0xFFFFu);
}

std::int32_t HiWord(std::int32_t value)
{
    return std::int16_t((std::uint32_t(value) >> 16) & 0xFFFFu);
}

QString Hex4(std::int32_t value)
{
    return QStringLiteral("%1")
        .arg(std::uint32_t(value) & 0xFFFFu, 4, 16, QLatin1Char('0'))
        .toUpper();
}

QString Hex(std::int32_t value)
{
    return QString::number(std::uint32_t(value), 16).toUpper();
}

} // namespace ModAPI

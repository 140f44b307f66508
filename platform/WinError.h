#pragma once

// The system error codes of the platform layer, defined once: the window functions
// (GetLastError) and the registry functions (their results) answer with the same numbers, and a
// file that uses both must see one definition of each.
namespace win {

// What the registry functions return; the error codes have this type, so that they compare and
// convert without surprises against both it and the window functions' 32-bit unsigned codes.
using LSTATUS = long;

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_DISK_FULL = 112;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_BADDB = 1009;
constexpr LSTATUS ERROR_KEY_DELETED = 1018;
constexpr LSTATUS ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr LSTATUS ERROR_INVALID_HOOK_HANDLE = 1404;
constexpr LSTATUS ERROR_INVALID_INDEX = 1413;
constexpr LSTATUS ERROR_INVALID_HOOK_FILTER = 1426;
constexpr LSTATUS ERROR_INVALID_FILTER_PROC = 1427;
constexpr LSTATUS ERROR_INVALID_THREAD_ID = 1444;

} // namespace win

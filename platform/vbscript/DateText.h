#pragma once

#include <QString>

namespace vbs {

// Reads date and time texts as the scripts' home locale (English, United States) writes and
// accepts them: month/day/year with "/" or "-" ("1/15/2024", "1-15-2024"), a day before the
// month when the first number cannot be a month ("13/1/2024"), a year first when it has three or
// four digits ("2024-01-15"), month names and their three-letter abbreviations ("January 15,
// 2024", "15-Jan-2024", "Jan 15 2024"), an optional weekday name in front, times with or without
// seconds and AM/PM ("8:30 PM", "20:30:15", "8 PM"), date and time in either order. Two-digit
// years 00-29 are 2000-2029 and 30-99 are 1930-1999; a date without a year is in the current
// year. Impossible dates ("2/30/2024", "Feb 29 2023") and anything else are refused.
class DateText
{
public:
    // True with the date as days since 1899-12-30 (a time alone is on that day) when `text` is a
    // date, a time, or both. `currentYear` 0 stands for this year.
    static bool parse(const QString &text, double *oleDate, int currentYear = 0);
};

} // namespace vbs

#include "platform/vbscript/DateText.h"

#include "platform/text/BasicText.h"

#include <QDate>
#include <array>
#include <vector>

namespace vbs {

namespace {

struct Tok
{
    enum Kind : std::uint8_t { Num, Word, Colon, Slash, Dash, Comma, Blank };
    Kind kind;
    int value = 0;  // Num: the number; Word: the month (1-12) or weekday (1-7) it names
    int digits = 0; // Num: how many digits were written
    bool weekday = false;
    bool am = false;
    bool pm = false;
};

constexpr std::array<const char *, 12> kMonths = {"january",   "february", "march",    "april",
                                                  "may",       "june",     "july",     "august",
                                                  "september", "october",  "november", "december"};
constexpr std::array<const char *, 7> kWeekdays = {"sunday",   "monday", "tuesday", "wednesday",
                                                   "thursday", "friday", "saturday"};

// A full name or its first three letters.
bool names(const QString &word, const char *full)
{
    QLatin1StringView name(full);
    return word == name || (word.size() == 3 && name.startsWith(word));
}

bool classify(const QString &lower, Tok *t)
{
    if (lower == QLatin1String("am") || lower == QLatin1String("pm")) {
        t->am = lower == QLatin1String("am");
        t->pm = !t->am;
        return true;
    }
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (names(lower, kMonths[i])) {
            t->value = int(i) + 1;
            return true;
        }
    for (std::size_t i = 0; i < kWeekdays.size(); ++i)
        if (names(lower, kWeekdays[i])) {
            t->value = int(i) + 1;
            t->weekday = true;
            return true;
        }
    return false;
}

bool tokenize(const QString &text, std::vector<Tok> *out)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            Tok t{Tok::Num};
            while (i < n && text[i].unicode() >= u'0' && text[i].unicode() <= u'9') {
                if (++t.digits > 4) return false;
                t.value = t.value * 10 + (text[i].unicode() - u'0');
                ++i;
            }
            out->push_back(t);
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
            qsizetype start = i;
            while (i < n && ((text[i].unicode() >= u'a' && text[i].unicode() <= u'z') ||
                             (text[i].unicode() >= u'A' && text[i].unicode() <= u'Z')))
                ++i;
            Tok t{Tok::Word};
            if (i - start > 9 || !classify(text.mid(start, i - start).toLower(), &t)) return false;
            out->push_back(t);
        } else if (c == u' ' || c == u'\t') {
            while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
                ++i;
            out->push_back(Tok{Tok::Blank});
        } else {
            Tok::Kind kind;
            switch (c) {
            case u':':
                kind = Tok::Colon;
                break;
            case u'/':
                kind = Tok::Slash;
                break;
            case u'-':
                kind = Tok::Dash;
                break;
            case u',':
                kind = Tok::Comma;
                break;
            default:
                return false;
            }
            out->push_back(Tok{kind});
            ++i;
        }
    }
    return true;
}

bool isAmPm(const Tok &t)
{
    return t.kind == Tok::Word && (t.am || t.pm);
}

struct Time
{
    int h = 0, mi = 0, s = 0;
};

// Finds the one time in the tokens ("8:30", "8:30:15 PM", "8 PM") and returns its token range.
// False when the text holds a malformed time or more than one.
bool findTime(const std::vector<Tok> &t, Time *time, std::size_t *from, std::size_t *to)
{
    const std::size_t n = t.size();
    bool found = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (t[i].kind != Tok::Num) continue;
        std::size_t end = i + 1;
        bool colon = false;
        int h = t[i].value, mi = 0, s = 0;
        if (end < n && t[end].kind == Tok::Colon) {
            if (end + 1 >= n || t[end + 1].kind != Tok::Num || t[end + 1].digits > 2) return false;
            colon = true;
            mi = t[end + 1].value;
            end += 2;
            if (end < n && t[end].kind == Tok::Colon) {
                if (end + 1 >= n || t[end + 1].kind != Tok::Num || t[end + 1].digits > 2)
                    return false;
                s = t[end + 1].value;
                end += 2;
            }
            if (end < n && t[end].kind == Tok::Colon) return false;
        }
        std::size_t k = end < n && t[end].kind == Tok::Blank ? end + 1 : end;
        bool am = false, pm = false;
        if (k < n && isAmPm(t[k])) {
            am = t[k].am;
            pm = t[k].pm;
            end = k + 1;
        }
        if (!colon && !am && !pm) continue;
        if (found || t[i].digits > 2) return false;
        if (am || pm) {
            if (h > 12) return false;
            h = h % 12 + (pm ? 12 : 0);
        }
        if (h > 23 || mi > 59 || s > 59) return false;
        found = true;
        *time = Time{h, mi, s};
        *from = i;
        *to = end;
        i = end - 1;
    }
    return true;
}

int yearOf(const Tok &t)
{
    if (t.digits <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}

// A number that can only be a year: written with three or four digits, or above any day.
bool yearLike(const Tok &t)
{
    return t.digits >= 3 || t.value > 31;
}

bool valid(int y, int m, int d)
{
    return y >= 100 && y <= 9999 && QDate::isValid(y, m, d);
}

} // namespace

bool DateText::parse(const QString &text, double *oleDate, int currentYear)
{
    std::vector<Tok> t;
    if (!tokenize(text, &t)) return false;
    // Blanks at either end do not count.
    while (!t.empty() && t.back().kind == Tok::Blank)
        t.pop_back();
    std::size_t first = 0;
    while (first < t.size() && t[first].kind == Tok::Blank)
        ++first;
    t.erase(t.begin(), t.begin() + std::ptrdiff_t(first));
    if (t.empty()) return false;

    Time time;
    std::size_t timeFrom = 0, timeTo = 0;
    if (!findTime(t, &time, &timeFrom, &timeTo)) return false;
    bool hasTime = timeTo > timeFrom;
    // The date: the tokens before or after the time, parted from it by a blank.
    std::size_t from = 0, to = t.size();
    if (hasTime) {
        if (timeFrom == 0) {
            from = timeTo;
            if (from < to && t[from].kind != Tok::Blank) return false;
        } else if (timeTo == t.size()) {
            to = timeFrom;
            if (t[to - 1].kind != Tok::Blank) return false;
        } else {
            return false;
        }
        while (from < to && t[from].kind == Tok::Blank)
            ++from;
        while (to > from && t[to - 1].kind == Tok::Blank)
            --to;
    }

    std::vector<Tok> numbers;
    int month = 0;
    bool named = false;
    Tok::Kind dateSeparator = Tok::Blank; // the "/" or "-" the date uses throughout
    Tok::Kind gapMark = Tok::Blank;       // the one "/", "-" or "," between two items
    bool inGap = false;
    bool bareNumberGap = false; // two numbers parted by blanks or a comma only
    bool lastWasNumber = false;
    std::size_t items = 0;
    for (std::size_t i = from; i < to; ++i) {
        const Tok &k = t[i];
        if (k.kind == Tok::Num || k.kind == Tok::Word) {
            if (items > 0 && !inGap) return false; // no separator: "15Jan"
            bool number = k.kind == Tok::Num;
            if (number && lastWasNumber && gapMark != Tok::Slash && gapMark != Tok::Dash)
                bareNumberGap = true;
            inGap = false;
            gapMark = Tok::Blank;
            lastWasNumber = number;
            if (number) {
                if (numbers.size() == 3) return false;
                numbers.push_back(k);
            } else if (k.weekday) {
                if (items > 0) return false; // a weekday name only leads
            } else if (k.am || k.pm) {
                return false;
            } else {
                if (named) return false;
                named = true;
                month = k.value;
            }
            ++items;
            continue;
        }
        // Between two items: blanks with at most one "/", "-" or ",".
        if (items == 0) return false;
        inGap = true;
        if (k.kind == Tok::Blank) continue;
        if (gapMark != Tok::Blank) return false;
        gapMark = k.kind;
        if (k.kind == Tok::Comma) continue;
        if (dateSeparator != Tok::Blank && dateSeparator != k.kind) return false; // "1/15-2024"
        dateSeparator = k.kind;
    }
    if (inGap) return false; // a separator at the end

    int y = 1899, m = 12, d = 30;
    if (items == 0) {
        if (!hasTime) return false; // nothing but a time
    } else {
        if (currentYear == 0) currentYear = QDate::currentDate().year();
        if (named) {
            m = month;
            if (numbers.size() == 1) {
                if (yearLike(numbers[0])) {
                    y = yearOf(numbers[0]);
                    d = 1;
                } else {
                    d = numbers[0].value;
                    y = currentYear;
                }
            } else if (numbers.size() == 2) {
                if (yearLike(numbers[0]) && !yearLike(numbers[1])) {
                    y = yearOf(numbers[0]);
                    d = numbers[1].value;
                } else {
                    d = numbers[0].value;
                    y = yearOf(numbers[1]);
                }
            } else {
                return false;
            }
        } else {
            // Numbers alone must be parted by "/" or "-".
            if (bareNumberGap || numbers.size() < 2) return false;
            const Tok &a = numbers[0];
            if (numbers.size() == 3) {
                const Tok &b = numbers[1], &c = numbers[2];
                if (yearLike(a)) {
                    y = yearOf(a);
                    m = b.value;
                    d = c.value;
                } else {
                    m = a.value;
                    d = b.value;
                    y = yearOf(c);
                    // Month first, unless the first number cannot be a month.
                    if (!valid(y, m, d) && a.value > 12) std::swap(m, d);
                }
            } else if (numbers.size() == 2) {
                const Tok &b = numbers[1];
                if (yearLike(b)) {
                    m = a.value;
                    y = yearOf(b);
                    d = 1;
                } else if (yearLike(a)) {
                    y = yearOf(a);
                    m = b.value;
                    d = 1;
                } else {
                    m = a.value;
                    d = b.value;
                    y = currentYear;
                    if (!valid(y, m, d) && a.value > 12) std::swap(m, d);
                }
            }
        }
        if (!valid(y, m, d)) return false;
    }
    *oleDate = BasicText::makeDate(y, m, d, time.h, time.mi, time.s);
    return true;
}

} // namespace vbs

#include "platform/text/BasicText.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QVarLengthArray>
#include <cfenv>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Formats with `digits` significant digits in the runtime's layout.
QString formatSignificant(double value, int digits, double plainLow, double plainHigh)
{
    if (value == 0 || std::isnan(value)) return QStringLiteral("0");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("1.#INF") : QStringLiteral("-1.#INF");
    // The C library's printf would write the user's decimal separator: to_chars never does.
    char buf[64];
    char *bufEnd =
        std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, digits - 1)
            .ptr;
    *bufEnd = 0;
    // buf: [-]d.ddddde[+-]xx
    const char *p = buf;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    QString mantissa;
    const char *e = std::strchr(p, 'e');
    for (const char *q = p; q < e; ++q)
        if (*q != '.') mantissa.append(QLatin1Char(*q));
    int exponent = std::atoi(e + 1);
    while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
        mantissa.chop(1);
    double magnitude = 0;
    BasicText::parseDecimal(buf, bufEnd, &magnitude);
    magnitude = std::fabs(magnitude);
    QString out;
    if (negative) out.append(QLatin1Char('-'));
    if (magnitude >= plainHigh || magnitude < plainLow) {
        out.append(mantissa.at(0));
        if (mantissa.size() > 1) {
            out.append(QLatin1Char('.'));
            out.append(QStringView(mantissa).mid(1));
        }
        out.append(QLatin1Char('E'));
        out.append(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'));
        int ax = std::abs(exponent);
        if (ax < 10) out.append(QLatin1Char('0'));
        out.append(QString::number(ax));
        return out;
    }
    if (exponent >= 0) {
        int intDigits = exponent + 1;
        if (mantissa.size() <= intDigits) {
            out.append(mantissa);
            out.append(QString(intDigits - mantissa.size(), QLatin1Char('0')));
        } else {
            out.append(QStringView(mantissa).left(intDigits));
            out.append(QLatin1Char('.'));
            out.append(QStringView(mantissa).mid(intDigits));
        }
    } else {
        out.append(QStringLiteral("0."));
        out.append(QString(-exponent - 1, QLatin1Char('0')));
        out.append(mantissa);
    }
    return out;
}

int sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

QString BasicText::fromDouble(double value)
{
    return formatSignificant(value, 15, 1e-5, 1e15);
}

QString BasicText::fromSingle(float value)
{
    return formatSignificant(value, 7, 1e-5, 1e7);
}

QString BasicText::fromCurrency(qint64 scaled)
{
    bool negative = scaled < 0;
    quint64 a = negative ? quint64(-(scaled + 1)) + 1 : quint64(scaled);
    QString out = QString::number(a / 10000);
    quint64 frac = a % 10000;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + out : out;
}

double BasicText::makeDate(int year, int month, int day, int hour, int minute, int second)
{
    qint64 days = QDate(1899, 12, 30).daysTo(QDate(year, month, day));
    double t = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    // Negative dates count their time part away from zero.
    return days >= 0 ? days + t : days - t;
}

void BasicText::splitDate(double oleDate, int *year, int *month, int *day, int *hour, int *minute,
                          int *second)
{
    double whole = std::trunc(oleDate);
    double frac = std::fabs(oleDate - whole);
    qint64 secs = qint64(std::llround(frac * 86400.0));
    if (secs >= 86400) {
        secs -= 86400;
        whole += oleDate < 0 ? -1 : 1;
    }
    QDate d = QDate(1899, 12, 30).addDays(qint64(whole));
    *year = d.year();
    *month = d.month();
    *day = d.day();
    *hour = int(secs / 3600);
    *minute = int(secs / 60 % 60);
    *second = int(secs % 60);
}

QString BasicText::fromDate(double oleDate)
{
    int y, mo, d, h, mi, s;
    splitDate(oleDate, &y, &mo, &d, &h, &mi, &s);
    bool hasDate = std::trunc(oleDate) != 0;
    bool hasTime = (h | mi | s) != 0;
    QString date = QString::asprintf("%04d-%02d-%02d", y, mo, d);
    QString time = QString::asprintf("%02d:%02d:%02d", h, mi, s);
    if (!hasDate) return time;
    if (!hasTime) return date;
    return date + QLatin1Char(' ') + time;
}

double BasicText::roundHalfEven(double value)
{
    int old = std::fegetround();
    if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(value);
    if (old != FE_TONEAREST) std::fesetround(old);
    return r;
}

double BasicText::roundHalfEven(double value, int decimals)
{
    if (decimals <= 0) return roundHalfEven(value);
    double scale = std::pow(10.0, decimals);
    return roundHalfEven(value * scale) / scale;
}

bool BasicText::tryParseNumber(const QString &text, double *value)
{
    const QChar *p = text.constData();
    const QChar *end = p + text.size();
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (p < end && isBlank(*p))
        ++p;
    while (end > p && isBlank(end[-1]))
        --end;
    if (p == end) return false;
    if (*p == QLatin1Char('&') && end - p >= 3) {
        QChar kind = p[1].toUpper();
        int base = kind == QLatin1Char('H') ? 16 : (kind == QLatin1Char('O') ? 8 : 0);
        if (!base) return false;
        quint64 acc = 0;
        const QChar *q = p + 2;
        if (q < end && end[-1] == QLatin1Char('&')) --end;
        if (q == end || end - q > (base == 16 ? 8 : 11)) return false;
        for (; q < end; ++q) {
            int digit = q->isDigit() ? q->unicode() - '0'
                        : (base == 16 && q->toUpper() >= QLatin1Char('A') &&
                           q->toUpper() <= QLatin1Char('F'))
                            ? q->toUpper().unicode() - 'A' + 10
                            : -1;
            if (digit < 0 || digit >= base) return false;
            acc = acc * base + digit;
        }
        if (acc > 0xFFFFFFFFull) return false;
        // &H literals of up to 4 digits are Integers, longer ones Longs: both wrap to signed.
        qint64 v = (end - (p + 2) <= 4 && base == 16) ? qint16(quint16(acc)) : qint32(quint32(acc));
        *value = double(v);
        return true;
    }
    QVarLengthArray<char, 64> ascii;
    ascii.reserve(end - p);
    if (*p == QLatin1Char('+') || *p == QLatin1Char('-')) {
        ascii.append(char(p->unicode()));
        ++p;
        while (p < end && isBlank(*p))
            ++p;
    }
    bool digits = false, dot = false, exp = false, expDigits = false;
    for (; p < end; ++p) {
        ushort c = p->unicode();
        if (c >= '0' && c <= '9') {
            ascii.append(char(c));
            if (exp)
                expDigits = true;
            else
                digits = true;
        } else if (c == ',' && !dot && !exp && digits) {
            continue;
        } else if (c == '.' && !dot && !exp) {
            dot = true;
            ascii.append('.');
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && !exp && digits) {
            exp = true;
            ascii.append('e');
            if (p + 1 < end && (p[1] == QLatin1Char('+') || p[1] == QLatin1Char('-'))) {
                ++p;
                ascii.append(char(p->unicode()));
            }
        } else {
            return false;
        }
    }
    if (!digits || (exp && !expDigits)) return false;
    return parseDecimal(ascii.constData(), ascii.constData() + ascii.size(), value);
}

bool BasicText::parseDecimal(const char *begin, const char *end, double *value)
{
    // from_chars takes no "+" and never looks at the locale.
    const char *p = begin;
    if (p < end && *p == '+') {
        ++p;
        if (p < end && *p == '-') return false;
    }
    double v = 0;
    auto [stop, ec] = std::from_chars(p, end, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && stop == end) {
        // Too large or too small: the C library, in the C locale, says which and gives the
        // denormal or 0 of an underflow.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        std::string copy(p, end);
        v = strtod_l(copy.c_str(), nullptr, cLocale);
    } else if (ec != std::errc()) {
        return false;
    }
    if (stop != end || std::isinf(v)) return false;
    *value = v;
    return true;
}

double BasicText::val(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            compact.append(c);
    if (compact.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        compact.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        int n = 2;
        while (n < compact.size() && compact.at(n).isLetterOrNumber())
            ++n;
        for (; n > 2; --n) {
            double v;
            if (tryParseNumber(compact.left(n), &v)) return v;
        }
        return 0;
    }
    // Longest prefix of sign, digits, one point and an exponent.
    int i = 0;
    if (i < compact.size() && (compact[i] == QLatin1Char('+') || compact[i] == QLatin1Char('-')))
        ++i;
    int start = i;
    bool dot = false;
    while (i < compact.size() && ((compact[i].isDigit() && compact[i].unicode() < 128) ||
                                  (!dot && compact[i] == QLatin1Char('.')))) {
        if (compact[i] == QLatin1Char('.')) dot = true;
        ++i;
    }
    if (i == start) return 0;
    int mantEnd = i;
    if (i < compact.size() && QStringLiteral("eEdD").contains(compact[i])) {
        int j = i + 1;
        if (j < compact.size() &&
            (compact[j] == QLatin1Char('+') || compact[j] == QLatin1Char('-')))
            ++j;
        int k = j;
        while (k < compact.size() && compact[k].isDigit() && compact[k].unicode() < 128)
            ++k;
        if (k > j) mantEnd = k;
    }
    QByteArray a = compact.left(mantEnd).toLatin1();
    a.replace('d', 'e').replace('D', 'e');
    if (a == "." || a == "+." || a == "-." || a == "+" || a == "-") return 0;
    double v = 0;
    return parseDecimal(a.constData(), a.constData() + a.size(), &v) ? v : 0;
}

bool BasicText::tryParseDate(const QString &text, double *oleDate)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return false;
    QString datePart, timePart;
    int blank = t.indexOf(QLatin1Char(' '));
    if (blank >= 0) {
        datePart = t.left(blank);
        timePart = t.mid(blank + 1).trimmed();
    } else if (t.contains(QLatin1Char(':'))) {
        timePart = t;
    } else {
        datePart = t;
    }
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0;
    if (!datePart.isEmpty()) {
        QStringList parts = datePart.split(QRegularExpression(QStringLiteral("[-/]")));
        if (parts.size() != 3) return false;
        bool ok1, ok2, ok3;
        y = parts[0].toInt(&ok1);
        mo = parts[1].toInt(&ok2);
        d = parts[2].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || !QDate::isValid(y, mo, d)) return false;
    }
    if (!timePart.isEmpty()) {
        QStringList parts = timePart.split(QLatin1Char(':'));
        if (parts.size() < 2 || parts.size() > 3) return false;
        bool ok1 = true, ok2 = true, ok3 = true;
        h = parts[0].toInt(&ok1);
        mi = parts[1].toInt(&ok2);
        if (parts.size() == 3) s = parts[2].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
            return false;
    }
    *oleDate = makeDate(y, mo, d, h, mi, s);
    return true;
}

int BasicText::compareText(const QString &a, const QString &b)
{
    // Identical code units and ASCII letters are settled here; from the first other difference
    // on, Qt's case folding decides (from the start of a surrogate pair cut in two).
    const qsizetype n = std::min(a.size(), b.size());
    const QChar *p = a.constData(), *q = b.constData();
    auto fold = [](char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + 0x20) : c; };
    qsizetype i = 0;
    for (; i < n; ++i) {
        char16_t x = p[i].unicode(), y = q[i].unicode();
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80) break;
        if (fold(x) != fold(y)) return fold(x) < fold(y) ? -1 : 1;
    }
    if (i == n) return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    if (i > 0 && p[i - 1].isHighSurrogate()) --i;
    return sign(QStringView(a).mid(i).compare(QStringView(b).mid(i), Qt::CaseInsensitive));
}

int BasicText::compareBinary(const QString &a, const QString &b)
{
    return sign(QString::compare(a, b, Qt::CaseSensitive));
}

QString BasicText::foldCase(const QString &text)
{
    return text.toCaseFolded();
}

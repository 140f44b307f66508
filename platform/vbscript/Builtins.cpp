#include "platform/vbscript/Builtins.h"

#include "platform/com/VariantArray.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/vbscript/DateText.h"
#include "platform/vbscript/Interpreter.h"
#include "platform/vbscript/Operators.h"
#include "platform/win/MessageBox.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <cmath>

namespace vbs {

using com::Variant;

namespace {

constexpr std::int32_t kParamNotFound = std::int32_t(0x80020004u);

[[noreturn]] void invalid()
{
    throw BasicError(BasicError::InvalidCall);
}

bool missing(const Variant *args, int argc, int i)
{
    return i >= argc || Builtins::isMissing(args[i]);
}

QString text(const Variant &v)
{
    if (v.isString()) return v.stringValue();
    return Operators::deref(v).toString();
}

// As text(), for an argument the built-in is done with: a String gives up its own text.
QString takeText(Variant &v)
{
    if (v.isString()) return v.takeString();
    return text(v);
}

std::int32_t whole(const Variant &v)
{
    return Operators::toLong(v);
}

double number(const Variant &v)
{
    return Operators::toDouble(v.isObject() ? Operators::deref(v) : v);
}

Variant checked(QString s)
{
    Operators::checkLength(s.size());
    return Variant(std::move(s));
}

// Long loops read the clock every this many turns, so that Cancel stops them too.
constexpr unsigned kPulseTurns = 1024;

void turn(unsigned *turns)
{
    if (++*turns % kPulseTurns == 0) Interpreter::pulse();
}

Qt::CaseSensitivity compareMode(const Variant *args, int argc, int i)
{
    if (missing(args, argc, i)) return Qt::CaseSensitive;
    std::int32_t mode = whole(args[i]);
    if (mode < 0) invalid();
    return mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

// Trim removes blanks (U+0020) only, as the runtime does.
Variant trimImpl(Variant &v, bool left, bool right)
{
    if (v.isNull()) return v;
    QString s = takeText(v);
    qsizetype b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == QLatin1Char(' '))
            ++b;
    if (right)
        while (e > b && s[e - 1] == QLatin1Char(' '))
            --e;
    if (b == 0 && e == s.size()) return Variant(std::move(s));
    if (!s.isDetached()) return Variant(s.mid(b, e - b));
    s.truncate(e);
    s.remove(0, b);
    return Variant(std::move(s));
}

double toDate(const Variant &v0)
{
    Variant v = Operators::deref(v0);
    switch (v.type()) {
    case com::vbDate:
        return v.dateValue();
    case com::vbString: {
        double d;
        if (DateText::parse(v.stringValue(), &d)) return d;
        if (BasicText::tryParseNumber(v.stringValue(), &d)) return d;
        throw BasicError(BasicError::TypeMismatch);
    }
    case com::vbNull:
        throw BasicError(BasicError::InvalidUseOfNull);
    default:
        return Operators::toDouble(v);
    }
}

bool isDateText(const Variant &v)
{
    if (v.isDate()) return true;
    if (!v.isString()) return false;
    double n;
    if (BasicText::tryParseNumber(v.stringValue(), &n)) return false;
    try {
        toDate(v);
        return true;
    } catch (const BasicError &) {
        return false;
    }
}

struct DateParts
{
    int y, mo, d, h, mi, s;
};

DateParts split(double date)
{
    DateParts p;
    BasicText::splitDate(date, &p.y, &p.mo, &p.d, &p.h, &p.mi, &p.s);
    return p;
}

Variant datePart(const Variant &v, int which)
{
    if (v.isNull()) return v;
    DateParts p = split(toDate(v));
    int parts[] = {p.y, p.mo, p.d, p.h, p.mi, p.s};
    return Variant::fromInteger(std::int16_t(parts[which]));
}

Variant fnTrim(Interpreter &, Variant *a, int)
{
    return trimImpl(a[0], true, true);
}
Variant fnLTrim(Interpreter &, Variant *a, int)
{
    return trimImpl(a[0], true, false);
}
Variant fnRTrim(Interpreter &, Variant *a, int)
{
    return trimImpl(a[0], false, true);
}

Variant fnUCase(Interpreter &, Variant *a, int)
{
    return a[0].isNull() ? a[0] : Variant(text(a[0]).toUpper());
}

// The lower case QString::toLower gives, without its cost for the usual texts: ASCII and
// characters whose lower case is one code unit are mapped here; a text with another character
// (İ, whose lower case takes two, or a surrogate) goes the general way. Unchanged texts are
// shared, not copied.
QString lowerText(QString s)
{
    auto general = [](char16_t c) { return QChar::isSurrogate(c) || c == 0x130; };
    auto changes = [](char16_t c) {
        return c < 0x80 ? c >= 'A' && c <= 'Z' : QChar::toLower(char32_t(c)) != c;
    };
    const qsizetype n = s.size();
    const QChar *p = s.constData();
    qsizetype i = 0;
    while (i < n && !changes(p[i].unicode()) && !general(p[i].unicode()))
        ++i;
    if (i == n) return s;
    for (qsizetype j = i; j < n; ++j)
        if (general(p[j].unicode())) return s.toLower();
    QChar *q = s.data(); // copies only a text something else holds too
    for (; i < n; ++i) {
        char16_t c = q[i].unicode();
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z') q[i] = QChar(char16_t(c + 0x20));
        } else {
            q[i] = QChar(char16_t(QChar::toLower(char32_t(c))));
        }
    }
    return s;
}

Variant fnLCase(Interpreter &, Variant *a, int)
{
    return a[0].isNull() ? a[0] : Variant(lowerText(takeText(a[0])));
}

Variant fnLen(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) return a[0];
    return Variant(std::int32_t(text(a[0]).size()));
}

Variant fnLeft(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) return a[0];
    std::int32_t n = whole(a[1]);
    if (n < 0) invalid();
    return Variant(text(a[0]).left(n));
}

Variant fnRight(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) return a[0];
    std::int32_t n = whole(a[1]);
    if (n < 0) invalid();
    return Variant(text(a[0]).right(n));
}

Variant fnMid(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull()) return a[0];
    std::int32_t start = whole(a[1]);
    if (start < 1) invalid();
    QString s = text(a[0]);
    if (missing(a, argc, 2)) return Variant(s.mid(start - 1));
    std::int32_t len = whole(a[2]);
    if (len < 0) invalid();
    if (start > s.size()) return Variant(QString());
    return Variant(s.mid(start - 1, len));
}

Variant fnInStr(Interpreter &, Variant *a, int argc)
{
    std::int32_t start = 1;
    int i = 0;
    if (argc >= 3) {
        if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
        start = whole(a[0]);
        i = 1;
    }
    if (start < 1) invalid();
    Qt::CaseSensitivity cs = argc >= 4 ? compareMode(a, argc, 3) : Qt::CaseSensitive;
    if (a[i].isNull() || a[i + 1].isNull()) return Variant::null();
    QString s1 = text(a[i]), s2 = text(a[i + 1]);
    if (s1.isEmpty()) return Variant(std::int32_t(0));
    if (s2.isEmpty()) return Variant(start);
    if (start > s1.size()) return Variant(std::int32_t(0));
    return Variant(std::int32_t(s1.indexOf(s2, start - 1, cs) + 1));
}

Variant fnInStrRev(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull() || a[1].isNull()) return Variant::null();
    std::int32_t start = missing(a, argc, 2) ? -1 : whole(a[2]);
    if (start == 0 || start < -1) invalid();
    Qt::CaseSensitivity cs = compareMode(a, argc, 3);
    QString s1 = text(a[0]), s2 = text(a[1]);
    if (s1.isEmpty()) return Variant(std::int32_t(0));
    if (start == -1) start = std::int32_t(s1.size());
    if (start > s1.size()) return Variant(std::int32_t(0));
    if (s2.isEmpty()) return Variant(start);
    qsizetype from = start - s2.size();
    if (from < 0) return Variant(std::int32_t(0));
    return Variant(std::int32_t(s1.lastIndexOf(s2, from, cs) + 1));
}

Variant fnReplace(Interpreter &, Variant *a, int argc)
{
    for (int i = 0; i < 3; ++i)
        if (a[i].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString s = text(a[0]), find = text(a[1]), with = text(a[2]);
    std::int32_t start = missing(a, argc, 3) ? 1 : whole(a[3]);
    std::int32_t count = missing(a, argc, 4) ? -1 : whole(a[4]);
    Qt::CaseSensitivity cs = compareMode(a, argc, 5);
    if (start < 1 || count < -1) invalid();
    if (start > s.size()) return Variant(QString());
    // The result begins at `start`: the characters before it are dropped.
    QString rest = s.mid(start - 1);
    if (find.isEmpty() || count == 0) return Variant(rest);
    QString out;
    qsizetype pos = 0;
    int done = 0;
    unsigned turns = 0;
    while (count < 0 || done < count) {
        turn(&turns);
        qsizetype hit = rest.indexOf(find, pos, cs);
        if (hit < 0) break;
        out += QStringView(rest).mid(pos, hit - pos);
        out += with;
        Operators::checkLimit(out.size());
        pos = hit + find.size();
        ++done;
    }
    out += QStringView(rest).mid(pos);
    return checked(std::move(out));
}

Variant fnSplit(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString s = text(a[0]);
    QString delim = missing(a, argc, 1) ? QStringLiteral(" ") : text(a[1]);
    std::int32_t count = missing(a, argc, 2) ? -1 : whole(a[2]);
    Qt::CaseSensitivity cs = compareMode(a, argc, 3);
    if (count < -1) invalid();
    QStringList parts;
    if (!s.isEmpty() && count != 0) {
        if (delim.isEmpty()) {
            parts << s;
        } else {
            qsizetype pos = 0;
            unsigned turns = 0;
            for (;;) {
                turn(&turns);
                if (count > 0 && parts.size() == count - 1) break;
                qsizetype hit = s.indexOf(delim, pos, cs);
                if (hit < 0) break;
                Operators::checkElements(parts.size() + 2);
                parts << s.mid(pos, hit - pos);
                pos = hit + delim.size();
            }
            parts << s.mid(pos);
        }
    }
    auto arr = com::VariantArray::vector(0, int(parts.size()) - 1);
    for (int i = 0; i < parts.size(); ++i)
        arr->flat(std::size_t(i)) = Variant(std::move(parts[i]));
    Interpreter::work(parts.size() / kPulseTurns);
    return Variant(arr);
}

Variant fnFilter(Interpreter &, Variant *a, int argc)
{
    auto arr = a[0].array();
    if (!arr || arr->dimensions() > 1) throw BasicError(BasicError::TypeMismatch);
    if (a[1].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString value = text(a[1]);
    bool include = missing(a, argc, 2) ? true : Operators::truth(a[2]);
    Qt::CaseSensitivity cs = compareMode(a, argc, 3);
    std::vector<Variant> kept;
    unsigned turns = 0;
    for (std::size_t i = 0; i < arr->size(); ++i) {
        turn(&turns);
        const Variant &e = arr->flat(i);
        if (e.isNull()) throw BasicError(BasicError::InvalidUseOfNull);
        QString item = text(e);
        if (item.contains(value, cs) == include) kept.push_back(Variant(item));
    }
    auto out = com::VariantArray::vector(0, int(kept.size()) - 1);
    for (std::size_t i = 0; i < kept.size(); ++i)
        out->at(int(i)) = std::move(kept[i]);
    return Variant(out);
}

Variant fnJoin(Interpreter &, Variant *a, int argc)
{
    auto arr = a[0].array();
    if (!arr || arr->dimensions() > 1) throw BasicError(BasicError::TypeMismatch);
    QString delim = missing(a, argc, 1) ? QStringLiteral(" ") : text(a[1]);
    QString out;
    unsigned turns = 0;
    for (std::size_t i = 0; i < arr->size(); ++i) {
        turn(&turns);
        if (i) out += delim;
        const Variant &e = arr->flat(i);
        out += e.isNull() ? QString() : text(e);
        Operators::checkLimit(out.size());
    }
    return checked(std::move(out));
}

Variant fnStrComp(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull() || a[1].isNull()) return Variant::null();
    Qt::CaseSensitivity cs = compareMode(a, argc, 2);
    QString x = text(a[0]), y = text(a[1]);
    int c = cs == Qt::CaseSensitive ? BasicText::compareBinary(x, y) : BasicText::compareText(x, y);
    return Variant::fromInteger(std::int16_t(c));
}

Variant fnStrReverse(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString s = text(a[0]);
    std::reverse(s.begin(), s.end());
    return Variant(std::move(s));
}

Variant fnSpace(Interpreter &, Variant *a, int)
{
    std::int32_t n = whole(a[0]);
    if (n < 0) invalid();
    Operators::checkLength(n);
    return Variant(QString(n, QLatin1Char(' ')));
}

Variant fnString(Interpreter &, Variant *a, int)
{
    if (a[1].isNull()) return a[1];
    std::int32_t n = whole(a[0]);
    if (n < 0) invalid();
    QChar c;
    if (a[1].isString()) {
        if (a[1].stringValue().isEmpty()) invalid();
        c = a[1].stringValue().at(0);
    } else {
        c = QChar(char16_t(whole(a[1]) & 0xFF));
    }
    Operators::checkLength(n);
    return Variant(QString(n, c));
}

Variant fnAsc(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString s = text(a[0]);
    if (s.isEmpty()) invalid();
    char16_t c = s.at(0).unicode();
    if (c < 0x80) return Variant::fromInteger(std::int16_t(c));
    // The ANSI code page is CP936: a double-byte character reads as lead * 256 + trail.
    QStringEncoder gbk("GB18030");
    QByteArray bytes = gbk.encode(QStringView(&c, 1));
    if (bytes.size() == 2)
        return Variant::fromInteger(
            std::int16_t(std::uint16_t((std::uint8_t(bytes[0]) << 8) | std::uint8_t(bytes[1]))));
    if (bytes.size() == 1) return Variant::fromInteger(std::int16_t(std::uint8_t(bytes[0])));
    return Variant::fromInteger(std::int16_t('?'));
}

Variant fnAscW(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    QString s = text(a[0]);
    if (s.isEmpty()) invalid();
    return Variant::fromInteger(std::int16_t(s.at(0).unicode()));
}

Variant fnChr(Interpreter &, Variant *a, int)
{
    std::int32_t n = whole(a[0]);
    if (n < -32768 || n > 65535) invalid();
    std::uint16_t u = std::uint16_t(n);
    if (u < 0x80) return Variant(QString(QChar(u)));
    if (u < 0x100) return Variant(QString(QChar(u))); // a lone byte of the ANSI code page
    char bytes[2] = {char(u >> 8), char(u & 0xFF)};
    QStringDecoder gbk("GB18030");
    QString s = gbk.decode(QByteArrayView(bytes, 2));
    if (s.size() != 1 || gbk.hasError()) invalid();
    return Variant(s);
}

Variant fnChrW(Interpreter &, Variant *a, int)
{
    std::int32_t n = whole(a[0]);
    if (n < -32768 || n > 65535) invalid();
    return Variant(QString(QChar(char16_t(std::uint16_t(n)))));
}

Variant fnCStr(Interpreter &, Variant *a, int)
{
    return Variant(text(a[0]));
}

Variant fnCDbl(Interpreter &, Variant *a, int)
{
    return Variant(number(a[0]));
}

Variant fnCSng(Interpreter &, Variant *a, int)
{
    double d = number(a[0]);
    if (std::fabs(d) > 3.402823466e38) throw BasicError(BasicError::Overflow);
    return Variant::fromSingle(float(d));
}

Variant fnCLng(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    return Variant(whole(a[0]));
}

Variant fnCInt(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    std::int32_t v = whole(a[0]);
    if (v < -32768 || v > 32767) throw BasicError(BasicError::Overflow);
    return Variant::fromInteger(std::int16_t(v));
}

Variant fnCByte(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    std::int32_t v = whole(a[0]);
    if (v < 0 || v > 255) throw BasicError(BasicError::Overflow);
    return Variant::fromByte(std::uint8_t(v));
}

Variant fnCCur(Interpreter &, Variant *a, int)
{
    double d = number(a[0]);
    double scaled = BasicText::roundHalfEven(d * 10000.0);
    if (std::fabs(scaled) >= 9.2e18) throw BasicError(BasicError::Overflow);
    return Variant::fromCurrency(std::int64_t(scaled));
}

Variant fnCBool(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    return Variant(Operators::deref(a[0]).toBool());
}

Variant fnCDate(Interpreter &, Variant *a, int)
{
    return Variant::fromDate(toDate(a[0]));
}

Variant fnIsNumeric(Interpreter &, Variant *a, int)
{
    return Variant(a[0].isNumeric());
}

Variant fnIsEmpty(Interpreter &, Variant *a, int)
{
    return Variant(a[0].isEmpty());
}
Variant fnIsNull(Interpreter &, Variant *a, int)
{
    return Variant(a[0].isNull());
}
Variant fnIsArray(Interpreter &, Variant *a, int)
{
    return Variant(a[0].isArray());
}
Variant fnIsObject(Interpreter &, Variant *a, int)
{
    return Variant(a[0].isObject());
}
Variant fnIsDate(Interpreter &, Variant *a, int)
{
    return Variant(isDateText(a[0]));
}
Variant fnTypeName(Interpreter &, Variant *a, int)
{
    return Variant(a[0].typeName());
}

Variant fnVarType(Interpreter &, Variant *a, int)
{
    if (a[0].isArray()) return Variant::fromInteger(std::int16_t(com::vbArray | com::vbVariant));
    return Variant::fromInteger(std::int16_t(a[0].type()));
}

// Number functions keep the argument's subtype where the runtime does.
template <typename F> Variant numeric(const Variant &v0, F f)
{
    Variant v = Operators::deref(v0);
    switch (v.type()) {
    case com::vbNull:
        return v;
    case com::vbEmpty:
        return Variant::fromInteger(0);
    case com::vbBoolean:
        return Variant::fromInteger(std::int16_t(f(v.boolValue() ? -1.0 : 0.0)));
    case com::vbByte:
    case com::vbInteger: {
        double r = f(double(v.longValue()));
        if (r >= -32768 && r <= 32767)
            return v.type() == com::vbByte && r >= 0 && r <= 255
                       ? Variant::fromByte(std::uint8_t(r))
                       : Variant::fromInteger(std::int16_t(r));
        return Variant(std::int32_t(r));
    }
    case com::vbLong: {
        double r = f(double(v.longValue()));
        if (r >= -2147483648.0 && r <= 2147483647.0) return Variant(std::int32_t(r));
        return Variant(r);
    }
    case com::vbSingle:
        return Variant::fromSingle(float(f(v.numberValue())));
    case com::vbCurrency: {
        double r = f(v.numberValue());
        return Variant::fromCurrency(std::int64_t(BasicText::roundHalfEven(r * 10000.0)));
    }
    case com::vbDate:
        return Variant::fromDate(f(v.dateValue()));
    default:
        return Variant(f(Operators::toDouble(v)));
    }
}

Variant fnAbs(Interpreter &, Variant *a, int)
{
    return numeric(a[0], [](double d) { return std::fabs(d); });
}

Variant fnInt(Interpreter &, Variant *a, int)
{
    return numeric(a[0], [](double d) { return std::floor(d); });
}

Variant fnFix(Interpreter &, Variant *a, int)
{
    return numeric(a[0], [](double d) { return std::trunc(d); });
}

Variant fnRound(Interpreter &, Variant *a, int argc)
{
    int digits = missing(a, argc, 1) ? 0 : whole(a[1]);
    if (digits < 0) invalid();
    if (a[0].isDate()) return Variant(BasicText::roundHalfEven(a[0].dateValue(), digits));
    return numeric(a[0], [digits](double d) { return BasicText::roundHalfEven(d, digits); });
}

Variant fnSgn(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    double d = number(a[0]);
    return Variant::fromInteger(std::int16_t(d < 0 ? -1 : (d > 0 ? 1 : 0)));
}

Variant fnSqr(Interpreter &, Variant *a, int)
{
    double d = number(a[0]);
    if (d < 0) invalid();
    return Variant(std::sqrt(d));
}

Variant fnExp(Interpreter &, Variant *a, int)
{
    double r = std::exp(number(a[0]));
    if (std::isinf(r)) throw BasicError(BasicError::Overflow);
    return Variant(r);
}

Variant fnLog(Interpreter &, Variant *a, int)
{
    double d = number(a[0]);
    if (d <= 0) invalid();
    return Variant(std::log(d));
}

Variant fnSin(Interpreter &, Variant *a, int)
{
    return Variant(std::sin(number(a[0])));
}
Variant fnCos(Interpreter &, Variant *a, int)
{
    return Variant(std::cos(number(a[0])));
}
Variant fnTan(Interpreter &, Variant *a, int)
{
    return Variant(std::tan(number(a[0])));
}
Variant fnAtn(Interpreter &, Variant *a, int)
{
    return Variant(std::atan(number(a[0])));
}

Variant fnArray(Interpreter &, Variant *a, int argc)
{
    auto arr = com::VariantArray::vector(0, argc - 1);
    for (int i = 0; i < argc; ++i) {
        Operators::checkNesting(a[i]);
        arr->at(i) = a[i];
    }
    return Variant(arr);
}

Variant bound(Variant *a, int argc, bool upper)
{
    auto arr = a[0].array();
    if (!arr) throw BasicError(BasicError::TypeMismatch);
    int dim = missing(a, argc, 1) ? 1 : whole(a[1]);
    return Variant(std::int32_t(upper ? arr->ubound(dim) : arr->lbound(dim)));
}

Variant fnUBound(Interpreter &, Variant *a, int argc)
{
    return bound(a, argc, true);
}
Variant fnLBound(Interpreter &, Variant *a, int argc)
{
    return bound(a, argc, false);
}

Variant fnYear(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 0);
}
Variant fnMonth(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 1);
}
Variant fnDay(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 2);
}
Variant fnHour(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 3);
}
Variant fnMinute(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 4);
}
Variant fnSecond(Interpreter &, Variant *a, int)
{
    return datePart(a[0], 5);
}

double nowDate()
{
    QDateTime now = QDateTime::currentDateTime();
    QDate d = now.date();
    QTime t = now.time();
    return BasicText::makeDate(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

Variant fnNow(Interpreter &, Variant *, int)
{
    return Variant::fromDate(nowDate());
}
Variant fnDate(Interpreter &, Variant *, int)
{
    return Variant::fromDate(std::floor(nowDate()));
}

Variant fnTime(Interpreter &, Variant *, int)
{
    double n = nowDate();
    return Variant::fromDate(n - std::floor(n));
}

Variant fnTimer(Interpreter &, Variant *, int)
{
    QTime t = QTime::currentTime();
    return Variant::fromSingle(float(t.msecsSinceStartOfDay() / 1000.0));
}

Variant fnDateValue(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) return a[0];
    return Variant::fromDate(std::trunc(toDate(a[0])));
}

Variant fnTimeValue(Interpreter &, Variant *a, int)
{
    if (a[0].isNull()) return a[0];
    double d = toDate(a[0]);
    return Variant::fromDate(std::fabs(d - std::trunc(d)));
}

Variant fnDateSerial(Interpreter &, Variant *a, int)
{
    int y = whole(a[0]), m = whole(a[1]), d = whole(a[2]);
    if (y >= 0 && y < 100) y += y < 30 ? 2000 : 1900;
    // Months and days outside their ranges carry into the next unit.
    int months = y * 12 + (m - 1);
    QDate first(months / 12, months % 12 + 1, 1);
    if (!first.isValid()) invalid();
    QDate date = first.addDays(d - 1);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999) invalid();
    return Variant::fromDate(BasicText::makeDate(date.year(), date.month(), date.day()));
}

Variant fnTimeSerial(Interpreter &, Variant *a, int)
{
    double secs = whole(a[0]) * 3600.0 + whole(a[1]) * 60.0 + whole(a[2]);
    return Variant::fromDate(secs / 86400.0);
}

Variant fnWeekday(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull()) return a[0];
    int first = missing(a, argc, 1) ? 1 : whole(a[1]);
    if (first < 0 || first > 7) invalid();
    if (first == 0) first = 1;
    DateParts p = split(toDate(a[0]));
    int dow = QDate(p.y, p.mo, p.d).dayOfWeek() % 7 + 1; // Sunday = 1
    return Variant::fromInteger(std::int16_t((dow - first + 7) % 7 + 1));
}

qint64 wholeSeconds(double date)
{
    DateParts p = split(date);
    qint64 days = QDate(1899, 12, 30).daysTo(QDate(p.y, p.mo, p.d));
    return days * 86400 + p.h * 3600 + p.mi * 60 + p.s;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

Variant fnDateDiff(Interpreter &, Variant *a, int argc)
{
    QString interval = text(a[0]).toLower();
    if (a[1].isNull() || a[2].isNull()) return Variant::null();
    double d1 = toDate(a[1]), d2 = toDate(a[2]);
    DateParts p1 = split(d1), p2 = split(d2);
    qint64 s1 = wholeSeconds(d1), s2 = wholeSeconds(d2);
    qint64 day1 = floorDiv(s1, 86400), day2 = floorDiv(s2, 86400);
    qint64 r;
    if (interval == QLatin1String("yyyy"))
        r = p2.y - p1.y;
    else if (interval == QLatin1String("q"))
        r = (p2.y * 4 + (p2.mo - 1) / 3) - (p1.y * 4 + (p1.mo - 1) / 3);
    else if (interval == QLatin1String("m"))
        r = (p2.y * 12 + p2.mo) - (p1.y * 12 + p1.mo);
    else if (interval == QLatin1String("d") || interval == QLatin1String("y"))
        r = day2 - day1;
    else if (interval == QLatin1String("w"))
        r = (day2 - day1) / 7;
    else if (interval == QLatin1String("ww")) {
        int first = missing(a, argc, 3) ? 1 : whole(a[3]);
        if (first == 0) first = 1;
        // Day 0 (1899-12-30) was a Saturday (7); count week starts crossed.
        auto weekIndex = [first](qint64 day) { return floorDiv(day + 6 - (first - 1), 7); };
        r = weekIndex(day2) - weekIndex(day1);
    } else if (interval == QLatin1String("h"))
        r = floorDiv(s2, 3600) - floorDiv(s1, 3600);
    else if (interval == QLatin1String("n"))
        r = floorDiv(s2, 60) - floorDiv(s1, 60);
    else if (interval == QLatin1String("s"))
        r = s2 - s1;
    else
        invalid();
    if (r < -2147483648LL || r > 2147483647LL) throw BasicError(BasicError::Overflow);
    return Variant(std::int32_t(r));
}

Variant fnDateAdd(Interpreter &, Variant *a, int)
{
    QString interval = text(a[0]).toLower();
    if (a[2].isNull()) return a[2];
    double n = std::trunc(number(a[1]));
    double d = toDate(a[2]);
    DateParts p = split(d);
    double time = std::fabs(d - std::trunc(d));
    auto addMonths = [&](qint64 months) {
        QDate base(p.y, p.mo, 1);
        QDate moved = base.addMonths(int(months));
        if (!moved.isValid() || moved.year() < 100 || moved.year() > 9999) invalid();
        int day = std::min(p.d, moved.daysInMonth());
        return BasicText::makeDate(moved.year(), moved.month(), day, p.h, p.mi, p.s);
    };
    double r;
    if (interval == QLatin1String("yyyy"))
        r = addMonths(qint64(n) * 12);
    else if (interval == QLatin1String("q"))
        r = addMonths(qint64(n) * 3);
    else if (interval == QLatin1String("m"))
        r = addMonths(qint64(n));
    else if (interval == QLatin1String("d") || interval == QLatin1String("y") ||
             interval == QLatin1String("w") || interval == QLatin1String("ww")) {
        double days = interval == QLatin1String("ww") ? n * 7 : n;
        double whole = std::trunc(d) + days;
        r = whole >= 0 ? whole + time : whole - time;
    } else {
        double secs = interval == QLatin1String("h")   ? n * 3600
                      : interval == QLatin1String("n") ? n * 60
                      : interval == QLatin1String("s") ? n
                                                       : (invalid(), 0.0);
        qint64 total = wholeSeconds(d) + qint64(secs);
        qint64 days = floorDiv(total, 86400), rem = total - days * 86400;
        // Dates before day 0 count their time part away from zero.
        r = days >= 0 ? days + rem / 86400.0 : days - rem / 86400.0;
    }
    if (r < -657434 || r > 2958465) invalid();
    return Variant::fromDate(r);
}

bool optionOn(const Variant *a, int argc, int i, bool fallback)
{
    if (missing(a, argc, i)) return fallback;
    std::int32_t v = whole(a[i]);
    if (v == -2) return fallback;
    return v != 0;
}

Variant fnFormatNumber(Interpreter &, Variant *a, int argc)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    double v = number(a[0]);
    int digits = missing(a, argc, 1) ? -1 : whole(a[1]);
    if (digits == -1) digits = 2;
    if (digits < -1 || digits > 255) invalid();
    bool leading = optionOn(a, argc, 2, true);
    bool parens = optionOn(a, argc, 3, false);
    bool group = optionOn(a, argc, 4, true);
    // Half away from zero, as numbers are shown.
    double scale = std::pow(10.0, digits);
    double rounded = std::round(std::fabs(v) * scale) / scale;
    QString body = QString::number(rounded, 'f', digits);
    QString intPart = body.section(QLatin1Char('.'), 0, 0);
    QString frac = body.contains(QLatin1Char('.')) ? body.section(QLatin1Char('.'), 1) : QString();
    if (group)
        for (qsizetype i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, QLatin1Char(','));
    if (!leading && intPart == QLatin1String("0") && !frac.isEmpty()) intPart.clear();
    QString out = frac.isEmpty() ? intPart : intPart + QLatin1Char('.') + frac;
    bool negative = v < 0 && rounded != 0;
    if (negative) out = parens ? QLatin1Char('(') + out + QLatin1Char(')') : QLatin1Char('-') + out;
    return Variant(out);
}

Variant fnFormatPercent(Interpreter &interpreter, Variant *a, int argc)
{
    if (a[0].isNull()) throw BasicError(BasicError::InvalidUseOfNull);
    Variant scaled[5];
    scaled[0] = Variant(number(a[0]) * 100);
    for (int i = 1; i < 5; ++i)
        scaled[i] = i < argc ? a[i] : Variant::fromError(kParamNotFound);
    QString out = fnFormatNumber(interpreter, scaled, 5).stringValue();
    // The sign's parentheses close after the percent sign.
    if (out.endsWith(QLatin1Char(')'))) {
        out.chop(1);
        return Variant(out + QStringLiteral("%)"));
    }
    return Variant(out + QLatin1Char('%'));
}

Variant radix(const Variant &v0, int base)
{
    Variant v = Operators::deref(v0);
    if (v.isNull()) return v;
    std::uint32_t bits;
    if (v.type() == com::vbInteger || v.type() == com::vbByte || v.type() == com::vbBoolean ||
        v.isEmpty()) {
        bits = std::uint16_t(std::int16_t(Operators::toLong(v)));
    } else {
        std::int32_t l = Operators::toLong(v);
        bits = (l >= -32768 && l < 0 && v.type() != com::vbLong) ? std::uint16_t(std::int16_t(l))
                                                                 : std::uint32_t(l);
    }
    return Variant(QString::number(bits, base).toUpper());
}

Variant fnHex(Interpreter &, Variant *a, int)
{
    return radix(a[0], 16);
}
Variant fnOct(Interpreter &, Variant *a, int)
{
    return radix(a[0], 8);
}

Variant fnMsgBox(Interpreter &interpreter, Variant *a, int argc)
{
    if (!interpreter.allowUI())
        throw BasicError(70, QStringLiteral("Permission denied: MsgBox (this script may not "
                                            "show a user interface)"));
    QString prompt = a[0].isNull() ? QStringLiteral("Null") : text(a[0]);
    int buttons = missing(a, argc, 1) ? 0 : whole(a[1]);
    QString title = missing(a, argc, 2) ? QStringLiteral("VBScript") : text(a[2]);
    return Variant::fromInteger(std::int16_t(win::MsgBox(prompt, buttons, title)));
}

Variant fnRnd(Interpreter &interpreter, Variant *a, int argc)
{
    double n = missing(a, argc, 0) ? 1 : number(a[0]);
    return Variant::fromSingle(float(interpreter.random(n)));
}

Variant fnCreateObject(Interpreter &, Variant *a, int)
{
    QString what = a[0].isString() ? a[0].stringValue() : QString();
    throw BasicError(429, QStringLiteral("ActiveX component can't create object: '%1' (scripts "
                                         "here may not create objects)")
                              .arg(what));
}

Variant fnGetObject(Interpreter &, Variant *, int)
{
    throw BasicError(429, QStringLiteral("ActiveX component can't create object: GetObject is "
                                         "not available to scripts"));
}

template <int Which> Variant fnForbidden(Interpreter &, Variant *, int)
{
    static const char *names[] = {"Execute", "ExecuteGlobal", "Eval",
                                  "GetRef",  "InputBox",      "LoadPicture"};
    throw BasicError(70, QStringLiteral("Permission denied: %1 is not available to scripts")
                             .arg(QLatin1String(names[Which])));
}

const BuiltinInfo kBuiltins[] = {
    {"Trim", fnTrim, 1, 1},
    {"LTrim", fnLTrim, 1, 1},
    {"RTrim", fnRTrim, 1, 1},
    {"UCase", fnUCase, 1, 1},
    {"LCase", fnLCase, 1, 1},
    {"Len", fnLen, 1, 1},
    {"Left", fnLeft, 2, 2},
    {"Right", fnRight, 2, 2},
    {"Mid", fnMid, 2, 3},
    {"InStr", fnInStr, 2, 4},
    {"InStrRev", fnInStrRev, 2, 4},
    {"Replace", fnReplace, 3, 6},
    {"Split", fnSplit, 1, 4},
    {"Join", fnJoin, 1, 2},
    {"StrComp", fnStrComp, 2, 3},
    {"StrReverse", fnStrReverse, 1, 1},
    {"Space", fnSpace, 1, 1},
    {"String", fnString, 2, 2},
    {"Asc", fnAsc, 1, 1},
    {"AscB", fnAsc, 1, 1},
    {"AscW", fnAscW, 1, 1},
    {"Chr", fnChr, 1, 1},
    {"ChrW", fnChrW, 1, 1},
    {"CStr", fnCStr, 1, 1},
    {"CDbl", fnCDbl, 1, 1},
    {"CSng", fnCSng, 1, 1},
    {"CLng", fnCLng, 1, 1},
    {"CInt", fnCInt, 1, 1},
    {"CByte", fnCByte, 1, 1},
    {"CCur", fnCCur, 1, 1},
    {"CBool", fnCBool, 1, 1},
    {"CDate", fnCDate, 1, 1},
    {"IsNumeric", fnIsNumeric, 1, 1},
    {"IsEmpty", fnIsEmpty, 1, 1},
    {"IsNull", fnIsNull, 1, 1},
    {"IsDate", fnIsDate, 1, 1},
    {"IsArray", fnIsArray, 1, 1},
    {"IsObject", fnIsObject, 1, 1},
    {"TypeName", fnTypeName, 1, 1},
    {"VarType", fnVarType, 1, 1},
    {"Abs", fnAbs, 1, 1},
    {"Round", fnRound, 1, 2},
    {"Int", fnInt, 1, 1},
    {"Fix", fnFix, 1, 1},
    {"Sgn", fnSgn, 1, 1},
    {"Sqr", fnSqr, 1, 1},
    {"Exp", fnExp, 1, 1},
    {"Log", fnLog, 1, 1},
    {"Sin", fnSin, 1, 1},
    {"Cos", fnCos, 1, 1},
    {"Tan", fnTan, 1, 1},
    {"Atn", fnAtn, 1, 1},
    {"Rnd", fnRnd, 0, 1},
    {"Array", fnArray, 0, Builtins::kMaxListArgs},
    {"UBound", fnUBound, 1, 2},
    {"LBound", fnLBound, 1, 2},
    {"Year", fnYear, 1, 1},
    {"Month", fnMonth, 1, 1},
    {"Day", fnDay, 1, 1},
    {"Hour", fnHour, 1, 1},
    {"Minute", fnMinute, 1, 1},
    {"Second", fnSecond, 1, 1},
    {"Weekday", fnWeekday, 1, 2},
    {"Date", fnDate, 0, 0},
    {"Time", fnTime, 0, 0},
    {"Now", fnNow, 0, 0},
    {"Timer", fnTimer, 0, 0},
    {"DateValue", fnDateValue, 1, 1},
    {"TimeValue", fnTimeValue, 1, 1},
    {"DateSerial", fnDateSerial, 3, 3},
    {"TimeSerial", fnTimeSerial, 3, 3},
    {"DateDiff", fnDateDiff, 3, 5},
    {"DateAdd", fnDateAdd, 3, 3},
    {"FormatNumber", fnFormatNumber, 1, 5},
    {"FormatPercent", fnFormatPercent, 1, 5},
    {"Filter", fnFilter, 2, 4},
    {"Hex", fnHex, 1, 1},
    {"Oct", fnOct, 1, 1},
    {"MsgBox", fnMsgBox, 1, 5},
    {"CreateObject", fnCreateObject, 1, 2},
    {"GetObject", fnGetObject, 0, 2},
    {"Execute", fnForbidden<0>, 0, Builtins::kMaxListArgs},
    {"ExecuteGlobal", fnForbidden<1>, 0, Builtins::kMaxListArgs},
    {"Eval", fnForbidden<2>, 0, Builtins::kMaxListArgs},
    {"GetRef", fnForbidden<3>, 0, Builtins::kMaxListArgs},
    {"InputBox", fnForbidden<4>, 0, Builtins::kMaxListArgs},
    {"LoadPicture", fnForbidden<5>, 0, Builtins::kMaxListArgs},
};

} // namespace

bool Builtins::isMissing(const Variant &v)
{
    return v.isError() && v.errorCode() == kParamNotFound;
}

const BuiltinInfo *Builtins::find(const QString &name)
{
    static const QHash<QString, const BuiltinInfo *> table = [] {
        QHash<QString, const BuiltinInfo *> t;
        for (const BuiltinInfo &b : kBuiltins)
            t.insert(QString::fromLatin1(b.name).toLower(), &b);
        return t;
    }();
    return table.value(name.toLower(), nullptr);
}

bool Builtins::constant(const QString &name, Variant *value)
{
    static const QHash<QString, Variant> table = [] {
        QHash<QString, Variant> t;
        auto num = [&t](const char *n, std::int32_t v) {
            t.insert(QString::fromLatin1(n).toLower(), Variant(v));
        };
        auto str = [&t](const char *n, const QString &v) {
            t.insert(QString::fromLatin1(n).toLower(), Variant(v));
        };
        str("vbCrLf", QStringLiteral("\r\n"));
        str("vbNewLine", QStringLiteral("\r\n"));
        str("vbCr", QStringLiteral("\r"));
        str("vbLf", QStringLiteral("\n"));
        str("vbTab", QStringLiteral("\t"));
        str("vbNullChar", QString(QChar(0)));
        str("vbNullString", QString());
        str("vbFormFeed", QStringLiteral("\f"));
        str("vbVerticalTab", QStringLiteral("\v"));
        num("vbBinaryCompare", 0);
        num("vbTextCompare", 1);
        num("vbUseSystemDefault", -2);
        num("vbTrue", -1);
        num("vbFalse", 0);
        num("vbObjectError", std::int32_t(0x80040000u));
        num("vbOKOnly", 0);
        num("vbOKCancel", 1);
        num("vbAbortRetryIgnore", 2);
        num("vbYesNoCancel", 3);
        num("vbYesNo", 4);
        num("vbRetryCancel", 5);
        num("vbCritical", 16);
        num("vbQuestion", 32);
        num("vbExclamation", 48);
        num("vbInformation", 64);
        num("vbDefaultButton1", 0);
        num("vbDefaultButton2", 256);
        num("vbDefaultButton3", 512);
        num("vbDefaultButton4", 768);
        num("vbApplicationModal", 0);
        num("vbSystemModal", 4096);
        num("vbOK", 1);
        num("vbCancel", 2);
        num("vbAbort", 3);
        num("vbRetry", 4);
        num("vbIgnore", 5);
        num("vbYes", 6);
        num("vbNo", 7);
        num("vbEmpty", 0);
        num("vbNull", 1);
        num("vbInteger", 2);
        num("vbLong", 3);
        num("vbSingle", 4);
        num("vbDouble", 5);
        num("vbCurrency", 6);
        num("vbDate", 7);
        num("vbString", 8);
        num("vbObject", 9);
        num("vbError", 10);
        num("vbBoolean", 11);
        num("vbVariant", 12);
        num("vbDataObject", 13);
        num("vbDecimal", 14);
        num("vbByte", 17);
        num("vbArray", 8192);
        num("vbSunday", 1);
        num("vbMonday", 2);
        num("vbTuesday", 3);
        num("vbWednesday", 4);
        num("vbThursday", 5);
        num("vbFriday", 6);
        num("vbSaturday", 7);
        num("vbFirstJan1", 1);
        num("vbFirstFourDays", 2);
        num("vbFirstFullWeek", 3);
        num("vbGeneralDate", 0);
        num("vbLongDate", 1);
        num("vbShortDate", 2);
        num("vbLongTime", 3);
        num("vbShortTime", 4);
        return t;
    }();
    auto it = table.constFind(name.toLower());
    if (it == table.constEnd()) return false;
    *value = *it;
    return true;
}

} // namespace vbs

#include "platform/vbscript/Operators.h"

#include "platform/com/DispatchObject.h"
#include "platform/com/VariantArray.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/vbscript/DateText.h"
#include "platform/vbscript/Interpreter.h"
#include "platform/vbscript/ValueCensus.h"

#include <cmath>
#include <limits>

namespace vbs {

using com::Variant;

namespace {

// Widening order of the number subtypes.
enum Rank { RNone = 0, RByte, RInteger, RLong, RSingle, RDouble, RCurrency, RDate };

Rank rankOf(const Variant &v)
{
    switch (v.type()) {
    case com::vbEmpty:
        return RNone;
    case com::vbBoolean:
        return RInteger;
    case com::vbByte:
        return RByte;
    case com::vbInteger:
        return RInteger;
    case com::vbLong:
        return RLong;
    case com::vbSingle:
        return RSingle;
    case com::vbDouble:
        return RDouble;
    case com::vbCurrency:
        return RCurrency;
    case com::vbDate:
        return RDate;
    case com::vbString:
        return RDouble;
    default:
        throw BasicError(BasicError::TypeMismatch);
    }
}

bool isIntegral(const Variant &v)
{
    switch (v.type()) {
    case com::vbEmpty:
    case com::vbBoolean:
    case com::vbByte:
    case com::vbInteger:
    case com::vbLong:
        return true;
    default:
        return false;
    }
}

std::int64_t intOf(const Variant &v)
{
    switch (v.type()) {
    case com::vbBoolean:
        return v.boolValue() ? -1 : 0;
    case com::vbByte:
    case com::vbInteger:
    case com::vbLong:
        return v.longValue();
    default:
        return 0;
    }
}

double doubleOf(const Variant &v)
{
    if (v.isString()) return Operators::toDouble(v);
    return v.numberValue();
}

// A whole-number result in the narrowest subtype at least `rank` wide that holds it.
Variant fitInteger(std::int64_t r, Rank rank)
{
    if (rank <= RByte && r >= 0 && r <= 255) return Variant::fromByte(std::uint8_t(r));
    if (rank <= RInteger && r >= -32768 && r <= 32767) return Variant::fromInteger(std::int16_t(r));
    if (r >= std::numeric_limits<std::int32_t>::min() &&
        r <= std::numeric_limits<std::int32_t>::max())
        return Variant(std::int32_t(r));
    return Variant(double(r));
}

Variant fitDouble(double r, Rank rank)
{
    if (std::isinf(r) || std::isnan(r)) throw BasicError(BasicError::Overflow);
    if (rank == RSingle && std::fabs(r) <= std::numeric_limits<float>::max())
        return Variant::fromSingle(float(r));
    if (rank == RCurrency) {
        double scaled = BasicText::roundHalfEven(r * 10000.0);
        if (std::fabs(scaled) >= 9.2e18) throw BasicError(BasicError::Overflow);
        return Variant::fromCurrency(std::int64_t(scaled));
    }
    return Variant(r);
}

enum class Arith { Add, Sub, Mul };

Variant arithmetic(Arith op, const Variant &a0, const Variant &b0)
{
    if (a0.isNull() || b0.isNull()) return Variant::null();
    Variant a = Operators::deref(a0), b = Operators::deref(b0);
    if (a.isNull() || b.isNull()) return Variant::null();
    if (op == Arith::Add) {
        if (a.isString() && b.isString()) {
            Operators::checkLength(a.stringValue().size() + b.stringValue().size());
            return Variant(a.stringValue() + b.stringValue());
        }
        if (a.isString() && b.isEmpty()) return a;
        if (b.isString() && a.isEmpty()) return b;
    }
    Rank ra = rankOf(a), rb = rankOf(b);
    Rank r = std::max(ra, rb);
    if (r == RNone) return Variant::fromInteger(0);
    if (isIntegral(a) && isIntegral(b)) {
        std::int64_t x = intOf(a), y = intOf(b);
        std::int64_t z = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
        return fitInteger(z, r);
    }
    double x = doubleOf(a), y = doubleOf(b);
    double z = op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y;
    if (r == RDate) {
        if (op == Arith::Mul || (op == Arith::Sub && ra == RDate && rb == RDate))
            return fitDouble(z, RDouble);
        if (std::isinf(z) || std::isnan(z)) throw BasicError(BasicError::Overflow);
        return Variant::fromDate(z);
    }
    // A text operand makes the result a Double.
    if (a.isString() || b.isString())
        r = RDouble;
    else if (r <= RLong)
        r = RDouble;
    return fitDouble(z, r);
}

bool isTrueValue(const Variant &v)
{
    return v.isBoolean() ? v.boolValue() : (Operators::toLong(v) == -1);
}

} // namespace

namespace {
// Characters of big texts made since the outermost call began.
thread_local qint64 t_bigTextMade = 0;
} // namespace

void Operators::startBudget()
{
    t_bigTextMade = 0;
}

void Operators::checkLength(qsizetype length)
{
    checkLimit(length);
    Interpreter::made(ValueCensus::textBytes(length));
    if (length >= kBigText) {
        t_bigTextMade += length;
        if (t_bigTextMade > kMaxBigTextPerCall)
            throw BasicError(7, QStringLiteral("Out of memory (the script made more than %1 "
                                               "characters of long texts in one call)")
                                    .arg(kMaxBigTextPerCall));
    }
}

void Operators::checkLimit(qsizetype length)
{
    if (length > kMaxStringLength)
        throw BasicError(BasicError::OutOfStringSpace,
                         QStringLiteral("Out of string space (a text may hold at most %1 "
                                        "characters)")
                             .arg(kMaxStringLength));
}

void Operators::checkElements(qint64 count)
{
    if (count > kMaxArrayElements)
        throw BasicError(7, QStringLiteral("Out of memory (an array may hold at most %1 elements)")
                                .arg(kMaxArrayElements));
}

namespace {

// Nesting depth of arrays in `v`, counted no further than `limit`.
int arrayDepth(const Variant &v, int limit)
{
    auto arr = v.array();
    if (!arr) return 0;
    int deepest = 0;
    if (limit > 0)
        for (std::size_t i = 0; i < arr->size() && deepest < limit; ++i)
            if (arr->flat(i).isArray())
                deepest = std::max(deepest, arrayDepth(arr->flat(i), limit - 1));
    return deepest + 1;
}

} // namespace

void Operators::checkNesting(const Variant &value)
{
    if (value.isArray() && arrayDepth(value, kMaxArrayNesting) >= kMaxArrayNesting)
        throw BasicError(7, QStringLiteral("Out of memory (arrays nested in arrays deeper than %1)")
                                .arg(kMaxArrayNesting));
}

Variant Operators::deref(const Variant &v)
{
    if (!v.isObject()) return v;
    auto object = v.object();
    if (!object) throw BasicError(BasicError::ObjectVariableNotSet);
    QString member = object->defaultMember();
    if (member.isEmpty()) throw BasicError(BasicError::ObjectDoesNotSupport);
    std::vector<Variant> none;
    return object->invoke(member, none);
}

std::int32_t Operators::toLong(const Variant &v)
{
    switch (v.type()) {
    case com::vbEmpty:
        return 0;
    case com::vbBoolean:
        return v.boolValue() ? -1 : 0;
    case com::vbByte:
    case com::vbInteger:
    case com::vbLong:
        return v.longValue();
    case com::vbNull:
        throw BasicError(BasicError::InvalidUseOfNull);
    case com::vbObject:
        return toLong(deref(v));
    default: {
        double r = BasicText::roundHalfEven(toDouble(v));
        if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw BasicError(BasicError::Overflow);
        return std::int32_t(r);
    }
    }
}

double Operators::toDouble(const Variant &v)
{
    if (!v.isString()) return v.toDouble();
    const QString &s = v.stringValue();
    double d;
    if (BasicText::tryParseNumber(s, &d)) return d;
    if (BasicText::equalsText(s, QStringLiteral("True"))) return -1;
    if (BasicText::equalsText(s, QStringLiteral("False"))) return 0;
    if (DateText::parse(s, &d)) return d;
    throw BasicError(BasicError::TypeMismatch);
}

Variant Operators::add(const Variant &a, const Variant &b)
{
    return arithmetic(Arith::Add, a, b);
}

Variant Operators::subtract(const Variant &a, const Variant &b)
{
    return arithmetic(Arith::Sub, a, b);
}

Variant Operators::multiply(const Variant &a, const Variant &b)
{
    return arithmetic(Arith::Mul, a, b);
}

Variant Operators::divide(const Variant &a0, const Variant &b0)
{
    if (a0.isNull() || b0.isNull()) return Variant::null();
    Variant a = deref(a0), b = deref(b0);
    if (a.isNull() || b.isNull()) return Variant::null();
    rankOf(a);
    rankOf(b);
    double x = doubleOf(a), y = doubleOf(b);
    if (y == 0) {
        if (x == 0 || std::isnan(x)) throw BasicError(BasicError::Overflow);
        throw BasicError(BasicError::DivisionByZero);
    }
    return fitDouble(x / y, RDouble);
}

Variant Operators::intDivide(const Variant &a0, const Variant &b0)
{
    if (a0.isNull() || b0.isNull()) return Variant::null();
    Variant a = deref(a0), b = deref(b0);
    if (a.isNull() || b.isNull()) return Variant::null();
    Rank r = std::max(rankOf(a), rankOf(b));
    std::int64_t x = toLong(a), y = toLong(b);
    if (y == 0) throw BasicError(BasicError::DivisionByZero);
    std::int64_t z = x / y;
    if (r <= RInteger) return fitInteger(z, RInteger);
    if (z > std::numeric_limits<std::int32_t>::max()) throw BasicError(BasicError::Overflow);
    return Variant(std::int32_t(z));
}

Variant Operators::modulo(const Variant &a0, const Variant &b0)
{
    if (a0.isNull() || b0.isNull()) return Variant::null();
    Variant a = deref(a0), b = deref(b0);
    if (a.isNull() || b.isNull()) return Variant::null();
    Rank r = std::max(rankOf(a), rankOf(b));
    std::int64_t x = toLong(a), y = toLong(b);
    if (y == 0) throw BasicError(BasicError::DivisionByZero);
    std::int64_t z = x % y;
    if (r <= RInteger) return fitInteger(z, RInteger);
    return Variant(std::int32_t(z));
}

Variant Operators::power(const Variant &a0, const Variant &b0)
{
    if (a0.isNull() || b0.isNull()) return Variant::null();
    Variant a = deref(a0), b = deref(b0);
    if (a.isNull() || b.isNull()) return Variant::null();
    rankOf(a);
    rankOf(b);
    double x = doubleOf(a), y = doubleOf(b);
    if ((x == 0 && y < 0) || (x < 0 && y != std::trunc(y)))
        throw BasicError(BasicError::InvalidCall);
    return fitDouble(std::pow(x, y), RDouble);
}

Variant Operators::concat(const Variant &a0, const Variant &b0)
{
    if (a0.isNull() && b0.isNull()) return Variant::null();
    Variant a = deref(a0), b = deref(b0);
    if (a.isString() && b.isString()) {
        checkLength(a.stringValue().size() + b.stringValue().size());
        return Variant(a.stringValue() + b.stringValue());
    }
    QString x = a.isNull() ? QString() : a.toString();
    QString y = b.isNull() ? QString() : b.toString();
    checkLength(x.size() + y.size());
    return Variant(x + y);
}

Variant Operators::negate(const Variant &a0)
{
    Variant a = deref(a0);
    switch (a.type()) {
    case com::vbNull:
        return a;
    case com::vbEmpty:
        return Variant::fromInteger(0);
    case com::vbBoolean:
    case com::vbByte:
    case com::vbInteger:
        return fitInteger(-intOf(a), RInteger);
    case com::vbLong:
        return fitInteger(-intOf(a), RLong);
    case com::vbSingle:
        return Variant::fromSingle(-float(a.numberValue()));
    case com::vbDouble:
        return Variant(-a.numberValue());
    case com::vbCurrency:
        return Variant::fromCurrency(-a.currencyValue());
    case com::vbDate:
        return Variant::fromDate(-a.dateValue());
    case com::vbString:
        return Variant(-toDouble(a));
    default:
        throw BasicError(BasicError::TypeMismatch);
    }
}

Variant Operators::logicalNot(const Variant &a0)
{
    Variant a = deref(a0);
    switch (a.type()) {
    case com::vbNull:
        return a;
    case com::vbBoolean:
        return Variant(!a.boolValue());
    case com::vbEmpty:
        return Variant::fromInteger(-1);
    case com::vbByte:
        return Variant::fromByte(std::uint8_t(~a.longValue()));
    case com::vbInteger:
        return Variant::fromInteger(std::int16_t(~a.longValue()));
    default:
        return Variant(std::int32_t(~toLong(a)));
    }
}

Variant Operators::logical(Op op, const Variant &a0, const Variant &b0)
{
    Variant a = deref(a0), b = deref(b0);
    if (a.isNull() || b.isNull()) {
        const Variant &other = a.isNull() ? b : a;
        if (other.isNull()) return Variant::null();
        switch (op) {
        case Op::And:
            if (!other.isBoolean() && toLong(other) != 0) return Variant::null();
            if (other.isBoolean() && other.boolValue()) return Variant::null();
            return other.isBoolean() ? Variant(false) : fitInteger(0, rankOf(other));
        case Op::Or:
            return isTrueValue(other) ? other : Variant::null();
        case Op::Imp:
            if (a.isNull()) return isTrueValue(b) ? b : Variant::null();
            if (a.isBoolean() ? !a.boolValue() : toLong(a) == 0)
                return a.isBoolean() ? Variant(true) : fitInteger(-1, rankOf(a));
            return Variant::null();
        default:
            return Variant::null();
        }
    }
    if (a.isBoolean() && b.isBoolean()) {
        bool x = a.boolValue(), y = b.boolValue();
        switch (op) {
        case Op::And:
            return Variant(x && y);
        case Op::Or:
            return Variant(x || y);
        case Op::Xor:
            return Variant(x != y);
        case Op::Eqv:
            return Variant(x == y);
        case Op::Imp:
            return Variant(!x || y);
        default:
            break;
        }
    }
    Rank r = std::max(rankOf(a), rankOf(b));
    if (a.isString() || b.isString()) r = RLong;
    std::int32_t x = toLong(a), y = toLong(b), z = 0;
    switch (op) {
    case Op::And:
        z = x & y;
        break;
    case Op::Or:
        z = x | y;
        break;
    case Op::Xor:
        z = x ^ y;
        break;
    case Op::Eqv:
        z = ~(x ^ y);
        break;
    case Op::Imp:
        z = ~x | y;
        break;
    default:
        break;
    }
    if (r <= RByte) return Variant::fromByte(std::uint8_t(z));
    if (r <= RInteger) return Variant::fromInteger(std::int16_t(z));
    return Variant(z);
}

int Operators::compare(const Variant &a0, const Variant &b0, bool hardA, bool hardB)
{
    if (a0.isNull() || b0.isNull()) return kNullResult;
    const Variant a = a0.isObject() ? deref(a0) : a0;
    const Variant b = b0.isObject() ? deref(b0) : b0;
    if (a.isNull() || b.isNull()) return kNullResult;
    auto sign = [](double d) { return d < 0 ? -1 : (d > 0 ? 1 : 0); };
    // Texts compare as texts; the other scalars (dates too) as numbers.
    auto numeric = [](const Variant &v) {
        if (v.isString()) return false;
        if (v.isNumeric() || v.isDate()) return true;
        throw BasicError(BasicError::TypeMismatch);
    };
    bool na = numeric(a), nb = numeric(b);
    if (!na && !nb) return BasicText::compareBinary(a.stringValue(), b.stringValue());
    if (na && nb) {
        double x = a.numberValue(), y = b.numberValue();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    // A text against Empty compares as text; against a number it depends on which is hard.
    const Variant &text = na ? b : a;
    const Variant &number = na ? a : b;
    bool numberHard = na ? hardA : hardB;
    bool textHard = na ? hardB : hardA;
    int flip = na ? 1 : -1; // result is (number ? text) when a is the number
    if (number.isEmpty()) return flip * BasicText::compareBinary(QString(), text.stringValue());
    if (numberHard) {
        double t = number.isBoolean() ? (text.toBool() ? -1 : 0) : toDouble(text);
        return flip * sign(number.numberValue() - t);
    }
    if (textHard) return flip * BasicText::compareBinary(number.toString(), text.stringValue());
    return flip * -1; // a number is less than a text
}

bool Operators::is(const Variant &a, const Variant &b)
{
    if (!a.isObject() || !b.isObject()) throw BasicError(BasicError::ObjectRequired);
    return a.object() == b.object();
}

bool Operators::truth(const Variant &v)
{
    switch (v.type()) {
    case com::vbBoolean:
        return v.boolValue();
    case com::vbNull:
    case com::vbEmpty:
        return false;
    case com::vbByte:
    case com::vbInteger:
    case com::vbLong:
        return v.longValue() != 0;
    case com::vbObject:
        return truth(deref(v));
    case com::vbString:
        return v.toBool();
    case com::vbArray:
    case com::vbError:
        throw BasicError(BasicError::TypeMismatch);
    default:
        return v.numberValue() != 0;
    }
}

Variant Operators::unary(Op op, const Variant &a)
{
    return op == Op::Not ? logicalNot(a) : negate(a);
}

Variant Operators::binary(Op op, const Variant &a, const Variant &b, bool hardA, bool hardB)
{
    switch (op) {
    case Op::Add:
        return add(a, b);
    case Op::Sub:
        return subtract(a, b);
    case Op::Mul:
        return multiply(a, b);
    case Op::Div:
        return divide(a, b);
    case Op::IntDiv:
        return intDivide(a, b);
    case Op::Mod:
        return modulo(a, b);
    case Op::Pow:
        return power(a, b);
    case Op::Concat:
        return concat(a, b);
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        int c = compare(a, b, hardA, hardB);
        if (c == kNullResult) return Variant::null();
        switch (op) {
        case Op::Eq:
            return Variant(c == 0);
        case Op::Ne:
            return Variant(c != 0);
        case Op::Lt:
            return Variant(c < 0);
        case Op::Gt:
            return Variant(c > 0);
        case Op::Le:
            return Variant(c <= 0);
        default:
            return Variant(c >= 0);
        }
    }
    case Op::Is:
        return Variant(is(a, b));
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Eqv:
    case Op::Imp:
        return logical(op, a, b);
    case Op::Neg:
    case Op::Not:
        break;
    }
    return unary(op, a);
}

} // namespace vbs

#include "platform/com/Variant.h"

#include "platform/com/DispatchObject.h"
#include "platform/com/VariantArray.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <cmath>
#include <limits>

namespace com {

Variant::Variant(std::shared_ptr<VariantArray> array) : m_type(vbArray), m_box(std::move(array)) {}

Variant::Variant(std::shared_ptr<DispatchObject> object)
    : m_type(vbObject), m_box(std::move(object))
{
}

Variant Variant::null()
{
    Variant v;
    v.m_type = vbNull;
    return v;
}

Variant Variant::nothing()
{
    Variant v;
    v.m_type = vbObject;
    return v;
}

Variant Variant::fromInteger(std::int16_t value)
{
    Variant v;
    v.m_type = vbInteger;
    v.m_u.l = value;
    return v;
}

Variant Variant::fromByte(std::uint8_t value)
{
    Variant v;
    v.m_type = vbByte;
    v.m_u.l = value;
    return v;
}

Variant Variant::fromSingle(float value)
{
    Variant v;
    v.m_type = vbSingle;
    v.m_u.d = value;
    return v;
}

Variant Variant::fromCurrency(std::int64_t scaledBy10000)
{
    Variant v;
    v.m_type = vbCurrency;
    v.m_u.i64 = scaledBy10000;
    return v;
}

Variant Variant::fromDate(double oleDate)
{
    Variant v;
    v.m_type = vbDate;
    v.m_u.d = oleDate;
    return v;
}

Variant Variant::fromError(std::int32_t code)
{
    Variant v;
    v.m_type = vbError;
    v.m_u.l = code;
    return v;
}

bool Variant::isNumber() const
{
    switch (m_type) {
    case vbInteger:
    case vbLong:
    case vbSingle:
    case vbDouble:
    case vbCurrency:
    case vbByte:
        return true;
    default:
        return false;
    }
}

bool Variant::isNumeric() const
{
    if (m_type == vbString) {
        double ignored;
        return BasicText::tryParseNumber(m_string, &ignored);
    }
    return m_type == vbEmpty || m_type == vbBoolean || isNumber();
}

std::shared_ptr<VariantArray> Variant::array() const
{
    return m_type == vbArray ? std::static_pointer_cast<VariantArray>(m_box) : nullptr;
}

std::shared_ptr<DispatchObject> Variant::object() const
{
    return m_type == vbObject ? std::static_pointer_cast<DispatchObject>(m_box) : nullptr;
}

double Variant::numberValue() const
{
    switch (m_type) {
    case vbInteger:
    case vbLong:
    case vbByte:
        return m_u.l;
    case vbSingle:
    case vbDouble:
    case vbDate:
        return m_u.d;
    case vbCurrency:
        return double(m_u.i64) / 10000.0;
    case vbBoolean:
        return m_u.b ? -1 : 0;
    default:
        return 0;
    }
}

double Variant::toDouble() const
{
    switch (m_type) {
    case vbEmpty:
        return 0;
    case vbNull:
        throw BasicError(BasicError::InvalidUseOfNull);
    case vbString: {
        double v;
        if (BasicText::tryParseNumber(m_string, &v)) return v;
        if (BasicText::equalsText(m_string, QStringLiteral("True"))) return -1;
        if (BasicText::equalsText(m_string, QStringLiteral("False"))) return 0;
        if (BasicText::tryParseDate(m_string, &v)) return v;
        throw BasicError(BasicError::TypeMismatch);
    }
    case vbError:
    case vbArray:
    case vbObject:
        throw BasicError(BasicError::TypeMismatch);
    default:
        return numberValue();
    }
}

std::int32_t Variant::toLong() const
{
    if (m_type == vbLong || m_type == vbInteger || m_type == vbByte) return m_u.l;
    if (m_type == vbBoolean) return m_u.b ? -1 : 0;
    double r = BasicText::roundHalfEven(toDouble());
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw BasicError(BasicError::Overflow);
    return std::int32_t(r);
}

std::int16_t Variant::toInteger() const
{
    double r = BasicText::roundHalfEven(toDouble());
    if (!(r >= -32768.0 && r <= 32767.0)) throw BasicError(BasicError::Overflow);
    return std::int16_t(r);
}

bool Variant::toBool() const
{
    switch (m_type) {
    case vbBoolean:
        return m_u.b;
    case vbString:
        if (BasicText::equalsText(m_string, QStringLiteral("True"))) return true;
        if (BasicText::equalsText(m_string, QStringLiteral("False"))) return false;
        return toDouble() != 0;
    default:
        return toDouble() != 0;
    }
}

QString Variant::toString() const
{
    switch (m_type) {
    case vbEmpty:
        return QString();
    case vbNull:
        throw BasicError(BasicError::InvalidUseOfNull);
    case vbArray:
    case vbObject:
        throw BasicError(BasicError::TypeMismatch);
    default:
        return toText();
    }
}

QString Variant::toText() const
{
    switch (m_type) {
    case vbString:
        return m_string;
    case vbBoolean:
        return BasicText::fromBool(m_u.b);
    case vbInteger:
    case vbLong:
    case vbByte:
        return QString::number(m_u.l);
    case vbDouble:
        return BasicText::fromDouble(m_u.d);
    case vbSingle:
        return BasicText::fromSingle(float(m_u.d));
    case vbCurrency:
        return BasicText::fromCurrency(m_u.i64);
    case vbDate:
        return BasicText::fromDate(m_u.d);
    case vbError:
        return QStringLiteral("Error %1").arg(m_u.l);
    default:
        return QString();
    }
}

QString Variant::typeName() const
{
    switch (m_type) {
    case vbEmpty:
        return QStringLiteral("Empty");
    case vbNull:
        return QStringLiteral("Null");
    case vbInteger:
        return QStringLiteral("Integer");
    case vbLong:
        return QStringLiteral("Long");
    case vbSingle:
        return QStringLiteral("Single");
    case vbDouble:
        return QStringLiteral("Double");
    case vbCurrency:
        return QStringLiteral("Currency");
    case vbDate:
        return QStringLiteral("Date");
    case vbString:
        return QStringLiteral("String");
    case vbError:
        return QStringLiteral("Error");
    case vbBoolean:
        return QStringLiteral("Boolean");
    case vbByte:
        return QStringLiteral("Byte");
    case vbArray:
        return QStringLiteral("Variant()");
    case vbObject: {
        auto o = object();
        return o ? o->typeName() : QStringLiteral("Nothing");
    }
    default:
        return QStringLiteral("Unknown");
    }
}

bool Variant::operator==(const Variant &other) const
{
    if (m_type != other.m_type) return false;
    switch (m_type) {
    case vbEmpty:
    case vbNull:
        return true;
    case vbString:
        return m_string == other.m_string;
    case vbBoolean:
        return m_u.b == other.m_u.b;
    case vbInteger:
    case vbLong:
    case vbByte:
    case vbError:
        return m_u.l == other.m_u.l;
    case vbCurrency:
        return m_u.i64 == other.m_u.i64;
    case vbSingle:
    case vbDouble:
    case vbDate:
        return m_u.d == other.m_u.d;
    default:
        return m_box == other.m_box;
    }
}

} // namespace com

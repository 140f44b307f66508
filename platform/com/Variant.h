#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace com {

class VariantArray;
class DispatchObject;

// Variant type codes as the Basic runtime's VarType numbers them.
enum VarType : std::uint16_t {
    vbEmpty = 0,
    vbNull = 1,
    vbInteger = 2,
    vbLong = 3,
    vbSingle = 4,
    vbDouble = 5,
    vbCurrency = 6,
    vbDate = 7,
    vbString = 8,
    vbObject = 9,
    vbError = 10,
    vbBoolean = 11,
    vbVariant = 12,
    vbByte = 17,
    vbArray = 8192,
};

// Reference-counted payload of a Variant: an array or an automation object.
class VariantBox
{
public:
    virtual ~VariantBox() = default;
};

// The automation Variant shared by the spreadsheet component and the script interpreter.
// Scalars are stored inline; arrays and objects are shared references (copying a Variant that
// holds an array shares it; scripts copy arrays on assignment themselves).
class Variant
{
public:
    Variant() = default;
    Variant(bool value) : m_type(vbBoolean) { m_u.b = value; }
    Variant(std::int32_t value) : m_type(vbLong) { m_u.l = value; }
    Variant(double value) : m_type(vbDouble) { m_u.d = value; }
    Variant(const QString &value) : m_type(vbString), m_string(value) {}
    Variant(QString &&value) : m_type(vbString), m_string(std::move(value)) {}
    Variant(const char *) = delete; // say QStringLiteral; avoids Variant("x") becoming bool
    Variant(std::shared_ptr<VariantArray> array);
    Variant(std::shared_ptr<DispatchObject> object);

    static Variant null();
    static Variant nothing(); // an object variable set to Nothing
    static Variant fromInteger(std::int16_t value);
    static Variant fromByte(std::uint8_t value);
    static Variant fromSingle(float value);
    static Variant fromCurrency(std::int64_t scaledBy10000);
    static Variant fromDate(double oleDate);
    // A cell error such as #N/A (2042); the text form is "Error 2042".
    static Variant fromError(std::int32_t code);

    VarType type() const { return m_type; }
    bool isEmpty() const { return m_type == vbEmpty; }
    bool isNull() const { return m_type == vbNull; }
    bool isString() const { return m_type == vbString; }
    bool isArray() const { return m_type == vbArray; }
    bool isObject() const { return m_type == vbObject; }
    bool isError() const { return m_type == vbError; }
    bool isBoolean() const { return m_type == vbBoolean; }
    bool isDate() const { return m_type == vbDate; }
    // A number kind: Integer, Long, Single, Double, Currency, Byte (not Boolean, not Date).
    bool isNumber() const;
    // The runtime's IsNumeric: Empty, a Boolean, a number kind, or a text that reads as a
    // number. Dates, Null, errors, arrays and objects are not numeric.
    bool isNumeric() const;

    // Raw access; valid only for the matching type.
    bool boolValue() const { return m_u.b; }
    std::int32_t longValue() const { return m_u.l; }
    std::int32_t errorCode() const { return m_u.l; }
    std::int64_t currencyValue() const { return m_u.i64; }
    double dateValue() const { return m_u.d; }
    const QString &stringValue() const { return m_string; }
    // Moves the text out of a String variant, which becomes Empty: a caller done with the
    // variant may then change the text in place when nothing else holds it.
    QString takeString()
    {
        m_type = vbEmpty;
        return std::move(m_string);
    }
    std::shared_ptr<VariantArray> array() const;
    std::shared_ptr<DispatchObject> object() const; // null for Nothing
    // True when another Variant holds the same array or object (scripts copy arrays on
    // assignment only when the source is still referenced elsewhere).
    bool isShared() const { return m_box && m_box.use_count() > 1; }

    // Numeric value of any number kind, a Date or a Boolean (-1/0); 0 for other kinds.
    double numberValue() const;

    // The runtime's coercions; they raise BasicError (13 type mismatch, 6 overflow, 94 Null).
    double toDouble() const;
    std::int32_t toLong() const;
    std::int16_t toInteger() const;
    bool toBool() const;
    // CStr: Empty "", Boolean "True"/"False", numbers as BasicText, dates in the fixed form,
    // errors "Error N"; Null raises 94, arrays and objects 13.
    QString toString() const;
    // The text a cell shows to the comparison: as toString, but Null, arrays and objects give ""
    // instead of raising.
    QString toText() const;

    // TypeName() of the runtime ("Empty", "Null", "Long", "String", "Variant()", ...).
    QString typeName() const;

    // Same type and same value (arrays and objects by identity).
    bool operator==(const Variant &other) const;
    bool operator!=(const Variant &other) const { return !(*this == other); }

private:
    VarType m_type = vbEmpty;
    union {
        bool b;
        std::int32_t l;
        std::int64_t i64;
        double d;
    } m_u{};
    QString m_string;
    std::shared_ptr<VariantBox> m_box;
};

} // namespace com

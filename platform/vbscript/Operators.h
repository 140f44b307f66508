#pragma once

#include "platform/com/Variant.h"
#include "platform/vbscript/SyntaxTree.h"

namespace vbs {

// The script language's operators on Variants: result subtypes widen as the runtime widens them
// (Integer + Integer overflowing gives a Long, a Long a Double), Null propagates, Empty counts as
// 0 or "", text meets numbers by the comparison rules below. Errors are BasicError: 13 type
// mismatch, 11 division by zero, 6 overflow, 94 invalid use of Null.
class Operators
{
public:
    // Texts longer than this raise 14 (out of string space).
    static constexpr int kMaxStringLength = 16 * 1024 * 1024;
    // Arrays and match collections larger than this raise 7 (out of memory).
    static constexpr int kMaxArrayElements = 1024 * 1024;
    static constexpr int kNullResult = 2;

    // Any binary operator except Is; `hardA`/`hardB` tell that an operand is a literal or a
    // constant (comparisons convert a text to a hard-typed number and a number to a hard-typed
    // text; between two variables a number is always less than a text).
    static com::Variant binary(Op op, const com::Variant &a, const com::Variant &b,
                               bool hardA = false, bool hardB = false);
    static com::Variant unary(Op op, const com::Variant &a);

    static com::Variant add(const com::Variant &a, const com::Variant &b);
    static com::Variant subtract(const com::Variant &a, const com::Variant &b);
    static com::Variant multiply(const com::Variant &a, const com::Variant &b);
    static com::Variant divide(const com::Variant &a, const com::Variant &b);
    static com::Variant intDivide(const com::Variant &a, const com::Variant &b);
    static com::Variant modulo(const com::Variant &a, const com::Variant &b);
    static com::Variant power(const com::Variant &a, const com::Variant &b);
    static com::Variant concat(const com::Variant &a, const com::Variant &b);
    static com::Variant negate(const com::Variant &a);
    static com::Variant logicalNot(const com::Variant &a);
    static com::Variant logical(Op op, const com::Variant &a, const com::Variant &b);
    // -1, 0, 1, or kNullResult when either side is Null.
    static int compare(const com::Variant &a, const com::Variant &b, bool hardA = false,
                       bool hardB = false);
    static bool is(const com::Variant &a, const com::Variant &b);

    // The value of an If or loop condition: Null and Empty are False, texts must read as a
    // Boolean or a number.
    static bool truth(const com::Variant &v);
    // An object's default member (Err.Number, a Match's Value); other values unchanged.
    static com::Variant deref(const com::Variant &v);
    // A number from any value; a text reads as a number, True/False, or a date as the scripts'
    // locale writes it (13 otherwise).
    static double toDouble(const com::Variant &v);
    // A whole number for \, Mod, And...: rounded half to even; raises 6 outside a Long.
    static std::int32_t toLong(const com::Variant &v);
    // For a text a script makes: raises 14 above kMaxStringLength, and 7 when the long texts
    // (kBigText characters or more) made since startBudget() add up to kMaxBigTextPerCall, so
    // that a runaway loop cannot fill memory before the Cancel button is pressed.
    static void checkLength(qsizetype length);
    // The length limit alone, for a text still being built.
    static void checkLimit(qsizetype length);
    static void startBudget();
    static constexpr qsizetype kBigText = 64 * 1024;
    static constexpr qint64 kMaxBigTextPerCall = 512LL * 1024 * 1024;
    static void checkElements(qint64 count);
    // Arrays held in array elements may nest kMaxArrayNesting deep (7 beyond): freeing a deeper
    // chain would recurse past the stack. Call before storing `value` into an array.
    static void checkNesting(const com::Variant &value);
    static constexpr int kMaxArrayNesting = 64;
};

} // namespace vbs

#include "platform/vbscript/Operators.h"
#include "platform/com/VariantArray.h"
#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <gtest/gtest.h>

namespace {

using com::Variant;
using vbs::Op;
using vbs::Operators;

Variant str(const char *s)
{
    return Variant(QString::fromUtf8(s));
}

// compare() of a number and a text depends on which side is a literal.
TEST(ScriptOperators, NumberAgainstTextByHardness)
{
    struct Case
    {
        Variant a;
        Variant b;
        bool hardA;
        bool hardB;
        int expected;
    } cases[] = {
        {Variant(std::int32_t(10)), str("10"), false, false, -1}, // number < text
        {str("10"), Variant(std::int32_t(10)), false, false, 1},
        {Variant(std::int32_t(10)), str("10"), true, false, 0}, // text converts to the literal
        {Variant(std::int32_t(10)), str("9"), true, false, 1},
        {Variant(std::int32_t(10)), str("9"), false, true, -1}, // number converts: "10" < "9"
        {str("9"), Variant(std::int32_t(10)), true, false, 1},
        {Variant(true), str("True"), false, true, 0},
        {Variant(), str(""), false, false, 0},
        {Variant(), str("a"), false, false, -1},
        {Variant(), Variant(0.0), false, false, 0},
        {Variant::null(), Variant(), false, false, Operators::kNullResult},
        {Variant::fromDate(1), Variant(1.0), false, false, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Operators::compare(c.a, c.b, c.hardA, c.hardB), c.expected)
            << describe(c.a).toStdString() << " vs " << describe(c.b).toStdString();
    EXPECT_THROW(Operators::compare(Variant(std::int32_t(1)), str("x"), true, false), BasicError);
    EXPECT_THROW(Operators::compare(Variant(com::VariantArray::vector(0, 1)), Variant()),
                 BasicError);
}

TEST(ScriptOperators, ResultSubtypes)
{
    struct Case
    {
        Op op;
        Variant a;
        Variant b;
        const char *expected;
    } cases[] = {
        {Op::Add, Variant::fromByte(200), Variant::fromByte(55), "Byte:255"},
        {Op::Add, Variant::fromByte(200), Variant::fromByte(56), "Integer:256"},
        {Op::Mul, Variant::fromInteger(300), Variant::fromInteger(300), "Long:90000"},
        {Op::Sub, Variant(std::int32_t(-2147483647 - 1)), Variant::fromInteger(1),
         "Double:-2147483649"},
        {Op::Add, Variant::fromSingle(1.5f), Variant::fromInteger(1), "Single:2.5"},
        {Op::Add, Variant::fromCurrency(15000), Variant::fromInteger(1), "Currency:2.5"},
        {Op::Add, Variant::fromDate(1), Variant::fromInteger(1), "Date:1900-01-01"},
        {Op::Sub, Variant::fromDate(3), Variant::fromDate(1), "Double:2"},
        {Op::Add, Variant(true), Variant::fromByte(1), "Integer:0"},
        {Op::And, Variant::fromByte(12), Variant::fromByte(10), "Byte:8"},
        {Op::Or, Variant(std::int32_t(65536)), Variant::fromInteger(1), "Long:65537"},
        {Op::Xor, str("3"), Variant::fromInteger(1), "Long:2"},
        {Op::IntDiv, Variant::fromInteger(-32768), Variant::fromInteger(-1), "Long:32768"},
        {Op::Concat, Variant(1.5), Variant(), "String:1.5"},
        {Op::Pow, Variant::fromInteger(-8), Variant(1.0 / 3), "error"},
        {Op::Pow, Variant::fromInteger(0), Variant::fromInteger(-1), "error"},
    };
    for (const auto &c : cases) {
        QString got;
        try {
            got = describe(Operators::binary(c.op, c.a, c.b));
        } catch (const BasicError &) {
            got = QStringLiteral("error");
        }
        EXPECT_EQ(got.toStdString(), c.expected) << int(c.op) << " " << describe(c.a).toStdString();
    }
    EXPECT_EQ(describe(Operators::negate(Variant::fromInteger(-32768))), "Long:32768");
    EXPECT_EQ(describe(Operators::negate(Variant(true))), "Integer:1");
    EXPECT_EQ(describe(Operators::logicalNot(Variant::fromByte(1))), "Byte:254");
}

TEST(ScriptOperators, Truth)
{
    EXPECT_FALSE(Operators::truth(Variant::null()));
    EXPECT_FALSE(Operators::truth(Variant()));
    EXPECT_TRUE(Operators::truth(str("true")));
    EXPECT_TRUE(Operators::truth(str("-1")));
    EXPECT_FALSE(Operators::truth(str("0")));
    EXPECT_TRUE(Operators::truth(Variant(0.5)));
    EXPECT_THROW(Operators::truth(str("yes")), BasicError);
    EXPECT_THROW(Operators::truth(Variant(com::VariantArray::vector(0, 0))), BasicError);
}

TEST(ScriptOperators, ToLongRoundsHalfToEven)
{
    EXPECT_EQ(Operators::toLong(Variant(2.5)), 2);
    EXPECT_EQ(Operators::toLong(Variant(3.5)), 4);
    EXPECT_EQ(Operators::toLong(Variant(-2.5)), -2);
    EXPECT_EQ(Operators::toLong(str(" 7 ")), 7);
    EXPECT_THROW(Operators::toLong(Variant(3e9)), BasicError);
    EXPECT_THROW(Operators::toLong(Variant::null()), BasicError);
}

} // namespace

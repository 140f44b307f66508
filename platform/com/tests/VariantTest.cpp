#include "platform/com/Variant.h"
#include "platform/com/VariantArray.h"
#include "platform/text/BasicError.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>

using com::Variant;

namespace {

TEST(Variant, TextOfEachKind)
{
    struct
    {
        Variant v;
        const char *text;
    } cases[] = {
        {Variant(), ""},
        {Variant(true), "True"},
        {Variant(false), "False"},
        {Variant(std::int32_t(-42)), "-42"},
        {Variant(0.1 + 0.2), "0.3"},
        {Variant(QStringLiteral("x")), "x"},
        {Variant::fromError(2042), "Error 2042"},
        {Variant::fromDate(45000), "2023-03-15"},
        {Variant::fromCurrency(12345), "1.2345"},
        {Variant::fromCurrency(-10000), "-1"},
        {Variant::null(), ""},
    };
    for (auto &c : cases)
        EXPECT_EQ(c.v.toText().toStdString(), c.text) << c.v.typeName().toStdString();
}

TEST(Variant, CoercionsRaiseRuntimeErrors)
{
    EXPECT_EQ(Variant(QStringLiteral(" 10 ")).toDouble(), 10);
    EXPECT_EQ(Variant().toLong(), 0);
    EXPECT_EQ(Variant(2.5).toLong(), 2);
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_TRUE(Variant(QStringLiteral("true")).toBool());
    EXPECT_EQ(errorNumberOf([] { Variant(QStringLiteral("abc")).toDouble(); }), 13);
    EXPECT_EQ(errorNumberOf([] { Variant(1e10).toLong(); }), 6);
    EXPECT_EQ(errorNumberOf([] { Variant(40000.0).toInteger(); }), 6);
    EXPECT_EQ(errorNumberOf([] { Variant::null().toString(); }), 94);
    EXPECT_EQ(errorNumberOf([] { Variant::fromError(2007).toDouble(); }), 13);
}

TEST(VariantArray, BoundsAndRedim)
{
    auto a = com::VariantArray::vector(0, -1);
    EXPECT_EQ(a->ubound(), -1);
    EXPECT_EQ(a->size(), 0u);
    a->redim({{0, 3}}, false);
    a->at(2) = Variant(std::int32_t(7));
    a->redim({{0, 5}}, true);
    EXPECT_EQ(a->at(2), Variant(std::int32_t(7)));
    EXPECT_EQ(a->ubound(), 4);
    EXPECT_THROW(a->at(5), BasicError);

    auto g = com::VariantArray::grid(2, 3);
    g->at(2, 3) = Variant(QStringLiteral("c"));
    EXPECT_EQ(g->lbound(1), 1);
    EXPECT_EQ(g->ubound(2), 3);
    EXPECT_EQ(g->flat(5).toText(), QStringLiteral("c"));
    EXPECT_THROW(g->lbound(3), BasicError);
}

} // namespace

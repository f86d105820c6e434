// The size and percentage texts: rounding, grouping, signs and the 18-digit step.
#include "scoped_grouping.h"
#include "survey/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

struct SizeCase {
    long double value;
    const char* withDot;  // the text before the final blank, "." grouping
};

const SizeCase kSizeCases[] = {
    {0.0L, "0"},
    {-0.0L, "0"},
    {0.4L, "0"},
    {0.5L, "1"},
    {1.5L, "2"},
    {2.5L, "3"},
    {100.0L, "100"},
    {999.0L, "999"},
    {999.5L, "1.000"},
    {1234.0L, "1.234"},
    {999999.0L, "999.999"},
    {1234567.5L, "1.234.568"},
    {-1.0L / 1024, "0"},
    {-1.0L / 1048576, "0"},
    {-0.5L, "-1"},
    {-1.0L, "-1"},
    {-1234.0L, "-1.234"},
    {static_cast<long double>(INT64_MAX) / 1024, "9.007.199.254.740.992"},
    {static_cast<long double>(INT64_MAX) / 1048576, "8.796.093.022.208"},
    {1e17L, "100.000.000.000.000.000"},
};

TEST(FormatSize, RoundsHalvesAwayAndGroupsInThrees)
{
    for (const auto& c : kSizeCases)
        EXPECT_EQ(FormatSize(c.value, '.'), std::string(c.withDot) + " ") << static_cast<double>(c.value);
}

TEST(FormatSize, SeparatorComesFromTheLocale)
{
    EXPECT_EQ(FormatSize(1234567.5L, ','), "1,234,568 ");
    EXPECT_EQ(FormatSize(1234567.5L, '\0'), "1234568 ");
    EXPECT_EQ(FormatSize(1234567.5L, '\xA0'), "1\xA0"
                                              "234\xA0"
                                              "568 ");
    EXPECT_EQ(FormatSize(-999.5L, '\0'), "-1000 ");
}

TEST(FormatSize, UsesTheProcessSeparator)
{
    const ScopedGrouping grouping('\'');
    EXPECT_EQ(FormatSize(1234.0L), "1'234 ");
}

struct PercentCase {
    long double value;
    const char* text;
};

const PercentCase kPercentCases[] = {
    {0.0L, " %"},
    {-0.0L, " %"},
    {0.4L, " %"},
    {0.5L, "1 %"},
    {5.0L, "5 %"},
    {12.5L, "13 %"},
    {200.0L / 3, "67 %"},
    {99.5L, "100 %"},
    {100.0L, "100 %"},
    {1234.0L, "1234 %"},
    {-1.0L / 3, " %"},
    {-100.0L, "-100 %"},
    {(0.0L * 100) / -1.0L, " %"},
};

TEST(FormatPercent, HasNoGroupingAndNoDigitForZero)
{
    for (const auto& c : kPercentCases) EXPECT_EQ(FormatPercent(c.value), c.text) << static_cast<double>(c.value);
}

// Near 10^17 only one decimal place survives the 18-digit step, so a fraction of
// 0.45 or more is lifted to one half and rounds up; 0.44 does not.
TEST(RoundToWhole, EighteenDigitStepLiftsFractionsNearOneHalf)
{
    const long double base = 100000000000000000.0L;  // 10^17: 18 digits, no places left
    EXPECT_EQ(RoundToWhole(base + 0.5L).digits, "100000000000000000");  // tie to even
    EXPECT_EQ(RoundToWhole(base + 1.5L).digits, "100000000000000002");
    const long double tenPow16 = 10000000000000000.0L;  // 17 digits: one place left
    EXPECT_EQ(RoundToWhole(tenPow16 + 0.4375L).digits, "10000000000000000");
    EXPECT_EQ(RoundToWhole(tenPow16 + 0.46875L).digits, "10000000000000001");
    // Below one, 18 places remain: only a fraction within 5e-19 of one half is lifted.
    EXPECT_EQ(RoundToWhole(0.49999L).digits, "0");
    EXPECT_EQ(RoundToWhole(0.4999999999999999L).digits, "0");
    EXPECT_EQ(RoundToWhole(std::nextafter(0.5L, 0.0L)).digits, "1");
    EXPECT_EQ(RoundToWhole(1e17L - 0.5L).digits, "100000000000000000");
}

TEST(RoundToWhole, RendersHugeMagnitudesInPlainDecimal)
{
    EXPECT_EQ(RoundToWhole(1e18L).digits, "1000000000000000000");
    EXPECT_EQ(RoundToWhole(18446744073709551616.0L).digits, "18446744073709551616");
    EXPECT_EQ(RoundToWhole(std::ldexp(1.0L, 100)).digits, "1267650600228229401496703205376");
    EXPECT_TRUE(RoundToWhole(-std::ldexp(1.0L, 70)).negative);
}

TEST(GroupingFromLocaleAnswer, OneByteNoneOrCommaOnFailure)
{
    EXPECT_EQ(GroupingFromLocaleAnswer(2, "."), '.');
    EXPECT_EQ(GroupingFromLocaleAnswer(1, ""), '\0');
    EXPECT_EQ(GroupingFromLocaleAnswer(0, "x"), ',');
}

}  // namespace

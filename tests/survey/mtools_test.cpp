// Hexadecimal serial numbers and two-digit date parts.
#include "survey/mtools.h"

#include <gtest/gtest.h>

namespace {

TEST(Mtools, HexHasFixedWidthAndUpperCase)
{
    const struct {
        std::uint32_t value;
        const char* hex;
    } cases[] = {{0, "00000000"}, {0xFFFFFFFFu, "FFFFFFFF"}, {4096, "00001000"}, {0x12AB34CDu, "12AB34CD"}};
    for (const auto& c : cases) EXPECT_EQ(Mtools::DWordToHex(c.value), c.hex);
    EXPECT_EQ(Mtools::WordToHex(0xBEEF), "BEEF");
    EXPECT_EQ(Mtools::ByteToHex(0x0A), "0A");
}

TEST(Mtools, ZeroPad2PadsOnlyOneCharacterTexts)
{
    const struct {
        std::int32_t value;
        const char* text;
    } cases[] = {{7, "07"}, {0, "00"}, {10, "10"}, {12, "12"}, {123, "123"}, {-5, "-5"}, {INT32_MIN, "-2147483648"}};
    for (const auto& c : cases) EXPECT_EQ(Mtools::ZeroPad2(c.value), c.text);
}

TEST(Mtools, TextUpToZeroStopsAtTheBufferEnd)
{
    const char full[4] = {'A', 'B', 'C', 'D'};
    EXPECT_EQ(Mtools::TextUpToZero(full, sizeof full), "ABCD");
    EXPECT_EQ(Mtools::TextUpToZero("PC\0junk", 7), "PC");
}

}  // namespace

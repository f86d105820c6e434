// What the save dialog is handed, and where it is placed.
#include "ui/save_dialog.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveDialog, FilterBecomesZeroSeparatedWithTwoZerosAtTheEnd)
{
    const std::string converted = ZeroSeparatedFilter("Textdateien|*.txt|Alle Dateien|*.*");
    EXPECT_EQ(converted, std::string("Textdateien\0*.txt\0Alle Dateien\0*.*\0\0", 36));
}

TEST(SaveDialog, FileBufferHoldsTheNameCutToItsSize)
{
    const auto shortName = FileBuffer("PC1.txt");
    ASSERT_EQ(shortName.size(), 262u);
    EXPECT_STREQ(shortName.data(), "PC1.txt");
    const auto longName = FileBuffer(std::string(300, 'n'));
    EXPECT_EQ(std::string(longName.data()), std::string(260, 'n'));
    EXPECT_EQ(longName[260], '\0');
    EXPECT_EQ(longName[261], '\0');
}

TEST(SaveDialog, PlacementCentresAndLeavesTwoThirdsBelow)
{
    const struct {
        Rect monitor;
        int width, height;
        Point at;
    } cases[] = {
        {{0, 0, 1024, 768}, 563, 358, {230, 136}},
        {{1024, 0, 2304, 1024}, 563, 358, {1382, 222}},  // a second monitor to the right
        {{0, 0, 1024, 768}, 565, 359, {229, 136}},  // odd remainders are dropped
        {{0, 0, 640, 480}, 700, 500, {-30, -6}},  // larger than the monitor: toward zero
        {{-1280, -200, 0, 824}, 400, 300, {-840, 41}},
    };
    for (const auto& c : cases) EXPECT_EQ(DialogPosition(c.monitor, c.width, c.height), c.at);
}

}  // namespace

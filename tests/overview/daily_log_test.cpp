// The daily log's name rule and both layouts as merovant.exe writes them, in every grouping.
#include "overview/daily_log.h"

#include <gtest/gtest.h>

namespace {

const std::string kLongHeader =
    "BUERO-PC07\tName\tTYP\tKapazit\xE4t (MB)\tFrei (MB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n";
const std::string kLongHeaderKb =
    "BUERO-PC07\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n";

std::string LongRow(const std::string& drive, const std::string& capacity, const std::string& free,
                    const std::string& percent)
{
    return drive + "\tSYSTEM\tlokale Festplatte\t" + capacity + "\t" + free + "\t" + percent +
           "\t5A3C-91F2\tNTFS\t\r\n";
}

TEST(DailyLogName, ComputerBeforeTheLastHyphenAndARealDate)
{
    const struct {
        const char* name;
        const char* computer;  // nullptr: not a daily log
        CivilDate date;
    } cases[] = {
        {"BUERO-PC07-20250131.txt", "BUERO-PC07", {2025, 1, 31}},
        {"PC-0815-X-20240229.TXT", "PC-0815-X", {2024, 2, 29}},  // hyphens in the name, a leap day
        {"ABCDEFGHIJKLMNO-20251231.Txt", "ABCDEFGHIJKLMNO", {2025, 12, 31}},  // 15 characters
        {"B\xDCRO-20250101.txt", "B\xDCRO", {2025, 1, 1}},  // Windows-1252 as listed
        {"-20250131.txt", nullptr, {}},  // the computer name could not be read
        {"PC-20250229.txt", nullptr, {}},  // no such day
        {"PC-20251301.txt", nullptr, {}},
        {"PC-20250100.txt", nullptr, {}},
        {"PC-2025013.txt", nullptr, {}},
        {"PC-202501311.txt", nullptr, {}},
        {"PC20250131.txt", nullptr, {}},
        {"PC-20250131.log", nullptr, {}},
        {"PC-20250131.txt.bak", nullptr, {}},
        {"PC-20250131-1.txt", nullptr, {}},  // the date must follow the last hyphen
        {"PC-2025-131.txt", nullptr, {}},
        {"uebersicht.tsv", nullptr, {}},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseDailyLogName(c.name);
        ASSERT_EQ(parsed.has_value(), c.computer != nullptr) << c.name;
        if (!parsed) continue;
        EXPECT_EQ(parsed->computer, c.computer) << c.name;
        EXPECT_EQ(parsed->day, *DayOf(c.date)) << c.name;
    }
}

TEST(DailyLog, LongLayoutInEveryGrouping)
{
    const struct {
        std::string capacity, free;  // as written
        std::int64_t capacityMb, freeMb;
    } cases[] = {
        {"953.867 ", "584.126 ", 953867, 584126},  // German
        {"953,867 ", "584,126 ", 953867, 584126},  // English
        {"2 097 152 ", "411 842 ", 2097152, 411842},  // a blank
        {"2\xA0"
         "097\xA0"
         "152 ",
         "411\xA0"
         "842 ",
         2097152, 411842},  // French: the no-break space
        {"1'000'000 ", "999 ", 1000000, 999},  // Swiss
        {"953867 ", "584126 ", 953867, 584126},  // an empty symbol: no grouping
        {"64 ", "0 ", 64, 0},  // nothing free
    };
    for (const auto& c : cases) {
        const auto log = ParseDailyLog(kLongHeader + LongRow("D:", c.capacity, c.free, "61 %"));
        ASSERT_TRUE(log) << c.capacity;
        ASSERT_EQ(log->drives.size(), 1U);
        const DriveReading& d = log->drives[0];
        EXPECT_TRUE(log->longLayout);
        EXPECT_EQ(d.drive, "D:");
        EXPECT_EQ(d.label, "SYSTEM");
        EXPECT_EQ(d.capacityMb, c.capacityMb) << c.capacity;
        EXPECT_EQ(d.freeMb, c.freeMb) << c.free;
        EXPECT_EQ(d.percent, 61);
        EXPECT_EQ(d.serial, "5A3C-91F2");
    }
}

TEST(DailyLog, ShortLayoutInEveryGroupingReadFromTheEnd)
{
    const struct {
        std::string row;
        std::int64_t freeMb;
        int percent;
    } cases[] = {
        {"C: 87.214  36 %", 87214, 36},
        {"C: 87,214  36 %", 87214, 36},
        {"C: 1 087 214  100 %", 1087214, 100},  // the blank as grouping and as separator
        {"C: 87214  36 %", 87214, 36},
        {"C: 512   %", 512, 0},  // a percentage without digits
        {"C: 0   %", 0, 0},
        {"C: 1 000  5 %", 1000, 5},
    };
    for (const auto& c : cases) {
        const auto log = ParseDailyLog("PC1 Frei (MB) Frei in %\r\n" + c.row + "\r\n");
        ASSERT_TRUE(log) << c.row;
        ASSERT_EQ(log->drives.size(), 1U) << c.row;
        EXPECT_FALSE(log->longLayout);
        EXPECT_EQ(log->drives[0].drive, "C:");
        EXPECT_EQ(log->drives[0].freeMb, c.freeMb) << c.row;
        EXPECT_EQ(log->drives[0].percent, c.percent) << c.row;
        EXPECT_FALSE(log->drives[0].capacityMb);
    }
}

TEST(DailyLog, KilobytesBecomeMegabytesRoundedHalfUp)
{
    const auto log = ParseDailyLog(kLongHeaderKb + LongRow("C:", "1.536 ", "1.535 ", "99 %") +
                                   LongRow("D:", "249.367.552 ", "89.307.008 ", "36 %"));
    ASSERT_TRUE(log);
    ASSERT_EQ(log->drives.size(), 2U);
    EXPECT_EQ(log->drives[0].capacityMb, 2);  // 1.5 MB
    EXPECT_EQ(log->drives[0].freeMb, 1);  // 1.499 MB
    EXPECT_EQ(log->drives[1].capacityMb, 243523);
    EXPECT_EQ(log->drives[1].freeMb, 87214);  // 87213.875 MB
    const auto tiny = ParseDailyLog(kLongHeaderKb + LongRow("C:", "1 ", "0 ", " %"));  // no failed query
    ASSERT_TRUE(tiny);
    ASSERT_EQ(tiny->drives.size(), 1U);
    EXPECT_EQ(tiny->drives[0].capacityMb, 0);
    const auto shortLog = ParseDailyLog("BUERO-PC07 Frei(KB) Frei in %\r\nC: 89.307.008  36 %\r\nE:  \r\n");
    ASSERT_TRUE(shortLog);
    ASSERT_EQ(shortLog->drives.size(), 1U);
    EXPECT_EQ(shortLog->drives[0].freeMb, 87214);
}

TEST(DailyLog, RowsWithoutAReadingAreLeftOut)
{
    const auto log = ParseDailyLog(kLongHeader + LongRow("C:", "0 ", "0 ", "100 %") +  // the query failed
                                   "E:\t\tCD-Rom\t\t\t\t\t\t\r\n" + LongRow("D:", "64 ", "32 ", "50 %"));
    ASSERT_TRUE(log);
    ASSERT_EQ(log->drives.size(), 1U);
    EXPECT_EQ(log->drives[0].drive, "D:");
    const auto empty = ParseDailyLog(kLongHeader);  // a PC without local hard disks
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->drives.empty());
}

TEST(DailyLog, MalformedLogsAreRejected)
{
    const std::string good = LongRow("C:", "64 ", "32 ", "50 %");
    const struct {
        const char* why;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"cut off while written", kLongHeader + good.substr(0, good.size() - 1)},
        {"no header", good},
        {"another header", "PC1\tName\tTYP\tKapazit\xE4t\tFrei\r\n" + good},
        {"seven fields", kLongHeader + "C:\tA\tB\t64 \t32 \t50 %\tX\r\n"},
        {"a field too many", kLongHeader + "C:\tA\tB\t64 \t32 \t50 %\tX\tY\tZ\t\r\n"},
        {"no drive", kLongHeader + LongRow("C", "64 ", "32 ", "50 %")},
        {"a group of two", kLongHeader + LongRow("C:", "1.23 ", "32 ", "50 %")},
        {"four leading digits", kLongHeader + LongRow("C:", "1234.567 ", "32 ", "50 %")},
        {"two grouping bytes", kLongHeader + LongRow("C:", "1.234,567 ", "32 ", "50 %")},
        {"no blank after the number", kLongHeader + LongRow("C:", "64", "32 ", "50 %")},
        {"a percent sign as grouping", kLongHeader + LongRow("C:", "1%234 ", "32 ", "50 %")},
        {"over 100 %", kLongHeader + LongRow("C:", "64 ", "32 ", "101 %")},
        {"no percent sign", kLongHeader + LongRow("C:", "64 ", "32 ", "50")},
        {"capacity without free space", kLongHeader + LongRow("C:", "64 ", "", "50 %")},
        {"a drive twice", kLongHeader + good + good},
        {"beyond a zettabyte", kLongHeader + LongRow("C:", "2000000000000000 ", "32 ", "50 %")},
        {"a short row in a long log", kLongHeader + "C: 32  50 %\r\n"},
        {"a short row with one blank", "PC1 Frei (MB) Frei in %\r\nC: 32 50 %\r\n"},
        {"a short row without percent", "PC1 Frei (MB) Frei in %\r\nC: 32 \r\n"},
        {"LF alone", "PC1 Frei (MB) Frei in %\nC: 32  50 %\n"},
        {"over 64 KiB", kLongHeader + std::string(kLargestDailyLog, 'x')},
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseDailyLog(c.bytes)) << c.why;
}

}  // namespace

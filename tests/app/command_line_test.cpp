// Splitting of the process command line and the daily log file name.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheSeparatorAndQuoteRules)
{
    const struct {
        std::string line;
        Args expected;
    } cases[] = {
        {"merovant.exe", {"merovant.exe"}},
        {"\"C:\\Program Files\\m.exe\" /mb", {"C:\\Program Files\\m.exe", "/mb"}},
        {"m.exe   /lokal\t/mb", {"m.exe", "/lokal", "/mb"}},
        {"m.exe a\x01"
         "b\x1F"
         "c",
         {"m.exe", "a", "b", "c"}},
        {"m.exe \"a b\"c \"d", {"m.exe", "a bc", "d"}},
        {"m.exe \"\" /mb", {"m.exe", "/mb"}},
        {"m.exe \"\"\"\"x", {"m.exe", "x"}},
        {"m.exe a\"\"b", {"m.exe", "ab"}},
        {"m.exe \"\" ", {"m.exe"}},
        {"m.exe \" \"", {"m.exe", " "}},
        {"m.exe \"\"\"", {"m.exe"}},  // a lone quote after the pair: an empty argument ends the list
        {"m.exe \xE4\xFC.txt", {"m.exe", "\xE4\xFC.txt"}},
        {"", {""}},
        {"  \"\"", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(SplitCommandLine, TheCountEndsAtTheFirstEmptyArgument)
{
    // Empty pairs at an argument's start are skipped however many there are; a lone
    // quote at the end opens an empty stretch, and a zero byte ends the line.
    EXPECT_EQ(SplitCommandLine("m.exe /mb \"\"\"\" \"\"\"\"\"\" /lokal"), (Args{"m.exe", "/mb", "/lokal"}));
    EXPECT_EQ(SplitCommandLine("m.exe /mb \""), (Args{"m.exe", "/mb"}));
    EXPECT_EQ(SplitCommandLine(std::string("m.exe /mb\0/lokal", 16)), (Args{"m.exe", "/mb"}));
}

TEST(SplitCommandLine, AnyBytesNeverBreakIt)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 300);
    for (int round = 0; round < 2000; ++round) {
        std::string line(length(random), '\0');
        for (char& c : line) c = static_cast<char>(byte(random) % 4 == 0 ? '"' : byte(random));
        for (const auto& argument : SplitCommandLine(line)) EXPECT_EQ(argument.find('"'), std::string::npos);
    }
}

TEST(LowerCaseAscii, TouchesOnlyAToZ)
{
    EXPECT_EQ(LowerCaseAscii("/LOKAL Out.TXT \xC4\xD6@[Z"), "/lokal out.txt \xC4\xD6@[z");
}

TEST(DailyLogFileName, JoinsFolderNameAndDateAsGiven)
{
    const struct {
        const char* folder;
        int year, month, day;
        const char* name;
    } cases[] = {
        {"C:\\Logs", 2026, 12, 8, "C:\\Logs\\PC1-20261208.txt"},
        {"", 2027, 1, 31, "\\PC1-20270131.txt"},
        {"D:\\", 999, 10, 5, "D:\\\\PC1-9991005.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(DailyLogFileName(c.folder, "PC1", c.year, c.month, c.day), c.name);
}

}  // namespace

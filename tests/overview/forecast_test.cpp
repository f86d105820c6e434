// Resets, the forecast's points, the exact Theil-Sen slope and its rounding.
#include "overview/forecast.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kCapacity = 100000;  // MB: 1 % is 1000 MB

Reading Long(DayNumber day, std::int64_t free, const char* serial = "5A3C-91F2", std::int64_t capacity = kCapacity)
{
    return {day, free, capacity, static_cast<int>(free * 100 / capacity), serial};
}

Reading Short(DayNumber day, std::int64_t free, int percent) { return {day, free, std::nullopt, percent, {}}; }

std::vector<std::size_t> Resets(const std::vector<Reading>& readings)
{
    std::vector<std::size_t> resets;
    for (std::size_t i = 0; i < readings.size(); ++i)
        if (IsReset(readings, i)) resets.push_back(i);
    return resets;
}

TEST(Reset, CleanUpsAndNewDisks)
{
    using Indexes = std::vector<std::size_t>;
    const struct {
        const char* why;
        std::vector<Reading> readings;
        Indexes resets;
    } cases[] = {
        {"a drive filling up", {Long(1, 50000), Long(2, 49000), Long(3, 48000)}, {}},
        {"a clean-up of more than 1 %", {Long(1, 50000), Long(2, 49000), Long(3, 51001)}, {2}},
        {"exactly 1 % is no clean-up", {Long(1, 50000), Long(2, 49000), Long(3, 51000)}, {}},
        {"a dip that recovers", {Long(1, 50000), Long(2, 20000), Long(3, 50500)}, {}},
        {"the highest of the 7 days before counts", {Long(1, 60000), Long(5, 40000), Long(8, 60500)}, {}},
        {"older than 7 days does not", {Long(1, 60000), Long(2, 40000), Long(9, 60500)}, {2}},
        {"no log in the 7 days before: nothing to compare", {Long(1, 10000), Long(9, 90000)}, {}},
        {"short layout: more than 1 point", {Short(1, 500, 40), Short(2, 520, 42)}, {1}},
        {"short layout: 1 point is none", {Short(1, 500, 40), Short(2, 520, 41)}, {}},
        {"a new serial number", {Long(1, 50000), Long(2, 49000, "1E07-B3A4")}, {1}},
        {"a new capacity", {Long(1, 50000), Long(2, 49000, "5A3C-91F2", 200000)}, {1}},
        {"a short log between two long ones", {Long(1, 50000), Short(2, 49500, 49), Long(3, 49000, "1E07-B3A4")}, {2}},
        {"the first long log after short ones", {Short(1, 40000, 40), Long(2, 39000)}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Resets(c.readings), c.resets) << c.why;
}

std::vector<DayPoint> Line(std::int64_t start, std::int64_t perDay, const std::vector<DayNumber>& days)
{
    std::vector<DayPoint> points;
    points.reserve(days.size());
    for (const DayNumber day : days) points.push_back({day, start + perDay * day});
    return points;
}

TEST(TheilSen, ExactOnLinesAndUnmovedByOneOutlier)
{
    std::vector<DayPoint> withOutlier = Line(90000, -1200, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    withOutlier[4].freeMb += 40000;  // one odd day
    std::vector<DayPoint> thirds = {{0, 0}, {3, -10}, {6, -20}, {9, -30}, {12, -40}};  // -10/3 per day
    const struct {
        const char* why;
        std::vector<DayPoint> points;
        const char* rounded;
    } cases[] = {
        {"daily", Line(90000, -1200, {0, 1, 2, 3, 4, 5, 6}), "-1200.0"},
        {"with gaps", Line(5000, -37, {0, 2, 3, 7, 11, 12, 20, 27}), "-37.0"},
        {"rising", Line(100, 250, {0, 1, 2, 3, 4, 5, 6, 7}), "250.0"},
        {"flat", Line(777, 0, {0, 1, 2, 3, 4, 5, 6}), "0.0"},
        {"a third", thirds, "-3.3"},
        {"one outlier", withOutlier, "-1200.0"},
    };
    for (const auto& c : cases) {
        const auto slope = TheilSenSlope(c.points);
        ASSERT_TRUE(slope) << c.why;
        EXPECT_EQ(OneDecimal(*slope), c.rounded) << c.why;
    }
    // Six slopes (-4, -2.5, -2.5, -2, -1, -1): the mean of the two middle ones, -2.25.
    const auto even = TheilSenSlope({{0, 10}, {1, 9}, {2, 5}, {3, 4}});
    ASSERT_TRUE(even);
    EXPECT_EQ(OneDecimal(*even), "-2.3");
}

TEST(TheilSen, OneDecimalHalfAwayFromZero)
{
    const struct {
        Fraction value;
        const char* text;
    } cases[] = {
        {{1, 20}, "0.1"},  {{-1, 20}, "-0.1"},  {{-1, 25}, "0.0"}, {{9, 4}, "2.3"},
        {{-9, 4}, "-2.3"}, {{-37, 1}, "-37.0"}, {{0, 7}, "0.0"},   {{-2, 3}, "-0.7"},
    };
    for (const auto& c : cases) EXPECT_EQ(OneDecimal(c.value), c.text);
}

std::vector<Reading> Falling(DayNumber from, DayNumber to, std::int64_t start, std::int64_t perDay)
{
    std::vector<Reading> readings;
    for (DayNumber day = from; day <= to; ++day) readings.push_back(Long(day, start + perDay * (day - from)));
    return readings;
}

TEST(Forecast, PointsFromTheNewestResetWithinFourWeeks)
{
    const struct {
        const char* why;
        std::vector<Reading> readings;
        const char* trend;  // nullptr: too few points
        std::optional<std::int64_t> daysUntilFull;
    } cases[] = {
        {"seven days", Falling(1, 7, 10000, -300), "-300.0", 27},  // 8200 free: 27.3 days
        {"six days are too few", Falling(1, 6, 10000, -300), nullptr, std::nullopt},
        {"rising: never full", Falling(1, 10, 1000, 50), "50.0", std::nullopt},
        {"only the last 28 days count",
         [] {
             auto r = Falling(1, 40, 90000, -100);
             for (std::size_t i = 0; i < 12; ++i) r[i].freeMb -= 50000;  // older than 27 days before
             return r;
         }(),
         "-100.0", 861},
        {"a clean-up starts afresh",
         [] {
             auto r = Falling(1, 20, 50000, -500);
             for (std::size_t i = 14; i < 20; ++i) r[i].freeMb += 20000;  // 6 points after it
             return r;
         }(),
         nullptr, std::nullopt},
        {"a new disk starts afresh",
         [] {
             auto r = Falling(1, 20, 50000, -500);
             for (std::size_t i = 10; i < 20; ++i) r[i] = Long(r[i].day, 90000 - 100 * (r[i].day - 11), "1E07-B3A4");
             return r;
         }(),
         "-100.0", 891},
    };
    for (const auto& c : cases) {
        const Forecast forecast = ForecastOf(c.readings);
        ASSERT_EQ(forecast.trend.has_value(), c.trend != nullptr) << c.why;
        if (c.trend) {
            EXPECT_EQ(OneDecimal(*forecast.trend), c.trend) << c.why;
        }
        EXPECT_EQ(forecast.daysUntilFull, c.daysUntilFull) << c.why;
    }
}

}  // namespace

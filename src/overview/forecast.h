// A drive's trend and days until full from its daily readings: the points since the newest
// reset, and the Theil-Sen slope computed exactly on fractions of whole numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendar.h"

// One daily reading of a drive. Readings of a drive are kept in date order, one per day.
struct Reading {
    DayNumber day = 0;
    std::int64_t freeMb = 0;
    std::optional<std::int64_t> capacityMb;  // long layout only
    int percent = 0;
    std::string serial;  // long layout only
};

// numerator / denominator, denominator > 0. Free space below 10^15 MB and point spans
// within the forecast's window keep every product inside 64 bits.
struct Fraction {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
};
bool operator<(const Fraction& a, const Fraction& b) noexcept;

struct DayPoint {
    DayNumber day;
    std::int64_t freeMb;
};

// The points span at most this many days before the drive's newest reading.
inline constexpr int kForecastDays = 27;
inline constexpr std::size_t kFewestPoints = 7;

// A clean-up (free space above the highest of the 7 days before, by more than 1 % of the
// capacity, or by more than 1 point of the percentage without one) or a new disk (serial
// number or capacity other than the previous long-layout reading's).
bool IsReset(const std::vector<Reading>& readings, std::size_t index);

// The readings of the newest 28 days from the newest reset on.
std::vector<DayPoint> ForecastPoints(const std::vector<Reading>& readings);

// The median of the pairwise slopes (the mean of the two middle ones for an even count);
// nothing for fewer than two points. Points have distinct days in ascending order.
std::optional<Fraction> TheilSenSlope(const std::vector<DayPoint>& points);

struct Forecast {
    std::optional<Fraction> trend;  // MB per day, with at least 7 points
    std::optional<std::int64_t> daysUntilFull;  // floor(free / -trend) for a falling trend
};
Forecast ForecastOf(const std::vector<Reading>& readings);

// One decimal, rounded half away from zero, "-0.0" written "0.0".
std::string OneDecimal(const Fraction& value);

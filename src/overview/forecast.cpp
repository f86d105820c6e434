// Resets, the forecast's points and the exact Theil-Sen slope.
#include "forecast.h"

#include <algorithm>

namespace {

constexpr int kCleanUpLookBackDays = 7;

std::optional<std::size_t> PreviousLongLayout(const std::vector<Reading>& readings, std::size_t index)
{
    for (std::size_t i = index; i-- > 0;)
        if (readings[i].capacityMb) return i;
    return std::nullopt;
}

bool IsNewDisk(const std::vector<Reading>& readings, std::size_t index)
{
    const Reading& reading = readings[index];
    if (!reading.capacityMb) return false;
    const auto previous = PreviousLongLayout(readings, index);
    if (!previous) return false;
    return readings[*previous].serial != reading.serial || readings[*previous].capacityMb != reading.capacityMb;
}

bool IsCleanUp(const std::vector<Reading>& readings, std::size_t index)
{
    const Reading& reading = readings[index];
    std::optional<std::int64_t> highestFree;
    int highestPercent = 0;
    for (std::size_t i = index; i-- > 0 && readings[i].day >= reading.day - kCleanUpLookBackDays;) {
        highestFree = std::max(highestFree.value_or(readings[i].freeMb), readings[i].freeMb);
        highestPercent = std::max(highestPercent, readings[i].percent);
    }
    if (!highestFree) return false;  // nothing to compare with
    if (reading.capacityMb) return (reading.freeMb - *highestFree) * 100 > *reading.capacityMb;
    return reading.percent - highestPercent > 1;
}

std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1 : quotient;
}

}  // namespace

bool operator<(const Fraction& a, const Fraction& b) noexcept
{
    return a.numerator * b.denominator < b.numerator * a.denominator;
}

bool IsReset(const std::vector<Reading>& readings, std::size_t index)
{
    return IsNewDisk(readings, index) || IsCleanUp(readings, index);
}

std::vector<DayPoint> ForecastPoints(const std::vector<Reading>& readings)
{
    std::vector<DayPoint> points;
    if (readings.empty()) return points;
    const DayNumber first = readings.back().day - kForecastDays;
    std::size_t start = readings.size() - 1;
    while (start > 0 && readings[start - 1].day >= first) --start;
    for (std::size_t i = readings.size(); i-- > start;) {
        if (IsReset(readings, i)) {
            start = i;
            break;
        }
    }
    for (std::size_t i = start; i < readings.size(); ++i) points.push_back({readings[i].day, readings[i].freeMb});
    return points;
}

std::optional<Fraction> TheilSenSlope(const std::vector<DayPoint>& points)
{
    std::vector<Fraction> slopes;
    slopes.reserve(points.size() * (points.size() - (points.empty() ? 0 : 1)) / 2);
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j)
            slopes.push_back({points[j].freeMb - points[i].freeMb, points[j].day - points[i].day});
    if (slopes.empty()) return std::nullopt;
    const std::size_t middle = slopes.size() / 2;
    std::nth_element(slopes.begin(), slopes.begin() + static_cast<std::ptrdiff_t>(middle), slopes.end());
    const Fraction upper = slopes[middle];
    if (slopes.size() % 2 == 1) return upper;
    const Fraction lower = *std::max_element(slopes.begin(), slopes.begin() + static_cast<std::ptrdiff_t>(middle));
    return Fraction{lower.numerator * upper.denominator + upper.numerator * lower.denominator,
                    2 * lower.denominator * upper.denominator};
}

Forecast ForecastOf(const std::vector<Reading>& readings)
{
    const std::vector<DayPoint> points = ForecastPoints(readings);
    if (points.size() < kFewestPoints) return {};
    Forecast forecast;
    forecast.trend = TheilSenSlope(points);
    if (forecast.trend && forecast.trend->numerator < 0)
        forecast.daysUntilFull =
            FloorDivide(readings.back().freeMb * forecast.trend->denominator, -forecast.trend->numerator);
    return forecast;
}

std::string OneDecimal(const Fraction& value)
{
    const bool negative = value.numerator < 0;
    const std::int64_t magnitude = negative ? -value.numerator : value.numerator;
    const std::int64_t tenths = (20 * magnitude + value.denominator) / (2 * value.denominator);
    const std::string digits = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    return negative && tenths != 0 ? "-" + digits : digits;
}

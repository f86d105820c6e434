// Calendar days as consecutive numbers, and the two ways the overview writes a date.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Days since 1 January 1970 in the proleptic Gregorian calendar; the next day is one more.
using DayNumber = int;

struct CivilDate {
    int year, month, day;
};

// Nothing for a month or day that does not exist (20250230, 20251301, 20250100).
std::optional<DayNumber> DayOf(CivilDate date) noexcept;
CivilDate DateOf(DayNumber day) noexcept;

// Exactly eight ASCII digits JJJJMMTT naming a real day of the years 1601 to 9999.
std::optional<DayNumber> ParseCompactDate(std::string_view digits) noexcept;

std::string IsoDate(DayNumber day);  // "2025-01-31"
std::string GermanDate(DayNumber day);  // "31.01.2025"

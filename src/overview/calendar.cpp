// Day numbers from civil dates and back (the era arithmetic of the Gregorian 400-year cycle).
#include "calendar.h"

namespace {

bool IsLeapYear(int year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) noexcept
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string TwoDigits(int value)
{
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string FourDigits(int value) { return TwoDigits(value / 100) + TwoDigits(value % 100); }

}  // namespace

std::optional<DayNumber> DayOf(CivilDate date) noexcept
{
    if (date.year < 1601 || date.year > 9999 || date.month < 1 || date.month > 12) return std::nullopt;
    if (date.day < 1 || date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
    const int year = date.month <= 2 ? date.year - 1 : date.year;
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate DateOf(DayNumber day) noexcept
{
    const int shifted = day + 719468;
    const int era = shifted / 146097;  // days before 1601 never arise
    const int dayOfEra = shifted - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int dayOfMonth = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const int year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, dayOfMonth};
}

std::optional<DayNumber> ParseCompactDate(std::string_view digits) noexcept
{
    if (digits.size() != 8) return std::nullopt;
    int value[8];
    for (std::size_t i = 0; i < 8; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return std::nullopt;
        value[i] = digits[i] - '0';
    }
    const int year = value[0] * 1000 + value[1] * 100 + value[2] * 10 + value[3];
    return DayOf({year, value[4] * 10 + value[5], value[6] * 10 + value[7]});
}

std::string IsoDate(DayNumber day)
{
    const CivilDate date = DateOf(day);
    return FourDigits(date.year) + "-" + TwoDigits(date.month) + "-" + TwoDigits(date.day);
}

std::string GermanDate(DayNumber day)
{
    const CivilDate date = DateOf(day);
    return TwoDigits(date.day) + "." + TwoDigits(date.month) + "." + FourDigits(date.year);
}

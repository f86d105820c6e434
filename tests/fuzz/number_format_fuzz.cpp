// Fuzzes the size and percentage texts against an exact integer computation of the rounding
// rules: reduce to 18 significant digits (ties to even), then round half away from zero,
// then group the digits in threes. The values are the ones the drive table forms (byte
// counts over 1024 and 1048576, free * 100 / total) and arbitrary finite long doubles.
//
// Input, zero-padded to 27 bytes: two signed 64-bit numbers (little-endian), the grouping
// separator, then a 64-bit significand and a 16-bit sign-and-exponent word.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "errors.h"
#include "fuzz_check.h"
#include "survey/drive_survey.h"
#include "survey/float_setting.h"
#include "survey/number_format.h"

namespace {

using u128 = unsigned __int128;

constexpr u128 PowerOfTen(int exponent)
{
    u128 result = 1;
    for (int i = 0; i < exponent; ++i) result *= 10;
    return result;
}

int DecimalLength(u128 n)
{
    int length = 0;
    for (; n != 0; n /= 10) ++length;
    return length;
}

std::string Decimal(u128 n)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(n % 10)));
        n /= 10;
    } while (n != 0);
    return digits;
}

// K of |v|, exactly from v's binary significand m and exponent: |v| = m / 2^shift.
// False when K needs more than 127 bits.
bool ExactWhole(long double v, u128& k)
{
    k = 0;
    if (v == 0) return true;
    int exponent = 0;
    const long double mantissa = std::frexp(std::fabs(v), &exponent);
    const auto m = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    const int shift = 64 - exponent;
    if (shift <= 0) {
        if (-shift > 63) return false;
        k = static_cast<u128>(m) << -shift;
        return true;
    }
    if (shift >= 128) return true;  // |v| < 2^-64
    const u128 one = static_cast<u128>(1) << shift;
    const u128 whole = shift >= 64 ? 0 : m >> shift;
    const u128 fraction = static_cast<u128>(m) & (one - 1);
    if (whole >= PowerOfTen(18)) {  // no 18-digit step there: plain rounding
        k = whole + (2 * fraction >= one ? 1 : 0);
        return true;
    }
    // The fraction to the decimal places left of 18 significant digits, ties to even on
    // the last kept digit (that of the whole number when no place is left) ...
    const int places = 18 - DecimalLength(whole);
    const u128 scaled = fraction * PowerOfTen(places);  // < 2^64 * 10^18 < 2^124
    u128 kept = scaled >> shift;
    const u128 rest = scaled & (one - 1), half = one >> 1;
    const bool lastOdd = places == 0 ? (whole & 1) != 0 : (kept & 1) != 0;
    if (rest > half || (rest == half && lastOdd)) ++kept;
    // ... then that reduced fraction half away from zero.
    k = whole + (2 * kept >= PowerOfTen(places) ? 1 : 0);
    return true;
}

std::string Grouped(const std::string& digits, char separator)
{
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && separator != '\0') out += separator;
        out += digits[i];
    }
    return out;
}

std::string ExpectedSize(bool negative, u128 k, char separator)
{
    return k == 0 ? "0 " : (negative ? "-" : "") + Grouped(Decimal(k), separator) + " ";
}

std::string ExpectedPercent(bool negative, u128 k) { return k == 0 ? " %" : (negative ? "-" : "") + Decimal(k) + " %"; }

std::string Describe(long double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.25Lg", v);
    return text;
}

void CheckValue(long double v, char separator)
{
    const WholeNumber whole = RoundToWhole(v);
    u128 k = 0;
    if (!ExactWhole(v, k)) {
        // Beyond 127 bits only the shape of the digits is checked.
        FUZZ_CHECK(whole.digits.size() >= 19 && whole.digits[0] != '0' &&
                       whole.digits.find_first_not_of("0123456789") == std::string::npos,
                   Describe(v) + " gave " + whole.digits);
        return;
    }
    const bool negative = v < 0 && k != 0;
    FUZZ_CHECK(whole.digits == Decimal(k) && whole.negative == negative,
               Describe(v) + ": expected " + Decimal(k) + ", got " + whole.digits);
    FUZZ_CHECK(FormatSize(v, separator) == ExpectedSize(negative, k, separator),
               Describe(v) + " sized as " + Visible(FormatSize(v, separator)));
    FUZZ_CHECK(FormatPercent(v) == ExpectedPercent(negative, k), Describe(v) + " as " + Visible(FormatPercent(v)));
}

std::uint64_t Magnitude(std::int64_t n)
{
    return n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
}

// A byte count in kilobytes and megabytes, as the drive table divides it.
void CheckByteCount(std::int64_t bytes, char separator)
{
    for (const long double divisor : {1.0L, 1024.0L}) {
        const long double value = static_cast<long double>(bytes) / 1024.0L / divisor;
        CheckValue(value, separator);
        // Below 10^18 bytes the rules give the true quotient rounded half away from zero.
        const std::uint64_t magnitude = Magnitude(bytes);
        if (magnitude >= 1000000000000000000u) continue;
        const auto d = static_cast<std::uint64_t>(1024 * divisor);
        const std::uint64_t k = magnitude / d + (magnitude % d >= d / 2 ? 1 : 0);
        FUZZ_CHECK(FormatSize(value, separator) == ExpectedSize(bytes < 0 && k != 0, k, separator),
                   std::to_string(bytes) + " bytes / " + std::to_string(d) + " gave " +
                       Visible(FormatSize(value, separator)));
    }
}

// Free space as a percentage of a total below 10^15 bytes, free from -1 (a failed query)
// to the total: the true quotient rounded half away from zero.
void CheckPercentage(std::uint64_t totalSeed, std::uint64_t freeSeed)
{
    const auto total = static_cast<std::int64_t>(1 + totalSeed % (1000000000000000u - 1));
    const std::int64_t freeBytes = static_cast<std::int64_t>(freeSeed % static_cast<std::uint64_t>(total + 2)) - 1;
    const std::string text = FormatPercent(FreePercentage(freeBytes, total));
    const std::uint64_t hundredfold = Magnitude(freeBytes) * 100;
    const auto t = static_cast<std::uint64_t>(total);
    const std::uint64_t k = hundredfold / t + (2 * (hundredfold % t) >= t ? 1 : 0);
    FUZZ_CHECK(text == ExpectedPercent(freeBytes < 0 && k != 0, k),
               std::to_string(freeBytes) + " of " + std::to_string(total) + " gave " + Visible(text));
}

// A total of 0 bytes: 0/0 is an invalid operation, anything else a division by zero.
void CheckZeroTotal(std::int64_t freeBytes)
{
    try {
        FreePercentage(freeBytes, 0);
    } catch (const EInvalidOp&) {
        FUZZ_CHECK(freeBytes == 0, std::to_string(freeBytes) + " / 0 raised EInvalidOp");
        return;
    } catch (const EZeroDivide&) {
        FUZZ_CHECK(freeBytes != 0, "0 / 0 raised EZeroDivide");
        return;
    }
    FuzzFail("a zero total raises", std::to_string(freeBytes) + " / 0 returned");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EstablishFloatSetting();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    unsigned char input[27] = {};
    std::memcpy(input, data, size < sizeof input ? size : sizeof input);
    std::int64_t first = 0, second = 0;
    std::memcpy(&first, input, 8);
    std::memcpy(&second, input + 8, 8);
    const auto separator = static_cast<char>(input[16]);
    std::uint64_t significand = 0;
    std::uint16_t signAndExponent = 0;
    std::memcpy(&significand, input + 17, 8);
    std::memcpy(&signAndExponent, input + 25, 2);

    CheckByteCount(first, separator);
    CheckByteCount(second, separator);
    CheckPercentage(Magnitude(second), Magnitude(first));
    CheckZeroTotal(first);
    if (second != 0) CheckValue(FreePercentage(first, second), separator);

    // Any finite long double: the significand times a power of two. Mostly one that keeps
    // the value below 2^128, where K is known exactly; one in eight up to 2^2048, where only
    // the shape of the digits is checked (the program takes long to spell out larger ones,
    // which no drive gives).
    const int power =
        (signAndExponent & 0x7000) == 0x7000 ? (signAndExponent & 0x0FFF) - 2048 - 63 : (signAndExponent & 0xFF) - 191;
    long double any = std::ldexp(static_cast<long double>(significand), power);
    if (signAndExponent & 0x8000) any = -any;
    if (std::isfinite(any)) CheckValue(any, separator);
    return 0;
}

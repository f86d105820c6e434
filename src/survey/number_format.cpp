// Whole-number rounding and the two number patterns of the drive table.
#include "number_format.h"

#include <cmath>
#include <cstdint>
#include <vector>

char GroupingSeparator = ',';

namespace {

constexpr int kSignificantDigits = 18;

constexpr std::uint64_t PowerOfTen(int exponent)
{
    std::uint64_t result = 1;
    for (int i = 0; i < exponent; ++i) result *= 10;
    return result;
}

int DecimalLength(std::uint64_t n)
{
    int length = 0;
    for (; n != 0; n /= 10) ++length;
    return length;
}

// 64 x 64 -> 128-bit product as (high, low); i686 has no __int128.
struct Product128 {
    std::uint64_t high;
    std::uint64_t low;
};

Product128 Multiply(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow;
    const std::uint64_t lowHigh = aLow * bHigh;
    const std::uint64_t highLow = aHigh * bLow;
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    return {aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

// Whether 10^places * g <= 1 holds exactly for 0 < g <= 0.5.
bool ScaledAtMostOne(long double g, int places)
{
    int exponent = 0;
    const long double mantissa = std::frexp(g, &exponent);  // g = mantissa * 2^exponent
    const auto significand = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    // g = significand / 2^shift; compare 10^places * significand with 2^shift.
    const int shift = 64 - exponent;
    if (shift >= 128) return true;
    const Product128 lhs = Multiply(PowerOfTen(places), significand);
    const std::uint64_t rhsHigh = std::uint64_t{1} << (shift - 64);
    return lhs.high < rhsHigh || (lhs.high == rhsHigh && lhs.low == 0);
}

// Decimal digits of a whole long double of any size: its significand doubled exponent times.
std::string DigitsOfWhole(long double whole)
{
    if (whole < 18446744073709551616.0L) return std::to_string(static_cast<std::uint64_t>(whole));
    int exponent = 0;
    const long double mantissa = std::frexp(whole, &exponent);
    std::vector<std::uint32_t> limbs;  // base 10^9, least significant first
    for (auto s = static_cast<std::uint64_t>(std::ldexp(mantissa, 64)); s != 0; s /= 1000000000u)
        limbs.push_back(static_cast<std::uint32_t>(s % 1000000000u));
    for (int i = 64; i < exponent; ++i) {
        std::uint32_t carry = 0;
        for (auto& limb : limbs) {
            const std::uint32_t doubled = limb * 2 + carry;
            carry = doubled >= 1000000000u ? 1 : 0;
            limb = doubled - carry * 1000000000u;
        }
        if (carry != 0) limbs.push_back(carry);
    }
    std::string digits = std::to_string(limbs.back());
    for (auto it = limbs.rbegin() + 1; it != limbs.rend(); ++it) {
        const std::string part = std::to_string(*it);
        digits.append(9 - part.size(), '0').append(part);
    }
    return digits;
}

std::string Grouped(const std::string& digits, char separator)
{
    if (separator == '\0') return digits;
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        out += digits[i];
        const std::size_t toTheRight = digits.size() - 1 - i;
        if (toTheRight > 0 && toTheRight % 3 == 0) out += separator;
    }
    return out;
}

}  // namespace

WholeNumber RoundToWhole(long double value)
{
    if (!std::isfinite(value)) return {"0", false};  // cannot arise: checked arithmetic raises first
    const long double magnitude = std::fabs(value);
    std::string digits;
    if (magnitude >= 1e18L) {
        digits = DigitsOfWhole(std::round(magnitude));  // beyond the patterns: plain rounding
    } else {
        const auto integral = static_cast<std::uint64_t>(magnitude);
        const long double fraction = magnitude - static_cast<long double>(integral);  // exact
        const int places = kSignificantDigits - DecimalLength(integral);
        bool roundUp = false;
        if (places == 0)
            roundUp = fraction > 0.5L || (fraction == 0.5L && (integral & 1) != 0);
        else if (fraction >= 0.5L)
            roundUp = true;
        else if (fraction >= 0.25L)
            // The 18-digit step lifts a fraction to one half when 0.5 - fraction <= 0.5e-places.
            roundUp = ScaledAtMostOne(1.0L - 2.0L * fraction, places);
        digits = std::to_string(integral + (roundUp ? 1 : 0));
    }
    const bool negative = value < 0 && digits != "0";
    return {std::move(digits), negative};
}

std::string FormatSize(long double value, char separator)
{
    const WholeNumber k = RoundToWhole(value);
    if (k.IsZero()) return "0 ";
    return (k.negative ? "-" : "") + Grouped(k.digits, separator) + " ";
}

std::string FormatPercent(long double value)
{
    const WholeNumber k = RoundToWhole(value);
    if (k.IsZero()) return " %";
    return (k.negative ? "-" : "") + k.digits + " %";
}

char GroupingFromLocaleAnswer(int count, const char* buffer) { return count > 0 ? buffer[0] : ','; }

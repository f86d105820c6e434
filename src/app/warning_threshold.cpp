// The free-space threshold's one rule.
#include "warning_threshold.h"

std::optional<int> ParseWarningThreshold(std::string_view digits) noexcept
{
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value == 0) return std::nullopt;
    return value;
}

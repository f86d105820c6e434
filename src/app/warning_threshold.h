// The free-space threshold of "/warnung:N", by one rule wherever a threshold is taken.
#pragma once

#include <optional>
#include <string_view>

// The threshold in whole percent: exactly one or two ASCII digits that make 1 to 99 ("05"
// is 5); nothing for anything else (empty, a sign, a blank, a third digit, 0). A threshold
// that silently did nothing would never warn.
std::optional<int> ParseWarningThreshold(std::string_view digits) noexcept;

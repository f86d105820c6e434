// The cell texts of sizes ("#,###0 ") and percentages ("## %").
#pragma once

#include <string>

// The user's digit-grouping character; '\0' when the user's symbol is empty.
extern char GroupingSeparator;

// The whole number K of a value: |v| reduced to 18 significant digits (ties to even),
// then rounded half away from zero. Negative only when v < 0 and K > 0.
struct WholeNumber {
    std::string digits;  // K in decimal, "0" for zero
    bool negative = false;
    bool IsZero() const { return digits == "0"; }
};
WholeNumber RoundToWhole(long double value);

std::string FormatSize(long double value, char separator);
std::string FormatPercent(long double value);
inline std::string FormatSize(long double value) { return FormatSize(value, GroupingSeparator); }

// The separator a locale query yields: the first byte when it answered, "," when it failed.
char GroupingFromLocaleAnswer(int count, const char* buffer);

// Sets GroupingSeparator from the calling thread's locale (at start).
void LoadNumberSettings();
// Sets the thread's locale to the user's default first (after a settings change).
void ReloadNumberSettings();

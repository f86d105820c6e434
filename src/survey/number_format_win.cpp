// The digit-grouping character from the user's locale.
#include <windows.h>

#include "number_format.h"

namespace {

void LoadGroupingOf(LCID locale)
{
    // Two bytes: one character and its zero. A longer symbol fails the call.
    char buffer[2] = {};
    const int count = GetLocaleInfoA(locale, LOCALE_STHOUSAND, buffer, sizeof buffer);
    GroupingSeparator = GroupingFromLocaleAnswer(count, buffer);
}

}  // namespace

void LoadNumberSettings() { LoadGroupingOf(GetThreadLocale()); }

void ReloadNumberSettings()
{
    SetThreadLocale(LOCALE_USER_DEFAULT);
    LoadGroupingOf(GetThreadLocale());
}

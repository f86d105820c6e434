// The daily logs of a collecting folder as merovant.exe writes them: the file name
// <RECHNER>-<JJJJMMTT>.txt and the contents in the long or the short export layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar.h"

struct DailyLogName {
    std::string computer;  // as the folder lists it (Windows-1252)
    DayNumber day;
};

// The date follows the last hyphen, since computer names may hold hyphens; ".txt" in any
// case. Nothing for other names, impossible dates and an empty computer name.
std::optional<DailyLogName> ParseDailyLogName(std::string_view fileName);

// A log bigger than this is malformed and is not read further.
inline constexpr std::size_t kLargestDailyLog = std::size_t{64} * 1024;

// Sizes beyond this many megabytes (about 1 ZB) cannot come from a drive: the log is malformed.
inline constexpr std::int64_t kLargestMegabytes = 1'000'000'000'000'000;

// One measured drive of a log.
struct DriveReading {
    std::string drive;  // "C:"
    std::string label;  // Windows-1252; empty in the short layout
    std::optional<std::int64_t> capacityMb;  // long layout only
    std::int64_t freeMb = 0;
    int percent = 0;  // as written
    std::string serial;  // long layout only
};

struct DailyLog {
    bool longLayout = true;
    std::vector<DriveReading> drives;
};

// Nothing for bytes that are not a complete log of either layout. Rows without figures
// (drives that are not measured) and long-layout rows of capacity 0 (a drive whose query
// failed) are no readings and are left out.
std::optional<DailyLog> ParseDailyLog(std::string_view bytes);

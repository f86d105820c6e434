// The overview's rows: one per PC and drive seen in the logs read, one more for a PC whose
// newest log cannot be read, each with its state; their order and the exit code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendar.h"
#include "daily_log.h"
#include "forecast.h"

struct OverviewSettings {
    DayNumber reference = 0;  // the reference date, /stichtag
    int warningPercent = 10;  // /warnung:N
    int horizonDays = 30;  // /tage:D
    int silentDays = 1;  // /fehlt:T
};

// The days read: from 89 days before the reference date up to the reference date.
inline constexpr int kWindowDays = 90;
DayNumber FirstDayRead(const OverviewSettings& settings) noexcept;

// In the order the rows are sorted.
enum class RowState { Fehler, Fehlt, Warnung, BaldVoll, Ok };
inline constexpr int kRowStates = 5;
const char* StateName(RowState state) noexcept;

struct OverviewRow {
    std::string computer;  // UTF-8
    std::string drive;  // "C:"; empty in the row of an unreadable newest log
    std::string label;  // UTF-8, from the drive's newest long-layout log
    DayNumber stand = 0;
    std::optional<std::int64_t> capacityMb, freeMb;
    std::optional<int> percent;
    Forecast forecast;
    RowState state = RowState::Ok;
    std::vector<DayPoint> history;  // the drive's free space over the days read
};

// The logs of one PC, handed over in ascending date order, one per day.
class PcLogs {
public:
    explicit PcLogs(std::string computer) : computer_(std::move(computer)) {}
    // log is nothing for a log that could not be read or parsed.
    void Add(DayNumber day, const std::optional<DailyLog>& log);
    // Appends the PC's rows, states decided, in no particular order.
    void AppendRows(const OverviewSettings& settings, std::vector<OverviewRow>& rows) const;

private:
    struct Drive {
        std::string letter, label;
        std::vector<Reading> readings;
    };
    Drive& DriveNamed(const std::string& letter);
    OverviewRow DriveRow(const Drive& drive, const OverviewSettings& settings) const;

    std::string computer_;
    std::optional<DayNumber> newestLog_, newestReadable_;
    std::vector<std::string> newestReadableDrives_;
    std::vector<Drive> drives_;
};

// By state, then days until full (empty last), then computer and drive in byte order.
void SortRows(std::vector<OverviewRow>& rows);

// 0 when every row is ok; 3 when any is not, or when there are no rows at all: a fleet
// that reports nothing is not ok.
inline constexpr int kExitAllOk = 0;
inline constexpr int kExitAttention = 3;
int ExitCodeOf(const std::vector<OverviewRow>& rows) noexcept;

// Windows-1252 to UTF-8; the five bytes the code page leaves undefined become U+FFFD.
std::string Utf8FromWindows1252(std::string_view text);

// The rows of the overview from each PC's logs.
#include "fleet.h"

#include <algorithm>
#include <tuple>

namespace {

// Free x 100 < N x capacity, exactly; the written percentage where the capacity is unknown.
bool BelowWarning(const OverviewRow& row, int warningPercent)
{
    if (row.capacityMb) return *row.freeMb * 100 < *row.capacityMb * warningPercent;
    return *row.percent < warningPercent;
}

void AppendUtf8(std::string& out, unsigned codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

DayNumber FirstDayRead(const OverviewSettings& settings) noexcept { return settings.reference - (kWindowDays - 1); }

const char* StateName(RowState state) noexcept
{
    switch (state) {
    case RowState::Fehler: return "fehler";
    case RowState::Fehlt: return "fehlt";
    case RowState::Warnung: return "warnung";
    case RowState::BaldVoll: return "bald_voll";
    case RowState::Ok: break;
    }
    return "ok";
}

PcLogs::Drive& PcLogs::DriveNamed(const std::string& letter)
{
    for (Drive& drive : drives_)
        if (drive.letter == letter) return drive;
    drives_.push_back({letter, {}, {}});
    return drives_.back();
}

void PcLogs::Add(DayNumber day, const std::optional<DailyLog>& log)
{
    newestLog_ = day;
    if (!log) return;
    newestReadable_ = day;
    newestReadableDrives_.clear();
    for (const DriveReading& reading : log->drives) {
        newestReadableDrives_.push_back(reading.drive);
        Drive& drive = DriveNamed(reading.drive);
        if (reading.capacityMb) drive.label = reading.label;
        drive.readings.push_back({day, reading.freeMb, reading.capacityMb, reading.percent, reading.serial});
    }
}

OverviewRow PcLogs::DriveRow(const Drive& drive, const OverviewSettings& settings) const
{
    const Reading& newest = drive.readings.back();
    OverviewRow row;
    row.computer = Utf8FromWindows1252(computer_);
    row.drive = drive.letter;
    row.label = Utf8FromWindows1252(drive.label);
    row.stand = newest.day;
    const auto newestLong = std::find_if(drive.readings.rbegin(), drive.readings.rend(),
                                         [](const Reading& reading) { return reading.capacityMb.has_value(); });
    if (newestLong != drive.readings.rend()) row.capacityMb = newestLong->capacityMb;
    row.freeMb = newest.freeMb;
    row.percent = newest.percent;
    row.forecast = ForecastOf(drive.readings);
    for (const Reading& reading : drive.readings) row.history.push_back({reading.day, reading.freeMb});

    const bool silent = *newestLog_ < settings.reference - settings.silentDays;
    const bool gone = std::find(newestReadableDrives_.begin(), newestReadableDrives_.end(), drive.letter) ==
                      newestReadableDrives_.end();
    if (silent || gone)
        row.state = RowState::Fehlt;
    else if (BelowWarning(row, settings.warningPercent))
        row.state = RowState::Warnung;
    else if (row.forecast.daysUntilFull && *row.forecast.daysUntilFull <= settings.horizonDays)
        row.state = RowState::BaldVoll;
    return row;
}

void PcLogs::AppendRows(const OverviewSettings& settings, std::vector<OverviewRow>& rows) const
{
    if (!newestLog_) return;
    if (newestReadable_ != newestLog_) {
        OverviewRow failed;
        failed.computer = Utf8FromWindows1252(computer_);
        failed.stand = *newestLog_;
        failed.state = RowState::Fehler;
        rows.push_back(std::move(failed));
    }
    for (const Drive& drive : drives_) rows.push_back(DriveRow(drive, settings));
}

void SortRows(std::vector<OverviewRow>& rows)
{
    const auto key = [](const OverviewRow& row) {
        const std::int64_t days = row.forecast.daysUntilFull.value_or(0);
        return std::make_tuple(row.state, !row.forecast.daysUntilFull.has_value(), days, std::cref(row.computer),
                               std::cref(row.drive));
    };
    std::sort(rows.begin(), rows.end(), [&](const OverviewRow& a, const OverviewRow& b) { return key(a) < key(b); });
}

int ExitCodeOf(const std::vector<OverviewRow>& rows) noexcept
{
    if (rows.empty()) return kExitAttention;
    const bool allOk =
        std::all_of(rows.begin(), rows.end(), [](const OverviewRow& row) { return row.state == RowState::Ok; });
    return allOk ? kExitAllOk : kExitAttention;
}

std::string Utf8FromWindows1252(std::string_view text)
{
    // 0x80 to 0x9F; 0xFFFD where the code page defines no character.
    static constexpr unsigned kHighControls[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                                   0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
    }
    return out;
}

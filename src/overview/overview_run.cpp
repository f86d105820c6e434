// The run: list, read per PC in date order, decide, write.
#include "overview_run.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "../errors.h"
#include "fleet.h"
#include "overview_output.h"

namespace {

constexpr std::size_t kLongestListedName = 255;

// A fleet's folder holds a few hundred thousand names: they share one buffer.
struct FoundLog {
    std::uint32_t offset;
    std::uint16_t nameLength, computerLength;  // the computer name is the file name's beginning
    DayNumber day;
    bool tooBig;
};

struct FoundLogs {
    std::string names;
    std::vector<FoundLog> logs;
    std::string_view Name(const FoundLog& log) const
    {
        return std::string_view(names).substr(log.offset, log.nameLength);
    }
    std::string_view Computer(const FoundLog& log) const
    {
        return std::string_view(names).substr(log.offset, log.computerLength);
    }
};

// The folder lists in no particular order (Wine and SMB do not sort); a PC's logs must be
// taken in date order. Two names for one PC and day (".txt" and ".TXT" on a share that
// tells them apart) keep the first in byte order.
FoundLogs LogsInWindow(LogFolder& folder, const OverviewSettings& settings, unsigned& error)
{
    FoundLogs found;
    const DayNumber first = FirstDayRead(settings);
    error = folder.List([&](std::string_view name, std::uint64_t size) {
        const auto parsed = ParseDailyLogName(name);
        if (!parsed || parsed->day < first || parsed->day > settings.reference) return;
        if (name.size() > kLongestListedName) return;  // longer than Windows lets a name be
        found.logs.push_back({static_cast<std::uint32_t>(found.names.size()), static_cast<std::uint16_t>(name.size()),
                              static_cast<std::uint16_t>(parsed->computer.size()), parsed->day,
                              size > kLargestDailyLog});
        found.names.append(name);
    });
    auto& logs = found.logs;
    std::sort(logs.begin(), logs.end(), [&](const FoundLog& a, const FoundLog& b) {
        return std::make_tuple(found.Computer(a), a.day, found.Name(a)) <
               std::make_tuple(found.Computer(b), b.day, found.Name(b));
    });
    logs.erase(std::unique(logs.begin(), logs.end(),
                           [&](const FoundLog& a, const FoundLog& b) {
                               return a.day == b.day && found.Computer(a) == found.Computer(b);
                           }),
               logs.end());
    return found;
}

std::optional<DailyLog> ReadLog(LogFolder& folder, const FoundLogs& found, const FoundLog& log, std::string& buffer)
{
    if (log.tooBig) return std::nullopt;
    // One byte more than a log may have shows a file that grew after it was listed.
    if (!folder.Read(std::string(found.Name(log)), kLargestDailyLog + 1, buffer)) return std::nullopt;
    return ParseDailyLog(buffer);
}

std::vector<OverviewRow> RowsOf(LogFolder& folder, const FoundLogs& found, const OverviewSettings& settings,
                                RunConsole& console)
{
    const auto& logs = found.logs;
    std::vector<OverviewRow> rows;
    std::string buffer;
    for (std::size_t begin = 0; begin < logs.size();) {
        const std::string_view computer = found.Computer(logs[begin]);
        PcLogs pc{std::string(computer)};
        std::size_t end = begin;
        for (; end < logs.size() && found.Computer(logs[end]) == computer; ++end) {
            pc.Add(logs[end].day, ReadLog(folder, found, logs[end], buffer));
            console.FileRead(end + 1, logs.size());
        }
        pc.AppendRows(settings, rows);
        begin = end;
    }
    SortRows(rows);
    return rows;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string SummaryOf(const std::vector<OverviewRow>& rows, std::size_t logs, const OverviewArguments& arguments,
                      const OverviewSettings& settings)
{
    const std::string period = "vom " + GermanDate(FirstDayRead(settings)) + " bis " + GermanDate(settings.reference);
    if (rows.empty() && logs == 0)
        return "Keine Tagesprotokolle " + period + " in " + Quoted(arguments.folder) +
               ": nur die Kopfzeile geschrieben.";
    std::string line = std::to_string(logs) + " Tagesprotokolle " + period + " gelesen, " +
                       std::to_string(rows.size()) + " Zeilen nach " + Quoted(arguments.target) + ":";
    const auto counts = StateCounts(rows);
    for (int state = 0; state < kRowStates; ++state)
        line += std::string(state ? "," : "") + " " + std::to_string(counts[static_cast<std::size_t>(state)]) + " " +
                StateName(static_cast<RowState>(state));
    return line + ".";
}

}  // namespace

int RunOverview(const OverviewArguments& arguments, DayNumber today, LogFolder& folder, TargetFolder& target,
                RunConsole& console)
{
    OverviewSettings settings;
    settings.reference = arguments.reference.value_or(today);
    settings.warningPercent = arguments.warningPercent;
    settings.horizonDays = arguments.horizonDays;
    settings.silentDays = arguments.silentDays;

    unsigned error = 0;
    std::vector<OverviewRow> rows;
    std::size_t logsRead = 0;
    {
        // The names go before the files are made: a fleet's folder lists a few hundred
        // thousand, and the page is the biggest thing the run holds.
        const FoundLogs found = LogsInWindow(folder, settings, error);
        if (error != 0) {
            console.Error("Der Ordner " + Quoted(arguments.folder) + " ist nicht lesbar: " +
                          EInOutError::MessageFor(static_cast<int>(error)) + " (" + std::to_string(error) + ").");
            return kExitFailure;
        }
        rows = RowsOf(folder, found, settings, console);
        logsRead = found.logs.size();
    }
    std::vector<OutputFileContents> files(2);
    files[0] = {"uebersicht.tsv", OverviewTsv(rows)};
    files[1] = {"uebersicht.html", OverviewHtml(rows, settings)};
    error = target.ReplaceAll(files);
    if (error != 0) {
        console.Error("Die Übersicht kann nicht nach " + Quoted(arguments.target) + " geschrieben werden: " +
                      EInOutError::MessageFor(static_cast<int>(error)) + " (" + std::to_string(error) + ").");
        return kExitFailure;
    }
    console.Summary(SummaryOf(rows, logsRead, arguments, settings));
    return ExitCodeOf(rows);
}

// The start-up sequence and the switch table.
#include "startup.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "../errors.h"
#include "command_line.h"

namespace {

std::string DailyLogFileNameNow(StartupHost& host)
{
    const LocalDate today = host.Today();
    return DailyLogFileName(host.DailyLogFolder(), host.ComputerName(), today.year, today.month, today.day);
}

constexpr const char* kDailySwitch = "/daily";
constexpr std::string_view kWarningSwitch = "/warnung";

// "/warnung:N" with N one or two digits from 1 to 99; anything else is an error.
int ThresholdOf(const std::string& argument)
{
    const std::string_view value = std::string_view(argument).substr(kWarningSwitch.size());
    const bool digits = value.size() >= 2 && value.size() <= 3 && value[0] == ':' &&
                        std::all_of(value.begin() + 1, value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int threshold = digits ? std::stoi(std::string(value.substr(1))) : 0;
    if (threshold < 1 || threshold > 99)
        throw ECommandLineError("Ungültiger Wert im Schalter \"" + argument +
                                "\": erlaubt ist eine ganze Zahl von 1 bis 99");
    return threshold;
}

// What a lower-cased argument makes the export target: itself when it does not begin with
// "/", "?" for /automatik, and the daily log file (named as it is applied) for /daily.
// Options and other switches leave the target as it is.
std::optional<std::string> TargetWordOf(const std::string& argument)
{
    if (argument.empty() || argument.front() != '/') return argument;
    if (argument == "/automatik") return kAskForFile;
    if (argument == kDailySwitch) return kDailySwitch;
    return std::nullopt;
}

}  // namespace

RunRequest RequestOf(const std::vector<std::string>& arguments)
{
    RunRequest request;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (const auto word = TargetWordOf(argument)) request.exports = *word != kNoExport;
        if (argument == "/?") request.help = true;
    }
    return request;
}

int WarningThresholdOf(const std::vector<std::string>& arguments)
{
    int threshold = 0;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (argument.starts_with(kWarningSwitch)) threshold = ThresholdOf(argument);
    }
    return threshold;
}

std::string ApplyArguments(StartupHost& host, const std::vector<std::string>& arguments)
{
    std::string exportTarget = kNoExport;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (argument == "/lokal") {
            host.SetLocalOnly();
        } else if (argument == "/mb") {
            host.SetMegabytes();
        } else if (argument == "/kurz") {
            host.SetShortExport();
        } else if (argument == "/automatik" || argument == kDailySwitch) {
            host.SetMegabytes();
            host.SetLocalOnly();
        }
        if (const auto word = TargetWordOf(argument))
            exportTarget = *word == kDailySwitch ? DailyLogFileNameNow(host) : *word;
    }
    return exportTarget;
}

StartupEnd RunStartupSequence(StartupHost& host, const std::vector<std::string>& arguments, StartupState& state)
{
    host.LoadSettings();
    host.ShowDailyLogPath();
    // A malformed switch stops the run before any argument takes effect.
    state.warningThreshold = WarningThresholdOf(arguments);
    state.exportTarget = ApplyArguments(host, arguments);
    host.FillDriveGrid();
    const std::string& exportTarget = state.exportTarget;
    const bool waitsForPerson = exportTarget == kNoExport || exportTarget == kAskForFile;
    if (waitsForPerson && !state.anybodyThere) return StartupEnd::NeedsPerson;
    if (exportTarget == kNoExport) return StartupEnd::WindowStays;
    if (exportTarget == kAskForFile) {
        state.exportedFile = host.Export1Click();
    } else {
        host.ExportGrid(exportTarget);
        state.exportedFile = exportTarget;
    }
    host.Terminate();
    return StartupEnd::Ending;
}

// The start-up sequence and the switch table.
#include "startup.h"

#include <optional>

#include "command_line.h"

namespace {

std::string DailyLogFileNameNow(StartupHost& host)
{
    const LocalDate today = host.Today();
    return DailyLogFileName(host.DailyLogFolder(), host.ComputerName(), today.year, today.month, today.day);
}

constexpr const char* kDailySwitch = "/daily";

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
    state.exportTarget = ApplyArguments(host, arguments);
    host.FillDriveGrid();
    const std::string& exportTarget = state.exportTarget;
    const bool waitsForPerson = exportTarget == kNoExport || exportTarget == kAskForFile;
    if (waitsForPerson && !state.anybodyThere) return StartupEnd::NeedsPerson;
    if (exportTarget == kNoExport) return StartupEnd::WindowStays;
    if (exportTarget == kAskForFile)
        host.Export1Click();
    else
        host.ExportGrid(exportTarget);
    host.Terminate();
    return StartupEnd::Ending;
}

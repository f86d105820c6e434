// The start-up sequence and the switch table.
#include "startup.h"

#include "command_line.h"

namespace {

std::string DailyLogFileNameNow(StartupHost& host)
{
    const LocalDate today = host.Today();
    return DailyLogFileName(host.DailyLogFolder(), host.ComputerName(), today.year, today.month, today.day);
}

// An argument that does not begin with "/" names the export target.
bool NamesTarget(const std::string& argument) { return argument.empty() || argument.front() != '/'; }

}  // namespace

RunRequest RequestOf(const std::vector<std::string>& arguments)
{
    RunRequest request;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (NamesTarget(argument)) request.exports = argument != kNoExport;
        if (argument == "/automatik" || argument == "/daily") request.exports = true;
        if (argument == "/?") request.help = true;
    }
    return request;
}

std::string ApplyArguments(StartupHost& host, const std::vector<std::string>& arguments)
{
    std::string exportTarget = kNoExport;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (NamesTarget(argument)) exportTarget = argument;
        if (argument == "/lokal") {
            host.SetLocalOnly();
        } else if (argument == "/mb") {
            host.SetMegabytes();
        } else if (argument == "/kurz") {
            host.SetShortExport();
        } else if (argument == "/automatik") {
            host.SetMegabytes();
            host.SetLocalOnly();
            exportTarget = kAskForFile;
        } else if (argument == "/daily") {
            host.SetMegabytes();
            host.SetLocalOnly();
            exportTarget = DailyLogFileNameNow(host);
        }
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

void RunStartupSequence(StartupHost& host, const std::vector<std::string>& arguments)
{
    StartupState interactive;
    RunStartupSequence(host, arguments, interactive);
}

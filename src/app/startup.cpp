// The start-up sequence and the switch table.
#include "startup.h"

#include "command_line.h"

namespace {

std::string DailyLogFileNameNow(StartupHost& host)
{
    const LocalDate today = host.Today();
    return DailyLogFileName(host.DailyLogFolder(), host.ComputerName(), today.year, today.month, today.day);
}

}  // namespace

std::string ApplyArguments(StartupHost& host, const std::vector<std::string>& arguments)
{
    std::string exportTarget = kNoExport;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        if (argument.empty() || argument.front() != '/') exportTarget = argument;
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

void RunStartupSequence(StartupHost& host, const std::vector<std::string>& arguments)
{
    host.LoadSettings();
    host.ShowDailyLogPath();
    const std::string exportTarget = ApplyArguments(host, arguments);
    host.FillDriveGrid();
    if (exportTarget == kNoExport) return;
    if (exportTarget == kAskForFile)
        host.Export1Click();
    else
        host.ExportGrid(exportTarget);
    host.Terminate();
}

// The start-up sequence and the switch table.
#include "startup.h"

#include <string_view>

#include "../errors.h"
#include "command_line.h"
#include "warning_threshold.h"

namespace {

std::string DailyLogFileNameNow(StartupHost& host)
{
    const LocalDate today = host.Today();
    return DailyLogFileName(host.DailyLogFolder(), host.ComputerName(), today.year, today.month, today.day);
}

const std::string kDailySwitch = "/daily";
constexpr std::string_view kWarningSwitch = "/warnung";

// The switch table for one lower-cased argument. A word that does not begin with "/" is
// the export target as it stands; other switches do nothing.
ArgumentEffect EffectOf(const std::string& argument)
{
    ArgumentEffect effect;
    if (argument.empty() || argument.front() != '/') {
        effect.target = argument;
    } else if (argument == "/lokal") {
        effect.localOnly = true;
    } else if (argument == "/mb") {
        effect.megabytes = true;
    } else if (argument == "/kurz") {
        effect.shortExport = true;
    } else if (argument == "/automatik" || argument == kDailySwitch) {
        effect.megabytes = effect.localOnly = true;
        effect.target = argument == kDailySwitch ? kDailySwitch : kAskForFile;
    }
    return effect;
}

// "/warnung:N": the value after the colon, by the threshold's own rule.
std::optional<int> ThresholdOf(std::string_view argument)
{
    const std::string_view value = argument.substr(kWarningSwitch.size());
    if (!value.starts_with(':')) return std::nullopt;
    return ParseWarningThreshold(value.substr(1));
}

}  // namespace

RunRequest RequestOf(const std::vector<std::string>& arguments)
{
    RunRequest request;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string argument = LowerCaseAscii(arguments[i]);
        ArgumentEffect effect = EffectOf(argument);
        if (effect.target) request.exports = *effect.target != kNoExport;
        if (argument == "/?") request.help = true;
        if (argument.starts_with(kWarningSwitch)) {
            const auto threshold = ThresholdOf(argument);
            if (threshold) request.warningThreshold = *threshold;
            if (!threshold && request.malformedThreshold.empty()) request.malformedThreshold = argument;
        }
        request.effects.push_back(std::move(effect));
    }
    return request;
}

std::string ApplyArguments(StartupHost& host, const RunRequest& request)
{
    std::string exportTarget = kNoExport;
    for (const ArgumentEffect& effect : request.effects) {
        if (effect.megabytes) host.SetMegabytes();
        if (effect.localOnly) host.SetLocalOnly();
        if (effect.shortExport) host.SetShortExport();
        // The daily name takes the date of the moment its switch is applied.
        if (effect.target) exportTarget = *effect.target == kDailySwitch ? DailyLogFileNameNow(host) : *effect.target;
    }
    return exportTarget;
}

StartupEnd RunStartupSequence(StartupHost& host, const RunRequest& request, StartupState& state)
{
    host.LoadSettings();
    host.ShowDailyLogPath();
    if (!request.malformedThreshold.empty())
        throw ECommandLineError("Ungültiger Wert im Schalter \"" + request.malformedThreshold +
                                "\": erlaubt ist eine ganze Zahl von 1 bis 99");
    state.warningThreshold = request.warningThreshold;
    state.exportTarget = ApplyArguments(host, request);
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

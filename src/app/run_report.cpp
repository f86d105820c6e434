// The run's exit code and its events.
#include "run_report.h"

#include "../errors.h"
#include "space_report.h"
#include "startup.h"

EventId EventIdOfCurrentException() noexcept
{
    try {
        throw;
    } catch (const EInOutError&) {
        return EventId::ExportFailed;  // file errors arise in the export alone
    } catch (const ERegistryException& error) {
        return error.Kind() == ERegistryException::Access::Store ? EventId::SettingsNotSaved
                                                                 : EventId::SettingsUnreadable;
    } catch (...) {
        return EventId::OtherError;
    }
}

std::string CutToEventString(const std::string& text)
{
    if (text.size() <= kLongestEventString) return text;
    return text.substr(0, kLongestEventString - 1) + "…";
}

bool AnybodyThere(std::optional<unsigned long> stationFlags, std::optional<unsigned long> sessionId) noexcept
{
    if (sessionId == 0UL) return false;
    return !stationFlags || (*stationFlags & kStationVisible) != 0;
}

EventType TypeOf(EventId id) noexcept
{
    switch (id) {
    case EventId::LowSpace:
    case EventId::SizeUnknown: return EventType::Warning;
    case EventId::Exported: return EventType::Information;
    default: return EventType::Error;
    }
}

RunReport::RunReport(bool anybodyThere, bool unattended, std::string_view commandLine, EventSink& events)
    : anybodyThere_(anybodyThere), unattended_(unattended), commandLine_(commandLine), events_(events)
{
}

void RunReport::SetExportTarget(const std::string& target) noexcept
{
    try {
        exportTarget_ = target == kNoExport ? std::string() : target;
    } catch (...) {
        // Out of memory: the events go without the target.
    }
}

bool RunReport::Error(EventId id, const std::string& shownText) noexcept
{
    if (unattended_ || !anybodyThere_) Write(id, shownText);
    if (!anybodyThere_) failed_ = true;  // nobody can answer a box: the run ends here
    return anybodyThere_;
}

void RunReport::NeedsPerson(const std::string& reason) noexcept
{
    needsPerson_ = true;
    Write(EventId::NeedsPerson, reason);
}

void RunReport::Exported(const std::string& file, int listedDrives, const std::vector<MeasuredDrive>& measured,
                         int thresholdPercent) noexcept
{
    try {
        if (thresholdPercent > 0) {
            for (const ReportedEvent& warning : SpaceWarnings(measured, thresholdPercent, file)) {
                belowThreshold_ = true;
                Report(warning.id, warning.strings);
            }
        }
        Report(EventId::Exported, HeartbeatTexts(file, listedDrives, measured));
    } catch (...) {
        // Out of memory while forming the texts: the exit code still tells.
    }
}

int RunReport::ExitCode() const noexcept
{
    if (failed_) return kExitError;  // an error outweighs everything else
    if (needsPerson_) return kExitNeedsPerson;
    return belowThreshold_ ? kExitBelowThreshold : kExitSuccess;
}

void RunReport::Write(EventId id, const std::string& text) noexcept
{
    try {
        Report(id, {text, commandLine_, exportTarget_});
    } catch (...) {
        // Out of memory while copying the texts: the exit code still tells.
    }
}

void RunReport::Report(EventId id, const std::vector<std::string>& strings)
{
    std::vector<std::string> cut;
    cut.reserve(strings.size());
    for (const std::string& text : strings) cut.push_back(CutToEventString(text));
    events_.Report(id, cut);
}

// How a run ends and whom it tells: a person at the screen, or nobody (a scheduled task in
// a session nobody sees) and the Windows event log instead. Decided once at start.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../survey/drive_survey.h"

// The ids of the program's events; the message table in the exe gives each its text.
enum class EventId : unsigned {
    ExportFailed = 1,
    SettingsUnreadable = 2,
    OtherError = 3,
    NeedsPerson = 4,
    SettingsNotSaved = 5,
    LowSpace = 10,  // "/warnung:N": a drive below the threshold
    SizeUnknown = 11,  // "/warnung:N": a drive whose size could not be obtained
    Exported = 20,  // the heartbeat of an unattended export
};

enum class EventType { Error, Warning, Information };
EventType TypeOf(EventId id) noexcept;

// The process exit codes a scheduled task reports.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitError = 1,  // an error reached the top-level handler during start-up
    kExitNeedsPerson = 2,  // the run needs a person, and nobody can see its session
    kExitBelowThreshold = 3,  // written, but a drive is below the threshold of /warnung
};

// ReportEvent rejects an event with an insertion string longer than this many characters,
// and the event is then lost without a trace; the command line is one of the strings.
inline constexpr std::size_t kLongestEventString = 31839;
// The text as an insertion string: one that is too long is cut to the limit, its last
// character an ellipsis ("…", one byte in Windows-1252).
std::string CutToEventString(const std::string& text);

// Writes one event of the type its id has; a failure to write is swallowed: the box or the
// exit code tells.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void Report(EventId id, const std::vector<std::string>& strings) noexcept = 0;
};

// WSF_VISIBLE of a window station's UOI_FLAGS.
inline constexpr unsigned long kStationVisible = 0x0001;

// Whether a person can see the process's session, from its window station's flags and its
// session id; a query that failed (nothing) decides nothing. An invisible window station
// (a task that runs whether the user is logged on or not) is nobody's; so is session 0,
// whose WinSta0 is flagged visible although since Windows Vista it belongs to services
// and nobody sees it.
bool AnybodyThere(std::optional<unsigned long> stationFlags, std::optional<unsigned long> sessionId) noexcept;

// The event id of the error being handled; call it inside a catch block only.
EventId EventIdOfCurrentException() noexcept;

class RunReport {
public:
    // unattended: the command line asks for an export (a file, /daily, /automatik or ?).
    RunReport(bool anybodyThere, bool unattended, std::string_view commandLine, EventSink& events);

    bool AnybodyThere() const noexcept { return anybodyThere_; }
    // The export target as the start-up sequence left it, the events' third text: the
    // file's name, "?" for the save dialog; "*" (no export) names none.
    void SetExportTarget(const std::string& target) noexcept;

    // An error reached the top-level handler with the text its box shows. Writes the event
    // where the run is unattended or nobody sees it; returns whether to show the box.
    // Where nobody sees it, the run is to end at once with exit code 1.
    bool Error(EventId id, const std::string& shownText) noexcept;
    // The error ended the start-up sequence: the run ends with exit code 1.
    void StartupFailed() noexcept { failed_ = true; }
    // Nobody sees the session, and the run would now wait for a person: the event, exit code 2.
    void NeedsPerson(const std::string& reason) noexcept;
    // The export the command line asked for was written to `file`: with a threshold, a
    // warning for each measured drive below it or of unknown size (exit code 3), then the
    // heartbeat.
    void Exported(const std::string& file, int listedDrives, const std::vector<MeasuredDrive>& measured,
                  int thresholdPercent) noexcept;

    int ExitCode() const noexcept;

private:
    void Write(EventId id, const std::string& text) noexcept;
    // Every event goes out here, its strings cut to what ReportEvent accepts.
    void Report(EventId id, const std::vector<std::string>& strings);

    bool anybodyThere_;
    bool unattended_;
    std::string commandLine_;
    std::string exportTarget_;
    EventSink& events_;
    bool failed_ = false;
    bool needsPerson_ = false;
    bool belowThreshold_ = false;
};

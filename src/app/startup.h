// The start-up sequence of the main form: settings, command line, first refresh and the
// unattended export that ends the run.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// What the sequence needs of the main form; the window implements it, tests fake it.
class StartupHost {
public:
    virtual ~StartupHost() = default;
    virtual void LoadSettings() = 0;
    virtual void ShowDailyLogPath() = 0;  // the status bar's second panel
    virtual void SetLocalOnly() = 0;  // switches only ever turn options on
    virtual void SetMegabytes() = 0;
    virtual void SetShortExport() = 0;
    virtual std::string DailyLogFolder() const = 0;
    virtual std::string ComputerName() = 0;
    virtual LocalDate Today() = 0;
    virtual void FillDriveGrid() = 0;
    // The save dialog, then the export: the file written, or nothing when the user cancelled.
    virtual std::string Export1Click() = 0;
    virtual void ExportGrid(const std::string& fileName) = 0;
    virtual void Terminate() = 0;  // posts the quit request
};

inline const std::string kNoExport = "*";
inline const std::string kAskForFile = "?";

// What one argument does by the switch table: the options it turns on and the export
// target it sets, if it sets one.
struct ArgumentEffect {
    bool megabytes = false;
    bool localOnly = false;
    bool shortExport = false;
    std::optional<std::string> target;  // "/daily": the daily log file, named as it is applied
};

// What the command line asks of the run, read once before anything else happens.
struct RunRequest {
    bool help = false;  // "/?" anywhere: the switches are shown and nothing else is done
    bool exports = false;  // a file name, /daily, /automatik or ? is the last word on the target
    int warningThreshold = 0;  // "/warnung:N" in whole percent, the last one given; 0 without one
    // The first "/warnung" switch (lower-cased) whose value is not 1 to 99; empty when none.
    std::string malformedThreshold;
    std::vector<ArgumentEffect> effects;  // of arguments 1 to n, in their order
};
RunRequest RequestOf(const std::vector<std::string>& arguments);

// Applies the effects of arguments 1 to n in order and returns the export target they leave.
// Here and below, a caller that holds only the split arguments has them read first.
std::string ApplyArguments(StartupHost& host, const RunRequest& request);
inline std::string ApplyArguments(StartupHost& host, const std::vector<std::string>& arguments)
{
    return ApplyArguments(host, RequestOf(arguments));
}

enum class StartupEnd {
    WindowStays,  // no export: the user drives the window
    Ending,  // the export ran and the quit request is posted
    NeedsPerson,  // nobody sees the session, and the window or the save dialog would wait
};

// What the sequence knows before it starts, and learns on the way.
struct StartupState {
    bool anybodyThere = true;
    int warningThreshold = 0;  // "/warnung:N"; 0 without it
    std::string exportTarget = kNoExport;  // set once the arguments are applied
    std::string exportedFile;  // the file the export was written to; empty while none was
};

// The whole sequence. An exception ends it where it arises; the caller shows it. Where
// nobody sees the session, the sequence stops short of the window and the save dialog. A
// malformed threshold raises ECommandLineError before any argument takes effect: a
// threshold that silently did nothing would never warn.
StartupEnd RunStartupSequence(StartupHost& host, const RunRequest& request, StartupState& state);
inline StartupEnd RunStartupSequence(StartupHost& host, const std::vector<std::string>& arguments, StartupState& state)
{
    return RunStartupSequence(host, RequestOf(arguments), state);
}

// One run of the overview: list the collecting folder, read the logs of the days read in
// date order per PC, then write both files as a whole. The folders are small interfaces;
// the Win32 adapters are in overview_win.cpp, fakes in the tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "overview_arguments.h"

// The collecting folder. Error results are the operating system's codes, 0 on success.
class LogFolder {
public:
    virtual ~LogFolder() = default;
    // Calls found for every plain file, in whatever order the folder lists them (subfolders
    // are left out). A folder that does not exist or cannot be listed is an error.
    virtual unsigned List(const std::function<void(std::string_view name, std::uint64_t size)>& found) = 0;
    // The file's first bytes, up to limit; false when it cannot be opened or read.
    virtual bool Read(const std::string& name, std::size_t limit, std::string& contents) = 0;
};

struct OutputFileContents {
    std::string name;  // within the target folder
    std::string bytes;
};

// The target folder: every file is written to a temporary file first and then renamed
// over the old one; when anything fails, no temporary file stays and the old files stay.
class TargetFolder {
public:
    virtual ~TargetFolder() = default;
    virtual unsigned ReplaceAll(const std::vector<OutputFileContents>& files) = 0;
};

// The console: progress while the logs are read, then one line at the end.
class RunConsole {
public:
    virtual ~RunConsole() = default;
    virtual void FileRead(std::size_t done, std::size_t total) = 0;
    virtual void Summary(const std::string& line) = 0;  // Windows-1252
    virtual void Error(const std::string& message) = 0;  // Windows-1252
};

inline constexpr int kExitFailure = 1;

// The exit code: 0 all ok, 3 attention, 1 when the run itself failed.
int RunOverview(const OverviewArguments& arguments, DayNumber today, LogFolder& folder, TargetFolder& target,
                RunConsole& console);

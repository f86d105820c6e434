// The overview's folders and console on Windows: FindFirstFileA, CreateFileA and ReadFile
// for the logs; a temporary file and MoveFileExA for each result; the console's handles.
#pragma once

#include <windows.h>

#include "overview_run.h"

class WindowsLogFolder final : public LogFolder {
public:
    explicit WindowsLogFolder(std::string folder) : folder_(std::move(folder)) {}
    unsigned List(const std::function<void(std::string_view name, std::uint64_t size)>& found) override;
    bool Read(const std::string& name, std::size_t limit, std::string& contents) override;

private:
    std::string folder_;
};

class WindowsTargetFolder final : public TargetFolder {
public:
    explicit WindowsTargetFolder(std::string folder) : folder_(std::move(folder)) {}
    unsigned ReplaceAll(const std::vector<OutputFileContents>& files) override;

private:
    std::string folder_;
};

// Progress a few times a second on stderr, and only when stderr is a console: a scheduled
// task's log stays free of it. Texts go to a console as UTF-16 (its code page is the OEM
// one, not 1252), to a file or pipe as the Windows-1252 bytes they are.
class WindowsConsole final : public RunConsole {
public:
    WindowsConsole();
    void FileRead(std::size_t done, std::size_t total) override;
    void Summary(const std::string& line) override;
    void Error(const std::string& message) override;
    void Help(const std::string& text);

private:
    void EndProgress();

    HANDLE output_, error_;
    bool errorIsConsole_;
    DWORD started_ = 0, lastShown_ = 0;
    bool progressShown_ = false;
};

// "folder\name", without a second backslash after "D:\" or "\\srv\share\".
std::string PathIn(const std::string& folder, std::string_view name);

// Today's local date.
DayNumber LocalToday();

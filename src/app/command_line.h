// The process command line: its arguments, the switches and the daily log file name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a command line: bytes 1 to 32 separate arguments, a double quote opens a stretch
// that runs to the next one, and an empty pair of quotes where an argument would begin
// is skipped. Element 0 is the program's own path; the list ends before the first
// argument that comes out empty.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Lower-cases the ASCII letters A to Z only.
std::string LowerCaseAscii(std::string text);

// "%s\%s-%d%s%s.txt": folder, computer name, year, two-digit month and day.
std::string DailyLogFileName(const std::string& folder, const std::string& computerName, int year, int month, int day);

// What "/?" shows: the switches, the daily file's name, the exit codes and the settings key.
extern const char* const kHelpText;

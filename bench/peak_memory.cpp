// Runs a program and prints its peak working set (PROCESS_MEMORY_COUNTERS.PeakWorkingSetSize)
// for scripts/bench; ends with the program's exit code.
//   peak_memory.exe PROGRAM [ARGS...]
// The counters are read every few milliseconds while the program runs and once after it
// ended: Wine answers for a running process only, and the peak never falls.
#include <windows.h>

#include <psapi.h>  // after windows.h, whose types it uses

#include <cstdio>
#include <string>

namespace {

// The command line after this program's own path, as it was written.
const char* ChildCommandLine()
{
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"') ++line;
        if (*line == '"') ++line;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

SIZE_T PeakOf(HANDLE process, SIZE_T seen)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters) && counters.PeakWorkingSetSize > seen)
        return counters.PeakWorkingSetSize;
    return seen;
}

}  // namespace

int main()
{
    std::string command = ChildCommandLine();
    if (command.empty()) return 2;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "peak_memory: CreateProcessA failed (%lu)\n", GetLastError());
        return 2;
    }
    CloseHandle(child.hThread);
    SIZE_T peak = 0;
    while (WaitForSingleObject(child.hProcess, 5) == WAIT_TIMEOUT) peak = PeakOf(child.hProcess, peak);
    peak = PeakOf(child.hProcess, peak);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    std::fprintf(stderr, "peak working set: %lu bytes\n", static_cast<unsigned long>(peak));
    return static_cast<int>(code);
}

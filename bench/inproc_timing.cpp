// The in-process timings of scripts/bench: FillDriveGrid and ExportGrid for 24 drives in
// memory (the program's own logic alone), then over the drives Windows reports and into a
// real file (Wine's calls included). Prints medians in microseconds; asserts nothing.
// Usage: inproc_timing.exe FILE
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../tests/report/fake_files.h"
#include "report/export.h"
#include "report/file_win.h"
#include "survey/drive_queries_win.h"
#include "survey/drive_survey.h"
#include "survey/fake_drives.h"
#include "ui/application_win.h"

namespace {

double MedianMicroseconds(int runs, const std::function<void()>& run)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QueryPerformanceCounter(&start);
        run();
        QueryPerformanceCounter(&end);
        times.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// C: to Z:, all fixed disks with labels, serials and sizes of several terabytes.
FakeDriveQueries TwentyFourDrives()
{
    FakeDriveQueries drives;
    drives.computerName = "BENCH-PC";
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const std::int64_t total = (letter - 'B') * 987'654'321'987LL;
        drives.drives[letter] = {
            3, {std::string("VOLUME_") + letter, 0x12AB0000u + letter, "NTFS"}, {total, total / 3}};
    }
    return drives;
}

void Report(const char* what, int runs, double microseconds)
{
    std::printf("%-52s %9.1f us  (median of %d)\n", what, microseconds, runs);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: inproc_timing FILE\n");
        return 2;
    }
    Application::Initialize();
    RecordingLayout layout;
    std::string label, fileSystem;
    const SurveyOptions megabytes{false, true};

    FakeDriveQueries fake = TwentyFourDrives();
    DriveTable table;
    const int runs = 2000;
    Report("FillDriveGrid, 24 fixed disks in memory", runs, MedianMicroseconds(runs, [&] {
               FillDriveGrid(table, fake, megabytes, layout, {label, fileSystem});
           }));
    FakeFiles memory;
    Report("ExportGrid long, 24 drives, into memory", runs,
           MedianMicroseconds(runs, [&] { ExportGrid(table, false, "x", memory); }));
    const std::size_t longBytes = memory.files.at("x").Bytes().size();
    Report("ExportGrid short, 24 drives, into memory", runs,
           MedianMicroseconds(runs, [&] { ExportGrid(table, true, "x", memory); }));
    WindowsOutputFiles files;
    const int fileRuns = 200;
    Report("ExportGrid long, 24 drives, into a file", fileRuns,
           MedianMicroseconds(fileRuns, [&] { ExportGrid(table, false, argv[1], files); }));

    WindowsDriveQueries windows;
    DriveTable real;
    Report("FillDriveGrid over the drives Windows reports", fileRuns, MedianMicroseconds(fileRuns, [&] {
               FillDriveGrid(real, windows, megabytes, layout, {label, fileSystem});
           }));
    std::printf("(long export of 24 drives: %zu bytes; drives Windows reports: %d)\n", longBytes, real.RowCount() - 1);
    return 0;
}

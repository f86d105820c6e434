// Fuzzes the daily log's reader. Any bytes: never a crash, and what it accepts keeps the
// rules of a log (drives "C:" to "Z:" once each, figures within their ranges, the capacity
// in the long layout alone, a log cut short rejected). A log as merovant.exe writes it
// (ExportGrid over a table of random drives, either layout, megabytes or kilobytes, any
// grouping byte or none): read back with exactly the figures written, kilobytes rounded
// half up to megabytes, rows without a reading left out.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "overview/daily_log.h"
#include "report/export.h"
#include "survey/drive_table.h"
#include "survey/number_format.h"

namespace {

void CheckAnyBytes(const std::string& bytes)
{
    const auto log = ParseDailyLog(bytes);
    if (!log) return;
    FUZZ_CHECK(bytes.size() <= kLargestDailyLog && bytes.ends_with("\r\n"), Visible(bytes));
    FUZZ_CHECK(!ParseDailyLog(std::string_view(bytes).substr(0, bytes.size() - 1)), Visible(bytes));
    std::set<std::string> drives;
    for (const DriveReading& d : log->drives) {
        FUZZ_CHECK(d.drive.size() == 2 && d.drive[0] >= 'A' && d.drive[0] <= 'Z' && d.drive[1] == ':', Visible(bytes));
        FUZZ_CHECK(drives.insert(d.drive).second, "drive twice: " + Visible(bytes));
        FUZZ_CHECK(d.freeMb >= 0 && d.freeMb <= kLargestMegabytes, Visible(bytes));
        FUZZ_CHECK(d.percent >= 0 && d.percent <= 100, Visible(bytes));
        FUZZ_CHECK(d.capacityMb.has_value() == log->longLayout, Visible(bytes));
        if (d.capacityMb) FUZZ_CHECK(*d.capacityMb >= 0 && *d.capacityMb <= kLargestMegabytes, Visible(bytes));
        if (!log->longLayout) FUZZ_CHECK(d.label.empty() && d.serial.empty(), Visible(bytes));
    }
}

class MemoryFile final : public OutputFile {
public:
    explicit MemoryFile(std::string& bytes) : bytes_(bytes) {}
    FileKind Kind() override { return FileKind::Other; }
    unsigned Write(const char* data, std::size_t size, std::size_t& written) override
    {
        bytes_.append(data, size);
        written = size;
        return 0;
    }
    unsigned Flush() override { return 0; }
    unsigned Close() override { return 0; }

private:
    std::string& bytes_;
};

class MemoryFiles final : public OutputFiles {
public:
    std::string bytes;
    std::unique_ptr<OutputFile> Create(const std::string&, unsigned& errorCode) override
    {
        errorCode = 0;
        return std::make_unique<MemoryFile>(bytes);
    }
};

// A cell text: any bytes but the layout's own TAB, CR and LF.
std::string TextCell(FuzzedDataProvider& input)
{
    std::string text = input.ConsumeRandomLengthString(20);
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = '_';
    return text;
}

char GroupingByte(FuzzedDataProvider& input)
{
    const auto byte = input.ConsumeIntegral<char>();
    const bool excluded = (byte >= '0' && byte <= '9') || byte == '\t' || byte == '\r' || byte == '\n' || byte == '%';
    return excluded ? '\0' : byte;  // '\0': the user's symbol is empty
}

struct Written {
    std::string drive, label, serial;
    std::int64_t capacity, free;  // in the file's unit
    int percent;
};

void CheckWrittenLog(FuzzedDataProvider& input)
{
    const bool shortLayout = input.ConsumeBool();
    const bool kilobytes = input.ConsumeBool();
    const char separator = GroupingByte(input);
    // Below 10^18: at most 18 digits, about 880 TB in kilobytes.
    const std::int64_t largest = kilobytes ? 999'999'999'999'999'999 : kLargestMegabytes;

    DriveTable grid(1);
    grid.SetCell(0, 0, TextCell(input));
    const char* const titles[] = {"Name",
                                  "TYP",
                                  kilobytes ? "Kapazit\xE4t(KB)" : "Kapazit\xE4t (MB)",
                                  kilobytes ? "Frei(KB)" : "Frei (MB)",
                                  "Frei in %",
                                  "Serien-Nr",
                                  "Filesystem"};
    for (int col = 1; col < DriveTable::ColCount; ++col) grid.SetCell(col, 0, titles[col - 1]);
    std::vector<Written> readings;
    int row = 1;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (!input.ConsumeBool()) continue;
        const std::string drive{letter, ':'};
        const int kind = input.ConsumeIntegralInRange(0, 5);  // 0: not measured, 1: query failed
        Written w{drive, TextCell(input), TextCell(input), 0, 0, 0};
        if (kind == 1) w.percent = 100;
        if (kind >= 2) {
            w.capacity = input.ConsumeIntegralInRange<std::int64_t>(1, largest);
            w.free = input.ConsumeIntegralInRange<std::int64_t>(0, w.capacity);
            w.percent = input.ConsumeIntegralInRange(0, 100);
        }
        grid.SetRowCount(row + 1);
        grid.SetCell(0, row, drive);
        grid.SetCell(1, row, w.label);
        grid.SetCell(2, row, "lokale Festplatte");
        if (kind != 0) {
            grid.SetCell(3, row, FormatSize(static_cast<long double>(w.capacity), separator));
            grid.SetCell(4, row, FormatSize(static_cast<long double>(w.free), separator));
            grid.SetCell(5, row, FormatPercent(w.percent));
            grid.SetCell(6, row, w.serial);
            grid.SetCell(7, row, "NTFS");
        }
        // A short log cannot tell a failed query (0 free, 100 %) from a reading.
        if (kind >= 2 || (kind == 1 && shortLayout)) readings.push_back(w);
        ++row;
    }
    MemoryFiles files;
    ExportGrid(grid, shortLayout, "log.txt", files);
    const auto log = ParseDailyLog(files.bytes);
    FUZZ_CHECK(log.has_value(), Visible(files.bytes));
    FUZZ_CHECK(log->longLayout == !shortLayout, Visible(files.bytes));
    FUZZ_CHECK(log->drives.size() == readings.size(), Visible(files.bytes));
    const auto megabytes = [&](std::int64_t size) { return kilobytes ? (size + 512) / 1024 : size; };
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const Written& w = readings[i];
        const DriveReading& d = log->drives[i];
        FUZZ_CHECK(d.drive == w.drive && d.freeMb == megabytes(w.free) && d.percent == w.percent, Visible(files.bytes));
        if (shortLayout) continue;
        FUZZ_CHECK(d.capacityMb == megabytes(w.capacity) && d.label == w.label && d.serial == w.serial,
                   Visible(files.bytes));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        CheckAnyBytes(input.ConsumeRemainingBytesAsString());
    else
        CheckWrittenLog(input);
    return 0;
}

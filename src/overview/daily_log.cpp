// The daily log's file name and both export layouts, read back.
#include "daily_log.h"

#include <algorithm>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// The header's columns after the computer name, in megabytes and in kilobytes. 0xE4 is the
// "ä" of Windows-1252.
constexpr std::string_view kLongHeaderMb =
    "\tName\tTYP\tKapazit\xE4t (MB)\tFrei (MB)\tFrei in %\tSerien-Nr\tFilesystem\t";
constexpr std::string_view kLongHeaderKb =
    "\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t";
constexpr std::string_view kShortHeaderMb = " Frei (MB) Frei in %";
constexpr std::string_view kShortHeaderKb = " Frei(KB) Frei in %";
constexpr int kLongFields = 8;
constexpr std::size_t kLongestNumber = 18;  // digits; what fits 64 bits with room

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

bool EndsWithInsensitive(std::string_view text, std::string_view lowerSuffix)
{
    if (text.size() < lowerSuffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - lowerSuffix.size());
    return std::equal(tail.begin(), tail.end(), lowerSuffix.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

std::optional<std::int64_t> WholeNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > kLongestNumber) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A size as the table writes it: digits, grouped in threes from the right by one byte that
// is neither a digit nor TAB, CR, LF or "%" (or not grouped at all), then a blank.
std::optional<std::int64_t> ParseSize(std::string_view field)
{
    if (field.size() < 2 || field.back() != ' ') return std::nullopt;
    field.remove_suffix(1);
    const auto firstNonDigit = std::find_if_not(field.begin(), field.end(), IsDigit);
    if (firstNonDigit == field.end()) return WholeNumber(field);
    const char separator = *firstNonDigit;
    if (separator == '\t' || separator == '\r' || separator == '\n' || separator == '%') return std::nullopt;
    const auto leading = static_cast<std::size_t>(firstNonDigit - field.begin());
    if (leading < 1 || leading > 3) return std::nullopt;
    std::string digits(field.substr(0, leading));
    for (std::size_t at = leading; at < field.size(); at += 4) {
        if (field.size() - at < 4 || field[at] != separator) return std::nullopt;
        const std::string_view group = field.substr(at + 1, 3);
        if (!std::all_of(group.begin(), group.end(), IsDigit)) return std::nullopt;
        digits += group;
    }
    return WholeNumber(digits);
}

// "36 %", or " %" for zero; at most 100.
std::optional<int> ParsePercent(std::string_view field)
{
    if (field.size() < 2 || field.substr(field.size() - 2) != " %") return std::nullopt;
    const std::string_view digits = field.substr(0, field.size() - 2);
    if (digits.empty()) return 0;
    if (digits.size() > 3) return std::nullopt;
    const auto value = WholeNumber(digits);
    if (!value || *value > 100) return std::nullopt;
    return static_cast<int>(*value);
}

// Kilobytes become megabytes rounded half up.
std::optional<std::int64_t> Megabytes(std::optional<std::int64_t> size, bool kilobytes)
{
    if (!size) return std::nullopt;
    const std::int64_t mb = kilobytes ? (*size + 512) / 1024 : *size;
    if (mb > kLargestMegabytes) return std::nullopt;
    return mb;
}

bool IsDriveName(std::string_view field)
{
    return field.size() == 2 && field[0] >= 'A' && field[0] <= 'Z' && field[1] == ':';
}

std::vector<std::string_view> SplitLines(std::string_view bytes, bool& complete)
{
    std::vector<std::string_view> lines;
    complete = true;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find(kLineEnd);
        if (end == std::string_view::npos) {
            complete = false;  // a log cut off while it was written
            break;
        }
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + kLineEnd.size());
    }
    return lines;
}

enum class ParsedRow { Reading, NoReading, Malformed };

// Eight fields, each followed by a TAB: drive, label, type, capacity, free, percent,
// serial number, file system.
ParsedRow ParseLongRow(std::string_view line, bool kilobytes, DriveReading& reading)
{
    std::string_view fields[kLongFields];
    for (auto& field : fields) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return ParsedRow::Malformed;
        field = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    if (!line.empty() || !IsDriveName(fields[0])) return ParsedRow::Malformed;
    const std::string_view capacity = fields[3], free = fields[4], percent = fields[5];
    if (capacity.empty() && free.empty() && percent.empty()) return ParsedRow::NoReading;
    const auto written = ParseSize(capacity);
    const auto capacityMb = Megabytes(written, kilobytes);
    const auto freeMb = Megabytes(ParseSize(free), kilobytes);
    const auto freePercent = ParsePercent(percent);
    if (!capacityMb || !freeMb || !freePercent) return ParsedRow::Malformed;
    // The failed query's 0 as written: a drive of under half a megabyte is still a drive.
    if (*written == 0) return ParsedRow::NoReading;
    reading = {std::string(fields[0]), std::string(fields[1]), capacityMb, *freeMb,
               *freePercent,           std::string(fields[6])};
    return ParsedRow::Reading;
}

// "C: <free> <percent>": the free space ends with a blank of its own, so two blanks come
// before the percentage; read from the end, since the grouping byte may be a blank too.
ParsedRow ParseShortRow(std::string_view line, bool kilobytes, DriveReading& reading)
{
    if (line.size() < 4 || !IsDriveName(line.substr(0, 2)) || line[2] != ' ') return ParsedRow::Malformed;
    const std::string_view drive = line.substr(0, 2);
    std::string_view rest = line.substr(3);
    if (rest == " ") return ParsedRow::NoReading;
    if (rest.size() < 2 || rest.substr(rest.size() - 2) != " %") return ParsedRow::Malformed;
    std::size_t percentStart = rest.size() - 2;
    while (percentStart > 0 && IsDigit(rest[percentStart - 1])) --percentStart;
    const auto freePercent = ParsePercent(rest.substr(percentStart));
    rest = rest.substr(0, percentStart);
    if (rest.size() < 2 || rest.back() != ' ') return ParsedRow::Malformed;
    const auto freeMb = Megabytes(ParseSize(rest.substr(0, rest.size() - 1)), kilobytes);
    if (!freeMb || !freePercent) return ParsedRow::Malformed;
    reading = {std::string(drive), {}, std::nullopt, *freeMb, *freePercent, {}};
    return ParsedRow::Reading;
}

}  // namespace

std::optional<DailyLogName> ParseDailyLogName(std::string_view fileName)
{
    constexpr std::string_view kExtension = ".txt";
    constexpr std::size_t kDateLength = 8;
    if (!EndsWithInsensitive(fileName, kExtension)) return std::nullopt;
    const std::string_view stem = fileName.substr(0, fileName.size() - kExtension.size());
    const std::size_t hyphen = stem.rfind('-');
    if (hyphen == std::string_view::npos || hyphen == 0) return std::nullopt;
    const std::string_view date = stem.substr(hyphen + 1);
    if (date.size() != kDateLength) return std::nullopt;
    const auto day = ParseCompactDate(date);
    if (!day) return std::nullopt;
    return DailyLogName{std::string(stem.substr(0, hyphen)), *day};
}

std::optional<DailyLog> ParseDailyLog(std::string_view bytes)
{
    if (bytes.size() > kLargestDailyLog) return std::nullopt;
    bool complete = false;
    const std::vector<std::string_view> lines = SplitLines(bytes, complete);
    if (!complete || lines.empty()) return std::nullopt;
    const std::string_view header = lines.front();
    DailyLog log;
    bool kilobytes = false;
    if (header.ends_with(kLongHeaderMb) || header.ends_with(kLongHeaderKb)) {
        kilobytes = header.ends_with(kLongHeaderKb);
    } else if (header.ends_with(kShortHeaderMb) || header.ends_with(kShortHeaderKb)) {
        log.longLayout = false;
        kilobytes = header.ends_with(kShortHeaderKb);
    } else {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        DriveReading reading;
        const ParsedRow row =
            log.longLayout ? ParseLongRow(lines[i], kilobytes, reading) : ParseShortRow(lines[i], kilobytes, reading);
        if (row == ParsedRow::Malformed) return std::nullopt;
        if (row == ParsedRow::NoReading) continue;
        const bool repeated = std::any_of(log.drives.begin(), log.drives.end(),
                                          [&](const DriveReading& seen) { return seen.drive == reading.drive; });
        if (repeated) return std::nullopt;
        log.drives.push_back(std::move(reading));
    }
    return log;
}

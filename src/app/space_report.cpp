// The free-space warnings and the heartbeat of an unattended export.
#include "space_report.h"

#include <cmath>

#include "../survey/float_setting.h"

namespace {

// A product of two factors exactly, as its high and low 64-bit halves.
struct Wide {
    std::uint64_t high, low;
    bool operator<(const Wide& other) const noexcept
    {
        return high != other.high ? high < other.high : low < other.low;
    }
};

Wide Times(std::uint64_t value, std::uint32_t factor)
{
    const std::uint64_t lowPart = (value & 0xFFFFFFFFU) * factor, highPart = (value >> 32) * factor;
    const std::uint64_t low = lowPart + (highPart << 32);
    return {(highPart >> 32) + (low < lowPart ? 1U : 0U), low};
}

// Free over total in extended precision: exact to the last digit shown for every drive
// below 16 PiB, whose byte counts times 1000 fit the 64-bit significand.
long double FreeShare(DiskSpace space)
{
    return static_cast<long double>(space.free) / static_cast<long double>(space.total);
}

std::string DriveName(char letter) { return std::string{letter} + ":"; }

}  // namespace

bool SizeUnknown(DiskSpace space) noexcept { return space.total <= 0 || space.free < 0; }

bool BelowThreshold(DiskSpace space, int thresholdPercent) noexcept
{
    if (SizeUnknown(space)) return false;
    return Times(static_cast<std::uint64_t>(space.free), 100) <
           Times(static_cast<std::uint64_t>(space.total), static_cast<std::uint32_t>(thresholdPercent));
}

std::string WholeMegabytes(std::int64_t bytes)
{
    constexpr std::int64_t kMegabyte = std::int64_t{1024} * 1024;
    return std::to_string(bytes / kMegabyte + (bytes % kMegabyte >= kMegabyte / 2 ? 1 : 0));
}

std::string FreePercentOneDecimal(DiskSpace space)
{
    const FloatSetting floatSetting;
    const long long tenths = std::llround(FreeShare(space) * 1000.0L);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::vector<ReportedEvent> SpaceWarnings(const std::vector<MeasuredDrive>& measured, int thresholdPercent,
                                         const std::string& target)
{
    std::vector<ReportedEvent> warnings;
    const std::string threshold = std::to_string(thresholdPercent);
    for (const MeasuredDrive& drive : measured) {
        if (SizeUnknown(drive.space))
            warnings.push_back({EventId::SizeUnknown, {DriveName(drive.letter), threshold, target}});
        else if (BelowThreshold(drive.space, thresholdPercent))
            warnings.push_back(
                {EventId::LowSpace,
                 {DriveName(drive.letter), WholeMegabytes(drive.space.free), WholeMegabytes(drive.space.total),
                  FreePercentOneDecimal(drive.space), threshold, target}});
    }
    return warnings;
}

std::vector<std::string> HeartbeatTexts(const std::string& target, int listedDrives,
                                        const std::vector<MeasuredDrive>& measured)
{
    const FloatSetting floatSetting;
    const MeasuredDrive* fullest = nullptr;
    for (const MeasuredDrive& drive : measured)
        if (!SizeUnknown(drive.space) && (fullest == nullptr || FreeShare(drive.space) < FreeShare(fullest->space)))
            fullest = &drive;
    return {target, std::to_string(listedDrives), fullest ? FreePercentOneDecimal(fullest->space) : std::string()};
}

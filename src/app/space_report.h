// What an unattended export tells the event log of the drives' free space: a warning for
// each measured drive below the threshold or of unknown size, and the heartbeat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../survey/drive_survey.h"
#include "run_report.h"

struct ReportedEvent {
    EventId id;
    std::vector<std::string> strings;
    bool operator==(const ReportedEvent&) const = default;
};

// The queries gave -1: the table shows 0 and 100 % for such a drive, so no threshold
// would ever see it.
bool SizeUnknown(DiskSpace space) noexcept;
// Exact, from the byte counts: free x 100 < threshold x total.
bool BelowThreshold(DiskSpace space, int thresholdPercent) noexcept;
// Plain digits, rounded to the nearest megabyte; no grouping, whatever the account's.
std::string WholeMegabytes(std::int64_t bytes);
// The free share with one decimal and a point ("12.5"), rounded half away from zero.
std::string FreePercentOneDecimal(DiskSpace space);

// Events 10 (below the threshold: drive, free MB, total MB, percentage, threshold, target)
// and 11 (size unknown: drive, threshold, target), in the order of the drives.
std::vector<ReportedEvent> SpaceWarnings(const std::vector<MeasuredDrive>& measured, int thresholdPercent,
                                         const std::string& target);
// Event 20's texts: the target, the number of listed drives, and the smallest free
// percentage among the measured drives of known size (empty without one).
std::vector<std::string> HeartbeatTexts(const std::string& target, int listedDrives,
                                        const std::vector<MeasuredDrive>& measured);

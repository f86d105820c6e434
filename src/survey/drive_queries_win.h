// The drive, volume and disk-space queries of Windows.
#pragma once

#include "drive_survey.h"

// Looks up GetDiskFreeSpaceExA by name once; without it GetDiskFreeSpaceA stands in.
void ResolveDiskFreeSpaceQuery();

class WindowsDriveQueries final : public DriveQueries {
public:
    unsigned DriveType(const std::string& root) override;
    VolumeInformation Volume(const std::string& root) override;
    DiskSpace Space(int driveNumber) override;
    std::string ComputerName() override;
};

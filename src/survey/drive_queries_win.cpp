// Windows answers to the drive table's queries.
#include "drive_queries_win.h"

#include <windows.h>

#include "../late_bound_win.h"
#include "mtools.h"

namespace {

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
GetDiskFreeSpaceExFn getDiskFreeSpaceEx = nullptr;

DiskSpace SpaceByClusters(const char* root)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return {};
    const DWORD bytesPerCluster = sectorsPerCluster * bytesPerSector;  // a 32-bit product, as Windows 95 gives it
    return {static_cast<std::int64_t>(bytesPerCluster) * totalClusters,
            static_cast<std::int64_t>(bytesPerCluster) * freeClusters};
}

}  // namespace

void ResolveDiskFreeSpaceQuery()
{
    getDiskFreeSpaceEx = LateBound<GetDiskFreeSpaceExFn>("kernel32.dll", "GetDiskFreeSpaceExA");
}

unsigned WindowsDriveQueries::DriveType(const std::string& root) { return GetDriveTypeA(root.c_str()); }

VolumeInformation WindowsDriveQueries::Volume(const std::string& root)
{
    char label[256] = {};
    char fileSystem[256] = {};
    DWORD serial = 0, maxComponentLength = 0, flags = 0;
    // The answer is not examined: a failed query leaves the zeroed buffers and serial 0.
    GetVolumeInformationA(root.c_str(), label, sizeof label, &serial, &maxComponentLength, &flags, fileSystem,
                          sizeof fileSystem);
    return {Mtools::TextUpToZero(label, sizeof label), serial, Mtools::TextUpToZero(fileSystem, sizeof fileSystem)};
}

DiskSpace WindowsDriveQueries::Space(int driveNumber)
{
    const char root[] = {static_cast<char>('A' + driveNumber - 1), ':', '\\', '\0'};
    if (getDiskFreeSpaceEx == nullptr) return SpaceByClusters(root);
    ULARGE_INTEGER availableToCaller{}, totalForCaller{};
    if (!getDiskFreeSpaceEx(root, &availableToCaller, &totalForCaller, nullptr)) return {};
    return {static_cast<std::int64_t>(totalForCaller.QuadPart), static_cast<std::int64_t>(availableToCaller.QuadPart)};
}

std::string WindowsDriveQueries::ComputerName() { return Mtools::ComputerName(); }

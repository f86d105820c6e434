// The refresh of the drive table from the platform's drive, volume and space queries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drive_table.h"

inline constexpr std::array<const char*, DriveTable::ColCount> ColumnTitles = {
    "", "Name", "TYP", "Kapazität", "Frei", "Frei in %", "Serien-Nr", "Filesystem"};
inline constexpr std::array<int, DriveTable::ColCount> ColumnWidths = {20, 100, 100, 80, 80, 55, 60, 55};

struct VolumeInformation {
    std::string label;
    std::uint32_t serialNumber = 0;  // 0 when the query failed
    std::string fileSystem;
};

struct DiskSpace {
    std::int64_t total = -1;  // bytes available to the caller; -1 when the query failed
    std::int64_t free = -1;
    bool operator==(const DiskSpace&) const = default;
};

// A listed drive that was measured, with the byte counts its row was made from.
struct MeasuredDrive {
    char letter = 0;
    DiskSpace space;
    bool operator==(const MeasuredDrive&) const = default;
};

// What the refresh asks of the operating system; Windows and test fakes implement it.
class DriveQueries {
public:
    virtual ~DriveQueries() = default;
    virtual unsigned DriveType(const std::string& root) = 0;  // GetDriveTypeA values
    virtual VolumeInformation Volume(const std::string& root) = 0;
    virtual DiskSpace Space(int driveNumber) = 0;  // A = 1, C = 3
    virtual std::string ComputerName() = 0;
};

// The window's two layout points of a refresh.
class GridLayout {
public:
    virtual ~GridLayout() = default;
    virtual void ColumnsLaidOut(int widthSum) = 0;  // after the widths and header texts
    virtual void RowsLaidOut(int driveCount) = 0;  // after the row count
};

struct SurveyOptions {
    bool localOnly = false;  // check mark of "Nur lokale Festplatten"
    bool megabytes = false;  // check mark of "Anzeige in Mbytes"
};

// The main form's scratch fields that the volume read fills.
struct VolumeFields {
    std::string& VolumeLabel;
    std::string& FileSystemName;
};

// Sets label and file system of the drive and yields its serial text ("12AB-34CD").
// A character outside A to Z (after upper-casing) has no effect.
void ReadVolumeInfo(DriveQueries& queries, char drive, std::string& serial, VolumeFields fields);

// Rebuilds the table, and `measured` (when given) with the byte counts of its measured
// drives. A drive reporting a total of 0 bytes raises EZeroDivide or EInvalidOp at its
// percentage: rows written so far stay, the row count does not change.
void FillDriveGrid(DriveTable& table, DriveQueries& queries, SurveyOptions options, GridLayout& layout,
                   VolumeFields fields, std::vector<MeasuredDrive>* measured = nullptr);

// (free * 100) / total in extended precision; the product is formed without wrapping.
long double FreePercentage(std::int64_t freeBytes, std::int64_t totalBytes);

// The refresh of the drive table.
#include "drive_survey.h"

#include "float_setting.h"
#include "mtools.h"
#include "number_format.h"

namespace {

constexpr unsigned kRemovable = 2, kFixed = 3, kRemote = 4, kCdRom = 5, kRamDisk = 6;

const char* KindText(unsigned driveType)
{
    switch (driveType) {
    case kRemovable: return "Wechseldatenträger";
    case kFixed: return "lokale Festplatte";
    case kRemote: return "Netzwerklaufwerk";
    case kCdRom: return "CD-Rom";
    case kRamDisk: return "RAM-Disk";
    default: return nullptr;  // not listed
    }
}

std::string RootOf(char drive) { return std::string{drive} + ":\\"; }

int LayOutHeader(DriveTable& table, const std::string& computerName)
{
    int widthSum = 0;
    for (int col = 0; col < DriveTable::ColCount; ++col) {
        table.SetColWidth(col, ColumnWidths[col]);
        table.SetCell(col, 0, ColumnTitles[col]);
        widthSum += ColumnWidths[col];
    }
    table.SetCell(0, 0, computerName);
    return widthSum;
}

}  // namespace

void ReadVolumeInfo(DriveQueries& queries, char drive, std::string& serial, VolumeFields fields)
{
    if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
    if (drive < 'A' || drive > 'Z') return;
    const VolumeInformation volume = queries.Volume(RootOf(drive));
    const std::string hex = Mtools::DWordToHex(volume.serialNumber);
    serial = hex.substr(0, 4) + "-" + hex.substr(4);
    fields.VolumeLabel = volume.label;
    fields.FileSystemName = volume.fileSystem;
}

long double FreePercentage(std::int64_t freeBytes, std::int64_t totalBytes)
{
    std::int64_t product = 0;
    // Beyond about 92 PB of free space the 64-bit product would wrap; extended precision
    // holds free space exactly and its hundredfold to 64 significant bits instead.
    if (__builtin_mul_overflow(freeBytes, std::int64_t{100}, &product))
        return CheckedDivide(static_cast<long double>(freeBytes) * 100.0L, static_cast<long double>(totalBytes));
    return CheckedDivide(static_cast<long double>(product), static_cast<long double>(totalBytes));
}

void FillDriveGrid(DriveTable& table, DriveQueries& queries, SurveyOptions options, GridLayout& layout,
                   VolumeFields fields, std::vector<MeasuredDrive>* measured)
{
    const FloatSetting floatSetting;  // the sizes and percentages in extended precision
    if (measured) measured->clear();
    layout.ColumnsLaidOut(LayOutHeader(table, queries.ComputerName()));

    std::string unitSuffix;
    int driveCount = 0;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const unsigned driveType = queries.DriveType(RootOf(letter));
        const char* kind = KindText(driveType);
        if (kind == nullptr) continue;
        if (options.localOnly && driveType != kFixed) continue;

        const int row = driveCount + 1;
        table.SetCell(2, row, kind);
        table.SetCell(0, row, std::string{letter} + ":");
        for (int col : {1, 3, 4, 5, 6, 7}) table.SetCell(col, row, "");

        if (driveType == kFixed || driveType == kRemote) {
            std::string serial;
            ReadVolumeInfo(queries, letter, serial, fields);
            const DiskSpace space = queries.Space(letter - 'A' + 1);
            table.SetCell(1, row, fields.VolumeLabel);
            const long double divisor = options.megabytes ? 1024.0L : 1.0L;
            unitSuffix = options.megabytes ? " (MB)" : "(KB)";
            table.SetCell(3, row, FormatSize(static_cast<long double>(space.total) / 1024.0L / divisor));
            table.SetCell(4, row, FormatSize(static_cast<long double>(space.free) / 1024.0L / divisor));
            table.SetCell(5, row, FormatPercent(FreePercentage(space.free, space.total)));
            table.SetCell(6, row, serial);
            table.SetCell(7, row, fields.FileSystemName);
            if (measured) measured->push_back({letter, space});
        }
        driveCount = row;
    }

    table.SetCell(3, 0, table.Cell(3, 0) + unitSuffix);
    table.SetCell(4, 0, table.Cell(4, 0) + unitSuffix);
    table.SetRowCount(driveCount + 1);
    layout.RowsLaidOut(driveCount);
}

// A drive set in memory for the refresh: types, volumes and space per letter.
#pragma once

#include <map>

#include "survey/drive_survey.h"

struct FakeDrive {
    unsigned type = 1;
    VolumeInformation volume;
    DiskSpace space;
};

class FakeDriveQueries final : public DriveQueries {
public:
    std::map<char, FakeDrive> drives;
    std::string computerName = "PRUEFSTAND";
    std::string volumeReads;  // letters whose volume was read, in order
    std::string spaceReads;

    unsigned DriveType(const std::string& root) override
    {
        auto it = drives.find(root.at(0));
        return it == drives.end() ? 1 : it->second.type;
    }
    VolumeInformation Volume(const std::string& root) override
    {
        volumeReads += root.at(0);
        auto it = drives.find(root.at(0));
        return it == drives.end() ? VolumeInformation{} : it->second.volume;
    }
    DiskSpace Space(int driveNumber) override
    {
        const char letter = static_cast<char>('A' + driveNumber - 1);
        spaceReads += letter;
        auto it = drives.find(letter);
        return it == drives.end() ? DiskSpace{} : it->second.space;
    }
    std::string ComputerName() override { return computerName; }
};

class RecordingLayout final : public GridLayout {
public:
    int widthSum = -1;
    int driveCount = -1;
    void ColumnsLaidOut(int sum) override { widthSum = sum; }
    void RowsLaidOut(int count) override { driveCount = count; }
};

// Cell storage of the drive table.
#include "drive_table.h"

#include <algorithm>
#include <stdexcept>

void DriveTable::SetRowCount(int rowCount) { rowCount_ = std::max(rowCount, 1); }

const std::string& DriveTable::Cell(int col, int row) const
{
    static const std::string empty;
    if (col < 0 || col >= ColCount || row < 0) throw std::out_of_range("DriveTable::Cell");
    return static_cast<std::size_t>(row) < rows_.size() ? rows_[row][col] : empty;
}

void DriveTable::SetCell(int col, int row, std::string text)
{
    if (col < 0 || col >= ColCount || row < 0) throw std::out_of_range("DriveTable::SetCell");
    if (static_cast<std::size_t>(row) >= rows_.size()) rows_.resize(row + 1);
    rows_[row][col] = std::move(text);
}

// The drive table: 8 columns of 8-bit cell texts, a header row and one row per drive.
// The window's grid shows it and the export reads it; it knows nothing of either.
#pragma once

#include <array>
#include <string>
#include <vector>

class DriveTable {
public:
    static constexpr int ColCount = 8;

    explicit DriveTable(int rowCount = 1) { SetRowCount(rowCount); }

    int RowCount() const noexcept { return rowCount_; }
    // At least 1: the header row always exists. Cells beyond the count keep their
    // texts but are neither shown nor exported.
    void SetRowCount(int rowCount);

    // A cell never written reads as the empty text; writing may go beyond RowCount.
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, std::string text);

    int ColWidth(int col) const { return colWidths_.at(col); }
    void SetColWidth(int col, int width) { colWidths_.at(col) = width; }

private:
    using Row = std::array<std::string, ColCount>;
    std::vector<Row> rows_;
    std::array<int, ColCount> colWidths_{};
    int rowCount_ = 1;
};

// The row names the grid gives accessibility clients.
#include "ui/grid_text.h"

#include <gtest/gtest.h>

#include "survey/drive_table.h"

namespace {

TEST(GridText, RowNameReadsEachCellAfterItsTitleAndLeavesOutEmptyCells)
{
    DriveTable table(4);
    const char* rows[][DriveTable::ColCount] = {
        {"VM", "Name", "TYP", "Kapazität(KB)", "Frei(KB)", "Frei in %", "Serien-Nr", "Filesystem"},
        {"C:", "SYSTEM", "lokale Festplatte", "524.288 ", "262.144 ", "50,0 %", "0C0C-0C0C", "NTFS"},
        {"F:", "", "CD-Rom", "", "", "", "", ""},
        {"G:", "", "", "", "", "", "", ""},
    };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < DriveTable::ColCount; ++col) table.SetCell(col, row, rows[row][col]);

    const struct {
        int row;
        const char* name;
    } cases[] = {
        {1, "C:, Name: SYSTEM, TYP: lokale Festplatte, Kapazität(KB): 524.288 , Frei(KB): 262.144 , "
            "Frei in %: 50,0 %, Serien-Nr: 0C0C-0C0C, Filesystem: NTFS"},
        {2, "F:, TYP: CD-Rom"},
        {3, "G:"},
    };
    for (const auto& c : cases) EXPECT_EQ(RowName(table, c.row), c.name) << "row " << c.row;
}

}  // namespace

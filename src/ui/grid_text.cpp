// The grid's row names for accessibility clients.
#include "grid_text.h"

#include "../survey/drive_table.h"

std::string RowName(const DriveTable& table, int row)
{
    std::string name;
    for (int col = 0; col < DriveTable::ColCount; ++col) {
        const std::string& text = table.Cell(col, row);
        if (text.empty()) continue;
        if (!name.empty()) name += ", ";
        const std::string& title = table.Cell(col, 0);
        if (col > 0 && !title.empty()) name += title + ": ";
        name += text;
    }
    return name;
}

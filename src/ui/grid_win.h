// The string grid control that shows the drive table: a fixed header row and drive column.
#pragma once

#include <windows.h>

class DriveTable;

namespace Grid {

inline constexpr const char* ClassName = "MerovantGrid";
inline constexpr int RowHeight = 18;
inline constexpr int LineWidth = 1;

void Register(HINSTANCE instance);
HWND Create(HWND parent, int id, const DriveTable& table);
// The table's texts, widths or row count changed.
void Refresh(HWND grid);

}  // namespace Grid

// The string grid control that shows the drive table: a fixed header row and drive column,
// whole-row selection by mouse and keyboard, and scroll bars only when the cells overflow.
#pragma once

#include <windows.h>

#include "grid_model.h"

class DriveTable;

namespace Grid {

inline constexpr const char* ClassName = "MerovantGrid";

void Register(HINSTANCE instance);
// The grid shows the table by reference: the table must outlive the window.
HWND Create(HWND parent, int id, const DriveTable& table);
// The table's texts, widths or row count changed: the grid lays itself out again and
// repaints. Accessibility clients are told nothing yet: the table may be half-built.
void LayOut(HWND grid);
// Tells accessibility clients what changed since they were last told: the rows, once the
// table is whole again.
void AnnounceChanges(HWND grid);
// Both at once.
void Refresh(HWND grid);

RowRange SelectedRows(HWND grid);
// The first data row shown below the header (1 unless scrolled down).
int TopRow(HWND grid);

}  // namespace Grid

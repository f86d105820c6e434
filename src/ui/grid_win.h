// The string grid control that shows the drive table: a fixed header row and drive column,
// whole-row selection by mouse and keyboard, and scroll bars only when the cells overflow.
#pragma once

#include <windows.h>

class DriveTable;

namespace Grid {

inline constexpr const char* ClassName = "MerovantGrid";
inline constexpr int RowHeight = 18;
inline constexpr int LineWidth = 1;

// A run of adjacent data rows, inclusive. Row 0 is the header and is never selected, so
// {0, 0} means "nothing selected" (a table without data rows, or a client's accSelect took
// the last selected row out).
struct RowRange {
    int first = 0;
    int last = 0;
    bool operator==(const RowRange&) const = default;
};

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

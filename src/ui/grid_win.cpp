// Painting of the drive table's grid.
#include "grid_win.h"

#include <string>

#include "../survey/drive_table.h"

namespace Grid {
namespace {

const DriveTable* TableOf(HWND grid)
{
    return reinterpret_cast<const DriveTable*>(GetWindowLongPtrA(grid, GWLP_USERDATA));
}

void PaintCell(HDC dc, const DriveTable& table, int col, int row, const RECT& cell)
{
    const bool fixed = row == 0 || col == 0;
    FillRect(dc, &cell, GetSysColorBrush(fixed ? COLOR_BTNFACE : COLOR_WINDOW));
    const std::string& text = table.Cell(col, row);
    RECT textRect{cell.left + 2, cell.top + 2, cell.right - 2, cell.bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Paint(HWND grid, HDC dc)
{
    const DriveTable* table = TableOf(grid);
    if (table == nullptr) return;
    RECT client{};
    GetClientRect(grid, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(grid), WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    int top = 0;
    for (int row = 0; row < table->RowCount(); ++row) {
        int left = 0;
        for (int col = 0; col < DriveTable::ColCount; ++col) {
            const RECT cell{left, top, left + table->ColWidth(col), top + RowHeight};
            PaintCell(dc, *table, col, row, cell);
            left = cell.right + LineWidth;
        }
        top += RowHeight + LineWidth;
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK WindowProc(HWND grid, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(grid, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(grid, &ps);
        Paint(grid, dc);
        EndPaint(grid, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(grid, reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return DefWindowProcA(grid, message, wParam, lParam);
}

}  // namespace

void Register(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
}

HWND Create(HWND parent, int id, const DriveTable& table)
{
    return CreateWindowExA(WS_EX_CLIENTEDGE, ClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 541, 131,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                           const_cast<DriveTable*>(&table));
}

void Refresh(HWND grid)
{
    InvalidateRect(grid, nullptr, FALSE);
}

}  // namespace Grid

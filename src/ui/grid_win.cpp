// The drive table's grid window: layout, painting, whole-row selection and scrolling.
#include "grid_win.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <oleacc.h>

#include "../survey/drive_table.h"
#include "accessible_logic.h"
#include "accessible_win.h"
#include "control_win.h"
#include "form_design.h"
#include "grid_text.h"
#include "paint_win.h"

namespace Grid {
namespace {

constexpr int kPitch = RowHeight + LineWidth;
constexpr int kTextIndent = 2;
// A thin border rather than WS_EX_CLIENTEDGE: the form makes the grid (rows) x 20 pixels
// high, which leaves a sunken edge's 4 pixels only from three rows on, so a table with a
// single drive would get a scroll bar for a missing pixel.
constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragInterval = 50;
// Up to this many rows joining or leaving the selection at once are told one by one; a
// larger change as one EVENT_OBJECT_SELECTIONWITHIN, after which clients read the selection.
constexpr int kSelectionChangesTold = 20;

struct State final : AccessibleSource {
    State(HWND grid, const CREATESTRUCTA& create)
        : window(grid), table(static_cast<const DriveTable*>(create.lpCreateParams)),
          font(reinterpret_cast<HFONT>(SendMessageA(create.hwndParent, WM_GETFONT, 0, 0)))
    {
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() = default;

    // A list of the data rows, named by the form's caption, the header row not among them;
    // a run of rows is selected with Shift.
    long Role() const override { return ROLE_SYSTEM_LIST; }
    long OwnStates() const override { return STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE; }
    long ItemRole() const override { return ROLE_SYSTEM_LISTITEM; }
    std::string Name() const override;
    int ItemCount() const override { return std::max(0, table->RowCount() - 1); }
    std::string ItemName(int item) const override { return RowName(*table, item); }
    long ItemState(int item) const override;
    RECT ItemRect(int item) const override;
    int ItemAt(POINT point) const override;
    int FocusedItem() const override { return caret; }
    std::vector<int> SelectedItems() const override;
    HRESULT Select(long flags, int item) override;

    HWND window;
    const DriveTable* table;
    HFONT font;
    // The keyboard and the mouse select from the anchor (where it began) to the caret (where
    // they move); both are data rows, or 0 while the table has none. A client's accSelect
    // may leave the selected run elsewhere, or empty.
    int anchor = 0;
    int caret = 0;
    RowRange selected;
    // The first scrollable row and column shown next to the fixed ones.
    int topRow = 1;
    int leftCol = 1;
    int wheelRemainder = 0;
    bool dragging = false;
    POINT dragPoint{};
    // SetScrollInfo can show or hide a bar, which resizes the client area and sends
    // WM_SIZE back to us while the bars are being laid out.
    bool layingOutBars = false;
    // The rows and the current row as clients were last told of them: a refresh that
    // changes them says so.
    std::vector<std::string> announcedRows;
    int announcedCaret = 0;
    AccessibleLink accessible{window, *this};
};

State* StateOf(HWND grid) noexcept { return ControlState<State>(grid); }

// One direction of the grid: the columns across or the rows down. Cell 0 is the fixed one;
// each cell is followed by a grid line.
struct Axis {
    const DriveTable& table;
    bool across;

    int Count() const { return across ? DriveTable::ColCount : table.RowCount(); }
    int Size(int index) const { return across ? table.ColWidth(index) : RowHeight; }
    int FixedExtent() const { return Size(0) + LineWidth; }

    // The last cell's trailing line may fall outside the window without hiding anything.
    bool FitsFrom(int first, int available) const
    {
        int extent = FixedExtent() - LineWidth;
        for (int index = first; index < Count(); ++index) extent += Size(index) + LineWidth;
        return extent <= available;
    }
    // The furthest scroll position: the first cell from which the rest fits; the last cell
    // when even that one alone does not.
    int MaxFirst(int available) const
    {
        for (int first = 1; first < Count() - 1; ++first)
            if (FitsFrom(first, available)) return first;
        return std::max(1, Count() - 1);
    }
    int FullyShown(int first, int available) const
    {
        int shown = 0;
        for (int index = first, pos = FixedExtent(); index < Count(); ++index, ++shown) {
            if (pos + Size(index) > available) break;
            pos += Size(index) + LineWidth;
        }
        return shown;
    }
};

Axis Rows(const State& state) { return {*state.table, false}; }
Axis Cols(const State& state) { return {*state.table, true}; }

Axis AxisOf(const State& state, int bar) { return bar == SB_HORZ ? Cols(state) : Rows(state); }
int& FirstOf(State& state, int bar) { return bar == SB_HORZ ? state.leftCol : state.topRow; }

SIZE ClientSize(HWND grid) noexcept
{
    RECT client{};
    GetClientRect(grid, &client);
    return {client.right, client.bottom};
}

int Available(const State& state, int bar)
{
    const SIZE client = ClientSize(state.window);
    return bar == SB_HORZ ? client.cx : client.cy;
}

int LastRow(const State& state) { return state.table->RowCount() - 1; }

RowRange Selection(const State& state) noexcept { return state.selected; }

RowRange Between(int a, int b) noexcept { return {std::min(a, b), std::max(a, b)}; }

bool InRange(RowRange range, int row) noexcept { return range.first > 0 && row >= range.first && row <= range.last; }

bool IsSelected(const State& state, int row) noexcept { return InRange(Selection(state), row); }

// ---- Scrolling -------------------------------------------------------------------------

void SetBar(State& state, int bar, int available)
{
    const Axis axis = AxisOf(state, bar);
    const int maxFirst = axis.MaxFirst(available);
    int& first = FirstOf(state, bar);
    first = std::clamp(first, 1, maxFirst);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 1, 0, 0};
    if (maxFirst > 1) {
        // Positions count scrollable cells from 0; a page of (cells - maxFirst + 1) lets the
        // thumb reach exactly maxFirst, which shows the last cell whole.
        const int scrollable = axis.Count() - 1;
        info.nMax = scrollable - 1;
        info.nPage = static_cast<UINT>(scrollable - maxFirst + 1);
        info.nPos = first - 1;
    }
    // A page larger than the range hides the bar (no SIF_DISABLENOSCROLL).
    SetScrollInfo(state.window, bar, &info, TRUE);
}

// Shows a bar only where the cells overflow; each bar narrows the room for the other.
void LayOutScrollBars(State& state)
{
    if (state.layingOutBars) return;
    state.layingOutBars = true;
    const LONG style = GetWindowLongA(state.window, GWL_STYLE);
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const SIZE client = ClientSize(state.window);
    const int width = client.cx + ((style & WS_VSCROLL) ? barWidth : 0);
    const int height = client.cy + ((style & WS_HSCROLL) ? barHeight : 0);
    bool vertical = Rows(state).MaxFirst(height) > 1;
    const bool horizontal = Cols(state).MaxFirst(width - (vertical ? barWidth : 0)) > 1;
    vertical = Rows(state).MaxFirst(height - (horizontal ? barHeight : 0)) > 1;
    SetBar(state, SB_VERT, height - (horizontal ? barHeight : 0));
    SetBar(state, SB_HORZ, width - (vertical ? barWidth : 0));
    state.layingOutBars = false;
}

void ScrollTo(State& state, int bar, int first)
{
    const int clamped = std::clamp(first, 1, AxisOf(state, bar).MaxFirst(Available(state, bar)));
    if (clamped == FirstOf(state, bar)) return;
    FirstOf(state, bar) = clamped;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, clamped - 1, 0};
    SetScrollInfo(state.window, bar, &info, TRUE);
    InvalidateRect(state.window, nullptr, FALSE);
}

int PageOf(const State& state, int bar)
{
    const int first = bar == SB_HORZ ? state.leftCol : state.topRow;
    return std::max(1, AxisOf(state, bar).FullyShown(first, Available(state, bar)));
}

void OnScroll(State& state, int bar, int code)
{
    const int first = FirstOf(state, bar);
    switch (code) {
    case SB_LINEUP: ScrollTo(state, bar, first - 1); break;
    case SB_LINEDOWN: ScrollTo(state, bar, first + 1); break;
    case SB_PAGEUP: ScrollTo(state, bar, first - PageOf(state, bar)); break;
    case SB_PAGEDOWN: ScrollTo(state, bar, first + PageOf(state, bar)); break;
    case SB_TOP: ScrollTo(state, bar, 1); break;
    case SB_BOTTOM: ScrollTo(state, bar, AxisOf(state, bar).Count()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The message's 16-bit position would truncate; the bar's own is 32 bits.
        SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(state.window, bar, &info);
        ScrollTo(state, bar, info.nTrackPos + 1);
        break;
    }
    }
}

// Returns false when there is nothing to scroll, so DefWindowProc hands the wheel to the parent.
bool OnMouseWheel(State& state, int delta)
{
    const int height = Available(state, SB_VERT);
    if (Rows(state).MaxFirst(height) <= 1) return false;
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    // Fine-grained wheels send fractions of a notch: keep the rest for the next message.
    state.wheelRemainder += delta;
    const int notches = state.wheelRemainder / WHEEL_DELTA;
    state.wheelRemainder -= notches * WHEEL_DELTA;
    const int step = lines == WHEEL_PAGESCROLL ? PageOf(state, SB_VERT) : static_cast<int>(lines);
    ScrollTo(state, SB_VERT, state.topRow - notches * step);
    return true;
}

// Scrolls the least that shows the whole row.
void ShowRow(State& state, int row)
{
    if (row < state.topRow) {
        ScrollTo(state, SB_VERT, row);
        return;
    }
    const Axis rows = Rows(state);
    const int height = Available(state, SB_VERT);
    if (row < state.topRow + rows.FullyShown(state.topRow, height)) return;
    int first = row;
    while (first > 1 && rows.FixedExtent() + (row - first + 2) * kPitch - LineWidth <= height) --first;
    ScrollTo(state, SB_VERT, first);
}

// ---- Selection ---------------------------------------------------------------------------

// The focus goes to the current row, or to the list itself (CHILDID_SELF) once it has no
// rows, while the grid has it.
void AnnounceFocus(State& state)
{
    state.announcedCaret = state.caret;
    if (GetFocus() == state.window) state.accessible.Notify(EVENT_OBJECT_FOCUS, state.caret);
}

// The selection as a whole is new: a single row (EVENT_OBJECT_SELECTION means "only this one
// is selected now"), or a run whose rows clients read again.
void AnnounceSelection(const State& state)
{
    const RowRange selection = Selection(state);
    if (selection.first == 0) return;
    if (selection.first == selection.last)
        state.accessible.Notify(EVENT_OBJECT_SELECTION, selection.first);
    else
        state.accessible.Notify(EVENT_OBJECT_SELECTIONWITHIN, CHILDID_SELF);
}

// The rows that joined or left the selection since `before`, as MSAA defines the events.
void AnnounceSelectionChange(const State& state, RowRange before)
{
    const RowRange after = Selection(state);
    if (after == before) return;
    if (after.first != 0 && after.first == after.last) {
        AnnounceSelection(state);
        return;
    }
    std::vector<std::pair<DWORD, int>> changes;
    for (int row = 1; row <= LastRow(state); ++row) {
        if (InRange(before, row) && !InRange(after, row)) changes.emplace_back(EVENT_OBJECT_SELECTIONREMOVE, row);
        if (!InRange(before, row) && InRange(after, row)) changes.emplace_back(EVENT_OBJECT_SELECTIONADD, row);
    }
    if (static_cast<int>(changes.size()) > kSelectionChangesTold) {
        AnnounceSelection(state);
        return;
    }
    for (const auto& [event, row] : changes) state.accessible.Notify(event, row);
}

// The keyboard, the mouse and clients all select through here: the caret row scrolled into
// view, the selection drawn, and clients told as MSAA defines the events.
void SetSelection(State& state, int anchor, int caret, RowRange selected)
{
    if (anchor == state.anchor && caret == state.caret && selected == state.selected) return;
    const RowRange before = Selection(state);
    const int previous = state.caret;
    state.anchor = anchor;
    state.caret = caret;
    state.selected = selected;
    ShowRow(state, caret);
    InvalidateRect(state.window, nullptr, FALSE);
    if (caret != previous) AnnounceFocus(state);
    AnnounceSelectionChange(state, before);
}

void MoveCaret(State& state, int row, bool extend)
{
    if (LastRow(state) < 1) return;
    row = std::clamp(row, 1, LastRow(state));
    const int anchor = extend ? state.anchor : row;
    SetSelection(state, anchor, row, Between(anchor, row));
}

// After a refresh: the rows changed (a drive came or went, or a text changed), and the
// current row moved or now stands for another drive.
void AnnounceRows(State& state)
{
    std::vector<std::string> rows;
    for (int item = 1; item <= state.ItemCount(); ++item) rows.push_back(state.ItemName(item));
    const RefreshAnnouncement said = AnnounceRefresh(state.announcedRows, state.announcedCaret, rows, state.caret);
    state.announcedRows = std::move(rows);
    if (said.reorder) state.accessible.Notify(EVENT_OBJECT_REORDER, CHILDID_SELF);
    if (said.focus) AnnounceFocus(state);
    if (said.selection) AnnounceSelection(state);
}

void KeepSelectionInTable(State& state)
{
    const int last = LastRow(state);
    if (last < 1) {
        state.anchor = state.caret = 0;
        state.selected = {};
    } else if (state.caret == 0) {
        state.anchor = state.caret = 1;
        state.selected = {1, 1};
    } else {
        state.anchor = std::min(state.anchor, last);
        state.caret = std::min(state.caret, last);
        if (state.selected.first != 0)
            state.selected = {std::min(state.selected.first, last), std::min(state.selected.last, last)};
    }
}

// Keyboard use shows the focus frame from now on, as the dialog manager does for its controls.
void ShowFocusCues(const State& state)
{
    SendMessageA(GetAncestor(state.window, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool FocusCuesHidden(const State& state)
{
    return (SendMessageA(state.window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

bool OnKeyDown(State& state, WPARAM key)
{
    ShowFocusCues(state);
    switch (key) {
    case VK_LEFT: ScrollTo(state, SB_HORZ, state.leftCol - 1); return true;
    case VK_RIGHT: ScrollTo(state, SB_HORZ, state.leftCol + 1); return true;
    default: break;
    }
    int row = state.caret;
    switch (key) {
    case VK_UP: row -= 1; break;
    case VK_DOWN: row += 1; break;
    case VK_PRIOR: row -= PageOf(state, SB_VERT); break;
    case VK_NEXT: row += PageOf(state, SB_VERT); break;
    case VK_HOME: row = 1; break;
    case VK_END: row = LastRow(state); break;
    default: return false;
    }
    MoveCaret(state, row, GetKeyState(VK_SHIFT) < 0);
    return true;
}

struct CellPos {
    int col;
    int row;
};

// Each cell owns the grid lines to its right and below it.
std::optional<CellPos> HitTest(const State& state, POINT point)
{
    if (point.x < 0 || point.y < 0) return std::nullopt;
    const Axis cols = Cols(state);
    std::optional<int> col;
    if (point.x < cols.FixedExtent()) col = 0;
    for (int index = state.leftCol, x = cols.FixedExtent(); !col && index < cols.Count(); ++index) {
        x += cols.Size(index) + LineWidth;
        if (point.x < x) col = index;
    }
    const int row = point.y < kPitch ? 0 : state.topRow + (point.y - kPitch) / kPitch;
    if (!col || row > LastRow(state)) return std::nullopt;
    return CellPos{*col, row};
}

// While dragging, the pointer above or below the data rows scrolls one row at a time.
void DragTo(State& state, int y)
{
    const int height = Available(state, SB_VERT);
    int row;
    if (y < kPitch)
        row = state.topRow - 1;
    else if (y >= height)
        row = state.topRow + Rows(state).FullyShown(state.topRow, height);
    else
        row = state.topRow + (y - kPitch) / kPitch;
    MoveCaret(state, row, true);
    const bool outside = y < kPitch || y >= height;
    if (outside)
        SetTimer(state.window, kDragTimer, kDragInterval, nullptr);
    else
        KillTimer(state.window, kDragTimer);
}

void OnLButtonDown(State& state, WPARAM keys, POINT point)
{
    SetFocus(state.window);
    const std::optional<CellPos> cell = HitTest(state, point);
    // Fixed cells are labels: clicking them selects nothing.
    if (!cell || cell->col < 1 || cell->row < 1) return;
    MoveCaret(state, cell->row, (keys & MK_SHIFT) != 0);
    state.dragging = true;
    state.dragPoint = point;
    SetCapture(state.window);
}

void EndDrag(State& state)
{
    state.dragging = false;
    KillTimer(state.window, kDragTimer);
}

// ---- Painting ------------------------------------------------------------------------------

HBRUSH Brush(int colour) { return GetSysColorBrush(colour); }

void Fill(HDC dc, int left, int top, int right, int bottom, int colour)
{
    const RECT area{left, top, right, bottom};
    FillRect(dc, &area, Brush(colour));
}

void PaintCell(const State& state, HDC dc, CellPos cell, int x, int y)
{
    const int width = state.table->ColWidth(cell.col);
    const bool fixed = cell.col < 1 || cell.row < 1;
    const bool selected = !fixed && IsSelected(state, cell.row);
    RECT area{x, y, x + width, y + RowHeight};
    FillRect(dc, &area, Brush(fixed ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (fixed) DrawEdge(dc, &area, BDR_RAISEDINNER, BF_TOPLEFT);

    const std::string& text = state.table->Cell(cell.col, cell.row);
    SetTextColor(dc, GetSysColor(fixed ? COLOR_BTNTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textArea{x + kTextIndent, y, x + width - kTextIndent, y + RowHeight};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

    // Dark lines frame the fixed cells; light ones part the data columns. Data rows have no
    // line between them: the gap takes the row's colour, so a selected run is one block.
    const int line = fixed ? COLOR_BTNSHADOW : COLOR_BTNFACE;
    Fill(dc, x + width, y, x + width + LineWidth, y + kPitch, line);
    const bool runGoesOn = selected && IsSelected(state, cell.row + 1);
    Fill(dc, x, y + RowHeight, x + width, y + kPitch, fixed ? line : runGoesOn ? COLOR_HIGHLIGHT : COLOR_WINDOW);
}

// A dotted frame round the caret row's data cells while the grid has the keyboard focus.
void PaintFocus(const State& state, HDC dc, SIZE client)
{
    if (state.caret < state.topRow) return;  // scrolled out of view, or no data rows
    const RECT row = state.ItemRect(state.caret);
    const RECT frame{Cols(state).FixedExtent(), row.top, std::min<int>(row.right, client.cx), row.bottom};
    // DrawFocusRect inverts a dotted pattern made of the text and background colours.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &frame);
}

// The fixed row and column first, then the scrolled ones, as far as the client area goes.
int NextShown(int index, int first) { return index == 0 ? first : index + 1; }

void PaintCells(const State& state, HDC dc, SIZE client)
{
    Fill(dc, 0, 0, client.cx, client.cy, COLOR_WINDOW);
    SelectedObject font(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (int row = 0, y = 0; row < state.table->RowCount() && y < client.cy; row = NextShown(row, state.topRow)) {
        for (int col = 0, x = 0; col < DriveTable::ColCount && x < client.cx; col = NextShown(col, state.leftCol)) {
            PaintCell(state, dc, {col, row}, x, y);
            x += state.table->ColWidth(col) + LineWidth;
        }
        y += kPitch;
    }
    if (GetFocus() == state.window && !FocusCuesHidden(state)) PaintFocus(state, dc, client);
}

// WM_PAINT and WM_PRINTCLIENT both land here.
void Paint(const State& state, HDC target, const RECT& area)
{
    PaintBuffered(state.window, target, area, [&state](HDC dc, SIZE client) { PaintCells(state, dc, client); });
}

// ---- What accessibility clients are told -----------------------------------------------

std::string State::Name() const { return WindowText(GetParent(window)); }

// Where the row is drawn, or would be once scrolled into view: below the header, from the
// drive column to the end of the last column.
RECT State::ItemRect(int item) const
{
    const int top = (item - topRow + 1) * kPitch;
    int right = Cols(*this).FixedExtent();
    for (int col = leftCol; col < DriveTable::ColCount; ++col) right += table->ColWidth(col) + LineWidth;
    return {0, top, right - LineWidth, top + RowHeight};
}

long State::ItemState(int item) const
{
    long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (IsSelected(*this, item)) flags |= STATE_SYSTEM_SELECTED;
    if (item == caret && GetFocus() == window) flags |= STATE_SYSTEM_FOCUSED;
    if (item < topRow || ItemRect(item).top >= ClientSize(window).cy) flags |= STATE_SYSTEM_OFFSCREEN;
    return flags;
}

std::vector<int> State::SelectedItems() const
{
    const RowRange selection = Selection(*this);
    std::vector<int> rows;
    for (int row = selection.first; row >= 1 && row <= selection.last; ++row) rows.push_back(row);
    return rows;
}

// SELFLAG_TAKEFOCUS also gives the grid the keyboard focus, whose WM_SETFOCUS tells clients
// of the focused row.
HRESULT State::Select(long flags, int item)
{
    const std::optional<ListSelection> next = SelectRow({anchor, caret, selected.first, selected.last}, flags, item);
    if (!next) return E_INVALIDARG;
    SetSelection(*this, next->anchor, next->focus, {next->first, next->last});
    if ((flags & SelectFlag::TakeFocus) != 0 && GetFocus() != window) SetFocus(window);
    return S_OK;
}

int State::ItemAt(POINT point) const
{
    const std::optional<CellPos> cell = HitTest(*this, point);
    return cell && cell->row >= 1 ? cell->row : 0;
}

// ---- The window procedure -------------------------------------------------------------

POINT PointOf(LPARAM lParam) noexcept
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT HandleMessage(State& state, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        KeepSelectionInTable(state);
        LayOutScrollBars(state);
        return 0;
    case WM_SIZE:
        LayOutScrollBars(state);
        InvalidateRect(state.window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND: return 1;  // Paint covers every pixel
    case WM_PAINT: {
        PaintScope paint(state.window);
        Paint(state, paint.Dc(), paint.Area());
        return 0;
    }
    case WM_PRINTCLIENT: {
        const SIZE client = ClientSize(state.window);
        Paint(state, reinterpret_cast<HDC>(wParam), RECT{0, 0, client.cx, client.cy});
        return 0;
    }
    case WM_SETFONT:
        state.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(state.window, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
        InvalidateRect(state.window, nullptr, FALSE);  // the focus frame on the caret row
        if (state.caret != 0) state.accessible.Notify(EVENT_OBJECT_FOCUS, state.caret);
        return 0;
    case WM_KILLFOCUS: InvalidateRect(state.window, nullptr, FALSE); return 0;
    case WM_UPDATEUISTATE:
        DefWindowProcA(state.window, message, wParam, lParam);
        InvalidateRect(state.window, nullptr, FALSE);
        return 0;
    case WM_GETOBJECT:
        if (const LRESULT object = state.accessible.Answer(wParam, lParam)) return object;
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(state, wParam)) return 0;
        break;
    case WM_LBUTTONDOWN: OnLButtonDown(state, wParam, PointOf(lParam)); return 0;
    case WM_MOUSEMOVE:
        if (state.dragging) {
            state.dragPoint = PointOf(lParam);
            DragTo(state, state.dragPoint.y);
        }
        return 0;
    case WM_TIMER:
        if (wParam == kDragTimer && state.dragging) DragTo(state, state.dragPoint.y);
        return 0;
    case WM_LBUTTONUP:
        if (state.dragging) ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
        return 0;
    case WM_CAPTURECHANGED: EndDrag(state); return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: OnScroll(state, message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL:
        if (OnMouseWheel(state, GET_WHEEL_DELTA_WPARAM(wParam))) return 0;
        break;
    }
    return DefWindowProcA(state.window, message, wParam, lParam);
}

}  // namespace

void Register(HINSTANCE instance) { RegisterControlClass<State, HandleMessage>(instance, ClassName); }

HWND Create(HWND parent, int id, const DriveTable& table)
{
    // The form's design size; the form lays the grid out again after every refresh.
    return CreateControl(ClassName, kStyle, {Design::GridWidth, Design::GridHeight}, parent, id,
                         const_cast<DriveTable*>(&table));
}

void LayOut(HWND grid)
{
    State* state = StateOf(grid);
    if (state == nullptr) return;
    KeepSelectionInTable(*state);
    LayOutScrollBars(*state);
    InvalidateRect(grid, nullptr, FALSE);
}

void AnnounceChanges(HWND grid)
{
    if (State* state = StateOf(grid)) AnnounceRows(*state);
}

void Refresh(HWND grid)
{
    LayOut(grid);
    AnnounceChanges(grid);
}

RowRange SelectedRows(HWND grid)
{
    const State* state = StateOf(grid);
    return state ? Selection(*state) : RowRange{};
}

int TopRow(HWND grid)
{
    const State* state = StateOf(grid);
    return state ? state->topRow : 1;
}

}  // namespace Grid

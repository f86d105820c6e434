// The drive table's grid window: its messages, painting, scroll bars and answers to
// accessibility clients; what they show and do is the model's (grid_model.h).
#include "grid_win.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
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

constexpr int kTextIndent = 2;
// A thin border rather than WS_EX_CLIENTEDGE: the form makes the grid (rows) x 20 pixels
// high, which leaves a sunken edge's 4 pixels only from three rows on, so a table with a
// single drive would get a scroll bar for a missing pixel.
constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragInterval = 50;

// The table a grid shows, handed over by Create. A window of the class made any other way
// brings none: its creation fails rather than reading through a null pointer.
const DriveTable& TableOf(const CREATESTRUCTA& create)
{
    if (create.lpCreateParams == nullptr) throw std::invalid_argument("Dem Gitter fehlt seine Tabelle");
    return *static_cast<const DriveTable*>(create.lpCreateParams);
}

struct State final : AccessibleSource {
    State(HWND grid, const CREATESTRUCTA& create)
        : window(grid), model(TableOf(create)),
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
    std::string Name() const override { return WindowText(GetParent(window)); }
    int ItemCount() const override { return std::max(0, model.LastRow()); }
    std::string ItemName(int item) const override { return RowName(model.Table(), item); }
    long ItemState(int item) const override;
    RECT ItemRect(int item) const override;
    int ItemAt(POINT point) const override { return model.RowAt({point.x, point.y}); }
    int FocusedItem() const override { return model.Caret(); }
    std::vector<int> SelectedItems() const override;
    HRESULT Select(long flags, int item) override;

    HWND window;
    Model model;
    HFONT font;
    bool dragging = false;
    POINT dragPoint{};
    // SetScrollInfo can show or hide a bar, which resizes the client area and sends
    // WM_SIZE back to us while the bars are being laid out.
    bool layingOutBars = false;
    AccessibleLink accessible{window, *this};
};

State* StateOf(HWND grid) noexcept { return ControlState<State>(grid); }

Extent ClientSize(const State& state) noexcept
{
    RECT client{};
    GetClientRect(state.window, &client);
    return {client.right, client.bottom};
}

int BarOf(Bar bar) { return bar == Bar::Horizontal ? SB_HORZ : SB_VERT; }

// ---- Scrolling and what clients are told -------------------------------------------------

// Shows a bar only where the cells overflow.
void LayOutScrollBars(State& state)
{
    if (state.layingOutBars) return;
    state.layingOutBars = true;
    const LONG style = GetWindowLongA(state.window, GWL_STYLE);
    const Extent bars{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
    const Extent client = ClientSize(state);
    const Extent whole{client.width + ((style & WS_VSCROLL) ? bars.width : 0),
                       client.height + ((style & WS_HSCROLL) ? bars.height : 0)};
    const Extent room = state.model.CellRoom(whole, bars);
    for (const auto& [bar, along] : {std::pair{Bar::Vertical, room.height}, std::pair{Bar::Horizontal, room.width}}) {
        const BarSettings set = state.model.FitBar(bar, along);
        SCROLLINFO info{
            sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, set.max, static_cast<UINT>(set.page), set.pos, 0};
        // A page larger than the range hides the bar (no SIF_DISABLENOSCROLL).
        SetScrollInfo(state.window, BarOf(bar), &info, TRUE);
    }
    state.layingOutBars = false;
}

void MoveThumb(const State& state, Bar bar)
{
    const int first = bar == Bar::Horizontal ? state.model.LeftCol() : state.model.TopRow();
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, first - 1, 0};
    SetScrollInfo(state.window, BarOf(bar), &info, TRUE);
}

// The model's events carry MSAA's values.
static_assert(static_cast<DWORD>(ListEvent::Reorder) == EVENT_OBJECT_REORDER &&
              static_cast<DWORD>(ListEvent::Focus) == EVENT_OBJECT_FOCUS &&
              static_cast<DWORD>(ListEvent::Selection) == EVENT_OBJECT_SELECTION &&
              static_cast<DWORD>(ListEvent::SelectionAdd) == EVENT_OBJECT_SELECTIONADD &&
              static_cast<DWORD>(ListEvent::SelectionRemove) == EVENT_OBJECT_SELECTIONREMOVE &&
              static_cast<DWORD>(ListEvent::SelectionWithin) == EVENT_OBJECT_SELECTIONWITHIN);

// What the model changed: the bars' positions, the picture, and the events for clients. The
// focus goes to the current row, or to the list itself (CHILDID_SELF) once it has no rows,
// while the grid has it.
void Apply(const State& state, const Change& change)
{
    if (change.rowsScrolled) MoveThumb(state, Bar::Vertical);
    if (change.colsScrolled) MoveThumb(state, Bar::Horizontal);
    if (change.repaint) InvalidateRect(state.window, nullptr, FALSE);
    for (const Told& told : change.told)
        if (told.event != ListEvent::Focus || GetFocus() == state.window)
            state.accessible.Notify(static_cast<DWORD>(told.event), told.child);
}

constexpr std::pair<int, ScrollCommand> kScrollCommands[] = {
    {SB_LINEUP, ScrollCommand::LineBack}, {SB_LINEDOWN, ScrollCommand::LineOn}, {SB_PAGEUP, ScrollCommand::PageBack},
    {SB_PAGEDOWN, ScrollCommand::PageOn}, {SB_TOP, ScrollCommand::Start},       {SB_BOTTOM, ScrollCommand::End}};

void OnScroll(State& state, int bar, int code)
{
    const Bar along = bar == SB_HORZ ? Bar::Horizontal : Bar::Vertical;
    const Extent client = ClientSize(state);
    for (const auto& [scrollCode, command] : kScrollCommands)
        if (code == scrollCode) Apply(state, state.model.Scroll(along, command, client));
    if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) return;
    // The message's 16-bit position would truncate; the bar's own is 32 bits.
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(state.window, bar, &info);
    Apply(state, state.model.ScrollTo(along, info.nTrackPos + 1, client));
}

// Returns false when there is nothing to scroll, so DefWindowProc hands the wheel to the parent.
bool OnMouseWheel(State& state, int delta)
{
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const std::optional<int> step = lines == WHEEL_PAGESCROLL ? std::nullopt : std::optional(static_cast<int>(lines));
    const std::optional<Change> change = state.model.Wheel(delta, step, ClientSize(state));
    if (change) Apply(state, *change);
    return change.has_value();
}

// ---- Input ----------------------------------------------------------------------------------

// Keyboard use shows the focus frame from now on, as the dialog manager does for its controls.
void ShowFocusCues(const State& state)
{
    SendMessageA(GetAncestor(state.window, GA_ROOT), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool FocusCuesHidden(const State& state)
{
    return (SendMessageA(state.window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

// The keys the grid takes; DefWindowProc gets the others.
constexpr std::pair<WPARAM, Key> kKeys[] = {{VK_LEFT, Key::Left}, {VK_RIGHT, Key::Right},  {VK_UP, Key::Up},
                                            {VK_DOWN, Key::Down}, {VK_PRIOR, Key::PageUp}, {VK_NEXT, Key::PageDown},
                                            {VK_HOME, Key::Home}, {VK_END, Key::End}};

bool OnKeyDown(State& state, WPARAM key)
{
    ShowFocusCues(state);
    const auto* found =
        std::find_if(std::begin(kKeys), std::end(kKeys), [key](const auto& k) { return k.first == key; });
    if (found == std::end(kKeys)) return false;
    Apply(state, state.model.Press(found->second, GetKeyState(VK_SHIFT) < 0, ClientSize(state)));
    return true;
}

// While dragging, the pointer above or below the data rows scrolls one row at a time.
void DragTo(State& state, int y)
{
    const Extent client = ClientSize(state);
    Apply(state, state.model.DragTo(y, client));
    if (Model::DragScrolls(y, client))
        SetTimer(state.window, kDragTimer, kDragInterval, nullptr);
    else
        KillTimer(state.window, kDragTimer);
}

void OnLButtonDown(State& state, WPARAM keys, POINT point)
{
    SetFocus(state.window);
    const std::optional<Change> change =
        state.model.Click({point.x, point.y}, (keys & MK_SHIFT) != 0, ClientSize(state));
    if (!change) return;
    Apply(state, *change);
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

void PaintCell(const State& state, HDC dc, const ShownCell& shown)
{
    const DriveTable& table = state.model.Table();
    const Cell cell = shown.cell;
    const Box& box = shown.box;
    const bool fixed = cell.col < 1 || cell.row < 1;
    const bool selected = !fixed && state.model.IsSelected(cell.row);
    RECT area{box.left, box.top, box.right, box.bottom};
    FillRect(dc, &area, Brush(fixed ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (fixed) DrawEdge(dc, &area, BDR_RAISEDINNER, BF_TOPLEFT);

    const std::string& text = table.Cell(cell.col, cell.row);
    SetTextColor(dc, GetSysColor(fixed ? COLOR_BTNTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textArea{box.left + kTextIndent, box.top, box.right - kTextIndent, box.bottom};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

    // Dark lines frame the fixed cells; light ones part the data columns. Data rows have no
    // line between them: the gap takes the row's colour, so a selected run is one block.
    const int line = fixed ? COLOR_BTNSHADOW : COLOR_BTNFACE;
    Fill(dc, box.right, box.top, box.right + LineWidth, box.bottom + LineWidth, line);
    const bool runGoesOn = selected && state.model.IsSelected(cell.row + 1);
    Fill(dc, box.left, box.bottom, box.right, box.bottom + LineWidth,
         fixed       ? line
         : runGoesOn ? COLOR_HIGHLIGHT
                     : COLOR_WINDOW);
}

// A dotted frame round the caret row's data cells while the grid has the keyboard focus.
void PaintFocus(const State& state, HDC dc, SIZE client)
{
    const std::optional<Box> box = state.model.FocusFrame({client.cx, client.cy});
    if (!box) return;
    const RECT frame{box->left, box->top, box->right, box->bottom};
    // DrawFocusRect inverts a dotted pattern made of the text and background colours.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &frame);
}

void PaintCells(const State& state, HDC dc, SIZE client)
{
    Fill(dc, 0, 0, client.cx, client.cy, COLOR_WINDOW);
    SelectedObject font(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (const ShownCell& shown : state.model.ShownCells({client.cx, client.cy})) PaintCell(state, dc, shown);
    if (GetFocus() == state.window && !FocusCuesHidden(state)) PaintFocus(state, dc, client);
}

// WM_PAINT and WM_PRINTCLIENT both land here.
void Paint(const State& state, HDC target, const RECT& area)
{
    PaintBuffered(state.window, target, area, [&state](HDC dc, SIZE client) { PaintCells(state, dc, client); });
}

// ---- What accessibility clients are told -----------------------------------------------

RECT State::ItemRect(int item) const
{
    const Box row = model.RowBox(item);
    return {row.left, row.top, row.right, row.bottom};
}

long State::ItemState(int item) const
{
    long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (model.IsSelected(item)) flags |= STATE_SYSTEM_SELECTED;
    if (item == model.Caret() && GetFocus() == window) flags |= STATE_SYSTEM_FOCUSED;
    if (model.Offscreen(item, ClientSize(*this))) flags |= STATE_SYSTEM_OFFSCREEN;
    return flags;
}

std::vector<int> State::SelectedItems() const
{
    const RowRange selection = model.Selection();
    std::vector<int> rows;
    for (int row = selection.first; row >= 1 && row <= selection.last; ++row) rows.push_back(row);
    return rows;
}

// SELFLAG_TAKEFOCUS also gives the grid the keyboard focus, whose WM_SETFOCUS tells clients
// of the focused row.
HRESULT State::Select(long flags, int item)
{
    const std::optional<Change> change = model.Select(flags, item, ClientSize(*this));
    if (!change) return E_INVALIDARG;
    Apply(*this, *change);
    if ((flags & SelectFlag::TakeFocus) != 0 && GetFocus() != window) SetFocus(window);
    return S_OK;
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
        state.model.KeepSelectionInTable();
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
        const Extent client = ClientSize(state);
        Paint(state, reinterpret_cast<HDC>(wParam), RECT{0, 0, client.width, client.height});
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
        if (state.model.Caret() != 0) state.accessible.Notify(EVENT_OBJECT_FOCUS, state.model.Caret());
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
    state->model.KeepSelectionInTable();
    LayOutScrollBars(*state);
    InvalidateRect(grid, nullptr, FALSE);
}

void AnnounceChanges(HWND grid)
{
    if (State* state = StateOf(grid)) Apply(*state, state->model.AnnounceRows());
}

void Refresh(HWND grid)
{
    LayOut(grid);
    AnnounceChanges(grid);
}

RowRange SelectedRows(HWND grid)
{
    const State* state = StateOf(grid);
    return state ? state->model.Selection() : RowRange{};
}

int TopRow(HWND grid)
{
    const State* state = StateOf(grid);
    return state ? state->model.TopRow() : 1;
}

}  // namespace Grid

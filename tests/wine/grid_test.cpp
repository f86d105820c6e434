// The drive grid as a user meets it: its pixels (through WM_PRINTCLIENT), its selection by
// real mouse and keyboard messages, and its scroll bars, in a top-level test window; and the
// status bar's painting, which works as the grid's.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "survey/drive_table.h"
#include "ui/application_win.h"
#include "ui/control_win.h"
#include "ui/grid_win.h"
#include "ui/status_bar_win.h"

namespace {

constexpr std::array<int, DriveTable::ColCount> kWidths{20, 100, 100, 80, 80, 55, 60, 55};
constexpr int kPitch = 19;  // 18 pixels of row and 1 of grid line
constexpr int kCellsWidth = 557;  // the widths and the 7 lines between the columns
constexpr int kWidth = 570;
constexpr const char* kHostClass = "MerovantGridTestHost";

HFONT hostFont = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(hostFont);
    return DefWindowProcA(window, message, wParam, lParam);
}

int ColLeft(int col)
{
    int left = 0;
    for (int c = 0; c < col; ++c) left += kWidths[c] + 1;
    return left;
}
int RowTop(int row) { return row * kPitch; }
// A point in a cell's right part, clear of its (short) text and of the grid lines.
POINT InCell(int col, int row) { return {ColLeft(col) + kWidths[col] - 4, RowTop(row) + 9}; }

// The grid's client area in a 32-bit top-down DIB section: as drawn by WM_PRINTCLIENT, as
// WM_PAINT left it on the screen, or as WM_ERASEBKGND leaves it.
class Image {
public:
    enum class Source { PrintClient, Screen, Erase };

    explicit Image(HWND grid, Source source = Source::PrintClient)
    {
        RECT client{};
        GetClientRect(grid, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        // A colour no scheme uses, so pixels the grid leaves unpainted show up.
        const RECT all{0, 0, width_, height_};
        HBRUSH sentinel = CreateSolidBrush(kSentinel);
        FillRect(dc, &all, sentinel);
        DeleteObject(sentinel);
        if (source == Source::PrintClient) {
            SendMessageA(grid, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        } else if (source == Source::Erase) {
            SendMessageA(grid, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        } else {
            HDC screen = GetDC(grid);
            BitBlt(dc, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
            ReleaseDC(grid, screen);
        }
        GdiFlush();
        pixels_.resize(static_cast<std::size_t>(width_) * height_);
        std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(std::uint32_t));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    static constexpr COLORREF kSentinel = RGB(255, 0, 254);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixels that differ from the other picture's, or from one colour.
    int Differing(const Image& other) const
    {
        int count = 0;
        for (std::size_t i = 0; i < pixels_.size(); ++i) count += pixels_[i] != other.pixels_.at(i);
        return count;
    }
    int NotOf(COLORREF colour) const
    {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) count += At(x, y) != colour;
        return count;
    }
    COLORREF At(int x, int y) const
    {
        const std::uint32_t bgr = pixels_.at(static_cast<std::size_t>(y) * width_ + x);
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    COLORREF At(POINT point) const { return At(point.x, point.y); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

std::string Hex(COLORREF colour)
{
    char text[16];
    wsprintfA(text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

// What a probed pixel must look like. A grid line must stand out from the cells it parts.
enum class Look { Face, Window, Highlight, LineInFixed, LineInData, LineInSelection };

struct Probe {
    const char* what;
    POINT at;
    Look look;
};

void ExpectLooks(const Image& image, const Probe& probe)
{
    const COLORREF pixel = image.At(probe.at);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), window = GetSysColor(COLOR_WINDOW),
                   highlight = GetSysColor(COLOR_HIGHLIGHT);
    SCOPED_TRACE(std::string(probe.what) + " at (" + std::to_string(probe.at.x) + "," + std::to_string(probe.at.y) +
                 "): " + Hex(pixel));
    EXPECT_NE(pixel, Image::kSentinel) << "left unpainted";
    switch (probe.look) {
    case Look::Face: EXPECT_EQ(Hex(pixel), Hex(face)); break;
    case Look::Window: EXPECT_EQ(Hex(pixel), Hex(window)); break;
    case Look::Highlight: EXPECT_EQ(Hex(pixel), Hex(highlight)); break;
    case Look::LineInFixed:
        EXPECT_NE(pixel, face);
        EXPECT_NE(pixel, window);
        break;
    case Look::LineInData: EXPECT_NE(pixel, window); break;
    case Look::LineInSelection: EXPECT_NE(pixel, highlight); break;
    }
}

// Runs of pixels of one colour down a pixel column: {first y, length}.
std::vector<std::pair<int, int>> RunsDown(const Image& image, int x, COLORREF colour)
{
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < image.Height(); ++y) {
        if (image.At(x, y) != colour) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == y)
            ++runs.back().second;
        else
            runs.push_back({y, 1});
    }
    return runs;
}

class GridTest : public ::testing::Test {
protected:
    // One host window for the whole suite: under Wine each top-level window costs about
    // 2 s to take down again, the grid children cost nothing.
    static void SetUpTestSuite()
    {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        Grid::Register(instance);
        StatusBar::Register(instance);
        WNDCLASSEXA hostClass{};
        hostClass.cbSize = sizeof hostClass;
        hostClass.hInstance = instance;
        hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        hostClass.lpszClassName = kHostClass;
        Application::RegisterWindowClass(hostClass, HostProc);
        host = CreateWindowExA(0, kHostClass, "Gitter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 700, nullptr,
                               nullptr, instance, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(host); }

    // A grid over `rowCount` rows (the header included), sized as the form sizes it unless
    // a height is given. It replaces the grid of an earlier call.
    void Open(int rowCount, int height = 0)
    {
        ASSERT_NE(host, nullptr);
        Close();
        table.SetRowCount(rowCount);
        for (int col = 0; col < DriveTable::ColCount; ++col) {
            table.SetColWidth(col, kWidths[col]);
            table.SetCell(col, 0, col == 0 ? "" : "Kopf");
        }
        for (int row = 1; row < rowCount; ++row) {
            table.SetCell(0, row, std::string(1, static_cast<char>('B' + row % 25)) + ":");
            table.SetCell(1, row, "Daten");
        }
        grid = Grid::Create(host, 1, table);
        ASSERT_NE(grid, nullptr);
        Resize(height ? height : rowCount * 20);
    }
    void Resize(int height, int width = kWidth)
    {
        SetWindowPos(grid, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        Grid::Refresh(grid);
    }
    void Close()
    {
        if (grid) DestroyWindow(grid);
        grid = nullptr;
    }
    void TearDown() override { Close(); }

    void Press(UINT key, bool shift = false)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(grid, WM_KEYDOWN, key, 1);
        SendMessageA(grid, WM_KEYUP, key, 0xC0000001);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
        SetKeyboardState(keys);
    }
    void Click(POINT at, bool shift = false)
    {
        const WPARAM keys = shift ? MK_SHIFT : 0;
        SendMessageA(grid, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(grid, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
    }
    bool HasBar(DWORD bar) const { return (GetWindowLongA(grid, GWL_STYLE) & bar) != 0; }
    SCROLLINFO BarInfo(int bar) const
    {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(grid, bar, &info);
        return info;
    }

    static inline HWND host = nullptr;
    DriveTable table;
    HWND grid = nullptr;
};

using Range = Grid::RowRange;

TEST_F(GridTest, CellsLinesAndSelectionArePaintedOnTheirPixels)
{
    Open(6);
    const Image first(grid);
    const Probe initial[] = {
        {"header cell", InCell(2, 0), Look::Face},
        {"drive column cell", InCell(0, 2), Look::Face},
        {"data cell", InCell(2, 2), Look::Window},
        {"first data row, selected at the start", InCell(2, 1), Look::Highlight},
        {"first data column of the selected row", InCell(1, 1), Look::Highlight},
        {"last column of the selected row", InCell(7, 1), Look::Highlight},
        {"drive column beside the selection stays fixed", InCell(0, 1), Look::Face},
        {"line between two data columns", {ColLeft(3) - 1, RowTop(2) + 9}, Look::LineInData},
        {"line between two data columns, in the row gap", {ColLeft(3) - 1, RowTop(3) - 1}, Look::LineInData},
        {"line between two selected columns", {ColLeft(2) - 1, RowTop(1) + 9}, Look::LineInSelection},
        {"no line between two data rows", {InCell(2, 2).x, RowTop(3) - 1}, Look::Window},
        {"no line below the selected row", {InCell(2, 1).x, RowTop(2) - 1}, Look::Window},
        {"line under the header", {InCell(2, 0).x, RowTop(1) - 1}, Look::LineInFixed},
        {"line between rows of the drive column", {InCell(0, 2).x, RowTop(3) - 1}, Look::LineInFixed},
        {"line right of the drive column", {ColLeft(1) - 1, RowTop(2) + 9}, Look::LineInFixed},
        {"right of the last column", {kCellsWidth + 5, RowTop(2) + 9}, Look::Window},
        {"below the last row", {InCell(2, 0).x, RowTop(6) + 2}, Look::Window},
    };
    for (const Probe& probe : initial) ExpectLooks(first, probe);

    // Rows 2 and 3 selected: the run is one block 2 x 18 + 1 pixels high, rows 19 apart.
    Press(VK_DOWN);
    Press(VK_DOWN, true);
    const Image second(grid);
    const int x = InCell(4, 0).x;
    const Probe run[] = {
        {"row 1, no longer selected", InCell(4, 1), Look::Window},
        {"gap below row 1", {x, RowTop(2) - 1}, Look::Window},
        {"first pixel row of row 2", {x, RowTop(2)}, Look::Highlight},
        {"gap between the selected rows 2 and 3", {x, RowTop(3) - 1}, Look::Highlight},
        {"last pixel row of row 3", {x, RowTop(3) + 17}, Look::Highlight},
        {"gap below row 3", {x, RowTop(4) - 1}, Look::Window},
        {"row 4", InCell(4, 4), Look::Window},
    };
    for (const Probe& probe : run) ExpectLooks(second, probe);
}

// WM_PAINT copies its part of the same picture to the screen, also when only a part of the
// window needs painting.
TEST_F(GridTest, PaintingTheScreenDrawsWhatPrintClientDraws)
{
    Open(6);
    UpdateWindow(grid);
    Press(VK_DOWN, true);  // rows 1 and 2
    ValidateRect(grid, nullptr);  // the screen keeps the old selection ...
    RECT part{150, 25, 400, 60};  // ... but for this part, across rows 1 to 3
    InvalidateRect(grid, &part, FALSE);
    UpdateWindow(grid);
    const Image printed(grid), screen(grid, Image::Source::Screen);
    int differing = 0;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) differing += screen.At(x, y) != printed.At(x, y);
    EXPECT_EQ(differing, 0);
    ExpectLooks(screen, {"outside the part, row 2 still unselected", InCell(1, 2), Look::Window});
    ExpectLooks(screen, {"inside the part, row 2 now selected", InCell(2, 2), Look::Highlight});
}

TEST_F(GridTest, CellTextsAreDrawnInsideTheirCells)
{
    Open(4);
    table.SetCell(3, 2, "WWWW");
    Grid::Refresh(grid);
    const Image image(grid);
    auto inked = [&](int col, int row) {
        int count = 0;
        for (int y = RowTop(row); y < RowTop(row) + 18; ++y)
            for (int x = ColLeft(col); x < ColLeft(col) + kWidths[col]; ++x)
                count += image.At(x, y) == GetSysColor(COLOR_WINDOWTEXT);
        return count;
    };
    EXPECT_GT(inked(3, 2), 0);
    EXPECT_EQ(inked(4, 2), 0) << "the text spills into the next column";
    EXPECT_EQ(inked(3, 1), 0) << "the text lands in the row above";
    EXPECT_EQ(inked(3, 3), 0) << "the text lands in the row below";
}

struct KeyStep {
    const char* what;
    UINT key;
    bool shift;
    Range expected;
};

TEST_F(GridTest, KeyboardMovesAndExtendsTheSelection)
{
    Open(6);
    ASSERT_EQ(Grid::SelectedRows(grid), (Range{1, 1})) << "the first data row starts selected";
    const KeyStep steps[] = {
        {"Down moves", VK_DOWN, false, {2, 2}},
        {"Shift+Down extends", VK_DOWN, true, {2, 3}},
        {"Shift+Up shrinks back to the anchor", VK_UP, true, {2, 2}},
        {"Shift+Up extends above the anchor", VK_UP, true, {1, 2}},
        {"Down moves from the caret, not the anchor", VK_DOWN, false, {2, 2}},
        {"End goes to the last row", VK_END, false, {5, 5}},
        {"Down at the last row stays", VK_DOWN, false, {5, 5}},
        {"Shift+Home extends to the first row", VK_HOME, true, {1, 5}},
        {"Up at the first row collapses there", VK_UP, false, {1, 1}},
        {"PageDown with every row shown goes to the last", VK_NEXT, false, {5, 5}},
        {"Shift+PageUp extends to the first", VK_PRIOR, true, {1, 5}},
        {"Right scrolls nothing and keeps the selection", VK_RIGHT, false, {1, 5}},
    };
    for (const KeyStep& step : steps) {
        Press(step.key, step.shift);
        EXPECT_EQ(Grid::SelectedRows(grid), step.expected) << step.what;
    }
}

struct ClickStep {
    const char* what;
    POINT at;
    bool shift;
    Range expected;
};

TEST_F(GridTest, MouseSelectsRowsButNotFixedCells)
{
    Open(6);
    const ClickStep steps[] = {
        {"a click selects its row", InCell(2, 3), false, {3, 3}},
        {"Shift+click extends from the anchor", InCell(5, 5), true, {3, 5}},
        {"Shift+click above the anchor turns the run round", InCell(1, 1), true, {1, 3}},
        {"a click on the header changes nothing", InCell(2, 0), false, {1, 3}},
        {"Shift+click on the header changes nothing", InCell(6, 0), true, {1, 3}},
        {"a click on the drive column changes nothing", InCell(0, 4), false, {1, 3}},
        {"a click on the drive column's line changes nothing", {ColLeft(1) - 1, RowTop(4) + 9}, false, {1, 3}},
        {"a click below the last row changes nothing", {InCell(2, 0).x, RowTop(6) + 2}, false, {1, 3}},
        {"a click right of the last column changes nothing", {kCellsWidth + 5, RowTop(2) + 9}, false, {1, 3}},
        {"the first pixel of the first data column counts", {ColLeft(1), RowTop(4) + 9}, false, {4, 4}},
        {"the gap below a row belongs to that row", {InCell(2, 0).x, RowTop(3) - 1}, false, {2, 2}},
        {"the first pixel row of a row belongs to it", {InCell(2, 0).x, RowTop(5)}, false, {5, 5}},
    };
    for (const ClickStep& step : steps) {
        Click(step.at, step.shift);
        EXPECT_EQ(Grid::SelectedRows(grid), step.expected) << step.what;
    }
    EXPECT_EQ(GetFocus(), grid) << "a click takes the keyboard focus";
}

TEST_F(GridTest, DraggingExtendsFromWhereTheButtonWentDown)
{
    Open(6);
    const POINT down = InCell(3, 2), over = InCell(3, 4), back = InCell(3, 1);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(over.x, over.y));
    EXPECT_EQ(Grid::SelectedRows(grid), (Range{2, 4}));
    SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(back.x, back.y));
    EXPECT_EQ(Grid::SelectedRows(grid), (Range{1, 2}));
    SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(back.x, back.y));
    EXPECT_EQ(GetCapture(), nullptr) << "the button's release ends the drag";
    SendMessageA(grid, WM_MOUSEMOVE, 0, MAKELPARAM(over.x, over.y));
    EXPECT_EQ(Grid::SelectedRows(grid), (Range{1, 2})) << "moving without the button selects nothing";
    Press(VK_DOWN, true);
    EXPECT_EQ(Grid::SelectedRows(grid), (Range{2, 2})) << "the keyboard goes on from the drag's anchor";
}

// The form makes the grid (rows) x 20 pixels high after every refresh: that must show every
// cell whole and never need a scroll bar, whatever the number of drives.
TEST_F(GridTest, TheFormsSizesShowAllCellsWithoutScrollBars)
{
    for (const int rows : {1, 2, 3, 6, 27}) {
        Open(rows);
        RECT client{};
        GetClientRect(grid, &client);
        EXPECT_GE(client.bottom, RowTop(rows) - 1) << rows << " rows: the last row is cut";
        EXPECT_GE(client.right, kCellsWidth) << rows << " rows: the last column is cut";
        EXPECT_FALSE(HasBar(WS_VSCROLL)) << rows << " rows";
        EXPECT_FALSE(HasBar(WS_HSCROLL)) << rows << " rows";
    }
}

// The cells fit when every row and column is shown whole; the grid line after the last one
// may fall outside.
TEST_F(GridTest, ScrollBarsAppearExactlyWhenTheCellsOverflow)
{
    constexpr int kRows = 6, kCellsHeight = kRows * kPitch - 1;
    Open(kRows);
    RECT outer{}, client{};
    GetWindowRect(grid, &outer);
    GetClientRect(grid, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    const struct {
        const char* what;
        int clientWidth;
        int clientHeight;
        bool vertical;
        bool horizontal;
    } cases[] = {
        {"every cell fits exactly", kCellsWidth, kCellsHeight, false, false},
        {"the last row is a pixel short", kCellsWidth + 50, kCellsHeight - 1, true, false},
        {"the last column is a pixel short", kCellsWidth - 1, kCellsHeight + 50, false, true},
        {"the horizontal bar's height makes the rows overflow", kCellsWidth - 1, kCellsHeight, true, true},
        {"the vertical bar's width makes the columns overflow", kCellsWidth, kCellsHeight - 1, true, true},
    };
    for (const auto& c : cases) {
        Resize(c.clientHeight + frameHeight, c.clientWidth + frameWidth);
        EXPECT_EQ(HasBar(WS_VSCROLL), c.vertical) << c.what;
        EXPECT_EQ(HasBar(WS_HSCROLL), c.horizontal) << c.what;
    }
}

TEST_F(GridTest, OverflowingRowsScrollUnderAFixedHeader)
{
    Open(25, 80);
    ASSERT_TRUE(HasBar(WS_VSCROLL));
    RECT client{};
    GetClientRect(grid, &client);
    EXPECT_EQ(HasBar(WS_HSCROLL), client.right < kCellsWidth) << "the vertical bar leaves " << client.right << " px";

    for (int i = 0; i < 3; ++i) SendMessageA(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Grid::TopRow(grid), 4);
    EXPECT_EQ(BarInfo(SB_VERT).nPos, 3);
    const Image scrolled(grid);
    const Probe afterScroll[] = {
        {"header still at the top", InCell(2, 0), Look::Face},
        {"line under the header still below it", {InCell(2, 0).x, RowTop(1) - 1}, Look::LineInFixed},
        {"row 4 under the header, not the selected row 1", InCell(2, 1), Look::Window},
        {"drive column still fixed", InCell(0, 1), Look::Face},
    };
    for (const Probe& probe : afterScroll) ExpectLooks(scrolled, probe);

    // Accessibility clients find the rows where they are drawn, those scrolled away too.
    IAccessible* rows = nullptr;
    AccessibleObjectFromWindow(grid, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&rows));
    ASSERT_NE(rows, nullptr);
    POINT origin{0, 0};
    ClientToScreen(grid, &origin);
    const struct {
        long item;
        int top;  // in the client area
        bool offscreen;
    } shown[] = {{1, RowTop(1) - 3 * kPitch, true}, {4, RowTop(1), false}, {24, RowTop(21), true}};
    for (const auto& row : shown) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = row.item;
        long left = 0, top = 0, width = 0, height = 0;
        rows->accLocation(&left, &top, &width, &height, child);
        VARIANT state{};
        rows->get_accState(child, &state);
        EXPECT_EQ(top, origin.y + row.top) << "row " << row.item;
        EXPECT_EQ((state.lVal & STATE_SYSTEM_OFFSCREEN) != 0, row.offscreen) << "row " << row.item;
    }
    rows->Release();

    SendMessageA(grid, WM_VSCROLL, SB_BOTTOM, 0);
    const int bottomTop = Grid::TopRow(grid);
    const SCROLLINFO bottom = BarInfo(SB_VERT);
    EXPECT_EQ(bottom.nPos, bottom.nMax - static_cast<int>(bottom.nPage) + 1) << "the thumb at its end";
    EXPECT_EQ(bottomTop, 25 - (client.bottom - kPitch + 1) / kPitch) << "the last row shown whole, no gap below";

    SendMessageA(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_LT(Grid::TopRow(grid), bottomTop) << "the wheel turned forward scrolls up";
    SendMessageA(grid, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Grid::TopRow(grid), 1);
}

// A client's first request may reach a grid on a thread that is in no COM apartment: none
// of its windows was ever activated, so no input method brought COM in either. The grid's
// own object must come back all the same, not the standard object of a plain client area.
TEST_F(GridTest, AClientReadsAGridWhoseThreadHasNoComYet)
{
    Open(3);
    std::atomic<HWND> unshown{nullptr};
    std::atomic<bool> read{false};
    std::thread owner([&] {
        HWND parent = CreateWindowExA(0, kHostClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 100, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        try {
            unshown = Grid::Create(parent, 1, table);
        } catch (...) {
            unshown = HWND_MESSAGE;  // not made: the test fails below
        }
        MSG message;
        while (!read) {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(5);
        }
        DestroyWindow(parent);
    });
    while (unshown == nullptr) Sleep(5);
    CoInitialize(nullptr);  // the client's own
    IAccessible* rows = nullptr;
    AccessibleObjectFromWindow(unshown, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&rows));
    VARIANT self{}, role{};
    self.vt = VT_I4;
    if (rows != nullptr) rows->get_accRole(self, &role);
    EXPECT_EQ(role.vt == VT_I4 ? role.lVal : -1, ROLE_SYSTEM_LIST);
    if (rows != nullptr) rows->Release();
    read = true;
    owner.join();
}

TEST_F(GridTest, KeyboardScrollsTheSelectionIntoView)
{
    Open(25, 80);
    RECT client{};
    GetClientRect(grid, &client);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const struct {
        const char* what;
        UINT key;
        int selected;
    } steps[] = {{"End", VK_END, 24}, {"Up", VK_UP, 23}, {"Home", VK_HOME, 1}, {"PageDown", VK_NEXT, 0}};
    for (const auto& step : steps) {
        Press(step.key);
        const Range rows = Grid::SelectedRows(grid);
        if (step.selected) {
            EXPECT_EQ(rows, (Range{step.selected, step.selected})) << step.what;
        }
        const Image image(grid);
        const auto runs = RunsDown(image, InCell(2, 0).x, highlight);
        ASSERT_EQ(runs.size(), 1u) << step.what << ": the selected row is shown once";
        EXPECT_EQ(runs[0].second, 18) << step.what << ": the whole row is shown";
        EXPECT_EQ(runs[0].first, RowTop(rows.first - Grid::TopRow(grid) + 1)) << step.what;
        EXPECT_LE(runs[0].first + 18, client.bottom) << step.what;
        ExpectLooks(image, {"header", InCell(2, 0), Look::Face});
    }
}

TEST_F(GridTest, HorizontalScrollingKeepsTheDriveColumn)
{
    Open(25, 80);
    ASSERT_TRUE(HasBar(WS_HSCROLL));
    SendMessageA(grid, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(BarInfo(SB_HORZ).nPos, 1);
    const Image image(grid);
    ExpectLooks(image, {"drive column", InCell(0, 2), Look::Face});
    ExpectLooks(image, {"line right of the drive column", {ColLeft(1) - 1, RowTop(2) + 9}, Look::LineInFixed});
    // Column 2 now follows the drive column: its right line sits where column 1's was.
    ExpectLooks(image,
                {"line after the first shown column", {ColLeft(1) + kWidths[2], RowTop(2) + 9}, Look::LineInData});
    Press(VK_LEFT);
    EXPECT_EQ(BarInfo(SB_HORZ).nPos, 0);
}

// The grid's EVENT_OBJECT_FOCUS children, as an out-of-context hook hears them.
HWND focusWatched = nullptr;
std::vector<LONG> focusEvents;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG child, DWORD, DWORD) noexcept
{
    if (window != focusWatched) return;
    try {
        focusEvents.push_back(child);
    } catch (...) {
        // Out of memory: the event is missed, and the test says so.
    }
}

void TakeMessages()
{
    for (int i = 0; i < 10; ++i) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
}

// The rows that go take the current row along: the focus moves to the last row left, and to
// the list itself (CHILDID_SELF) once none is left, so that a reader points at nothing gone.
TEST_F(GridTest, SelectionStaysInsideAShrinkingTable)
{
    Open(25, 80);
    Press(VK_DOWN);
    Press(VK_END, true);
    ASSERT_EQ(Grid::SelectedRows(grid), (Range{2, 24}));
    SetFocus(grid);
    focusWatched = grid;
    const HWINEVENTHOOK hook = Callbacks::HookWinEvents(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, RecordFocus,
                                                        GetCurrentProcessId(), WINEVENT_OUTOFCONTEXT);
    const struct {
        int rows;
        Range expected;
        LONG focus;
    } steps[] = {{10, {2, 9}, 9}, {3, {2, 2}, 2}, {1, {0, 0}, CHILDID_SELF}, {4, {1, 1}, 1}};
    for (const auto& step : steps) {
        TakeMessages();
        focusEvents.clear();
        table.SetRowCount(step.rows);
        Resize(step.rows * 20);
        TakeMessages();
        EXPECT_EQ(focusEvents, std::vector<LONG>{step.focus}) << step.rows << " rows";
        EXPECT_EQ(Grid::SelectedRows(grid), step.expected) << step.rows << " rows";
        EXPECT_EQ(Grid::TopRow(grid), 1) << step.rows << " rows";
        EXPECT_FALSE(HasBar(WS_VSCROLL)) << step.rows << " rows";
        Press(VK_DOWN);  // must not leave the table, nor fail on an empty one
        const Range afterDown = Grid::SelectedRows(grid);
        EXPECT_LE(afterDown.last, step.rows - 1) << step.rows << " rows";
        Press(VK_UP);
    }
    UnhookWinEvent(hook);
}

// A bar erased with a brush and then drawn over flickers at every change of a text: its
// erase leaves every pixel alone, and WM_PAINT puts on the screen what WM_PRINTCLIENT draws.
TEST_F(GridTest, StatusBarPaintsEveryPixelOnceWithoutErasing)
{
    HWND bar = StatusBar::Create(host, 2);
    ASSERT_NE(bar, nullptr);
    SetWindowPos(bar, nullptr, 0, 600, kWidth, 19, SWP_NOZORDER);
    int edges[] = {115, -1};
    SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(" Merovant"));
    SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("D:\\logs"));
    UpdateWindow(bar);
    const Image erased(bar, Image::Source::Erase), printed(bar), screen(bar, Image::Source::Screen);
    EXPECT_EQ(erased.NotOf(Image::kSentinel), 0) << "pixels erased";
    EXPECT_EQ(printed.NotOf(Image::kSentinel), printed.Width() * printed.Height()) << "pixels left unpainted";
    EXPECT_EQ(screen.Differing(printed), 0);
    DestroyWindow(bar);
}

// A grid window made without its table, not through Grid::Create, is refused at its creation.
TEST_F(GridTest, AGridWithoutItsTableIsNotMade)
{
    try {
        CreateControl(Grid::ClassName, WS_CHILD, {100, 100}, host, 9, nullptr);
        ADD_FAILURE() << "a grid without a table was made";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Dem Gitter fehlt seine Tabelle");
    }
    EXPECT_EQ(GetDlgItem(host, 9), nullptr);
}

TEST_F(GridTest, FontComesFromTheParentUntilSetAndAsksForTheArrows)
{
    hostFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    Open(3);
    hostFont = nullptr;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(grid, WM_GETFONT, 0, 0)), GetStockObject(ANSI_VAR_FONT));
    HFONT own = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
    SendMessageA(grid, WM_SETFONT, reinterpret_cast<WPARAM>(own), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(grid, WM_GETFONT, 0, 0)), own);
    EXPECT_TRUE(SendMessageA(grid, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
    EXPECT_TRUE(GetWindowLongA(grid, GWL_STYLE) & WS_TABSTOP);
    Close();  // before the font it uses
    DeleteObject(own);
}

}  // namespace

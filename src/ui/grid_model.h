// The drive grid apart from its window: its axes, scrolling, the anchor-and-caret selection,
// hit testing, and what accessibility clients are told of each change.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "accessible_logic.h"

class DriveTable;

namespace Grid {

inline constexpr int RowHeight = 18;
inline constexpr int LineWidth = 1;
// A row and the grid line below it.
inline constexpr int RowPitch = RowHeight + LineWidth;

// A run of adjacent data rows, inclusive. Row 0 is the header and is never selected, so
// {0, 0} means "nothing selected" (a table without data rows, or a client's accSelect took
// the last selected row out).
struct RowRange {
    int first = 0;
    int last = 0;
    bool operator==(const RowRange&) const = default;
};

// Pixels of the grid's client area.
struct Point {
    int x;
    int y;
};
struct Extent {
    int width;
    int height;
};
struct Box {
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const Box&) const = default;
};
struct Cell {
    int col;
    int row;
    bool operator==(const Cell&) const = default;
};

// A cell the client area shows, and where: its box leaves out the grid lines to its right
// and below it, which the cell owns.
struct ShownCell {
    Cell cell;
    Box box;
    bool operator==(const ShownCell&) const = default;
};

// The vertical bar scrolls the rows, the horizontal one the columns.
enum class Bar { Vertical, Horizontal };

// A bar as SetScrollInfo takes it: positions count the scrollable cells from 0, and a page
// larger than the range hides the bar.
struct BarSettings {
    int max = 0;
    int page = 1;
    int pos = 0;
    bool operator==(const BarSettings&) const = default;
};

enum class ScrollCommand { LineBack, LineOn, PageBack, PageOn, Start, End };
enum class Key { Left, Right, Up, Down, PageUp, PageDown, Home, End };

// What an input changed, for the window to show and to tell.
struct Change {
    bool rowsScrolled = false;  // the vertical bar's position
    bool colsScrolled = false;  // the horizontal bar's position
    bool repaint = false;
    std::vector<Told> told;
    bool operator==(const Change&) const = default;
};

class Model {
public:
    // The grid shows the table by reference: the table must outlive the model.
    explicit Model(const DriveTable& table) : table_(table) {}

    const DriveTable& Table() const { return table_; }
    int LastRow() const;
    int TopRow() const { return topRow_; }
    int LeftCol() const { return leftCol_; }
    int Caret() const { return selection_.focus; }
    RowRange Selection() const { return {selection_.first, selection_.last}; }
    bool IsSelected(int row) const;
    // The drive column and its line, which never scroll.
    int FixedWidth() const;

    // The room the cells get in a client area of `whole` pixels without bars, once it shows
    // the bars (`bars`: the vertical one's width, the horizontal one's height) that their
    // overflow needs; each bar narrows the room for the other.
    Extent CellRoom(Extent whole, Extent bars) const;
    // The bar for `room` pixels along it; the first shown cell is kept within its range.
    BarSettings FitBar(Bar bar, int room);

    Change ScrollTo(Bar bar, int first, Extent client);
    Change Scroll(Bar bar, ScrollCommand command, Extent client);
    // A wheel turned by `delta` (WHEEL_DELTA a notch), `lines` a notch (nothing: a page):
    // nothing when there is nothing to scroll, so the parent gets the wheel.
    std::optional<Change> Wheel(int delta, std::optional<int> lines, Extent client);
    Change Press(Key key, bool shift, Extent client);
    // A click: nothing outside the data cells, where no drag begins.
    std::optional<Change> Click(Point point, bool shift, Extent client);
    // The button held at height `y`; above or below the data rows it scrolls a row a step,
    // and DragScrolls says the step is to be repeated.
    Change DragTo(int y, Extent client);
    static bool DragScrolls(int y, Extent client);
    // accSelect with MSAA's SELFLAG_ flags: nothing for flags the grid cannot follow.
    std::optional<Change> Select(long flags, int row, Extent client);

    // After the table changed: the selection kept inside it, and what clients are told once
    // it is whole again.
    void KeepSelectionInTable();
    Change AnnounceRows();

    // The cells a client area of `client` pixels shows, in the order they are painted: the
    // fixed row and column first, then the scrolled ones from the first shown, as far as the
    // area goes. Painting and hit testing both go by it.
    std::vector<ShownCell> ShownCells(Extent client) const;
    // Each cell owns the grid lines to its right and below it; nothing outside the cells.
    std::optional<Cell> HitTest(Point point) const;
    // The data row under a point; 0 for none.
    int RowAt(Point point) const;
    // Where a row is drawn, or would be once scrolled into view: below the header, from the
    // drive column to the end of the last column.
    Box RowBox(int row) const;
    bool Offscreen(int row, Extent client) const;
    // The caret row's data cells, as far as the client area goes: where the focus frame is
    // drawn; none while the row is scrolled away above or there are no data rows.
    std::optional<Box> FocusFrame(Extent client) const;

private:
    Change SetSelection(const ListSelection& next, Extent client);
    Change MoveCaret(int row, bool extend, Extent client);
    Change ShowRow(int row, Extent client);
    int RowAtHeight(int y) const;

    const DriveTable& table_;
    // The keyboard and the mouse select from the anchor (where it began) to the caret, the
    // focus (where they move); both are data rows, or 0 while the table has none. A
    // client's accSelect may leave the selected run elsewhere, or empty.
    ListSelection selection_;
    // The first scrollable row and column shown next to the fixed ones.
    int topRow_ = 1;
    int leftCol_ = 1;
    int wheelRemainder_ = 0;
    // The rows and the current row as clients were last told of them.
    std::vector<std::string> toldRows_;
    int toldCaret_ = 0;
};

}  // namespace Grid

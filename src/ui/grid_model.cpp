// The drive grid's geometry, scrolling and selection, and what they tell clients.
#include "grid_model.h"

#include <algorithm>

#include "../survey/drive_table.h"
#include "grid_text.h"

namespace Grid {
namespace {

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

Axis Rows(const DriveTable& table) { return {table, false}; }
Axis Cols(const DriveTable& table) { return {table, true}; }
Axis AxisOf(const DriveTable& table, Bar bar) { return bar == Bar::Horizontal ? Cols(table) : Rows(table); }
int Along(Bar bar, Extent client) { return bar == Bar::Horizontal ? client.width : client.height; }

// The fixed row or column first, then the scrolled ones.
int NextShown(int index, int first) { return index == 0 ? first : index + 1; }

}  // namespace

int Model::LastRow() const { return table_.RowCount() - 1; }

bool Model::IsSelected(int row) const
{
    return selection_.first > 0 && row >= selection_.first && row <= selection_.last;
}

int Model::FixedWidth() const { return Cols(table_).FixedExtent(); }

// ---- Scrolling -------------------------------------------------------------------------

Extent Model::CellRoom(Extent whole, Extent bars) const
{
    bool vertical = Rows(table_).MaxFirst(whole.height) > 1;
    const bool horizontal = Cols(table_).MaxFirst(whole.width - (vertical ? bars.width : 0)) > 1;
    vertical = Rows(table_).MaxFirst(whole.height - (horizontal ? bars.height : 0)) > 1;
    return {whole.width - (vertical ? bars.width : 0), whole.height - (horizontal ? bars.height : 0)};
}

BarSettings Model::FitBar(Bar bar, int room)
{
    const Axis axis = AxisOf(table_, bar);
    const int maxFirst = axis.MaxFirst(room);
    int& first = bar == Bar::Horizontal ? leftCol_ : topRow_;
    first = std::clamp(first, 1, maxFirst);
    if (maxFirst <= 1) return {};
    // A page of (cells - maxFirst + 1) lets the thumb reach exactly maxFirst, which shows
    // the last cell whole.
    const int scrollable = axis.Count() - 1;
    return {scrollable - 1, scrollable - maxFirst + 1, first - 1};
}

Change Model::ScrollTo(Bar bar, int first, Extent client)
{
    int& shown = bar == Bar::Horizontal ? leftCol_ : topRow_;
    const int clamped = std::clamp(first, 1, AxisOf(table_, bar).MaxFirst(Along(bar, client)));
    if (clamped == shown) return {};
    shown = clamped;
    return {bar == Bar::Vertical, bar == Bar::Horizontal, true, {}};
}

Change Model::Scroll(Bar bar, ScrollCommand command, Extent client)
{
    const Axis axis = AxisOf(table_, bar);
    const int first = bar == Bar::Horizontal ? leftCol_ : topRow_;
    const int page = std::max(1, axis.FullyShown(first, Along(bar, client)));
    switch (command) {
    case ScrollCommand::LineBack: return ScrollTo(bar, first - 1, client);
    case ScrollCommand::LineOn: return ScrollTo(bar, first + 1, client);
    case ScrollCommand::PageBack: return ScrollTo(bar, first - page, client);
    case ScrollCommand::PageOn: return ScrollTo(bar, first + page, client);
    case ScrollCommand::Start: return ScrollTo(bar, 1, client);
    case ScrollCommand::End: return ScrollTo(bar, axis.Count(), client);
    }
    return {};
}

std::optional<Change> Model::Wheel(int delta, std::optional<int> lines, Extent client)
{
    const Axis rows = Rows(table_);
    if (rows.MaxFirst(client.height) <= 1) return std::nullopt;
    // Fine-grained wheels send fractions of a notch: keep the rest for the next message.
    constexpr int kNotch = 120;  // WHEEL_DELTA
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / kNotch;
    wheelRemainder_ -= notches * kNotch;
    const int step = lines ? *lines : std::max(1, rows.FullyShown(topRow_, client.height));
    return ScrollTo(Bar::Vertical, topRow_ - notches * step, client);
}

// Scrolls the least that shows the whole row.
Change Model::ShowRow(int row, Extent client)
{
    if (row < topRow_) return ScrollTo(Bar::Vertical, row, client);
    const Axis rows = Rows(table_);
    if (row < topRow_ + rows.FullyShown(topRow_, client.height)) return {};
    int first = row;
    while (first > 1 && rows.FixedExtent() + (row - first + 2) * RowPitch - LineWidth <= client.height) --first;
    return ScrollTo(Bar::Vertical, first, client);
}

// ---- Selection ---------------------------------------------------------------------------

// The keyboard, the mouse and clients all select through here: the caret row scrolled into
// view, the selection drawn, and clients told as MSAA defines the events.
Change Model::SetSelection(const ListSelection& next, Extent client)
{
    if (next == selection_) return {};
    const ListSelection before = selection_;
    selection_ = next;
    Change change = ShowRow(next.focus, client);
    change.repaint = true;
    if (next.focus != before.focus) toldCaret_ = next.focus;
    change.told = TellSelectionChange(before, next, LastRow());
    return change;
}

Change Model::MoveCaret(int row, bool extend, Extent client)
{
    if (LastRow() < 1) return {};
    row = std::clamp(row, 1, LastRow());
    const int anchor = extend ? selection_.anchor : row;
    return SetSelection({anchor, row, std::min(anchor, row), std::max(anchor, row)}, client);
}

Change Model::Press(Key key, bool shift, Extent client)
{
    const int page = std::max(1, Rows(table_).FullyShown(topRow_, client.height));
    int row = selection_.focus;
    switch (key) {
    case Key::Left: return ScrollTo(Bar::Horizontal, leftCol_ - 1, client);
    case Key::Right: return ScrollTo(Bar::Horizontal, leftCol_ + 1, client);
    case Key::Up: row -= 1; break;
    case Key::Down: row += 1; break;
    case Key::PageUp: row -= page; break;
    case Key::PageDown: row += page; break;
    case Key::Home: row = 1; break;
    case Key::End: row = LastRow(); break;
    }
    return MoveCaret(row, shift, client);
}

std::optional<Change> Model::Click(Point point, bool shift, Extent client)
{
    const std::optional<Cell> cell = HitTest(point);
    // Fixed cells are labels: clicking them selects nothing.
    if (!cell || cell->col < 1 || cell->row < 1) return std::nullopt;
    return MoveCaret(cell->row, shift, client);
}

Change Model::DragTo(int y, Extent client)
{
    int row;
    if (y < RowPitch)
        row = topRow_ - 1;
    else if (y >= client.height)
        row = topRow_ + Rows(table_).FullyShown(topRow_, client.height);
    else
        row = RowAtHeight(y);
    return MoveCaret(row, true, client);
}

bool Model::DragScrolls(int y, Extent client) { return y < RowPitch || y >= client.height; }

std::optional<Change> Model::Select(long flags, int row, Extent client)
{
    const std::optional<ListSelection> next = SelectRow(selection_, flags, row);
    if (!next) return std::nullopt;
    return SetSelection(*next, client);
}

void Model::KeepSelectionInTable()
{
    const int last = LastRow();
    ListSelection& s = selection_;
    if (last < 1) {
        s = {};
    } else if (s.focus == 0) {
        s = {1, 1, 1, 1};
    } else {
        s.anchor = std::min(s.anchor, last);
        s.focus = std::min(s.focus, last);
        if (s.first != 0) {
            s.first = std::min(s.first, last);
            s.last = std::min(s.last, last);
        }
    }
}

// After a refresh: the rows changed (a drive came or went, or a text changed), and the
// current row moved or now stands for another drive.
Change Model::AnnounceRows()
{
    std::vector<std::string> rows;
    for (int row = 1; row <= LastRow(); ++row) rows.push_back(RowName(table_, row));
    const RefreshAnnouncement said = AnnounceRefresh(toldRows_, toldCaret_, rows, selection_.focus);
    toldRows_ = std::move(rows);
    Change change;
    if (said.reorder) change.told.push_back({ListEvent::Reorder, 0});
    if (said.focus) {
        toldCaret_ = *said.focus;
        change.told.push_back({ListEvent::Focus, *said.focus});
    }
    if (said.selection) {
        const std::vector<Told> selection = TellSelection(selection_);
        change.told.insert(change.told.end(), selection.begin(), selection.end());
    }
    return change;
}

// ---- Hit testing -------------------------------------------------------------------------

std::vector<ShownCell> Model::ShownCells(Extent client) const
{
    std::vector<ShownCell> shown;
    for (int row = 0, y = 0; row <= LastRow() && y < client.height; row = NextShown(row, topRow_)) {
        for (int col = 0, x = 0; col < DriveTable::ColCount && x < client.width; col = NextShown(col, leftCol_)) {
            const int width = table_.ColWidth(col);
            shown.push_back({{col, row}, {x, y, x + width, y + RowHeight}});
            x += width + LineWidth;
        }
        y += RowPitch;
    }
    return shown;
}

std::optional<Cell> Model::HitTest(Point point) const
{
    if (point.x < 0 || point.y < 0) return std::nullopt;
    // The cells of an area that ends just past the point: the last one that starts at or
    // before it, across and down, is the one it falls into, lines included.
    for (const ShownCell& shown : ShownCells({point.x + 1, point.y + 1})) {
        const Box& box = shown.box;
        if (point.x < box.right + LineWidth && point.y < box.bottom + LineWidth && point.x >= box.left &&
            point.y >= box.top)
            return shown.cell;
    }
    return std::nullopt;
}

// The row whose cells or the gap below them cover height `y`, below the header.
int Model::RowAtHeight(int y) const { return topRow_ + (y - RowPitch) / RowPitch; }

int Model::RowAt(Point point) const
{
    const std::optional<Cell> cell = HitTest(point);
    return cell && cell->row >= 1 ? cell->row : 0;
}

Box Model::RowBox(int row) const
{
    const int top = (row - topRow_ + 1) * RowPitch;
    int right = FixedWidth();
    for (int col = leftCol_; col < DriveTable::ColCount; ++col) right += table_.ColWidth(col) + LineWidth;
    return {0, top, right - LineWidth, top + RowHeight};
}

bool Model::Offscreen(int row, Extent client) const { return row < topRow_ || RowBox(row).top >= client.height; }

std::optional<Box> Model::FocusFrame(Extent client) const
{
    if (Caret() < topRow_) return std::nullopt;
    const Box row = RowBox(Caret());
    return Box{FixedWidth(), row.top, std::min(row.right, client.width), row.bottom};
}

}  // namespace Grid

// The grid as a user meets it, without a window: keys, clicks, drags, the wheel and the
// bars move the selection and the rows shown, and clients hear what changed.
#include "ui/grid_model.h"

#include <gtest/gtest.h>

#include <functional>

#include "survey/drive_table.h"

namespace {

using namespace Grid;
using Events = std::vector<Told>;

constexpr int kWidths[DriveTable::ColCount]{20, 100, 100, 80, 80, 55, 60, 55};
constexpr int kCellsWidth = 557;  // the widths and the 7 lines between the columns
// The header and three rows whole: a page is three rows.
constexpr Extent kClient{kCellsWidth, 80};

Told Focus(int row) { return {ListEvent::Focus, row}; }
Told Only(int row) { return {ListEvent::Selection, row}; }
Told Add(int row) { return {ListEvent::SelectionAdd, row}; }
Told Remove(int row) { return {ListEvent::SelectionRemove, row}; }
const Told kWithin{ListEvent::SelectionWithin, 0}, kReorder{ListEvent::Reorder, 0};

// A table of `rows` rows, the header's among them; each drive named after its row count,
// so a drive's row reads differently once the table is rebuilt shorter.
void Fill(DriveTable& table, int rows)
{
    table.SetRowCount(rows);
    for (int col = 0; col < DriveTable::ColCount; ++col) table.SetColWidth(col, kWidths[col]);
    for (int row = 1; row < rows; ++row) table.SetCell(1, row, std::to_string(row) + "/" + std::to_string(rows));
}

Point InRow(int row) { return {30, row * RowPitch + 5}; }

using Input = std::function<Change(DriveTable&, Model&)>;
Input Press(Key key, bool shift = false)
{
    return [=](DriveTable&, Model& m) { return m.Press(key, shift, kClient); };
}
Input Click(Point at, bool shift = false)
{
    return [=](DriveTable&, Model& m) { return m.Click(at, shift, kClient).value_or(Change{}); };
}
Input Drag(int y)
{
    return [=](DriveTable&, Model& m) { return m.DragTo(y, kClient); };
}
Input Wheel(int delta, std::optional<int> lines = 3)
{
    return [=](DriveTable&, Model& m) { return m.Wheel(delta, lines, kClient).value_or(Change{}); };
}
Input Scroll(ScrollCommand command)
{
    return [=](DriveTable&, Model& m) { return m.Scroll(Bar::Vertical, command, kClient); };
}
// A refresh to `rows` rows, laid out as the window lays it out, then told.
Input Refresh(int rows)
{
    return [=](DriveTable& table, Model& m) {
        Fill(table, rows);
        m.KeepSelectionInTable();
        m.FitBar(Bar::Vertical, kClient.height);
        return m.AnnounceRows();
    };
}

// A refresh that gives a row's drive another name.
Input Rename(int row)
{
    return [=](DriveTable& table, Model& m) {
        table.SetCell(1, row, "NEU");
        m.KeepSelectionInTable();
        return m.AnnounceRows();
    };
}

TEST(GridModel, InputMovesTheSelectionScrollsItIntoViewAndTellsClients)
{
    DriveTable table;
    Model model(table);
    const struct {
        const char* what;
        Input input;
        RowRange selected;
        int topRow;
        Events told;
    } steps[] = {
        {"the first refresh selects the first row", Refresh(25), {1, 1}, 1, {kReorder, Focus(1), Only(1)}},
        {"Down moves", Press(Key::Down), {2, 2}, 1, {Focus(2), Only(2)}},
        {"Shift+Down extends", Press(Key::Down, true), {2, 3}, 1, {Focus(3), Add(3)}},
        {"Shift+PageDown extends a page, scrolled into view",
         Press(Key::PageDown, true),
         {2, 6},
         4,
         {Focus(6), Add(4), Add(5), Add(6)}},
        {"End goes to the last row, shown at the bottom", Press(Key::End), {24, 24}, 22, {Focus(24), Only(24)}},
        {"Shift+Home: more than 20 rows joined are told as one",
         Press(Key::Home, true),
         {1, 24},
         1,
         {Focus(1), kWithin}},
        {"Up at the first row collapses there", Press(Key::Up), {1, 1}, 1, {Only(1)}},
        {"PageUp at the first row stays", Press(Key::PageUp), {1, 1}, 1, {}},
        {"a click selects its row", Click(InRow(2)), {2, 2}, 1, {Focus(2), Only(2)}},
        {"a click on the header selects nothing", Click({30, 5}), {2, 2}, 1, {}},
        {"a click on the drive column selects nothing", Click({5, InRow(3).y}), {2, 2}, 1, {}},
        {"a click right of the last column selects nothing", Click({kCellsWidth + 5, InRow(3).y}), {2, 2}, 1, {}},
        {"the gap below a row belongs to it", Click({30, 2 * RowPitch - 1}, true), {1, 2}, 1, {Focus(1), Add(1)}},
        {"Shift+click extends from the anchor", Click(InRow(3), true), {2, 3}, 1, {Focus(3), Remove(1), Add(3)}},
        {"dragging below the rows scrolls a row", Drag(90), {2, 4}, 2, {Focus(4), Add(4)}},
        {"dragging above them scrolls back", Drag(0), {1, 2}, 1, {Focus(1), Add(1), Remove(3), Remove(4)}},
        {"the wheel turned back scrolls 3 rows", Wheel(-120), {1, 2}, 4, {}},
        {"half a notch waits", Wheel(60), {1, 2}, 4, {}},
        {"the other half scrolls", Wheel(60), {1, 2}, 1, {}},
        {"a notch set to a line", Wheel(-120, 1), {1, 2}, 2, {}},
        {"a notch set to a page", Wheel(-120, std::nullopt), {1, 2}, 5, {}},
        {"the bar's end shows the last row whole", Scroll(ScrollCommand::End), {1, 2}, 22, {}},
        {"the bar's page back", Scroll(ScrollCommand::PageBack), {1, 2}, 19, {}},
        {"Shift+End", Press(Key::End, true), {2, 24}, 22, {Focus(24), kWithin}},
        // The rows that go take the current row along, and the focus to the list itself once
        // none is left.
        {"a shorter table", Refresh(10), {2, 9}, 7, {kReorder, Focus(9), kWithin}},
        {"the anchor's row alone left", Refresh(3), {2, 2}, 1, {kReorder, Focus(2), Only(2)}},
        {"no row left", Refresh(1), {0, 0}, 1, {kReorder, Focus(0)}},
        {"Down in an empty table", Press(Key::Down), {0, 0}, 1, {}},
        {"rows again", Refresh(4), {1, 1}, 1, {kReorder, Focus(1), Only(1)}},
        {"the same rows again", Refresh(4), {1, 1}, 1, {}},
        {"another row's drive renamed", Rename(3), {1, 1}, 1, {kReorder}},
        {"the current row's drive renamed", Rename(1), {1, 1}, 1, {kReorder, Focus(1), Only(1)}},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(step.input(table, model).told, step.told) << step.what;
        EXPECT_EQ(model.Selection(), step.selected) << step.what;
        EXPECT_EQ(model.TopRow(), step.topRow) << step.what;
    }
    EXPECT_FALSE(Model::DragScrolls(InRow(3).y, kClient)) << "a drag inside the rows stops scrolling";
}

// The cells fit when every row and column is shown whole; the line after the last may not.
TEST(GridModel, BarsShowExactlyWhenTheCellsOverflow)
{
    DriveTable table;
    Fill(table, 6);
    const Model model(table);
    constexpr int kCellsHeight = 6 * RowPitch - 1;
    const struct {
        const char* what;
        Extent whole;
        Extent room;
    } cases[] = {
        {"every cell fits exactly", {kCellsWidth, kCellsHeight}, {kCellsWidth, kCellsHeight}},
        {"a row a pixel short", {kCellsWidth + 50, kCellsHeight - 1}, {kCellsWidth + 33, kCellsHeight - 1}},
        {"a column a pixel short", {kCellsWidth - 1, kCellsHeight + 50}, {kCellsWidth - 1, kCellsHeight + 33}},
        {"the horizontal bar makes the rows overflow", {kCellsWidth - 1, kCellsHeight}, {kCellsWidth - 18, 96}},
        {"the vertical bar makes the columns overflow", {kCellsWidth, kCellsHeight - 1}, {kCellsWidth - 17, 95}},
    };
    for (const auto& c : cases) {
        const Extent room = model.CellRoom(c.whole, {17, 17});
        EXPECT_EQ(room.width, c.room.width) << c.what;
        EXPECT_EQ(room.height, c.room.height) << c.what;
    }
}

TEST(GridModel, ScrolledRowsAreFoundWhereTheyAreDrawn)
{
    DriveTable table;
    Fill(table, 25);
    Model model(table);
    EXPECT_EQ(model.FitBar(Bar::Vertical, kClient.height), (BarSettings{23, 3, 0})) << "24 rows, 3 a page";
    EXPECT_EQ(model.FitBar(Bar::Horizontal, kClient.width), BarSettings{}) << "no horizontal bar";
    model.Scroll(Bar::Vertical, ScrollCommand::PageOn, kClient);
    model.Scroll(Bar::Horizontal, ScrollCommand::LineOn, {kCellsWidth - 1, 80});
    EXPECT_EQ(model.RowBox(1), (Box{0, -2 * RowPitch, kCellsWidth - kWidths[1] - 1, -2 * RowPitch + RowHeight}));
    EXPECT_TRUE(model.Offscreen(1, kClient));
    EXPECT_FALSE(model.Offscreen(7, kClient)) << "in part below the last whole row";
    EXPECT_TRUE(model.Offscreen(8, kClient));
    EXPECT_EQ(model.HitTest({21, RowPitch}), (Cell{2, 4}))
        << "column 2 beside the drive column, row 4 under the header";
    EXPECT_EQ(model.HitTest({20, 2 * RowPitch - 1}), (Cell{0, 4})) << "the drive column's line and row gap";
    // Where each cell is painted, a click finds it, its lines included.
    const std::vector<ShownCell> shown = model.ShownCells(kClient);
    ASSERT_EQ(shown.size(), 5u * 7);  // the header and 4 rows (the last in part); column 1 scrolled away
    EXPECT_EQ(shown[8], (ShownCell{{2, 4}, {21, RowPitch, 21 + kWidths[2], RowPitch + RowHeight}}));
    for (const ShownCell& cell : shown) {
        EXPECT_EQ(model.HitTest({cell.box.left, cell.box.top}), cell.cell);
        EXPECT_EQ(model.HitTest({cell.box.right, cell.box.bottom}), cell.cell) << "the corner of its lines";
    }
    EXPECT_EQ(model.FitBar(Bar::Vertical, 500), BarSettings{}) << "a room that fits them all";
    EXPECT_EQ(model.TopRow(), 1) << "scrolled back to the first row";
}

}  // namespace

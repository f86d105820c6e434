// What a list of rows does for accessibility clients, the portable part: the selection a
// client's accSelect leaves, and what a change of the selection or a refresh announces.
#pragma once

#include <optional>
#include <string>
#include <vector>

// MSAA's SELFLAG_ values (oleacc.h).
namespace SelectFlag {
inline constexpr long TakeFocus = 0x1;
inline constexpr long TakeSelection = 0x2;
inline constexpr long ExtendSelection = 0x4;
inline constexpr long AddSelection = 0x8;
inline constexpr long RemoveSelection = 0x10;
}  // namespace SelectFlag

// A list whose selection is one run of rows, counted from 1: the row a Shift-extension
// starts from, the focused row, and the selected run first..last (0..0: none selected).
struct ListSelection {
    int anchor = 0;
    int focus = 0;
    int first = 0;
    int last = 0;
    bool operator==(const ListSelection&) const = default;
};

// accSelect(flags, row) as MSAA defines the flags: the selection it leaves, or nothing for
// flags that do not go together and for a result that is no longer one run (E_INVALIDARG).
// SELFLAG_TAKEFOCUS moves the focus and the anchor to the row, except with
// SELFLAG_EXTENDSELECTION (Shift and a click), which keeps the anchor.
std::optional<ListSelection> SelectRow(const ListSelection& current, long flags, int row);

// What clients hear after a refresh, given the rows' names and the focused row as they were
// last told of them and as they are now (focus 0: no row left).
struct RefreshAnnouncement {
    bool reorder = false;  // EVENT_OBJECT_REORDER of the list
    // EVENT_OBJECT_FOCUS for this child: the focused row, or 0 (CHILDID_SELF), the list
    // itself, once its last row is gone and a reader would point at nothing.
    std::optional<int> focus;
    bool selection = false;  // the selection anew
    bool operator==(const RefreshAnnouncement&) const = default;
};
RefreshAnnouncement AnnounceRefresh(const std::vector<std::string>& toldRows, int toldFocus,
                                    const std::vector<std::string>& rows, int focus);

// An event a list raises for clients, with MSAA's EVENT_OBJECT_ value of that name
// (winuser.h), and the child it names: a row, or 0 (CHILDID_SELF) for the list itself.
enum class ListEvent : unsigned long {
    Reorder = 0x8004,
    Focus = 0x8005,
    Selection = 0x8006,
    SelectionAdd = 0x8007,
    SelectionRemove = 0x8008,
    SelectionWithin = 0x8009,
};
struct Told {
    ListEvent event;
    int child;
    bool operator==(const Told&) const = default;
};

// The selected run as a whole: one row (EVENT_OBJECT_SELECTION means "only this one is
// selected now"), or a run whose rows clients read again; nothing for none.
std::vector<Told> TellSelection(const ListSelection& now);
// What clients hear when the selection of a list of `rowCount` rows goes from `before` to
// `now`: the focus where it moved, then the rows that joined or left the run as MSAA defines
// the events, or the run anew where a single row is left or too many rows changed at once.
std::vector<Told> TellSelectionChange(const ListSelection& before, const ListSelection& now, int rowCount);

// What a list of rows does for accessibility clients, the portable part: what a client's
// child argument means, the selection a client's accSelect leaves, and what a change of the
// selection or a refresh announces.
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

// The VARTYPE tags of a VARIANT (wtypes.h) that a client's child argument may carry.
namespace VarType {
inline constexpr unsigned short Empty = 0;
inline constexpr unsigned short Null = 1;
inline constexpr unsigned short I2 = 2;
inline constexpr unsigned short I4 = 3;
inline constexpr unsigned short R8 = 5;
inline constexpr unsigned short Bstr = 8;
inline constexpr unsigned short Error = 10;
inline constexpr unsigned short Bool = 11;
inline constexpr unsigned short Variant = 12;
inline constexpr unsigned short I1 = 16;
inline constexpr unsigned short UI1 = 17;
inline constexpr unsigned short UI2 = 18;
inline constexpr unsigned short UI4 = 19;
inline constexpr unsigned short I8 = 20;
inline constexpr unsigned short UI8 = 21;
inline constexpr unsigned short Int = 22;
inline constexpr unsigned short UInt = 23;
inline constexpr unsigned short ByRef = 0x4000;
}  // namespace VarType

// DISP_E_PARAMNOTFOUND: what IDispatch::Invoke puts into an optional argument left out.
inline constexpr long kArgumentLeftOut = static_cast<long>(0x80020004UL);

// What a child argument (varChild) is, as clients send it: scripting hosts leave it out or
// send VT_I2, others pass a VARIANT by reference.
enum class ChildArgument {
    Self,  // VT_EMPTY, or an optional argument left out: the control itself (CHILDID_SELF)
    Integer,  // an integer of any width, also by reference: its value converted to VT_I4
    Reference,  // VT_BYREF|VT_VARIANT: the VARIANT it points to is the argument
    Invalid,  // anything else: E_INVALIDARG
};
// errorCode: the SCODE of a VT_ERROR argument, unused for the other types.
ChildArgument KindOfChildArgument(unsigned short type, long errorCode) noexcept;

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

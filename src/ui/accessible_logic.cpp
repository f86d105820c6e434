// What a client's child argument means, accSelect on a list with one run of selected rows,
// and what a change of it or a refresh announces.
#include "accessible_logic.h"

#include <algorithm>

namespace {

// Up to this many rows joining or leaving the selection at once are told one by one; a
// larger change as one EVENT_OBJECT_SELECTIONWITHIN, after which clients read the selection.
constexpr int kSelectionChangesTold = 20;

struct Run {
    int first = 0;  // 0: no row
    int last = 0;
    bool Empty() const { return first == 0; }
};

Run Between(int a, int b) { return {std::min(a, b), std::max(a, b)}; }

bool Contains(Run run, int row) { return !run.Empty() && row >= run.first && row <= run.last; }

// Both runs as one, where they touch or overlap.
std::optional<Run> Joined(Run run, Run added)
{
    if (run.Empty()) return added;
    if (added.first > run.last + 1 || added.last < run.first - 1) return std::nullopt;
    return Run{std::min(run.first, added.first), std::max(run.last, added.last)};
}

// The run without the rows of `removed`, where what stays is one run.
std::optional<Run> Without(Run run, Run removed)
{
    if (run.Empty() || removed.first > run.last || removed.last < run.first) return run;
    const bool keepsHead = run.first<removed.first, keepsTail = run.last> removed.last;
    if (keepsHead && keepsTail) return std::nullopt;
    if (keepsHead) return Run{run.first, removed.first - 1};
    if (keepsTail) return Run{removed.last + 1, run.last};
    return Run{};
}

std::optional<Run> SelectedAfter(const ListSelection& current, long change, int row)
{
    using namespace SelectFlag;
    const Run selected{current.first, current.last}, one{row, row};
    const Run extension = Between(current.anchor, row);
    switch (change) {
    case 0: return selected;
    case TakeSelection: return one;
    case AddSelection: return Joined(selected, one);
    case RemoveSelection: return Without(selected, one);
    // Alone, the rows up to the anchor take the anchor's state.
    case ExtendSelection:
        return Contains(selected, current.anchor) ? Joined(selected, extension) : Without(selected, extension);
    case ExtendSelection | AddSelection: return Joined(selected, extension);
    case ExtendSelection | RemoveSelection: return Without(selected, extension);
    default: return std::nullopt;  // TAKESELECTION with another, or ADD with REMOVE
    }
}

std::string NameOf(const std::vector<std::string>& rows, int row)
{
    const auto index = static_cast<std::size_t>(row - 1);
    return row >= 1 && index < rows.size() ? rows[index] : std::string();
}

}  // namespace

std::optional<ListSelection> SelectRow(const ListSelection& current, long flags, int row)
{
    using namespace SelectFlag;
    if ((flags & ~(TakeFocus | TakeSelection | ExtendSelection | AddSelection | RemoveSelection)) != 0)
        return std::nullopt;
    const long change = flags & ~TakeFocus;
    const std::optional<Run> selected = SelectedAfter(current, change, row);
    if (!selected) return std::nullopt;
    ListSelection next = current;
    next.first = selected->first;
    next.last = selected->last;
    if ((flags & TakeFocus) != 0) {
        next.focus = row;
        if ((change & ExtendSelection) == 0) next.anchor = row;
    }
    return next;
}

RefreshAnnouncement AnnounceRefresh(const std::vector<std::string>& toldRows, int toldFocus,
                                    const std::vector<std::string>& rows, int focus)
{
    if (rows == toldRows) return {};
    RefreshAnnouncement said;
    said.reorder = true;
    // The focused row moved, or stands for another drive now.
    if (focus == toldFocus && NameOf(toldRows, focus) == NameOf(rows, focus)) return said;
    said.focus = focus;
    said.selection = focus != 0;
    return said;
}

std::vector<Told> TellSelection(const ListSelection& now)
{
    if (now.first == 0) return {};
    if (now.first == now.last) return {{ListEvent::Selection, now.first}};
    return {{ListEvent::SelectionWithin, 0}};
}

std::vector<Told> TellSelectionChange(const ListSelection& before, const ListSelection& now, int rowCount)
{
    std::vector<Told> told;
    if (now.focus != before.focus) told.push_back({ListEvent::Focus, now.focus});
    const Run was{before.first, before.last}, is{now.first, now.last};
    if (is.first == was.first && is.last == was.last) return told;
    const bool single = !is.Empty() && is.first == is.last;
    std::vector<Told> changes;
    for (int row = 1; row <= rowCount && !single; ++row) {
        if (Contains(was, row) && !Contains(is, row)) changes.push_back({ListEvent::SelectionRemove, row});
        if (!Contains(was, row) && Contains(is, row)) changes.push_back({ListEvent::SelectionAdd, row});
    }
    if (single || static_cast<int>(changes.size()) > kSelectionChangesTold) changes = TellSelection(now);
    told.insert(told.end(), changes.begin(), changes.end());
    return told;
}

ChildArgument KindOfChildArgument(unsigned short type, long errorCode) noexcept
{
    using namespace VarType;
    if (type == Empty) return ChildArgument::Self;
    if (type == Error) return errorCode == kArgumentLeftOut ? ChildArgument::Self : ChildArgument::Invalid;
    if (type == (ByRef | Variant)) return ChildArgument::Reference;
    switch (type & ~ByRef) {
    case I1:
    case I2:
    case I4:
    case I8:
    case UI1:
    case UI2:
    case UI4:
    case UI8:
    case Int:
    case UInt: return ChildArgument::Integer;
    default: return ChildArgument::Invalid;
    }
}

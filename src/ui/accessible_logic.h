// What a list of rows does for accessibility clients, the portable part: what a refresh of
// the rows announces.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

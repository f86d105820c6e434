// What a refresh of a list of rows announces.
#include "accessible_logic.h"

namespace {

std::string NameOf(const std::vector<std::string>& rows, int row)
{
    const auto index = static_cast<std::size_t>(row - 1);
    return row >= 1 && index < rows.size() ? rows[index] : std::string();
}

}  // namespace

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

// What a refresh of the grid's rows tells clients.
#include "ui/accessible_logic.h"

#include <gtest/gtest.h>

namespace {

TEST(AccessibleLogic, ARefreshAnnouncesTheRowsAndWhereTheFocusNowIs)
{
    const std::vector<std::string> drives{"C:, TYP: CD-Rom", "D:, Name: DATEN", "E:, Name: NETZ"};
    const struct {
        const char* what;
        std::vector<std::string> rows;
        int focus;
        RefreshAnnouncement expected;
    } cases[] = {
        {"nothing changed", drives, 2, {}},
        {"another row changed", {"C:, TYP: CD-Rom", "D:, Name: DATEN", "E:"}, 2, {true, std::nullopt, false}},
        {"the focused row changed", {"C:, TYP: CD-Rom", "D:", "E:, Name: NETZ"}, 2, {true, 2, true}},
        {"the focused row went: the focus moved up", {"C:, TYP: CD-Rom"}, 1, {true, 1, true}},
        {"the last row went: the list itself has the focus", {}, 0, {true, 0, false}},
    };
    for (const auto& c : cases) EXPECT_EQ(AnnounceRefresh(drives, 2, c.rows, c.focus), c.expected) << c.what;
    EXPECT_EQ(AnnounceRefresh({}, 0, drives, 1), (RefreshAnnouncement{true, 1, true})) << "rows again";
}

}  // namespace

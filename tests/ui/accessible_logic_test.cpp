// What a client's child argument means and what its accSelect does to the grid's rows; what a refresh tells clients is
// the grid model's table (grid_model_test.cpp).
#include "ui/accessible_logic.h"

#include <gtest/gtest.h>

namespace {

using namespace SelectFlag;

// Rows 2 and 3 selected with Shift+Down from row 2: the anchor on 2, the focus on 3.
constexpr ListSelection kRun{2, 3, 2, 3};

TEST(AccessibleLogic, SelectRowFollowsTheFlagsAndKeepsOneRun)
{
    const struct {
        const char* what;
        ListSelection current;
        long flags;
        int row;
        std::optional<ListSelection> expected;
    } cases[] = {
        {"focus alone moves focus and anchor, not the selection", kRun, TakeFocus, 5, ListSelection{5, 5, 2, 3}},
        {"selection alone leaves focus and anchor", kRun, TakeSelection, 5, ListSelection{2, 3, 5, 5}},
        {"both: a click", kRun, TakeFocus | TakeSelection, 5, ListSelection{5, 5, 5, 5}},
        {"extend with focus: Shift and a click keep the anchor", kRun, ExtendSelection | TakeFocus, 5,
         ListSelection{2, 5, 2, 5}},
        {"extend from a selected anchor selects up to the row", kRun, ExtendSelection, 1, ListSelection{2, 3, 1, 3}},
        {"extend from an unselected anchor unselects up to the row",
         {5, 5, 2, 3},
         ExtendSelection,
         3,
         ListSelection{5, 5, 2, 2}},
        {"extend and add", kRun, ExtendSelection | AddSelection, 5, ListSelection{2, 3, 2, 5}},
        {"extend and remove can leave nothing selected", kRun, ExtendSelection | RemoveSelection, 3,
         ListSelection{2, 3, 0, 0}},
        {"extend and add across a gap", {1, 1, 4, 4}, ExtendSelection | AddSelection, 2, std::nullopt},
        {"add next to the run", kRun, AddSelection | TakeFocus, 4, ListSelection{4, 4, 2, 4}},
        {"add to nothing selected", {2, 2, 0, 0}, AddSelection, 4, ListSelection{2, 2, 4, 4}},
        {"add across a gap", kRun, AddSelection, 5, std::nullopt},
        {"remove the run's end", kRun, RemoveSelection, 3, ListSelection{2, 3, 2, 2}},
        {"remove a row that is not selected", kRun, RemoveSelection, 5, kRun},
        {"remove from the run's middle", {2, 4, 2, 4}, RemoveSelection, 3, std::nullopt},
        {"no flag does nothing", kRun, 0, 5, kRun},
        {"take and add", kRun, TakeSelection | AddSelection, 4, std::nullopt},
        {"take and remove", kRun, TakeSelection | RemoveSelection, 3, std::nullopt},
        {"take and extend", kRun, TakeSelection | ExtendSelection, 4, std::nullopt},
        {"add and remove", kRun, AddSelection | RemoveSelection, 4, std::nullopt},
        {"a flag MSAA does not know", kRun, 0x20 | TakeFocus, 4, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(SelectRow(c.current, c.flags, c.row), c.expected) << c.what;
}

// Late-bound clients send the child as they hold it; the grid answers for the control, a
// row, or refuses the argument.
TEST(AccessibleLogic, ChildArgumentsAsClientsSendThem)
{
    using namespace VarType;
    constexpr long kTypeMismatch = static_cast<long>(0x80020005UL);  // DISP_E_TYPEMISMATCH
    const struct {
        const char* what;
        unsigned short type;
        ChildArgument kind;
        long errorCode;
    } cases[] = {
        {"VT_I4, as compiled clients send it", I4, ChildArgument::Integer, 0},
        {"VT_I2, as VBScript sends a small number", I2, ChildArgument::Integer, 0},
        {"VT_UI1", UI1, ChildArgument::Integer, 0},
        {"VT_INT", Int, ChildArgument::Integer, 0},
        {"VT_I8, converted where it fits", I8, ChildArgument::Integer, 0},
        {"VT_BYREF|VT_I4", ByRef | I4, ChildArgument::Integer, 0},
        {"VT_BYREF|VT_VARIANT, a script's variable passed on", ByRef | Variant, ChildArgument::Reference, 0},
        {"VT_EMPTY", Empty, ChildArgument::Self, 0},
        {"an optional argument left out", Error, ChildArgument::Self, kArgumentLeftOut},
        {"VT_ERROR of another kind", Error, ChildArgument::Invalid, kTypeMismatch},
        {"VT_NULL", Null, ChildArgument::Invalid, 0},
        {"VT_BSTR \"1\"", Bstr, ChildArgument::Invalid, 0},
        {"VT_R8", R8, ChildArgument::Invalid, 0},
        {"VT_BOOL", Bool, ChildArgument::Invalid, 0},
        {"VT_BYREF|VT_BSTR", ByRef | Bstr, ChildArgument::Invalid, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(KindOfChildArgument(c.type, c.errorCode), c.kind) << c.what;
}

}  // namespace

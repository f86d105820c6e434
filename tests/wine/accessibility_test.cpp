// The window as an accessibility client reads it: through oleacc, as a screen reader does,
// with the events it listens to.
#include <oleacc.h>

#include "form_harness.h"

namespace {

struct Event {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
    bool operator==(const Event&) const = default;
};

std::vector<Event> events;

void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) noexcept
{
    try {
        events.push_back({event, window, object, child});
    } catch (...) {
        // Out of memory: the event is missed, and the test that waits for it says so.
    }
}

VARIANT Child(long child)
{
    VARIANT variant{};
    variant.vt = VT_I4;
    variant.lVal = child;
    return variant;
}

class AccessibilityTest : public harness::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CoInitialize(nullptr);
        hook_ = Callbacks::HookWinEvents(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, Record, GetCurrentProcessId(),
                                         WINEVENT_OUTOFCONTEXT);
    }
    void TearDown() override
    {
        UnhookWinEvent(hook_);
        WindowTest::TearDown();
    }

    static IAccessible* Object(HWND window)
    {
        IAccessible* object = nullptr;
        AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
        return object;
    }
    static long Count(IAccessible* object)
    {
        long count = -1;
        object->get_accChildCount(&count);
        return count;
    }
    static long Role(IAccessible* object, long child)
    {
        VARIANT role{};
        object->get_accRole(Child(child), &role);
        return role.vt == VT_I4 ? role.lVal : -1;
    }
    static long State(IAccessible* object, long child)
    {
        VARIANT state{};
        object->get_accState(Child(child), &state);
        return state.vt == VT_I4 ? state.lVal : -1;
    }
    // In the ANSI code page, as the program's texts are.
    static std::string Name(IAccessible* object, long child)
    {
        BSTR name = nullptr;
        if (object->get_accName(Child(child), &name) != S_OK || name == nullptr) return "(none)";
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, nullptr, nullptr);
        SysFreeString(name);
        return text;
    }
    static long ChildOf(HRESULT result, const VARIANT& variant)
    {
        return result == S_OK && variant.vt == VT_I4 ? variant.lVal : -1;
    }
    bool Seen(const Event& event)
    {
        return Pump([&] { return std::find(events.begin(), events.end(), event) != events.end(); }, 2000);
    }

private:
    HWINEVENTHOOK hook_ = nullptr;
};

// The drive set of the test (C: and F: CD-ROM drives without a medium, D: a disk of 64 MiB,
// E: a network drive of 32 MiB), as a screen reader reads its rows, in KB and in MB.
TEST_F(AccessibilityTest, GridIsAListOfDriveRowsWithTheirTitles)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(Role(grid, CHILDID_SELF), ROLE_SYSTEM_LIST);
    HWND window = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(grid, &window), S_OK);
    EXPECT_EQ(window, form->GridHandle());
    EXPECT_EQ(Name(grid, CHILDID_SELF), Mtools::ComputerName() + ": \xDC"
                                                                 "bersicht der Laufwerke");
    ASSERT_EQ(Count(grid), 4);

    const struct {
        char option;  // an item of the Optionen menu to choose first, or 0
        long item;
        const char* name;
    } rows[] = {
        {0, 1, "C:, TYP: CD-Rom"},
        {0, 2,
         "D:, Name: DATEN, TYP: lokale Festplatte, Kapazit\xE4t(KB): 65,536 , Frei(KB): 65,528 , "
         "Frei in %: 100 %, Serien-Nr: 12AB-34CD, Filesystem: NTFS"},
        {0, 3,
         "E:, Name: NETZ, TYP: Netzwerklaufwerk, Kapazit\xE4t(KB): 32,768 , Frei(KB): 32,760 , "
         "Frei in %: 100 %, Serien-Nr: 0000-ABCD, Filesystem: NTFS"},
        {0, 4, "F:, TYP: CD-Rom"},
        {'M', 2,
         "D:, Name: DATEN, TYP: lokale Festplatte, Kapazit\xE4t (MB): 64 , Frei (MB): 64 , "
         "Frei in %: 100 %, Serien-Nr: 12AB-34CD, Filesystem: NTFS"},
        {0, 3,
         "E:, Name: NETZ, TYP: Netzwerklaufwerk, Kapazit\xE4t (MB): 32 , Frei (MB): 32 , "
         "Frei in %: 100 %, Serien-Nr: 0000-ABCD, Filesystem: NTFS"},
    };
    for (const auto& row : rows) {
        if (row.option) {
            Choose('O', row.option);
            ASSERT_TRUE(Pump([&] { return form->Checked(MenuId::Mbytes); }));
        }
        EXPECT_EQ(Name(grid, row.item), row.name);
        EXPECT_EQ(Role(grid, row.item), ROLE_SYSTEM_LISTITEM);
    }
    grid->Release();
}

TEST_F(AccessibilityTest, FocusAndSelectionFollowTheKeysAndARefreshReordersTheRows)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(GetFocus(), form->GridHandle());
    const long row = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    EXPECT_EQ(State(grid, 1), row | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED);

    Tap(VK_DOWN);
    EXPECT_TRUE(Seen({EVENT_OBJECT_FOCUS, form->GridHandle(), OBJID_CLIENT, 2}));
    EXPECT_TRUE(Seen({EVENT_OBJECT_SELECTION, form->GridHandle(), OBJID_CLIENT, 2}));
    VARIANT focus{}, selection{};
    EXPECT_EQ(ChildOf(grid->get_accFocus(&focus), focus), 2);
    EXPECT_EQ(ChildOf(grid->get_accSelection(&selection), selection), 2);
    EXPECT_EQ(State(grid, 1), row);
    EXPECT_EQ(State(grid, 2), row | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED);

    // The rows' rectangles as drawn, below the header row of 19 pixels.
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(grid->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
    POINT origin{0, 0};
    ClientToScreen(form->GridHandle(), &origin);
    EXPECT_EQ(left, origin.x);
    EXPECT_EQ(top, origin.y + 2 * 19);
    EXPECT_EQ(height, 18);
    VARIANT hit{}, next{}, last{};
    EXPECT_EQ(ChildOf(grid->accHitTest(left + 5, top + 9, &hit), hit), 2);
    EXPECT_EQ(ChildOf(grid->accNavigate(NAVDIR_NEXT, Child(2), &next), next), 3);
    EXPECT_EQ(ChildOf(grid->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &last), last), 4);

    // Local disks only: the network and the CD-ROM drives go.
    events.clear();
    Choose('O', 'N');
    ASSERT_TRUE(Pump([&] { return form->Checked(MenuId::lokal); }));
    EXPECT_TRUE(Seen({EVENT_OBJECT_REORDER, form->GridHandle(), OBJID_CLIENT, CHILDID_SELF}));
    EXPECT_EQ(Count(grid), 1);

    // A client may keep the object after the window is gone: its calls then fail.
    DestroyForm();
    long count = 0;
    EXPECT_EQ(grid->get_accChildCount(&count), RPC_E_DISCONNECTED);
    grid->Release();
}

TEST_F(AccessibilityTest, StatusBarPanelsAreTexts)
{
    Start();
    IAccessible* bar = Object(form->StatusBar1);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Role(bar, CHILDID_SELF), ROLE_SYSTEM_STATUSBAR);
    ASSERT_EQ(Count(bar), 2);
    EXPECT_EQ(Role(bar, 2), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(Name(bar, 1), " Merovant  Laufwerke");
    EXPECT_EQ(Name(bar, 2), "D:\\logs");

    SendMessageA(form->StatusBar1, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("E:\\neu"));
    EXPECT_TRUE(Seen({EVENT_OBJECT_NAMECHANGE, form->StatusBar1, OBJID_CLIENT, 2}));
    EXPECT_EQ(Name(bar, 2), "E:\\neu");
    bar->Release();
}

}  // namespace

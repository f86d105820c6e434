// The window as an accessibility client reads it: through oleacc, as a screen reader does,
// with the events it listens to.
#include <oleacc.h>

#include <cstring>

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

// An out-of-context hook hears an event only when its thread next takes messages, after the
// refresh. An in-context one is called inside NotifyWinEvent, where a client could read the
// table: it counts the grid's events that come while the header lacks its unit suffix, and
// those that come before an error box was seen and closed again.
HWND watchedGrid = nullptr;
const DriveTable* watchedTable = nullptr;
const harness::BoxAnswerer* watchedBox = nullptr;
int eventsWatched = 0, eventsWhileHalfBuilt = 0, eventsBeforeTheBoxClosed = 0;

void CALLBACK WatchHalfBuilt(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) noexcept
{
    if (window != watchedGrid || watchedTable == nullptr) return;
    ++eventsWatched;
    if (watchedTable->Cell(3, 0).find('(') == std::string::npos) ++eventsWhileHalfBuilt;
    // The box disables the form while it is up, and may still be on screen as the form is
    // enabled again.
    const HWND box = FindWindowA("#32770", nullptr);
    const bool boxShown = box != nullptr && IsWindowVisible(box);
    if (watchedBox != nullptr && (!watchedBox->Seen() || !IsWindowEnabled(GetParent(window)) || boxShown))
        ++eventsBeforeTheBoxClosed;
}

// Counts the captions set on the form: Wine raises no EVENT_OBJECT_NAMECHANGE for them, as
// Windows does for every WM_SETTEXT.
WNDPROC formProcedure = nullptr;
int captionsSet = 0;

LRESULT CALLBACK CountCaptions(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_SETTEXT) ++captionsSet;
    return CallWindowProcA(formProcedure, window, message, wParam, lParam);
}

void WatchCaptions(HWND form, WindowProcedure counting)
{
    formProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting)));
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
    // The rows get_accSelection gives: one as VT_I4, several as an enumeration, none as S_FALSE.
    static std::vector<long> Selected(IAccessible* object)
    {
        VARIANT selection{};
        const HRESULT result = object->get_accSelection(&selection);
        std::vector<long> selected;
        if (result == S_FALSE && selection.vt == VT_EMPTY) return selected;
        EXPECT_EQ(result, S_OK);
        if (selection.vt == VT_I4) selected.push_back(selection.lVal);
        IEnumVARIANT* rows = nullptr;
        if (selection.vt == VT_UNKNOWN &&
            selection.punkVal->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&rows)) == S_OK) {
            VARIANT items[8]{};
            ULONG fetched = 0;
            EXPECT_EQ(rows->Next(8, items, &fetched), S_FALSE);
            for (ULONG i = 0; i < fetched; ++i) selected.push_back(items[i].vt == VT_I4 ? items[i].lVal : -1);
            rows->Release();
        }
        VariantClear(&selection);
        return selected;
    }
    static long ChildOf(HRESULT result, const VARIANT& variant)
    {
        return result == S_OK && variant.vt == VT_I4 ? variant.lVal : -1;
    }
    bool Seen(const Event& event)
    {
        return Pump([&] { return std::find(events.begin(), events.end(), event) != events.end(); }, 2000);
    }
    // The grid's events of the kinds first to last, in their order.
    std::vector<Event> GridEvents(DWORD first, DWORD last) const
    {
        std::vector<Event> found;
        for (const Event& event : events)
            if (event.window == form->GridHandle() && event.event >= first && event.event <= last)
                found.push_back(event);
        return found;
    }
    Event OnGrid(DWORD event, LONG child) const { return {event, form->GridHandle(), OBJID_CLIENT, child}; }

    // An in-context hook on this process (WatchHalfBuilt). It names the module that holds its
    // procedure, which is kept as an offset into it. Wine looks the module up by its file name
    // and cannot for an exe outside the prefix's drives (\\?\unix\...); kernel32, at the
    // same offset, it finds.
    static HWINEVENTHOOK WatchInContext()
    {
        const HMODULE module = GetModuleHandleA("kernel32.dll");
        return Callbacks::HookWinEvents(EVENT_OBJECT_REORDER, EVENT_OBJECT_SELECTION, WatchHalfBuilt,
                                        GetCurrentProcessId(), WINEVENT_INCONTEXT, module);
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

// With the caret on D:, a refresh is heard once, with the table whole, and only where
// something changed.
TEST_F(AccessibilityTest, RefreshesAnnounceOnlyWhatChanged)
{
    Start();
    Tap(VK_DOWN);
    ASSERT_TRUE(Seen(OnGrid(EVENT_OBJECT_FOCUS, 2)));
    const struct {
        const char* what;
        char option;  // an item of the Optionen menu, or 0 for F5
        std::vector<Event> expected;  // of REORDER, FOCUS and SELECTION
    } refreshes[] = {
        {"F5 on an unchanged table", 0, {}},
        {"megabytes: D:'s row is read anew",
         'M',
         {OnGrid(EVENT_OBJECT_REORDER, CHILDID_SELF), OnGrid(EVENT_OBJECT_FOCUS, 2),
          OnGrid(EVENT_OBJECT_SELECTION, 2)}},
        {"F5 on the unchanged table in megabytes", 0, {}},
    };
    watchedGrid = form->GridHandle();
    watchedTable = &form->Gitter;
    const HWINEVENTHOOK watch = WatchInContext();
    ASSERT_NE(watch, nullptr);
    WatchCaptions(form->Handle(), CountCaptions);
    for (const auto& refresh : refreshes) {
        events.clear();
        eventsWatched = eventsWhileHalfBuilt = captionsSet = 0;
        if (refresh.option) {
            const bool before = form->Checked(MenuId::Mbytes);
            Choose('O', refresh.option);
            ASSERT_TRUE(Pump([&] { return form->Checked(MenuId::Mbytes) != before; })) << refresh.what;
        } else {
            // Keys are taken in their order: once Up has moved the caret, F5's refresh is over.
            Tap(VK_F5);
            Tap(VK_UP);
            ASSERT_TRUE(Seen(OnGrid(EVENT_OBJECT_FOCUS, 1))) << refresh.what;
            events.erase(std::find(events.begin(), events.end(), OnGrid(EVENT_OBJECT_FOCUS, 1)), events.end());
        }
        EXPECT_EQ(GridEvents(EVENT_OBJECT_REORDER, EVENT_OBJECT_SELECTION), refresh.expected) << refresh.what;
        const int upEvents = refresh.option ? 0 : 2;  // Up's FOCUS and SELECTION
        EXPECT_EQ(eventsWatched, static_cast<int>(refresh.expected.size()) + upEvents) << refresh.what;
        EXPECT_EQ(eventsWhileHalfBuilt, 0) << refresh.what;
        EXPECT_EQ(captionsSet, 0) << refresh.what << ": the caption stays as it is";
        if (!refresh.option) {
            Tap(VK_DOWN);
            ASSERT_TRUE(Seen(OnGrid(EVENT_OBJECT_FOCUS, 2)));
        }
    }
    SetWindowTextA(form->Handle(), "x");
    EXPECT_EQ(captionsSet, 1) << "a caption set is counted";
    UnhookWinEvent(watch);
    watchedTable = nullptr;
}

// Shift with the arrows selects a run of rows: clients hear each row join or leave it and
// read the run as a list of rows.
TEST_F(AccessibilityTest, ARunOfRowsIsASelectionOfSeveral)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(State(grid, CHILDID_SELF) & (STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE),
              STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE);
    const struct {
        const char* what;
        bool shift;
        WORD key;
        std::vector<Event> expected;  // of SELECTION, SELECTIONADD, SELECTIONREMOVE, SELECTIONWITHIN
        std::vector<long> selection;  // as get_accSelection gives it
    } steps[] = {
        {"Shift+Down adds row 2", true, VK_DOWN, {OnGrid(EVENT_OBJECT_SELECTIONADD, 2)}, {1, 2}},
        {"Shift+Down adds row 3", true, VK_DOWN, {OnGrid(EVENT_OBJECT_SELECTIONADD, 3)}, {1, 2, 3}},
        {"Shift+Up takes row 3 out", true, VK_UP, {OnGrid(EVENT_OBJECT_SELECTIONREMOVE, 3)}, {1, 2}},
        {"Down leaves row 3 alone selected", false, VK_DOWN, {OnGrid(EVENT_OBJECT_SELECTION, 3)}, {3}},
    };
    for (const auto& step : steps) {
        events.clear();
        if (step.shift)
            Chord(VK_SHIFT, step.key);
        else
            Tap(step.key);
        ASSERT_TRUE(Seen(step.expected.back())) << step.what;
        EXPECT_EQ(GridEvents(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTIONWITHIN), step.expected) << step.what;
        EXPECT_EQ(Selected(grid), step.selection) << step.what;
    }
    grid->Release();
}

// A screen reader selects rows through accSelect as MSAA defines its flags for a list with
// one run of selected rows: the selection it reads back is the grid's, and it hears the
// same events as for the keyboard. Flags that would split the run change nothing.
TEST_F(AccessibilityTest, AccSelectMovesTheFocusAndTheSelectionAsTheKeysDo)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    const long take = SELFLAG_TAKESELECTION, focus = SELFLAG_TAKEFOCUS, extend = SELFLAG_EXTENDSELECTION,
               add = SELFLAG_ADDSELECTION, remove = SELFLAG_REMOVESELECTION;
    const DWORD focused = EVENT_OBJECT_FOCUS, selected = EVENT_OBJECT_SELECTION, added = EVENT_OBJECT_SELECTIONADD;
    const struct {
        const char* what;
        long flags, row;
        HRESULT answer;
        std::vector<long> selection;
        long focus;
        std::vector<Event> expected;  // of FOCUS, SELECTION, SELECTIONADD, SELECTIONREMOVE, SELECTIONWITHIN
    } steps[] = {
        {"a click on row 3", focus | take, 3, S_OK, {3}, 3, {OnGrid(focused, 3), OnGrid(selected, 3)}},
        {"Shift and a click on row 4", focus | extend, 4, S_OK, {3, 4}, 4, {OnGrid(focused, 4), OnGrid(added, 4)}},
        {"the focus alone to row 2", focus, 2, S_OK, {3, 4}, 2, {OnGrid(focused, 2)}},
        {"row 2 added", add, 2, S_OK, {2, 3, 4}, 2, {OnGrid(added, 2)}},
        {"row 4 removed", remove, 4, S_OK, {2, 3}, 2, {OnGrid(EVENT_OBJECT_SELECTIONREMOVE, 4)}},
        {"row 1 alone selected", take, 1, S_OK, {1}, 2, {OnGrid(selected, 1)}},
        {"from the anchor, row 2, to row 3", extend | add, 3, S_OK, {1, 2, 3}, 2, {OnGrid(added, 2), OnGrid(added, 3)}},
        {"row 2 removed from the middle", remove, 2, E_INVALIDARG, {1, 2, 3}, 2, {}},
        {"taken and added at once", take | add, 4, E_INVALIDARG, {1, 2, 3}, 2, {}},
        {"no row 99", focus, 99, E_INVALIDARG, {1, 2, 3}, 2, {}},
    };
    for (const auto& step : steps) {
        events.clear();
        EXPECT_EQ(grid->accSelect(step.flags, Child(step.row)), step.answer) << step.what;
        if (step.expected.empty())
            Pump([] { return false; }, 200);
        else
            ASSERT_TRUE(Seen(step.expected.back())) << step.what;
        EXPECT_EQ(GridEvents(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTIONWITHIN), step.expected) << step.what;
        EXPECT_EQ(Selected(grid), step.selection) << step.what;
        VARIANT focusedRow{};
        EXPECT_EQ(ChildOf(grid->get_accFocus(&focusedRow), focusedRow), step.focus) << step.what;
    }
    grid->Release();
}

// What MSAA answers for a direction it does not know and for a child that is not there.
TEST_F(AccessibilityTest, UnknownDirectionsAndChildrenAreInvalidArguments)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    const auto navigate = [grid](long direction, long from) {
        VARIANT end{};
        return grid->accNavigate(direction, Child(from), &end);
    };
    const struct {
        const char* what;
        HRESULT answer, expected;
    } calls[] = {
        {"accNavigate from a row, direction 0", navigate(0, 1), E_INVALIDARG},
        {"accNavigate from the list, direction 9", navigate(NAVDIR_MAX, CHILDID_SELF), E_INVALIDARG},
        {"accNavigate left of a row", navigate(NAVDIR_LEFT, 1), S_FALSE},
        {"accDoDefaultAction on no row", grid->accDoDefaultAction(Child(99)), E_INVALIDARG},
        {"accDoDefaultAction on a row", grid->accDoDefaultAction(Child(1)), DISP_E_MEMBERNOTFOUND},
    };
    for (const auto& call : calls) EXPECT_EQ(call.answer, call.expected) << call.what;
    grid->Release();
}

// E: is a network drive that reports a capacity of 0 bytes: turning "local disks only" off
// lists it, and the refresh stops at its percentage with an error box. Row 1, D: before,
// now shows C:. While the box is up, on screen or going, clients hear nothing; once it is
// closed, the table as it then stands, once.
TEST_F(AccessibilityTest, AFailedRefreshIsAnnouncedOnceItsBoxIsClosed)
{
    Start({"/lokal"});
    ASSERT_EQ(form->Gitter.RowCount(), 2);
    watchedGrid = form->GridHandle();
    watchedTable = &form->Gitter;
    const HWINEVENTHOOK watch = WatchInContext();
    ASSERT_NE(watch, nullptr);
    events.clear();
    eventsBeforeTheBoxClosed = 0;
    {
        harness::BoxAnswerer user(form->Handle());
        watchedBox = &user;
        Choose('O', 'N');
        ASSERT_TRUE(Pump([&] { return user.Seen(); })) << "no error box";
        ASSERT_TRUE(Seen(OnGrid(EVENT_OBJECT_REORDER, CHILDID_SELF)));
        Pump([] { return false; }, 300);
        watchedBox = nullptr;
        EXPECT_EQ(user.text, "Ung\xFCltige Gleitkommaoperation.");
        EXPECT_EQ(user.Count(), 1);
    }
    UnhookWinEvent(watch);
    watchedTable = nullptr;
    EXPECT_EQ(eventsBeforeTheBoxClosed, 0);
    // The focus comes back from the box first, with the window's own FOCUS (CHILDID_SELF) and
    // the grid's for its row; then, from the message loop, the table as it now stands: the
    // rows anew, the focused row under its new name, and the selection.
    const std::vector<Event> once{OnGrid(EVENT_OBJECT_FOCUS, CHILDID_SELF), OnGrid(EVENT_OBJECT_FOCUS, 1),
                                  OnGrid(EVENT_OBJECT_REORDER, CHILDID_SELF), OnGrid(EVENT_OBJECT_FOCUS, 1),
                                  OnGrid(EVENT_OBJECT_SELECTION, 1)};
    EXPECT_EQ(GridEvents(EVENT_OBJECT_REORDER, EVENT_OBJECT_SELECTION), once);
}

// A late-bound client (a scripting host) asks through IDispatch, by name: the grid's own
// answers through the Accessibility type library, never those of the plain client area the
// standard object stands for; without the library, IDispatch's answers for unknown members.
TEST_F(AccessibilityTest, LateBoundCallsGetTheGridsAnswerOrNone)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(grid->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch)), S_OK);
    UINT typeInfos = 99;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&typeInfos), S_OK);
    EXPECT_EQ(typeInfos, 1u);
    wchar_t accName[] = L"accName";
    LPOLESTR names[] = {accName};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_ACC_NAME);
    // Scripting hosts leave the optional child out or send a small number as VT_I2; other
    // clients pass their variable on by reference.
    VARIANT row = Child(1), shortRow{}, byReference{};
    shortRow.vt = VT_I2;
    shortRow.iVal = 1;
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = &row;
    const std::string title = Mtools::ComputerName() + ": \xDC"
                                                       "bersicht der Laufwerke";
    const struct {
        const char* what;
        DISPID member;
        VARIANT argument;
        UINT count;  // of arguments: 0 leaves the optional child out
        VARTYPE type;
        std::string answer;
    } properties[] = {
        {"accChildCount", DISPID_ACC_CHILDCOUNT, {}, 0, VT_I4, "4"},
        {"accRole(0)", DISPID_ACC_ROLE, Child(CHILDID_SELF), 1, VT_I4, std::to_string(ROLE_SYSTEM_LIST)},
        {"accName(0)", DISPID_ACC_NAME, Child(CHILDID_SELF), 1, VT_BSTR, title},
        {"accName(1)", DISPID_ACC_NAME, Child(1), 1, VT_BSTR, "C:, TYP: CD-Rom"},
        {"accName", DISPID_ACC_NAME, {}, 0, VT_BSTR, title},
        {"accName(1 as VT_I2)", DISPID_ACC_NAME, shortRow, 1, VT_BSTR, "C:, TYP: CD-Rom"},
        {"accName(a reference to 1)", DISPID_ACC_NAME, byReference, 1, VT_BSTR, "C:, TYP: CD-Rom"},
    };
    for (const auto& property : properties) {
        VARIANT argument = property.argument, result{};
        DISPPARAMS arguments{&argument, nullptr, property.count, 0};
        EXPECT_EQ(
            dispatch->Invoke(property.member, IID_NULL, 0, DISPATCH_PROPERTYGET, &arguments, &result, nullptr, nullptr),
            S_OK)
            << property.what;
        EXPECT_EQ(result.vt, property.type) << property.what;
        char text[1024] = {};
        if (result.vt == VT_BSTR)
            WideCharToMultiByte(CP_ACP, 0, result.bstrVal, -1, text, sizeof text, nullptr, nullptr);
        EXPECT_EQ(result.vt == VT_I4 ? std::to_string(result.lVal) : std::string(text), property.answer)
            << property.what;
        VariantClear(&result);
    }
    // The same VARIANTs handed to get_accName directly, as Invoke hands them on.
    VARIANT leftOut{}, text{};
    leftOut.vt = VT_ERROR;
    leftOut.scode = DISP_E_PARAMNOTFOUND;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"1");
    const struct {
        const char* what;
        VARIANT argument;
        HRESULT answer;
    } direct[] = {
        {"VT_EMPTY", VARIANT{}, S_OK},       {"left out", leftOut, S_OK},     {"VT_I2", shortRow, S_OK},
        {"by reference", byReference, S_OK}, {"VT_BSTR", text, E_INVALIDARG},
    };
    for (const auto& call : direct) {
        BSTR name = nullptr;
        EXPECT_EQ(grid->get_accName(call.argument, &name), call.answer) << call.what;
        EXPECT_EQ(name != nullptr, call.answer == S_OK) << call.what;
        SysFreeString(name);
    }
    VariantClear(&text);
    dispatch->Release();
    grid->Release();

    // The library's registration pointing at no file, as on a system where it went missing.
    const std::string version = std::string("TypeLib\\{1EA4DBF0-3C3B-11CF-810C-00AA00389B71}\\1.1\\0\\") +
                                (sizeof(void*) == 8 ? "win64" : "win32");
    char library[MAX_PATH] = {};
    LONG size = sizeof library;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, version.c_str(), library, &size), ERROR_SUCCESS);
    const char missing[] = "C:\\windows\\system32\\fehlt.dll";
    RegSetValueA(HKEY_CLASSES_ROOT, version.c_str(), REG_SZ, missing, sizeof missing - 1);
    DestroyForm();
    Start();  // a new grid, whose object has not looked for the library yet
    grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(&dispatch)), S_OK);
    typeInfos = 99;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&typeInfos), S_OK);
    EXPECT_EQ(typeInfos, 0u);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result{};
    EXPECT_EQ(
        dispatch->Invoke(DISPID_ACC_CHILDCOUNT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
    RegSetValueA(HKEY_CLASSES_ROOT, version.c_str(), REG_SZ, library, static_cast<DWORD>(std::strlen(library)));
    dispatch->Release();
    grid->Release();
}

// A client that clears its VARIANT after a failed call must find nothing to free in it.
TEST_F(AccessibilityTest, FailedCallsLeaveTheirVariantsEmpty)
{
    Start();
    IAccessible* grid = Object(form->GridHandle());
    ASSERT_NE(grid, nullptr);
    const struct {
        const char* what;
        bool takesAChild;
        HRESULT (*call)(IAccessible*, VARIANT child, VARIANT* out);
    } calls[] = {
        {"get_accRole", true, [](IAccessible* o, VARIANT c, VARIANT* v) { return o->get_accRole(c, v); }},
        {"get_accState", true, [](IAccessible* o, VARIANT c, VARIANT* v) { return o->get_accState(c, v); }},
        {"accNavigate", true, [](IAccessible* o, VARIANT c, VARIANT* v) { return o->accNavigate(NAVDIR_NEXT, c, v); }},
        {"get_accFocus", false, [](IAccessible* o, VARIANT, VARIANT* v) { return o->get_accFocus(v); }},
        {"get_accSelection", false, [](IAccessible* o, VARIANT, VARIANT* v) { return o->get_accSelection(v); }},
        {"accHitTest", false, [](IAccessible* o, VARIANT, VARIANT* v) { return o->accHitTest(0, 0, v); }},
    };
    auto expectEmpty = [&](HRESULT expected, bool childCalls) {
        for (const auto& call : calls) {
            if (childCalls != call.takesAChild) continue;
            VARIANT out;
            out.vt = VT_BSTR;  // what a client's uncleared VARIANT may hold
            out.bstrVal = reinterpret_cast<BSTR>(0x5A5A5A5A);
            EXPECT_EQ(call.call(grid, Child(99), &out), expected) << call.what;
            EXPECT_EQ(out.vt, VT_EMPTY) << call.what;
        }
    };
    expectEmpty(E_INVALIDARG, true);  // no row 99
    long left = -1, top = -1, width = -1, height = -1;
    EXPECT_EQ(grid->accLocation(&left, &top, &width, &height, Child(99)), E_INVALIDARG);
    EXPECT_EQ(left | top | width | height, 0);

    DestroyForm();
    expectEmpty(RPC_E_DISCONNECTED, true);
    expectEmpty(RPC_E_DISCONNECTED, false);
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

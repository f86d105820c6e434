// The main window driven as a user drives it: real keys and clicks through SendInput,
// inside a Wine virtual desktop that draws the frame and its close box.
#include "form_harness.h"
#include "report/file_win.h"
#include "ui/control_win.h"
#include "ui/status_bar_win.h"

namespace {

using namespace harness;

// A control whose state cannot be made, as when memory runs short at WM_NCCREATE.
struct UnmakeableState {
    UnmakeableState(HWND, const CREATESTRUCTA&) { throw std::runtime_error("Kein Speicher f\xFCr das Gitter"); }
    static LRESULT Handle(UnmakeableState&, UINT, WPARAM, LPARAM) { return 0; }
};

// A control whose timer ticks, paints and mouse moves during a drag fail, as the grid's
// would when memory runs short.
struct FailingOutsideCommands {
    FailingOutsideCommands(HWND control, const CREATESTRUCTA&) : window(control) {}
    static LRESULT Handle(FailingOutsideCommands& state, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const bool dragged = message == WM_MOUSEMOVE && GetCapture() == state.window;
        if (message == WM_TIMER || message == WM_PAINT || dragged)
            throw std::runtime_error("Kein Speicher f\xFCr das Gitter");
        return DefWindowProcA(state.window, message, wParam, lParam);
    }
    HWND window;
};

// MEROVANT_EXPECT_DRIVES listed drives, the arguments in MEROVANT_TEST_ARGS.
TEST_F(WindowTest, SizesFollowTheListedDrives)
{
    const int n = std::atoi(std::getenv("MEROVANT_EXPECT_DRIVES"));
    const char* arguments = std::getenv("MEROVANT_TEST_ARGS");
    Start(arguments && *arguments ? std::vector<std::string>{arguments} : std::vector<std::string>{});
    ASSERT_EQ(form->Gitter.RowCount(), n + 1);
    const RECT grid = OuterRect(form->GridHandle()), window = OuterRect(form->Handle());
    EXPECT_EQ(Width(grid), 570);
    EXPECT_EQ(Height(grid), (n + 1) * 20);
    EXPECT_EQ(Width(window), 580);
    EXPECT_EQ(Height(window), (n + 1) * 20 + 65);
    EXPECT_EQ(window.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - 580) / 2));
    EXPECT_EQ(window.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - Height(window)) / 2));
    POINT origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    EXPECT_EQ(grid.left, origin.x);  // the grid sits in the client area's corner
    EXPECT_EQ(grid.top, origin.y);
    EXPECT_EQ(Caption(), Mtools::ComputerName() + ": \xDC"
                                                  "bersicht der Laufwerke");
}

TEST_F(WindowTest, MenuTreeStatusBarAndTaskBarEntry)
{
    Start({"/kurz"});
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), "&Datei");
    EXPECT_EQ(MenuText(bar, 1), "&Optionen");
    HMENU datei = GetSubMenu(bar, 0), optionen = GetSubMenu(bar, 1);
    const std::vector<std::string> dateiItems{"&Aktualisieren\tF5", "&Export...", "", "&Beenden\tAlt+F4"};
    const std::vector<std::string> optionenItems{"&Nur lokale Festplatten", "Anzeige in &Mbytes", "", "&Daily-Logpfad",
                                                 "&Kurzer Export"};
    ASSERT_EQ(GetMenuItemCount(datei), 4);
    ASSERT_EQ(GetMenuItemCount(optionen), 5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(MenuText(datei, i), dateiItems[i]);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(MenuText(optionen, i), optionenItems[i]);
    EXPECT_TRUE(GetMenuState(datei, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_FALSE(form->Checked(MenuId::lokal));
    EXPECT_FALSE(form->Checked(MenuId::Mbytes));
    EXPECT_TRUE(form->Checked(MenuId::kurz));
    EXPECT_FALSE(form->Checked(0x7FFF)) << "an item that is not in the menu carries no check mark";

    EXPECT_EQ(StatusText(1), "D:\\logs");
    EXPECT_FALSE(StatusText(0).empty());
    RECT bar0{}, client{}, status = OuterRect(form->StatusBar1);
    SendMessageA(form->StatusBar1, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&bar0));
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(Height(status), 19);
    EXPECT_EQ(Width(status), client.right);
    EXPECT_EQ(bar0.right, 115);
    RECT bar1{};
    ASSERT_TRUE(SendMessageA(form->StatusBar1, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&bar1)));
    EXPECT_EQ(bar1.left, 117);  // two pixels apart, like the common control
    EXPECT_EQ(bar1.right, client.right);
    EXPECT_FALSE(SendMessageA(form->StatusBar1, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&bar1)));
    EXPECT_EQ(LOWORD(SendMessageA(form->StatusBar1, SB_GETTEXTLENGTHA, 1, 0)), 7u);
    char windowText[8] = {};  // shorter than the credit: cut, and ended with a zero
    EXPECT_EQ(GetWindowTextA(form->StatusBar1, windowText, sizeof windowText), 7);
    EXPECT_EQ(StatusText(0).substr(0, 7), windowText);

    char title[64] = {};
    GetWindowTextA(Application::Window(), title, sizeof title);
    EXPECT_STREQ(title, "Merovant");
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application::Window());
    EXPECT_EQ(GetFocus(), form->GridHandle());
    const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
}

TEST_F(WindowTest, F5RefreshesTheTable)
{
    Start();
    ASSERT_EQ(Cell(4, 2), "65,528 ");
    // A file of 1 MiB takes 1024 KB of D:'s free space.
    HANDLE file = CreateFileA("D:\\belegt.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string megabyte(1024 * 1024, 'x');
    DWORD written = 0;
    WriteFile(file, megabyte.data(), static_cast<DWORD>(megabyte.size()), &written, nullptr);
    CloseHandle(file);
    Tap(VK_F5);
    EXPECT_TRUE(Pump([&] { return Cell(4, 2) == "64,504 "; })) << Cell(4, 2);
}

TEST_F(WindowTest, MegabytesChangeNumbersAndHeadersAtOnce)
{
    Start();
    const RECT before = OuterRect(form->Handle());
    EXPECT_EQ(Cell(3, 2), "65,536 ");
    Choose('O', 'M');
    ASSERT_TRUE(Pump([&] { return Cell(3, 0) == "Kapazit\xE4t (MB)"; }));
    EXPECT_TRUE(form->Checked(MenuId::Mbytes));
    EXPECT_EQ(Cell(4, 0), "Frei (MB)");
    EXPECT_EQ(Cell(3, 2), "64 ");
    const RECT after = OuterRect(form->Handle());
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowTest, LocalDisksTwiceRestoresTableAndCorner)
{
    Start();
    const RECT before = OuterRect(form->Handle());
    const int rows = form->Gitter.RowCount();
    std::vector<std::string> cells;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < 8; ++col) cells.push_back(Cell(col, row));

    Choose('O', 'N');
    ASSERT_TRUE(Pump([&] { return form->Checked(MenuId::lokal); }));
    EXPECT_EQ(form->Gitter.RowCount(), rows - 2);  // the network and CD-ROM drives go
    const RECT local = OuterRect(form->Handle());
    EXPECT_EQ(local.left, before.left);
    EXPECT_EQ(local.top, before.top);
    EXPECT_EQ(Height(local), Height(before) - 40);

    Choose('O', 'N');
    ASSERT_TRUE(Pump([&] { return !form->Checked(MenuId::lokal); }));
    ASSERT_EQ(form->Gitter.RowCount(), rows);
    std::vector<std::string> again;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < 8; ++col) again.push_back(Cell(col, row));
    EXPECT_EQ(again, cells);
    const RECT after = OuterRect(form->Handle());
    EXPECT_TRUE(EqualRect(&before, &after));
}

// Ctrl+C puts the header and the selected rows on the clipboard as the long export writes
// them, whatever layout the export is set to. (Neither C:, the prefix's own drive, nor D:,
// which the F5 test fills a little, is copied: their figures depend on what ran before.)
TEST_F(WindowTest, CtrlCCopiesTheSelectedRowsWithTheHeader)
{
    Start({"/kurz"});
    const std::string header =
        Mtools::ComputerName() + "\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n";
    const std::string e = "E:\tNETZ\tNetzwerklaufwerk\t32,768 \t32,760 \t100 %\t0000-ABCD\tNTFS\t\r\n";
    const std::string f = "F:\t\tCD-Rom\t\t\t\t\t\t\r\n";
    const struct {
        const char* what;
        std::vector<bool> downs;  // the Down keys before Ctrl+C, true for Shift+Down
        std::string text;
    } copies[] = {
        {"one row", {false, false}, header + e},
        {"several rows", {true}, header + e + f},
    };
    for (const auto& copy : copies) {
        ASSERT_TRUE(OpenClipboard(form->Handle()));
        EmptyClipboard();
        CloseClipboard();
        for (const bool shift : copy.downs)
            if (shift)
                Chord(VK_SHIFT, VK_DOWN);
            else
                Tap(VK_DOWN);
        Chord(VK_CONTROL, 'C');
        ASSERT_TRUE(Pump([] { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; })) << copy.what;
        ASSERT_TRUE(OpenClipboard(form->Handle()));
        const HANDLE data = GetClipboardData(CF_TEXT);
        const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
        EXPECT_EQ(text ? std::string(text) : "(none)", copy.text) << copy.what;
        if (text) GlobalUnlock(data);
        CloseClipboard();
    }
}

// WM_COMMAND runs a menu command for a menu (notification 0) or an accelerator (1) only: a
// control's notification that happens to carry a menu item's id does nothing.
TEST_F(WindowTest, AControlsNotificationWithAMenuIdChangesNothing)
{
    Start();
    const auto control = reinterpret_cast<LPARAM>(form->StatusBar1);
    const struct {
        int id;
        WORD code;
    } notifications[] = {{MenuId::lokal, 0}, {MenuId::lokal, 1}, {MenuId::Beenden1, 0}, {MenuId::Beenden1, 1}};
    for (const auto& n : notifications) SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(n.id, n.code), control);
    Pump([] { return false; }, 200);
    EXPECT_FALSE(form->Checked(MenuId::lokal));
    EXPECT_FALSE(quit);
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(MenuId::lokal, 0), 0);  // as the menu sends it
    EXPECT_TRUE(form->Checked(MenuId::lokal));
}

// An option turned on by a switch in an interactive run is stored by the close box.
TEST_F(WindowTest, CloseBoxWritesTheSettings)
{
    Start({"/lokal"});
    ASSERT_TRUE(form->Checked(MenuId::lokal));
    ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return quit; })) << registry.calls;
    EXPECT_FALSE(IsWindow(form->Handle()));
    EXPECT_EQ(registry.keys[kKey]["Lokal"], DWord(1));
    // The other two are written back unchanged: written, not just left standing.
    EXPECT_NE(registry.calls.find("set MByte;set dailylog;"), std::string::npos) << registry.calls;
    EXPECT_EQ(registry.keys[kKey]["MByte"], DWord(0));
    EXPECT_EQ(registry.keys[kKey]["dailylog"], Text("D:\\logs"));
}

TEST_F(WindowTest, AltF4AndBeendenWriteNothing)
{
    for (bool altF4 : {true, false}) {
        quit = false;
        registry.calls.clear();
        Start();
        Choose('O', 'N');
        ASSERT_TRUE(Pump([&] { return form->Checked(MenuId::lokal); }));
        if (altF4)
            Chord(VK_MENU, VK_F4);
        else
            Choose('D', 'B');
        ASSERT_TRUE(Pump([&] { return quit; })) << (altF4 ? "Alt+F4" : "Beenden");
        EXPECT_TRUE(IsWindow(form->Handle()));  // ended without a close command
        EXPECT_EQ(registry.calls.find("set"), std::string::npos);
        EXPECT_EQ(registry.keys[kKey]["Lokal"], DWord(0));
        DestroyForm();
    }
}

// A form whose controls cannot be made says so and leaves no window behind, nor a quit
// request that would end the box reporting it.
TEST_F(WindowTest, FormWithoutItsControlsLeavesNoWindow)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(UnregisterClassA(StatusBar::ClassName, instance));
    EXPECT_THROW(TFMain(instance, Application::Window()), std::runtime_error);
    StatusBar::Register(instance);
    EXPECT_EQ(FindWindowA("TFMain", nullptr), nullptr);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// One failure, one box, with what went wrong: not a box from inside the window procedure
// and a second one from the code that made the control.
TEST_F(WindowTest, AControlThatCannotBeMadeIsReportedOnce)
{
    Start();
    RegisterControlClass<UnmakeableState, &UnmakeableState::Handle>(GetModuleHandleA(nullptr), "Unmakeable");
    BoxAnswerer user(form->Handle());
    try {
        CreateControl("Unmakeable", WS_CHILD, {10, 10}, form->Handle(), 99, nullptr);
        ADD_FAILURE() << "the control was made";
    } catch (...) {
        Application::HandleException();
    }
    Pump([] { return false; }, 500);
    EXPECT_EQ(user.Count(), 1);
    EXPECT_EQ(user.text, "Kein Speicher f\xFCr das Gitter.");
}

// In a session nobody sees, a run that would wait for a person ends before its window
// with exit code 2 and one event, which names the target the run would have used.
TEST_F(WindowTest, RunsThatNeedAPersonEndWhereNobodySeesThem)
{
    anybodyThere = false;
    const struct {
        std::vector<std::string> arguments;
        std::string target;
    } cases[] = {
        {{"/automatik"}, "?"},
        {{"D:\\out.txt", "?"}, "?"},
        {{"/mb"}, ""},
    };
    for (const auto& c : cases) {
        reported.events.clear();
        Open(c.arguments);
        EXPECT_EQ(ended, std::optional<int>(kExitNeedsPerson)) << commandLine;
        ASSERT_EQ(reported.events.size(), 1u) << commandLine;
        EXPECT_EQ(reported.events[0].id, EventId::NeedsPerson);
        const std::vector<std::string>& strings = reported.events[0].strings;
        ASSERT_EQ(strings.size(), 3u);
        EXPECT_EQ(strings[1], commandLine);
        EXPECT_EQ(strings[2], c.target) << commandLine;
        EXPECT_FALSE(IsWindowVisible(form->Handle()));
    }
}

// While the box is up, the task bar's close and another close box click come in: they wait
// for the user, who closes again once the box is gone, and no second save runs meanwhile.
TEST_F(WindowTest, FailingSaveKeepsTheWindowOpen)
{
    registry.failingWrite = "MByte";
    Start();
    const HWND window = form->Handle();
    std::atomic<bool> boxStayedUp{false};
    {
        BoxAnswerer user(window, [&](HWND box) {
            PostMessageA(Application::Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageA(window, WM_CLOSE, 0, 0);
            Sleep(500);
            boxStayedUp = IsWindowVisible(box) && IsWindow(window);
        });
        ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return user.Seen(); }));
        EXPECT_EQ(user.text, "Fehler beim Setzen der Daten f\xFCr 'MByte'");
        EXPECT_EQ(user.caption, "Merovant");
        EXPECT_TRUE(user.stopIcon);
        EXPECT_TRUE(user.formDisabled);
        Pump([] { return false; }, 800);
        EXPECT_EQ(user.Count(), 1) << "a close during the box saved again";
    }
    EXPECT_TRUE(boxStayedUp);
    Pump([] { return false; }, 300);
    EXPECT_FALSE(quit);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(registry.calls.find("set dailylog"), std::string::npos);
}

// D: reports a capacity of 0 bytes: the start-up refresh stops at its percentage.
TEST_F(WindowTest, FailedStartupRefreshKeepsDesignHeightAndCaption)
{
    BoxAnswerer user(nullptr);
    Start();
    ASSERT_TRUE(Pump([&] { return user.Seen(); }));
    EXPECT_EQ(user.text, "Ung\xFCltige Gleitkommaoperation.");
    EXPECT_EQ(Caption(), "\xDC"
                         "bersicht der Laufwerke");
    const RECT window = OuterRect(form->Handle()), grid = OuterRect(form->GridHandle());
    EXPECT_EQ(Width(window), 580);
    EXPECT_EQ(Width(grid), 570);
    EXPECT_EQ(Height(grid), 131);
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.bottom, 157);
}

// A scheduled export shows its window for a moment but must not take the keyboard from
// whatever the user is typing into. Alone in its process: the run's end request stays.
TEST_F(WindowTest, UnattendedExportShowsTheWindowWithoutActivatingIt)
{
    Open({"/mb", "D:\\unbeaufsichtigt.txt"});
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_NE(GetActiveWindow(), form->Handle());
    EXPECT_NE(GetFocus(), form->GridHandle());
    EXPECT_TRUE(Pump([&] { return quit; })) << "the run ends";
    EXPECT_NE(GetFileAttributesA("D:\\unbeaufsichtigt.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ended, std::optional<int>(kExitSuccess)) << "the exit code of the program's loop";
}

// A share with write-behind caching reports a failed write only when the file is flushed
// (ERROR_UNEXP_NET_ERR): the export has failed, and no heartbeat may say it was written.
BOOL WINAPI FlushFailsAsAShareDoes(HANDLE) noexcept
{
    SetLastError(ERROR_UNEXP_NET_ERR);
    return FALSE;
}

TEST_F(WindowTest, UnattendedExportWhoseFlushFailsEndsWithItsErrorAndNoHeartbeat)
{
    struct RealCallsAgain {
        ~RealCallsAgain() { ExportFileCalls() = FileCalls{}; }
    } realCallsAgain;
    ExportFileCalls().flushFileBuffers = FlushFailsAsAShareDoes;
    anybodyThere = false;
    Open({"d:\\geteilt.txt"});
    EXPECT_EQ(ended, std::optional<int>(kExitError));
    ASSERT_EQ(reported.events.size(), 1u);
    EXPECT_EQ(reported.events[0].id, EventId::ExportFailed);
    EXPECT_EQ(reported.events[0].strings[0], "E/A-Fehler 59.");
    EXPECT_EQ(reported.events[0].strings[2], "d:\\geteilt.txt");
}

// A failure inside WM_TIMER during a drag, or inside WM_PAINT, opens no box there and then,
// where the box's own loop would take the next tick or paint and stack a box on the box:
// the timer stops, the capture goes, and one box comes from the message loop.
TEST_F(WindowTest, AFailedTickOrPaintShowsOneBoxFromTheLoop)
{
    Start();
    RegisterControlClass<FailingOutsideCommands, &FailingOutsideCommands::Handle>(GetModuleHandleA(nullptr),
                                                                                  "FailingOutsideCommands");
    HWND control = CreateControl("FailingOutsideCommands", WS_CHILD, {40, 40}, form->Handle(), 98, nullptr);
    {
        BoxAnswerer user(form->Handle(), [](HWND) { Sleep(400); });  // some ticks while the box is up
        SetCapture(control);
        SetTimer(control, 1, 20, nullptr);
        ASSERT_TRUE(Pump([&] { return user.Seen(); }));
        Pump([] { return false; }, 800);
        EXPECT_EQ(user.Count(), 1);
        EXPECT_EQ(user.text, "Kein Speicher f\xFCr das Gitter.");
        EXPECT_NE(GetCapture(), control);
    }
    {
        BoxAnswerer user(form->Handle(), [](HWND) { Sleep(400); });
        ShowWindow(control, SW_SHOWNA);
        ASSERT_TRUE(Pump([&] { return user.Seen(); }));
        Pump([] { return false; }, 800);
        EXPECT_EQ(user.Count(), 1) << "boxes after a failed paint";
    }
    DestroyWindow(control);
}

}  // namespace

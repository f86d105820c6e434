// The main window driven as a user drives it: real keys and clicks through SendInput,
// inside a Wine virtual desktop that draws the frame and its close box.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "../app/fake_registry.h"
#include "app/application_win.h"
#include "survey/mtools.h"
#include "ui/main_form_win.h"
#include "ui/menu_ids.h"

namespace {

const std::string kKey = "Software\\Korvel\\merovant";

// Hands the form a view of one registry in memory that outlives each access.
class SharedRegistry final : public RegistryAccess {
public:
    explicit SharedRegistry(FakeRegistry& registry) : registry_(registry) {}
    bool OpenKey(const std::string& path) override { return registry_.OpenKey(path); }
    bool CreateKey(const std::string& path) override { return registry_.CreateKey(path); }
    void CloseKey() noexcept override { registry_.CloseKey(); }
    long QueryValue(const std::string& name, unsigned long& type, unsigned char* data, unsigned long& size) override
    {
        return registry_.QueryValue(name, type, data, size);
    }
    long SetValue(const std::string& name, unsigned long type, const unsigned char* data, unsigned long size) override
    {
        return registry_.SetValue(name, type, data, size);
    }

private:
    FakeRegistry& registry_;
};

// Whether two icons draw the same 32 x 32 pixels.
bool SamePicture(HICON a, HICON b)
{
    if (a == nullptr || b == nullptr) return false;
    auto pixels = [](HICON icon) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 32, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        std::vector<COLORREF> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) colours.push_back(GetPixel(dc, x, y));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return colours;
    };
    return pixels(a) == pixels(b);
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found)
{
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return TRUE;
}

// Answers the program's first message box from another thread, as a user would.
class BoxAnswerer {
public:
    BoxAnswerer(HWND form) : thread_([this, form] { Watch(form); }) {}
    ~BoxAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    bool Seen() const { return seen_; }
    std::string text, caption;
    bool stopIcon = false, formDisabled = false;

private:
    void Watch(HWND form)
    {
        while (!stop_) {
            HWND box = FindWindowA("#32770", nullptr);
            if (box != nullptr && IsWindowVisible(box) && GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) {
                char buffer[512] = {};
                GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
                text = buffer;
                GetWindowTextA(box, buffer, sizeof buffer);
                caption = buffer;
                HICON icon = nullptr;
                EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
                stopIcon = SamePicture(icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
                formDisabled = form != nullptr && !IsWindowEnabled(form);
                seen_ = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

RECT OuterRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Application::Initialize();
        TFMain::RegisterClasses(GetModuleHandleA(nullptr));
        Application::CreateApplicationWindow(GetModuleHandleA(nullptr));
    }

    void SetUp() override
    {
        registry.keys[kKey]["Lokal"] = DWord(0);
        registry.keys[kKey]["MByte"] = DWord(0);
        registry.keys[kKey]["dailylog"] = Text("D:\\logs");
    }

    void TearDown() override
    {
        form.reset();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }

    void Start(std::vector<std::string> arguments = {})
    {
        arguments.insert(arguments.begin(), "merovant.exe");
        form = std::make_unique<TFMain>(GetModuleHandleA(nullptr), Application::Window(),
                                        [this] { return std::make_unique<SharedRegistry>(registry); });
        Application::SetMainForm(form->Handle());
        try {
            form->FormCreate(arguments);
        } catch (...) {
            Application::HandleException();
        }
        ShowWindow(Application::Window(), SW_SHOWNOACTIVATE);
        form->ShowCentred();
        SetForegroundWindow(form->Handle());
        Pump([] { return false; }, 300);
    }

    // Runs the message loop as the program does until done() holds or the time is up.
    bool Pump(const std::function<bool()>& done, int milliseconds = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit = true;
                    continue;
                }
                if (form && IsWindow(form->Handle()) &&
                    TranslateAcceleratorA(form->Handle(), form->Accelerators(), &message))
                    continue;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done()) return true;
            Sleep(10);
        } while (std::chrono::steady_clock::now() < deadline);
        return done();
    }

    static void Send(std::vector<INPUT> inputs) { SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)); }

    static INPUT Key(WORD vk, bool up)
    {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return input;
    }

    static void Tap(WORD vk) { Send({Key(vk, false), Key(vk, true)}); }
    static void Chord(WORD modifier, WORD vk)
    {
        Send({Key(modifier, false), Key(vk, false), Key(vk, true), Key(modifier, true)});
    }

    // Opens a menu with its access key and chooses an item with its own. All keys go
    // into the input queue at once: the menu's own modal loop takes the item's key.
    static void Choose(char menu, char item)
    {
        Send({Key(VK_MENU, false), Key(menu, false), Key(menu, true), Key(VK_MENU, true), Key(item, false),
              Key(item, true)});
    }

    static void Click(POINT at)
    {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        INPUT down = move, up = move;
        down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
        up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
        Send({move, down, up});
    }

    // Under Wine's virtual desktop a click that arrives while the desktop is still
    // settling which window is active can be taken for activation alone (Windows acts
    // on it at once): the click is repeated, at most three times, until it has worked.
    bool ClickUntil(const std::function<POINT()>& where, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(where());
            if (Pump(done, 1500)) return true;
        }
        return false;
    }

    // The point of the title bar where the window answers HTCLOSE.
    POINT CloseBox() const
    {
        const RECT rect = OuterRect(form->Handle());
        const int y = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
        for (int x = rect.right - 1; x > rect.left; --x)
            if (SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x - 3, y};
        ADD_FAILURE() << "no close box";
        return {rect.right - 10, y};
    }

    std::string Cell(int col, int row) const { return form->Gitter.Cell(col, row); }
    std::string MenuText(HMENU menu, int position) const
    {
        char text[128] = {};
        GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
        return text;
    }
    std::string StatusText(int part) const
    {
        char text[300] = {};
        SendMessageA(form->StatusBar1, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::string Caption() const
    {
        char text[300] = {};
        GetWindowTextA(form->Handle(), text, sizeof text);
        return text;
    }

    FakeRegistry registry;
    std::unique_ptr<TFMain> form;
    bool quit = false;
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
    EXPECT_EQ(Caption(), Mtools::ComputerName() + ": \xDC" "bersicht der Laufwerke");
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
    const std::vector<std::string> optionenItems{"&Nur lokale Festplatten", "Anzeige in &Mbytes", "",
                                                 "&Daily-Logpfad", "&Kurzer Export"};
    ASSERT_EQ(GetMenuItemCount(datei), 4);
    ASSERT_EQ(GetMenuItemCount(optionen), 5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(MenuText(datei, i), dateiItems[i]);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(MenuText(optionen, i), optionenItems[i]);
    EXPECT_TRUE(GetMenuState(datei, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_FALSE(form->Checked(MenuId::lokal));
    EXPECT_FALSE(form->Checked(MenuId::Mbytes));
    EXPECT_TRUE(form->Checked(MenuId::kurz));

    EXPECT_EQ(StatusText(1), "D:\\logs");
    EXPECT_FALSE(StatusText(0).empty());
    RECT bar0{}, client{}, status = OuterRect(form->StatusBar1);
    SendMessageA(form->StatusBar1, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&bar0));
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(Height(status), 19);
    EXPECT_EQ(Width(status), client.right);
    EXPECT_NEAR(bar0.right, 115, 2);

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

// An option turned on by a switch in an interactive run is stored by the close box.
TEST_F(WindowTest, CloseBoxWritesTheSettings)
{
    Start({"/lokal"});
    ASSERT_TRUE(form->Checked(MenuId::lokal));
    ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return quit; })) << registry.calls;
    EXPECT_FALSE(IsWindow(form->Handle()));
    EXPECT_EQ(registry.keys[kKey]["Lokal"], DWord(1));
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
        form.reset();
    }
}

TEST_F(WindowTest, FailingSaveKeepsTheWindowOpen)
{
    registry.failingWrite = "MByte";
    Start();
    {
        BoxAnswerer user(form->Handle());
        ASSERT_TRUE(ClickUntil([this] { return CloseBox(); }, [&] { return user.Seen(); }));
        EXPECT_EQ(user.text, "Fehler beim Setzen der Daten f\xFCr 'MByte'");
        EXPECT_EQ(user.caption, "Merovant");
        EXPECT_TRUE(user.stopIcon);
        EXPECT_TRUE(user.formDisabled);
    }
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
    EXPECT_EQ(Caption(), "\xDC" "bersicht der Laufwerke");
    const RECT window = OuterRect(form->Handle()), grid = OuterRect(form->GridHandle());
    EXPECT_EQ(Width(window), 580);
    EXPECT_EQ(Width(grid), 570);
    EXPECT_EQ(Height(grid), 131);
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.bottom, 157);
}

}  // namespace

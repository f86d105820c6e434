// The program's run in the test's own process, through the same start-up path as WinMain,
// with a registry in memory and the events it reports recorded; real keys and clicks
// through SendInput inside a Wine virtual desktop.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

#include "../app/fake_registry.h"
#include "survey/mtools.h"
#include "ui/application_win.h"
#include "ui/main_form_win.h"
#include "ui/menu_ids.h"
#include "ui/program_win.h"

namespace harness {

inline const std::string kKey = SubkeyPath(kSettingsKey);

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

// The events of a run, as the Application log would receive them.
class RecordedEvents final : public EventSink {
public:
    struct Event {
        EventId id;
        std::vector<std::string> strings;
    };
    void Report(EventId id, const std::vector<std::string>& strings) noexcept override
    {
        try {
            events.push_back({id, strings});
        } catch (...) {
            // Out of memory: the event is missed, and the test that looks for it says so.
        }
    }
    std::vector<Event> events;
};

// The command line Windows hands the program for these arguments: quoted where they hold
// a blank.
inline std::string CommandLineOf(const std::vector<std::string>& arguments)
{
    std::string line = "merovant.exe";
    for (const std::string& argument : arguments) {
        const bool blank =
            std::any_of(argument.begin(), argument.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
        line += blank ? " \"" + argument + "\"" : " " + argument;
    }
    return line;
}

// Whether two icons draw the same 32 x 32 pixels.
inline bool SamePicture(HICON a, HICON b)
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

inline BOOL CALLBACK FindIcon(HWND child, LPARAM found) noexcept
{
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return TRUE;
}

// Answers the program's message boxes from another thread, as a user would, and notes the
// first one; whileUp runs on that thread while the first box is up, before it is answered.
class BoxAnswerer {
public:
    BoxAnswerer(HWND form, std::function<void(HWND box)> whileUp = {})
        : whileUp_(std::move(whileUp)), thread_([this, form] { Watch(form); })
    {
    }
    ~BoxAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    bool Seen() const { return seen_; }
    int Count() const { return count_; }
    std::string text, caption;
    bool stopIcon = false, formDisabled = false;

private:
    void Watch(HWND form)
    {
        while (!stop_) {
            HWND box = FindWindowA("#32770", nullptr);
            if (box != nullptr && IsWindowVisible(box) &&
                GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) {
                char buffer[512] = {};
                GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
                if (!seen_) {
                    text = buffer;
                    GetWindowTextA(box, buffer, sizeof buffer);
                    caption = buffer;
                    HICON icon = nullptr;
                    Callbacks::ForEachChildWindow(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
                    stopIcon = SamePicture(icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
                    formDisabled = form != nullptr && !IsWindowEnabled(form);
                    if (whileUp_) whileUp_(box);
                    seen_ = true;
                }
                ++count_;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);  // one box, counted once
                continue;
            }
            Sleep(20);
        }
    }
    std::function<void(HWND)> whileUp_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::atomic<int> count_{0};
    std::thread thread_;
};

inline RECT OuterRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

class WindowTest : public ::testing::Test {
protected:
    // As in WinMain: the setting every run starts in, and the process's windows made the
    // way its run makes them; every Open finds them.
    static void SetUpTestSuite()
    {
        Application::Initialize();
        ProcessWindows(GetModuleHandleA(nullptr));
    }

    void SetUp() override
    {
        registry.keys[kKey]["Lokal"] = DWord(0);
        registry.keys[kKey]["MByte"] = DWord(0);
        registry.keys[kKey]["dailylog"] = Text("D:\\logs");
    }

    void TearDown() override { DestroyForm(); }

    // Destroying the window posts the quit request, as it does when the program ends:
    // the queue is emptied so that no dialog of a next form takes it for its own end.
    void DestroyForm()
    {
        run.reset();
        form = nullptr;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Starts the form as the program does and then, as the user would, brings it to the
    // front.
    void Start(std::vector<std::string> arguments = {})
    {
        Open(std::move(arguments));
        SetForegroundWindow(form->Handle());
        Pump([] { return false; }, 300);
    }

    // The program's start, as WinMain runs it: the report, the form, its start-up sequence
    // and its endings, and the first show. `ended` is the exit code where the run ends there.
    void Open(const std::vector<std::string>& arguments)
    {
        DestroyForm();
        quit = false;
        commandLine = CommandLineOf(arguments);
        run = std::make_unique<ProgramRun>(GetModuleHandleA(nullptr), commandLine, anybodyThere, reported,
                                           [this] { return std::make_unique<SharedRegistry>(registry); });
        ended = run->Start();
        form = run->Form();
    }

    // Runs the program's message loop, in the steps RunProgram takes, until done() holds or
    // the time is up. The step that takes the quit request ends the run's loop as it ends
    // the program's: `quit` is set, `ended` holds the exit code RunProgram returns, and no
    // further message is handled until the next Open.
    bool Pump(const std::function<bool()>& done, int milliseconds = 5000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            for (LoopStep step = LoopStep::Handled; run && !quit && step != LoopStep::Idle;) {
                step = run->Step(false);
                if (step == LoopStep::Quit) {
                    quit = true;
                    ended = run->ExitCode();
                }
            }
            if (done()) return true;
            Sleep(10);
        } while (std::chrono::steady_clock::now() < deadline);
        return done();
    }

    static void Send(std::vector<INPUT> inputs)
    {
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }

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
    bool anybodyThere = true;  // false: a session nobody sees
    RecordedEvents reported;
    std::string commandLine;
    std::unique_ptr<ProgramRun> run;
    TFMain* form = nullptr;
    std::optional<int> ended;  // the run's exit code, once it has ended
    bool quit = false;  // the run's loop took the quit request
};

}  // namespace harness

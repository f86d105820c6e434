// The application: its title, its end request and the top-level handler of errors.
#pragma once

#include <windows.h>

#include "../callback_win.h"

#include <exception>
#include <vector>

#include "../app/run_report.h"

namespace Application {

inline constexpr const char* Title = "Merovant";

// The setting every run starts in, before any other code: extended-precision arithmetic,
// no system error box for a drive without a medium, the user's digit grouping and the
// disk-space query of this Windows version.
void Initialize() noexcept;

// The application's own window: never seen itself, it carries the task-bar entry with
// the title and the icon, owns the main form and passes the close request of the task
// bar on to it.
HWND CreateApplicationWindow(HINSTANCE instance);
HWND Window() noexcept;
// Shows the application window, and with it the run's task-bar button, without activating it.
void ShowTaskbarButton() noexcept;
// Brings a window of the run to the front where Windows allows it; where it does not (a
// scheduled task while the user works at other windows), flashes the task-bar button.
void BringToFront(HWND window) noexcept;
// The program's icon (MAINICON), for the application window and the main form.
HICON Icon(HINSTANCE instance) noexcept;
void SetMainForm(HWND form) noexcept;

// The process's error mode with `flags` added: what the parent process set (a deployment
// tool, a service host) stays in force.
UINT ErrorModeWith(UINT flags) noexcept;

// Registers one of the program's window classes; one that cannot be registered ends the
// start. Registering the same class again (the same procedure) changes nothing.
void RegisterWindowClass(WNDCLASSEXA windowClass, WindowProcedure procedure);

// Posts the quit request; the message loop ends when it takes it.
void Terminate() noexcept;
// The quit request was posted: the run is over once the message loop takes it.
bool Terminating() noexcept;

// A run begins: the top-level handler reports its errors to this report (without one,
// every error is shown), and no end request is pending.
void BeginRun(RunReport* report) noexcept;

// The top-level handler: shows the error in a modal stop box captioned with the title,
// with the program's other windows disabled, and hands it to the run's report (the event
// log). Where nobody sees the session, the box is not shown and the run ends. Call it
// only inside a catch block.
void HandleException() noexcept;

// The top-level handler for an error in a window's handling of `message`. Inside WM_TIMER,
// WM_PAINT or a mouse move no box opens there and then: its modal loop would take the
// next tick, paint or move, which would fail again and stack a box on the box. The timer is
// stopped, the capture released and the paint validated; the box comes once, from the
// message loop (a private message to the application window). Call it only inside a catch
// block.
void HandleWindowException(HWND window, UINT message, WPARAM wParam) noexcept;

}  // namespace Application

// Disables every visible and enabled top-level window of this thread while it lives,
// then enables those that still exist and restores the active window and the focus. Every
// dialog and box of the program is shown inside one.
class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled();
    ~ThreadWindowsDisabled();
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

    // Whether one lives on this thread: a dialog or a box of the program is up, also one of
    // the start-up sequence while the form is not shown yet.
    static bool Active() noexcept;

private:
    std::vector<HWND> disabled_;
    HWND active_;
    HWND focus_;
};

// The application's end request and its top-level handler of errors.
#include "application_win.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "../app/error_text.h"
#include "../errors.h"
#include "../late_bound_win.h"
#include "../survey/drive_queries_win.h"
#include "../survey/float_setting.h"
#include "../survey/number_format.h"

namespace {

RunReport* runReport = nullptr;
bool terminating = false;
HWND applicationWindow = nullptr;
HWND mainForm = nullptr;
constexpr const char* kApplicationClass = "MerovantApplication";
// Shows the error kept by HandleWindowException.
constexpr UINT kShowPendingError = WM_APP + 1;
std::exception_ptr pendingError;
bool pendingErrorPosted = false;

void ShowPendingError() noexcept
{
    pendingErrorPosted = false;
    const std::exception_ptr error = std::exchange(pendingError, nullptr);
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (...) {
        Application::HandleException();
    }
}

// Messages that come without a command of the user's: a timer's tick, a paint, a mouse move
// (a drag holds the capture).
bool OutsideACommand(UINT message) noexcept
{
    return message == WM_TIMER || message == WM_PAINT || message == WM_MOUSEMOVE;
}

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case kShowPendingError: ShowPendingError(); return 0;
    case WM_ACTIVATE:
        // Choosing the task-bar entry activates this window: the main form takes over.
        if (LOWORD(wParam) != WA_INACTIVE && mainForm && IsWindowVisible(mainForm) && IsWindowEnabled(mainForm))
            SetActiveWindow(mainForm);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE) break;
        [[fallthrough]];
    case WM_CLOSE:
        if (mainForm) PostMessageA(mainForm, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT, not in the
// XP-level headers.
constexpr DWORD kSafeSearchModePermanent = 0x00000001 | 0x00008000;

// Windows looks for the DLLs that the program and the system libraries it loads (the
// dialogs' comdlg32 and shell32) ask for by name in System32 only, never beside the exe
// or in the working folder, where a planted version.dll or uxtheme.dll would run its code
// inside the program. Where SetDefaultDllDirectories is missing, the current folder at
// least is taken out of the search.
void RestrictDllSearch() noexcept
{
    const auto setDefaultDllDirectories = LateBound<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
    if (setDefaultDllDirectories && setDefaultDllDirectories(kLoadLibrarySearchSystem32)) return;
    if (const auto setDllDirectory = LateBound<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA"))
        setDllDirectory("");
    if (const auto setSearchPathMode = LateBound<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetSearchPathMode"))
        setSearchPathMode(kSafeSearchModePermanent);
}

// Short of memory, a window stays enabled rather than an exception unwinding through
// EnumThreadWindows.
BOOL CALLBACK DisableIfActive(HWND window, LPARAM list) noexcept
{
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    } catch (...) {
        return TRUE;
    }
    EnableWindow(window, FALSE);
    return TRUE;
}

std::string MessageOfCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

}  // namespace

namespace Application {

void Initialize() noexcept
{
    RestrictDllSearch();
    // A corrupted heap ends the process instead of running on with what an attacker wrote.
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    EstablishFloatSetting();
    // A drive without a medium (some card readers report themselves as fixed disks)
    // must never stop an unattended run with a box asking for a disk: its queries
    // just fail and give the texts of a failed query.
    SetErrorMode(ErrorModeWith(SEM_FAILCRITICALERRORS));
    LoadNumberSettings();
    ResolveDiskFreeSpaceQuery();
}

UINT ErrorModeWith(UINT flags) noexcept
{
    // GetErrorMode is known from Windows Vista on; before, the mode is read by setting one.
    static const auto getErrorMode = LateBound<UINT(WINAPI*)()>("kernel32.dll", "GetErrorMode");
    if (getErrorMode) return getErrorMode() | flags;
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode | flags;
}

void RegisterWindowClass(WNDCLASSEXA windowClass, WindowProcedure procedure)
{
    Callbacks::SetWindowProcedure(windowClass, procedure);
    if (RegisterClassExA(&windowClass)) return;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS &&
        GetClassInfoExA(windowClass.hInstance, windowClass.lpszClassName, &existing) &&
        Callbacks::HasWindowProcedure(existing, procedure))
        return;
    throw std::runtime_error("Fensterklasse nicht registriert");
}

HWND CreateApplicationWindow(HINSTANCE instance)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = instance;
    windowClass.hIcon = windowClass.hIconSm = Icon(instance);
    windowClass.lpszClassName = kApplicationClass;
    RegisterWindowClass(windowClass, ApplicationWindowProc);
    const int left = GetSystemMetrics(SM_CXSCREEN) / 2, top = GetSystemMetrics(SM_CYSCREEN) / 2;
    applicationWindow = CreateWindowExA(0, kApplicationClass, Title,
                                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, left,
                                        top, 0, 0, nullptr, nullptr, instance, nullptr);
    if (applicationWindow == nullptr) throw std::runtime_error("Das Anwendungsfenster konnte nicht erzeugt werden");
    return applicationWindow;
}

// The one icon also serves where Windows shows a small one: it scales it when it draws,
// while a class without a small icon has a scaled copy made as it is registered.
HICON Icon(HINSTANCE instance) noexcept { return LoadIconA(instance, "MAINICON"); }

HWND Window() noexcept { return applicationWindow; }

void ShowTaskbarButton() noexcept
{
    if (applicationWindow != nullptr && !IsWindowVisible(applicationWindow))
        ShowWindow(applicationWindow, SW_SHOWNOACTIVATE);
}

// SetForegroundWindow fails for a process that did not get the foreground from the user (the
// Task Scheduler starts programs without it) while the user works elsewhere. The button
// then flashes until the run comes to the front.
void BringToFront(HWND window) noexcept
{
    if (SetForegroundWindow(window) || applicationWindow == nullptr) return;
    FLASHWINFO flash{sizeof flash, applicationWindow, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

void SetMainForm(HWND form) noexcept { mainForm = form; }

void Terminate() noexcept
{
    terminating = true;
    PostQuitMessage(0);
}

bool Terminating() noexcept { return terminating; }

void BeginRun(RunReport* report) noexcept
{
    runReport = report;
    terminating = false;
    pendingError = nullptr;  // an error of an earlier run, with its message never taken
    pendingErrorPosted = false;
}

void HandleException() noexcept
{
    const EventId id = EventIdOfCurrentException();
    try {
        const std::string text = WithClosingPeriod(MessageOfCurrentException());
        if (runReport && !runReport->Error(id, text)) {
            Terminate();  // nobody could answer the box: the run ends with exit code 1
            return;
        }
        ThreadWindowsDisabled others;
        MessageBoxA(GetActiveWindow(), text.c_str(), Title, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Out of memory while reporting: nothing better is left than going on.
    }
}

void HandleWindowException(HWND window, UINT message, WPARAM wParam) noexcept
{
    if (!OutsideACommand(message) || applicationWindow == nullptr) {
        HandleException();
        return;
    }
    if (message == WM_TIMER) KillTimer(window, wParam);
    if (message == WM_PAINT) ValidateRect(window, nullptr);  // or WM_PAINT comes again at once
    if (GetCapture() == window) ReleaseCapture();
    if (pendingError || pendingErrorPosted) return;  // one box for the failures until it shows
    pendingError = std::current_exception();
    pendingErrorPosted = PostMessageA(applicationWindow, kShowPendingError, 0, 0) != FALSE;
    if (!pendingErrorPosted) pendingError = nullptr;
}

}  // namespace Application

namespace {
thread_local int modalDepth = 0;
}  // namespace

ThreadWindowsDisabled::ThreadWindowsDisabled() : active_(GetActiveWindow()), focus_(GetFocus())
{
    Callbacks::ForEachThreadWindow(GetCurrentThreadId(), DisableIfActive, reinterpret_cast<LPARAM>(&disabled_));
    ++modalDepth;
}

bool ThreadWindowsDisabled::Active() noexcept { return modalDepth > 0; }

ThreadWindowsDisabled::~ThreadWindowsDisabled()
{
    --modalDepth;
    for (HWND window : disabled_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    if (active_ && IsWindow(active_)) SetActiveWindow(active_);
    if (focus_ && IsWindow(focus_)) SetFocus(focus_);
}

// The application's end request and its top-level handler of errors.
#include "application_win.h"

#include <string>

#include "../errors.h"
#include "../survey/drive_queries_win.h"
#include "../survey/float_setting.h"
#include "../survey/number_format.h"
#include "error_text.h"

namespace {

bool startupFailed = false;

BOOL CALLBACK DisableIfActive(HWND window, LPARAM list)
{
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        EnableWindow(window, FALSE);
    }
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
    EstablishFloatSetting();
    // A drive without a medium (some card readers report themselves as fixed disks)
    // must never stop an unattended run with a box asking for a disk: its queries
    // just fail and give the texts of a failed query.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    LoadNumberSettings();
    ResolveDiskFreeSpaceQuery();
}

void Terminate() noexcept
{
    PostQuitMessage(0);
}

void HandleException() noexcept
{
    try {
        const std::string text = WithClosingPeriod(MessageOfCurrentException());
        ThreadWindowsDisabled others;
        MessageBoxA(GetActiveWindow(), text.c_str(), Title, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Out of memory while reporting: nothing better is left than going on.
    }
}

void MarkStartupFailed() noexcept
{
    startupFailed = true;
}

int ExitCode() noexcept
{
    return startupFailed ? 1 : 0;
}

}  // namespace Application

ThreadWindowsDisabled::ThreadWindowsDisabled() : active_(GetActiveWindow()), focus_(GetFocus())
{
    EnumThreadWindows(GetCurrentThreadId(), DisableIfActive, reinterpret_cast<LPARAM>(&disabled_));
}

ThreadWindowsDisabled::~ThreadWindowsDisabled()
{
    for (HWND window : disabled_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    if (active_ && IsWindow(active_)) SetActiveWindow(active_);
    if (focus_ && IsWindow(focus_)) SetFocus(focus_);
}

// GetSaveFileNameA for Save1, and the hook that places the dialog on its monitor.
#include "save_dialog_win.h"

#include <commdlg.h>

#include "../late_bound_win.h"
#include "application_win.h"
#include "save_dialog.h"

namespace {

// OPENFILENAMEA with the extra flags word is known from Windows 2000 and Windows ME on;
// older systems reject a structure of that size.
DWORD StructureSize()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    const bool extended = version.dwPlatformId == VER_PLATFORM_WIN32_NT
                              ? version.dwMajorVersion >= 5
                              : (version.dwMajorVersion > 4 || version.dwMinorVersion >= 90);
    return extended ? sizeof(OPENFILENAMEA) : OPENFILENAME_SIZE_VERSION_400A;
}

BOOL CALLBACK FirstMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) noexcept
{
    *reinterpret_cast<HMONITOR*>(found) = monitor;
    return FALSE;
}

Rect MonitorRect(HWND placementWindow)
{
    HMONITOR monitor = nullptr;
    if (placementWindow != nullptr)
        monitor = MonitorFromWindow(placementWindow, MONITOR_DEFAULTTONEAREST);
    else
        Callbacks::ForEachMonitor(FirstMonitor, reinterpret_cast<LPARAM>(&monitor));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoA(monitor, &info))
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

// The Explorer-style hook is a child dialog of the real one: CDN_INITDONE arrives once
// the dialog has its final size, just before it is shown, with the request that carries
// the window whose monitor the dialog goes on. A dialog of an unattended start (/automatik)
// must not wait behind the windows the user works at: it comes to the front, or its
// task-bar button flashes.
UINT_PTR CALLBACK PlacementHook(HWND child, UINT message, WPARAM, LPARAM lParam) noexcept
{
    if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->code != CDN_INITDONE) return 0;
    HWND dialog = GetParent(child);
    RECT rect{};
    GetWindowRect(dialog, &rect);
    const auto placementWindow = reinterpret_cast<HWND>(reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN->lCustData);
    const Point at = DialogPosition(MonitorRect(placementWindow), rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Application::BringToFront(dialog);
    return 0;
}

}  // namespace

bool SaveDialog::Execute(HWND owner, HWND placementWindow)
{
    const std::string filter = ZeroSeparatedFilter(Filter);
    std::vector<char> file = FileBuffer(FileName);
    OPENFILENAMEA request{};
    request.lStructSize = StructureSize();
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = static_cast<DWORD>(FilterIndex);
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(kFileBufferSize);
    // No folder and no title of our own: the platform chooses the folder and uses its own
    // title for a save dialog, which an empty text would replace.
    request.lpstrInitialDir = nullptr;
    request.lpstrTitle = nullptr;
    request.Flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
    request.lpstrDefExt = DefaultExt.c_str();
    Callbacks::SetHook(request, PlacementHook);
    request.lCustData = reinterpret_cast<LPARAM>(placementWindow);

    // Without the dialog's library there is no dialog: the same as a cancelled one.
    static const auto getSaveFileName = LateBound<decltype(&GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
    if (getSaveFileName == nullptr) return false;
    BOOL confirmed = FALSE;
    {
        ThreadWindowsDisabled others;
        confirmed = getSaveFileName(&request);
    }
    if (!confirmed) return false;
    FileName.assign(file.data());
    FilterIndex = static_cast<int>(request.nFilterIndex);
    return true;
}

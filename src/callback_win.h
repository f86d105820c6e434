// The only way callbacks are handed to Windows: through types that carry noexcept.
//
// Windows calls them from its own frames. The shipped i686 build unwinds C++ exceptions
// with DWARF tables and cannot unwind through those frames: an exception that leaves a
// callback ends the process ("terminate called after throwing"), while the x86_64 build's
// table-based unwinding would carry it on, so a test run of that build alone would never
// show it. Since C++17 noexcept is part of a function's type, and a function without it
// does not convert to the types below: such a callback does not compile. Every Windows
// target of the project includes this header first (a compile option), and after it the
// raw ways of handing over a callback are poisoned.
#pragma once

#include <windows.h>

// Every system header that declares a poisoned name comes before the poison.
#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#include <shlobj.h>

using WindowProcedure = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM) noexcept;
using DialogHook = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM) noexcept;
using BrowseCallback = int(CALLBACK*)(HWND, UINT, LPARAM, LPARAM) noexcept;
using WindowVisitor = BOOL(CALLBACK*)(HWND, LPARAM) noexcept;
using MonitorVisitor = BOOL(CALLBACK*)(HMONITOR, HDC, LPRECT, LPARAM) noexcept;
using WinEventProcedure = void(CALLBACK*)(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept;

namespace Callbacks {

inline void SetWindowProcedure(WNDCLASSEXA& windowClass, WindowProcedure procedure) noexcept
{
    windowClass.lpfnWndProc = procedure;
}
inline bool HasWindowProcedure(const WNDCLASSEXA& windowClass, WindowProcedure procedure) noexcept
{
    return windowClass.lpfnWndProc == procedure;
}
inline void SetHook(OPENFILENAMEA& request, DialogHook hook) noexcept { request.lpfnHook = hook; }
inline void SetCallback(BROWSEINFOA& request, BrowseCallback callback) noexcept { request.lpfn = callback; }

inline BOOL ForEachThreadWindow(DWORD thread, WindowVisitor visit, LPARAM data) noexcept
{
    return EnumThreadWindows(thread, visit, data);
}
inline BOOL ForEachChildWindow(HWND parent, WindowVisitor visit, LPARAM data) noexcept
{
    return EnumChildWindows(parent, visit, data);
}
inline BOOL ForEachMonitor(MonitorVisitor visit, LPARAM data) noexcept
{
    return EnumDisplayMonitors(nullptr, nullptr, visit, data);
}
// An in-context hook (WINEVENT_INCONTEXT) names the module that holds its procedure.
inline HWINEVENTHOOK HookWinEvents(DWORD first, DWORD last, WinEventProcedure procedure, DWORD process, DWORD flags,
                                   HMODULE module = nullptr) noexcept
{
    return SetWinEventHook(first, last, module, procedure, process, 0, flags);
}

// COM methods are called through the object's table, not handed over one by one: a class
// states that all of its methods carry noexcept, and the compiler checks it, e.g.
//   static_assert(Callbacks::kAllNoexcept<&Object::QueryInterface, &Object::AddRef, ...>);
// The calling convention is part of the pattern: i686 keeps __stdcall in the type.
template <typename Method>
inline constexpr bool kNoexceptMethod = false;
template <typename Result, typename Class, typename... Arguments>
inline constexpr bool kNoexceptMethod<Result (STDMETHODCALLTYPE Class::*)(Arguments...) noexcept> = true;
template <auto... Methods>
inline constexpr bool kAllNoexcept = (kNoexceptMethod<decltype(Methods)> && ...);

}  // namespace Callbacks

#pragma GCC poison lpfnWndProc lpfnHook lpfn EnumThreadWindows EnumChildWindows EnumWindows EnumDisplayMonitors
#pragma GCC poison SetWinEventHook SetWindowsHookExA SetWindowsHookExW DialogBoxParamA CreateDialogParamA

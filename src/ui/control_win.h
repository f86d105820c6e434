// The window procedure shared by the program's own controls, whose state lives with
// their window.
#pragma once

#include <windows.h>

#include "../app/application_win.h"

// The state of a control's window, or null before WM_NCCREATE and after WM_NCDESTROY.
template <typename State>
State* ControlState(HWND window) noexcept
{
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// WM_NCCREATE makes the State (constructed from the window and its CREATESTRUCTA) and the
// window owns it until WM_NCDESTROY; every message in between goes to Handle. No exception
// may unwind through user32's frames: one that leaves Handle is reported here.
template <typename State, LRESULT (*Handle)(State&, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        if (message == WM_NCCREATE) {
            // When creation fails from here on, WM_NCDESTROY still comes and frees it.
            auto* state = new State(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        }
        auto* state = ControlState<State>(window);
        if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            delete state;
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return Handle(*state, message, wParam, lParam);
    } catch (...) {
        Application::HandleException();
        return 0;  // to WM_NCCREATE, FALSE: without its state the window is not made
    }
}

// Registers a control's class, with the arrow cursor and the given background brush
// (none: the control paints every pixel itself).
template <typename State, LRESULT (*Handle)(State&, UINT, WPARAM, LPARAM)>
void RegisterControlClass(HINSTANCE instance, const char* className, HBRUSH background = nullptr)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ControlWindowProc<State, Handle>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

// A control as a child of `parent`, with `id` as its child identifier.
inline HWND CreateControl(const char* className, DWORD style, SIZE size, HWND parent, int id, void* createParam)
{
    return CreateWindowExA(0, className, "", style, 0, 0, size.cx, size.cy, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), createParam);
}

// The one binding of a window to its object, shared by the program's own controls, whose
// state lives with their window, and the main form, which lives on its own.
#pragma once

#include <windows.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "application_win.h"

// A window's text (a caption, a control's text), whatever its length.
inline std::string WindowText(HWND window)
{
    std::string text(static_cast<std::size_t>(std::max(0, GetWindowTextLengthA(window))) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(std::max(0, GetWindowTextA(window, text.data(), static_cast<int>(text.size())))));
    return text;
}

// The object bound to a window, or null before WM_NCCREATE and after WM_NCDESTROY.
template <typename State>
State* ControlState(HWND window) noexcept
{
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// A control's state: made at WM_NCCREATE from the window and its CREATESTRUCTA, owned by
// the window until WM_NCDESTROY.
template <typename State>
struct OwnedState {
    static State* Bind(HWND window, const CREATESTRUCTA& create) { return new State(window, create); }
    static void Unbind(State* state) noexcept { delete state; }
};

// An object that outlives its window (the main form): handed over as the creation
// parameter, told its window at WM_NCCREATE and that the window is gone at WM_NCDESTROY.
template <typename Object>
struct BorrowedObject {
    static Object* Bind(HWND window, const CREATESTRUCTA& create) noexcept
    {
        auto* object = static_cast<Object*>(create.lpCreateParams);
        object->WindowCreated(window);
        return object;
    }
    static void Unbind(Object* object) noexcept { object->WindowDestroyed(); }
};

// The error that ended a window's creation inside its window procedure, kept for the code
// that called CreateWindowExA: it raises it there, so the one failure is reported once, in
// the frame that can tell what it meant.
inline std::exception_ptr& CreationFailure() noexcept
{
    static std::exception_ptr failure;
    return failure;
}

// After CreateWindowExA gave no window: the error that ended the creation, or `otherwise`.
[[noreturn]] inline void RaiseCreationFailure(const char* otherwise)
{
    if (std::exception_ptr failure = std::exchange(CreationFailure(), nullptr)) std::rethrow_exception(failure);
    throw std::runtime_error(otherwise);
}

// Every message between WM_NCCREATE and WM_NCDESTROY goes to Handle. No exception may
// unwind through user32's frames: one that leaves Handle is reported here (its box comes
// later where the message was a tick, a paint or a mouse move), and one that ends the
// window's creation is kept for its creator (CreationFailure).
template <typename State, LRESULT (*Handle)(State&, UINT, WPARAM, LPARAM), typename Binding = OwnedState<State>>
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        if (message == WM_NCCREATE) {
            // When creation fails from here on, WM_NCDESTROY still comes and unbinds it.
            State* state = Binding::Bind(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        }
        auto* state = ControlState<State>(window);
        if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            Binding::Unbind(state);
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return Handle(*state, message, wParam, lParam);
    } catch (...) {
        if (message == WM_NCCREATE || message == WM_CREATE) {
            CreationFailure() = std::current_exception();
            return message == WM_CREATE ? -1 : FALSE;  // the window is not made
        }
        Application::HandleWindowException(window, message, wParam);
        return 0;
    }
}

// Registers a control's class, with the arrow cursor and the given background brush
// (none: the control paints every pixel itself).
template <typename State, LRESULT (*Handle)(State&, UINT, WPARAM, LPARAM)>
void RegisterControlClass(HINSTANCE instance, const char* className, HBRUSH background = nullptr)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    Application::RegisterWindowClass(windowClass, ControlWindowProc<State, Handle>);
}

// A control as a child of `parent`, with `id` as its child identifier; a control that
// cannot be made ends the form's construction.
inline HWND CreateControl(const char* className, DWORD style, SIZE size, HWND parent, int id, void* createParam)
{
    CreationFailure() = nullptr;
    HWND control = CreateWindowExA(0, className, "", style, 0, 0, size.cx, size.cy, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), createParam);
    if (control == nullptr) RaiseCreationFailure("Ein Steuerelement des Hauptfensters konnte nicht erzeugt werden");
    return control;
}

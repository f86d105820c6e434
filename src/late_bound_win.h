// A function of a system library resolved by name at run time: one that older Windows
// versions lack, or one of the dialogs' libraries (comdlg32, shell32, ole32), which are
// loaded only when a dialog is shown: an unattended run, which shows none, does not pay
// for loading them at start.
#pragma once

#include <windows.h>

#include <string>

// Loads a library from the system folder by its full path: a bare name would let a DLL of
// that name beside the exe (in a Downloads folder, say) be loaded instead.
inline HMODULE LoadSystemLibrary(const char* library) noexcept
{
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    try {
        return LoadLibraryA((std::string(folder, length) + '\\' + library).c_str());
    } catch (...) {
        return nullptr;
    }
}

template <typename Function>
Function LateBound(const char* library, const char* name) noexcept
{
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) module = LoadSystemLibrary(library);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

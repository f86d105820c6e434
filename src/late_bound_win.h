// A function of a system library resolved by name at run time: one that older Windows
// versions lack, or one of the libraries of the dialogs (comdlg32, shell32, ole32) and of
// accessibility clients (oleacc, oleaut32), which are loaded only when a dialog is shown or
// a client asks: an unattended run, which needs neither, does not pay for loading them.
#pragma once

#include <windows.h>

#include <string>

// LOAD_LIBRARY_SEARCH_SYSTEM32, which the headers at the level of Windows XP lack.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

// Loads a library from the system folder only: a bare name on the default search path would
// let a DLL of that name beside the exe (in a Downloads folder, say) be loaded instead. The
// name with LOAD_LIBRARY_SEARCH_SYSTEM32 still goes through the activation context, so
// comctl32 comes in the version the manifest asks for; where that flag is unknown (Vista and
// 7 without the loader update), the full path.
inline HMODULE LoadSystemLibrary(const char* library) noexcept
{
    if (HMODULE module = LoadLibraryExA(library, nullptr, kLoadLibrarySearchSystem32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
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

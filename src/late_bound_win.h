// A function of a system library resolved when it is first needed. The dialogs' libraries
// (comdlg32, shell32, ole32) are loaded only when a dialog is shown: an unattended run,
// which shows none, does not pay for loading them at start.
#pragma once

#include <windows.h>

template <typename Function>
Function LateBound(const char* library, const char* name) noexcept
{
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) module = LoadLibraryA(library);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A DLL planted beside the program under the name of a system DLL: loaded, it notes its
// path in C:\planted.txt, as an attacker's code would run there, and whether the loader
// brought it in while the process started (a static import) or later, on request.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, name, MAX_PATH);
    HANDLE mark = CreateFileA("C:\\planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return TRUE;
    const char* when = reserved != nullptr ? " at start\r\n" : " later\r\n";
    DWORD written = 0;
    WriteFile(mark, name, length, &written, nullptr);
    WriteFile(mark, when, lstrlenA(when), &written, nullptr);
    CloseHandle(mark);
    return TRUE;
}

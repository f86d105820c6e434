// A DLL planted beside the program under the name of a system DLL: loaded, it notes its
// name in C:\planted.txt, as an attacker's code would run there.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, name, MAX_PATH);
    HANDLE mark = CreateFileA("C:\\planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    WriteFile(mark, name, length, &written, nullptr);
    WriteFile(mark, "\r\n", 2, &written, nullptr);
    CloseHandle(mark);
    return TRUE;
}

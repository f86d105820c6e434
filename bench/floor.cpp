// The floor of scripts/bench: the Windows calls that an unattended "merovant.exe /mb FILE"
// makes, with none of its logic. Computer name, the type of C: to Z:, volume information
// and disk space of the fixed and network drives, one window shown (without activating it,
// as an unattended run shows its window), one file written, the quit request the message
// loop takes, and the window destroyed at the end as any program does. Usage: floor.exe FILE
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR fileName, int)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Floor";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "Floor", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 580, 165, nullptr, nullptr, instance, nullptr);

    char text[8192];
    int used = 0;
    char name[128] = {};
    DWORD nameSize = sizeof name;
    GetComputerNameA(name, &nameSize);
    used += std::snprintf(text + used, sizeof text - used, "%s\r\n", name);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        const UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE) continue;
        char label[256] = {}, fileSystem[256] = {};
        DWORD serial = 0, maxComponentLength = 0, flags = 0;
        GetVolumeInformationA(root, label, sizeof label, &serial, &maxComponentLength, &flags, fileSystem,
                              sizeof fileSystem);
        ULARGE_INTEGER available{}, total{}, free{};
        GetDiskFreeSpaceExA(root, &available, &total, &free);
        used += std::snprintf(text + used, sizeof text - used, "%s\t%s\t%lu\t%llu\t%llu\t%s\r\n", root, label, serial,
                              total.QuadPart, available.QuadPart, fileSystem);
    }

    HANDLE file =
        CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(used), &written, nullptr);
    CloseHandle(file);

    PostQuitMessage(0);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}

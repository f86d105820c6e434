// The floors of scripts/bench: the Windows calls that an unattended "merovant.exe /mb FILE"
// makes, with none of its logic. Computer name, the type of C: to Z:, volume information
// and disk space of the fixed and network drives, one file written, a window shown
// (without activating it, as an unattended run shows its window), the quit request the
// message loop takes, and the window destroyed at the end as any program does.
// floor.exe shows one bare window and draws it. floorwin.exe (built with FLOOR_WINDOW) shows
// the window the program has to show: its hidden owner that carries the task-bar entry, the
// menu bar, and the grid and the status bar as empty child windows, all in the sizes the
// program gives them for the listed drives; no table, no text, and, like the program's
// ending run, no paint. Usage: floor.exe FILE, floorwin.exe FILE
#include <windows.h>

#include <cstdio>
#include <numeric>

#include "survey/drive_survey.h"
#include "ui/form_design.h"

#ifndef FLOOR_WINDOW
#define FLOOR_WINDOW 0
#endif

namespace {

constexpr bool kSpecifiedWindow = FLOOR_WINDOW != 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterFloorClass(HINSTANCE instance, const char* name)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

// The program's menu: its two menus with their items (an empty caption is a separator).
HMENU MenuBar()
{
    const char* const menus[][6] = {
        {"&Datei", "&Aktualisieren\tF5", "&Export...", "", "&Beenden\tAlt+F4", nullptr},
        {"&Optionen", "&Nur lokale Festplatten", "Anzeige in &Mbytes", "", "&Daily-Logpfad", "&Kurzer Export"},
    };
    HMENU bar = CreateMenu();
    UINT id = 1;
    for (const auto& items : menus) {
        HMENU menu = CreatePopupMenu();
        for (int i = 1; i < 6 && items[i] != nullptr; ++i)
            AppendMenuA(menu, *items[i] ? MF_STRING : MF_SEPARATOR, id++, *items[i] ? items[i] : nullptr);
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), items[0]);
    }
    return bar;
}

// The window of a run that lists `rows` - 1 drives, centred, with its owner shown first.
HWND SpecifiedWindow(HINSTANCE instance, int rows)
{
    for (const char* name : {"FloorOwner", "Floor", "FloorGrid", "FloorStatus"}) RegisterFloorClass(instance, name);
    const int columns = std::accumulate(ColumnWidths.begin(), ColumnWidths.end(), 0);
    const int gridHeight = rows * Design::GridHeightPerRow;
    const int width = columns + Design::FormWidthBeyondColumns, height = gridHeight + Design::FormHeightBeyondGrid;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HWND owner = CreateWindowExA(0, "FloorOwner", "Merovant", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, left,
                                 top, 0, 0, nullptr, nullptr, instance, nullptr);
    HWND window = CreateWindowExA(0, "Floor", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, left,
                                  top, width, height, owner, MenuBar(), instance, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    CreateWindowExA(0, "FloorGrid", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0,
                    columns + Design::GridWidthBeyondColumns, gridHeight, window, nullptr, instance, nullptr);
    CreateWindowExA(0, "FloorStatus", "", WS_CHILD | WS_VISIBLE, 0, client.bottom - Design::StatusBarHeight,
                    client.right, Design::StatusBarHeight, window, nullptr, instance, nullptr);
    ShowWindow(owner, SW_SHOWNOACTIVATE);
    return window;
}

HWND BareWindow(HINSTANCE instance)
{
    RegisterFloorClass(instance, "Floor");
    return CreateWindowExA(0, "Floor", "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                           580, 165, nullptr, nullptr, instance, nullptr);
}

bool Listed(UINT type)
{
    return type == DRIVE_REMOVABLE || type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_CDROM ||
           type == DRIVE_RAMDISK;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR fileName, int)
{
    // The bare floor's window comes first, as it always has; floorwin's is sized to the
    // table, as the program's is, and so follows the survey.
    HWND window = kSpecifiedWindow ? nullptr : BareWindow(instance);
    char text[8192];
    int used = 0, listed = 0;
    char name[128] = {};
    DWORD nameSize = sizeof name;
    GetComputerNameA(name, &nameSize);
    used += std::snprintf(text + used, sizeof text - used, "%s\r\n", name);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', '\0'};
        const UINT type = GetDriveTypeA(root);
        listed += Listed(type) ? 1 : 0;
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
    if (kSpecifiedWindow) window = SpecifiedWindow(instance, listed + 1);

    HANDLE file =
        CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(used), &written, nullptr);
    CloseHandle(file);

    PostQuitMessage(0);
    ShowWindow(window, SW_SHOWNA);
    // The program's ending run takes its quit request before any paint, and so does
    // floorwin; the bare floor draws its window, as it always has.
    if (!kSpecifiedWindow) UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
}

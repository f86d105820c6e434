// A helper that Wine tests run beside merovant.exe in the same prefix: it reads and
// answers the program's message boxes, closes its window and holds files open.
//   probe messagebox CAPTION   prints the box's text, then presses OK (CAPTION * : any dialog)
//   probe command CLASS ID     sends the window of that class the menu command ID
//   probe close CLASS          sends the window of that class its close command
//   probe hold FILE SECONDS    opens FILE without any sharing, prints "held", waits
//   probe ready                makes sure the prefix's desktop exists, then ends
//   probe regvalue KEY NAME    prints a value under HKEY_CURRENT_USER as "TYPE HEXBYTES"
//   probe eventtext EXE ID [STRING...]
//                              prints the text of a message id (decimal or 0x...) from EXE's
//                              message table, with the insertion strings given
//   probe accessible CLASS     prints what an accessibility client reads from the first
//                              child window of that class in the program's window: role,
//                              item count, then each item's role and name, a line each
//   probe hidden SECONDS EXE [ARGS...]
//                              runs EXE on a desktop of a window station nobody sees, as
//                              a scheduled task that runs whether the user is logged on or
//                              not; exits with its exit code, or kills it after SECONDS
//                              and exits with 124
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 30000;

HWND WaitForWindow(const char* className, const char* caption)
{
    for (DWORD waited = 0; waited < kTimeoutMs; waited += 100) {
        HWND window = FindWindowA(className, caption);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM text)
{
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char buffer[1024] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (buffer[0] != '\0') *reinterpret_cast<std::string*>(text) += buffer;
    }
    return TRUE;
}

int AnswerMessageBox(const char* caption)
{
    HWND box = WaitForWindow("#32770", std::strcmp(caption, "*") == 0 ? nullptr : caption);
    if (box == nullptr) {
        std::fprintf(stderr, "probe: no message box \"%s\"\n", caption);
        return 2;
    }
    std::string text;
    EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
    DWORD style = GetWindowLongA(box, GWL_STYLE);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    std::fprintf(stderr, "probe: box style %08lx\n", style);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

int PostToWindowOfClass(const char* className, UINT message, WPARAM wParam)
{
    HWND window = WaitForWindow(className, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "probe: no window of class %s\n", className);
        return 2;
    }
    PostMessageA(window, message, wParam, 0);
    return 0;
}

int HoldFile(const char* name, int seconds)
{
    HANDLE file =
        CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "probe: cannot open %s (%lu)\n", name, GetLastError());
        return 2;
    }
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(file);
    return 0;
}

int PrintRegistryValue(const char* keyPath, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::puts("no key");
        return 0;
    }
    unsigned char data[4096] = {};
    DWORD type = 0, size = sizeof data;
    const LONG status = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        std::puts("no value");
        return 0;
    }
    std::printf("%lu ", type);
    for (DWORD i = 0; i < size; ++i) std::printf("%02X", data[i]);
    std::puts("");
    return 0;
}

// With insertion strings, the text as the Event Viewer shows the event; without, the
// message as it stands, its inserts (%1 ...) unchanged.
int PrintEventText(const char* exe, unsigned long id, char** strings, int count)
{
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char* text = nullptr;
    const DWORD inserts = count > 0 ? FORMAT_MESSAGE_ARGUMENT_ARRAY : FORMAT_MESSAGE_IGNORE_INSERTS;
    if (module == nullptr ||
        !FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | inserts, module, id, 0,
                        reinterpret_cast<char*>(&text), 0, reinterpret_cast<va_list*>(strings))) {
        std::fprintf(stderr, "probe: no text for event %lu in %s (%lu)\n", id, exe, GetLastError());
        return 2;
    }
    std::fputs(text, stdout);
    LocalFree(text);
    FreeLibrary(module);
    return 0;
}

// The arguments as one command line, each quoted where it holds a blank or is empty.
std::string CommandLineOf(int argc, char** argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!line.empty()) line += ' ';
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
    }
    return line;
}

int RunOnHiddenDesktop(int seconds, int argc, char** argv)
{
    HWINSTA ownStation = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("MerovantHidden", 0, WINSTA_ALL_ACCESS, nullptr);
    if (station == nullptr || !SetProcessWindowStation(station)) {
        std::fprintf(stderr, "probe: no window station (%lu)\n", GetLastError());
        return 2;
    }
    HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(ownStation);
    if (desktop == nullptr) {
        std::fprintf(stderr, "probe: no desktop (%lu)\n", GetLastError());
        return 2;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char desktopName[] = "MerovantHidden\\Default";
    startup.lpDesktop = desktopName;
    std::string commandLine = CommandLineOf(argc, argv);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "probe: cannot start %s (%lu)\n", commandLine.c_str(), GetLastError());
        return 2;
    }
    CloseHandle(process.hThread);
    DWORD exitCode = 124;
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        std::fprintf(stderr, "probe: %s still running after %d s\n", commandLine.c_str(), seconds);
        TerminateProcess(process.hProcess, 124);
    }
    CloseHandle(process.hProcess);
    CloseDesktop(desktop);
    CloseWindowStation(station);
    return static_cast<int>(exitCode);
}

// Another process reading the program's control through oleacc, as a screen reader does.
int PrintAccessible(const char* className)
{
    HWND form = WaitForWindow("TFMain", nullptr);
    HWND control = form ? FindWindowExA(form, nullptr, className, nullptr) : nullptr;
    if (control == nullptr) return 1;
    CoInitialize(nullptr);
    IAccessible* object = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&object));
    if (FAILED(found) || object == nullptr) {
        std::fprintf(stderr, "probe: AccessibleObjectFromWindow: 0x%08lx\n", static_cast<unsigned long>(found));
        return 1;
    }
    long count = 0;
    object->get_accChildCount(&count);
    for (long child = 0; child <= count; ++child) {
        VARIANT id{};
        id.vt = VT_I4;
        id.lVal = child;
        VARIANT role{};
        object->get_accRole(id, &role);
        BSTR name = nullptr;
        object->get_accName(id, &name);
        char text[1024] = {};
        if (name != nullptr) WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, nullptr, nullptr);
        SysFreeString(name);
        if (child == 0)
            std::printf("%ld %ld\n", role.lVal, count);
        else
            std::printf("%ld %s\n", role.lVal, text);
    }
    object->Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 3 && std::strcmp(argv[1], "messagebox") == 0) return AnswerMessageBox(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) return PostToWindowOfClass(argv[2], WM_CLOSE, 0);
    if (argc == 4 && std::strcmp(argv[1], "command") == 0)
        return PostToWindowOfClass(argv[2], WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[3])));
    if (argc == 4 && std::strcmp(argv[1], "regvalue") == 0) return PrintRegistryValue(argv[2], argv[3]);
    if (argc == 2 && std::strcmp(argv[1], "ready") == 0) return GetDesktopWindow() != nullptr ? 0 : 2;
    if (argc == 4 && std::strcmp(argv[1], "hold") == 0) return HoldFile(argv[2], std::atoi(argv[3]));
    if (argc >= 4 && std::strcmp(argv[1], "eventtext") == 0)
        return PrintEventText(argv[2], std::strtoul(argv[3], nullptr, 0), argv + 4, argc - 4);
    if (argc == 3 && std::strcmp(argv[1], "accessible") == 0) return PrintAccessible(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "hidden") == 0)
        return RunOnHiddenDesktop(std::atoi(argv[2]), argc - 3, argv + 3);
    std::fputs("usage: probe messagebox CAPTION | close CLASS | command CLASS ID | hold FILE SECONDS | ready | "
               "regvalue KEY NAME\n"
               "       | eventtext EXE ID | accessible CLASS | hidden SECONDS EXE [ARGS...]\n",
               stderr);
    return 2;
}

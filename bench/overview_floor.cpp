// The floor of scripts/bench's overview case: the Windows calls merovant-uebersicht.exe makes
// to list a collecting folder and read every file in it (FindFirstFileA, FindNextFileA,
// CreateFileA, one ReadFile of up to 64 KiB + 1, CloseHandle), and nothing else.
//   overview_floor.exe FOLDER
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 1;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::string buffer(64 * 1024 + 1, '\0');
    unsigned long long bytes = 0;
    for (const std::string& name : names) {
        const HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD read = 0;
        if (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) bytes += read;
        CloseHandle(file);
    }
    std::printf("%u files, %llu bytes\n", static_cast<unsigned>(names.size()), bytes);
    return 0;
}

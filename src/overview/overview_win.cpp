// The Win32 side of the overview: listing, reading, replacing files, the console.
#include "overview_win.h"

#include <utility>

#include "../unique_handle.h"

namespace {

using FileHandle = UniqueHandle<HANDLE, &CloseHandle>;  // never INVALID_HANDLE_VALUE: checked first
using FindHandle = UniqueHandle<HANDLE, &FindClose>;

constexpr DWORD kProgressIntervalMs = 250;

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// The folder must exist: a missing folder is an error, never an empty fleet. A file in its
// place is one too (ERROR_DIRECTORY).
DWORD FolderError(const std::string& folder)
{
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

void WriteText(HANDLE handle, const std::string& text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD written = 0;
    if (IsConsole(handle)) {
        const int length = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

// Newlines as the console and Notepad expect them.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Writes the whole file; on any failure the temporary file is deleted again.
DWORD WriteTemporary(const std::string& path, std::string_view bytes)
{
    const HANDLE created =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return GetLastError();
    FileHandle file(created);
    DWORD error = ERROR_SUCCESS;
    while (!bytes.empty() && error == ERROR_SUCCESS) {
        DWORD written = 0;
        const auto part = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(file.get(), bytes.data(), part, &written, nullptr))
            error = GetLastError();
        else
            bytes.remove_prefix(written);
    }
    if (error == ERROR_SUCCESS && !CloseHandle(file.release())) error = GetLastError();
    file.reset();
    if (error != ERROR_SUCCESS) DeleteFileA(path.c_str());
    return error;
}

}  // namespace

std::string PathIn(const std::string& folder, std::string_view name)
{
    const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return folder + (separated ? "" : "\\") + std::string(name);
}

DayNumber LocalToday()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return DayOf({now.wYear, now.wMonth, now.wDay}).value_or(0);
}

unsigned WindowsLogFolder::List(const std::function<void(std::string_view name, std::uint64_t size)>& found)
{
    if (const DWORD error = FolderError(folder_); error != ERROR_SUCCESS) return error;
    WIN32_FIND_DATAA entry{};
    const HANDLE first = FindFirstFileA(PathIn(folder_, "*").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;  // the root of an empty drive
    }
    FindHandle search(first);
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
        found(entry.cFileName, size);
    } while (FindNextFileA(search.get(), &entry));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
}

bool WindowsLogFolder::Read(const std::string& name, std::size_t limit, std::string& contents)
{
    // Shared for everything: a PC that writes its log right now must not fail, nor be held up.
    const HANDLE opened =
        CreateFileA(PathIn(folder_, name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    FileHandle file(opened);
    contents.resize(limit);
    DWORD read = 0;
    // One call: a disk file gives all it has up to the limit; a log that is cut short by a
    // short read does not parse and shows as unreadable.
    if (!ReadFile(file.get(), contents.data(), static_cast<DWORD>(limit), &read, nullptr)) return false;
    contents.resize(read);
    return true;
}

unsigned WindowsTargetFolder::ReplaceAll(const std::vector<OutputFileContents>& files)
{
    if (const DWORD error = FolderError(folder_); error != ERROR_SUCCESS) return error;
    const std::string suffix = "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    std::vector<std::string> written;
    const auto removeWritten = [&](std::size_t from) {
        for (std::size_t i = from; i < written.size(); ++i) DeleteFileA(written[i].c_str());
    };
    for (const OutputFileContents& file : files) {
        const std::string temporary = PathIn(folder_, file.name) + suffix;
        if (const DWORD error = WriteTemporary(temporary, file.bytes); error != ERROR_SUCCESS) {
            removeWritten(0);
            return error;
        }
        written.push_back(temporary);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!MoveFileExA(written[i].c_str(), PathIn(folder_, files[i].name).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            removeWritten(i);
            return error;
        }
    }
    return ERROR_SUCCESS;
}

WindowsConsole::WindowsConsole()
    : output_(GetStdHandle(STD_OUTPUT_HANDLE)), error_(GetStdHandle(STD_ERROR_HANDLE)),
      errorIsConsole_(IsConsole(error_)), started_(GetTickCount())
{
}

void WindowsConsole::FileRead(std::size_t done, std::size_t total)
{
    if (!errorIsConsole_) return;
    const DWORD now = GetTickCount();
    if (now - lastShown_ < kProgressIntervalMs && done != total) return;
    lastShown_ = now;
    const DWORD elapsed = now - started_;
    const std::size_t perSecond = elapsed == 0 ? 0 : done * 1000 / elapsed;
    WriteText(error_, "\r" + std::to_string(done) + " von " + std::to_string(total) + " Tagesprotokollen gelesen, " +
                          std::to_string(perSecond) + " je Sekunde   ");
    progressShown_ = true;
}

void WindowsConsole::EndProgress()
{
    if (!progressShown_) return;
    WriteText(error_, "\r\n");
    progressShown_ = false;
}

void WindowsConsole::Summary(const std::string& line)
{
    EndProgress();
    WriteText(output_, line + "\r\n");
}

void WindowsConsole::Error(const std::string& message)
{
    EndProgress();
    WriteText(error_, WithCrLf(message) + "\r\n");
}

void WindowsConsole::Help(const std::string& text) { WriteText(output_, WithCrLf(text)); }

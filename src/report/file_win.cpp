// CreateFileA, GetFileType, WriteFile and CloseHandle for the export.
#include "file_win.h"

#include <windows.h>

#include "../unique_handle.h"

namespace {

// After a failed write the handle still closes when the file object goes, so the file is
// not held until the program ends; its blocks written so far stay.
class WindowsOutputFile final : public OutputFile {
public:
    explicit WindowsOutputFile(HANDLE handle) : handle_(handle) {}

    FileKind Kind() override
    {
        switch (GetFileType(handle_.get())) {
        case FILE_TYPE_UNKNOWN: return FileKind::Unknown;
        case FILE_TYPE_CHAR: return FileKind::Character;
        default: return FileKind::Other;
        }
    }

    unsigned Write(const char* data, std::size_t size) override
    {
        DWORD written = 0;
        return WriteFile(handle_.get(), data, static_cast<DWORD>(size), &written, nullptr) ? 0 : GetLastError();
    }

    unsigned Close() override { return CloseHandle(handle_.release()) ? 0 : GetLastError(); }

private:
    UniqueHandle<HANDLE, &CloseHandle> handle_;  // never INVALID_HANDLE_VALUE: Create checks
};

}  // namespace

std::unique_ptr<OutputFile> WindowsOutputFiles::Create(const std::string& name, unsigned& errorCode)
{
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errorCode = GetLastError();
        return nullptr;
    }
    return std::make_unique<WindowsOutputFile>(handle);
}

// CreateFileA, GetFileType, WriteFile and CloseHandle for the export.
#include "file_win.h"

#include <windows.h>

namespace {

class WindowsOutputFile final : public OutputFile {
public:
    explicit WindowsOutputFile(HANDLE handle) : handle_(handle) {}
    ~WindowsOutputFile() override
    {
        // After a failed write the file is closed here, so it is not held until the
        // program ends; its blocks written so far stay.
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    WindowsOutputFile(const WindowsOutputFile&) = delete;
    WindowsOutputFile& operator=(const WindowsOutputFile&) = delete;

    FileKind Kind() override
    {
        switch (GetFileType(handle_)) {
        case FILE_TYPE_UNKNOWN: return FileKind::Unknown;
        case FILE_TYPE_CHAR: return FileKind::Character;
        default: return FileKind::Other;
        }
    }

    unsigned Write(const char* data, std::size_t size) override
    {
        DWORD written = 0;
        return WriteFile(handle_, data, static_cast<DWORD>(size), &written, nullptr) ? 0 : GetLastError();
    }

    unsigned Close() override
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) ? 0 : GetLastError();
    }

private:
    HANDLE handle_;
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

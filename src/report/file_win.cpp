// CreateFileA, GetFileType, WriteFile, FlushFileBuffers and CloseHandle for the export.
#include "file_win.h"

#include <windows.h>

#include <utility>

#include "../unique_handle.h"

namespace {

// After a failed write the handle still closes when the file object goes, so the file is
// not held until the program ends; its blocks written so far stay.
class WindowsOutputFile final : public OutputFile {
public:
    using Handle = UniqueHandle<HANDLE, &CloseHandle>;
    explicit WindowsOutputFile(Handle handle) noexcept : handle_(std::move(handle)) {}

    FileKind Kind() override
    {
        switch (GetFileType(handle_.get())) {
        case FILE_TYPE_UNKNOWN: return FileKind::Unknown;
        case FILE_TYPE_CHAR: return FileKind::Character;
        default: return FileKind::Other;
        }
    }

    unsigned Write(const char* data, std::size_t size, std::size_t& written) override
    {
        DWORD taken = 0;
        if (!ExportFileCalls().writeFile(handle_.get(), data, static_cast<DWORD>(size), &taken, nullptr))
            return GetLastError();
        written = taken;
        return 0;
    }

    // Only a disk file has buffers of its own to flush: a character device is written
    // through, and FlushFileBuffers on a pipe would wait until its reader has read everything.
    unsigned Flush() override
    {
        if (GetFileType(handle_.get()) != FILE_TYPE_DISK) return 0;
        return ExportFileCalls().flushFileBuffers(handle_.get()) ? 0 : GetLastError();
    }

    unsigned Close() override { return CloseHandle(handle_.release()) ? 0 : GetLastError(); }

private:
    Handle handle_;  // never INVALID_HANDLE_VALUE: Create checks
};

}  // namespace

FileCalls& ExportFileCalls() noexcept
{
    static FileCalls calls;
    return calls;
}

std::unique_ptr<OutputFile> WindowsOutputFiles::Create(const std::string& name, unsigned& errorCode)
{
    const HANDLE created = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        errorCode = GetLastError();
        return nullptr;
    }
    // Owned before anything else can fail: when making the writer runs out of memory, the
    // file is closed again rather than held until the program ends.
    WindowsOutputFile::Handle handle(created);
    return std::make_unique<WindowsOutputFile>(std::move(handle));
}

// The export's files on Windows.
#pragma once

#include <windows.h>

#include "export.h"

// The calls that put the export's bytes into the file. The tests put failing ones in their
// place to meet what a real network share does: a short write, a flush that fails after
// write-behind.
struct FileCalls {
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = &WriteFile;
    BOOL(WINAPI* flushFileBuffers)(HANDLE) = &FlushFileBuffers;
};
FileCalls& ExportFileCalls() noexcept;  // the process's; the real calls unless a test replaced them

class WindowsOutputFiles final : public OutputFiles {
public:
    std::unique_ptr<OutputFile> Create(const std::string& name, unsigned& errorCode) override;
};

// Export files in memory: every WriteFile call is kept as one block of the bytes it took; a
// creation truncates the file as CREATE_ALWAYS does, keeping only the failures and the
// short writes a test prepared for its name.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "report/export.h"

struct FakeFile {
    FileKind kind = FileKind::Other;
    std::vector<std::string> blocks;
    static constexpr unsigned kWriteError = 112;  // ERROR_DISK_FULL
    unsigned failWriteNumber = 0;  // 1-based write that fails, 0 for none
    std::size_t takenPerWrite = SIZE_MAX;  // the most one write takes, as a share may
    unsigned flushError = 0;
    unsigned closeError = 0;
    bool flushed = false;
    bool closed = false;

    std::string Bytes() const
    {
        std::string all;
        for (const auto& block : blocks) all += block;
        return all;
    }
};

class FakeFiles final : public OutputFiles {
public:
    std::map<std::string, FakeFile> files;
    unsigned createError = 0;
    FileKind nextKind = FileKind::Other;
    int creates = 0;

    std::unique_ptr<OutputFile> Create(const std::string& name, unsigned& errorCode) override
    {
        ++creates;
        if (createError != 0) {
            errorCode = createError;
            return nullptr;
        }
        FakeFile& file = files[name];
        // A new file keeps only the failures the test prepared for that name.
        const FakeFile prepared = file;
        file = FakeFile{};
        file.kind = nextKind;
        file.failWriteNumber = prepared.failWriteNumber;
        file.takenPerWrite = prepared.takenPerWrite;
        file.flushError = prepared.flushError;
        file.closeError = prepared.closeError;
        return std::make_unique<Handle>(file);
    }

private:
    class Handle final : public OutputFile {
    public:
        explicit Handle(FakeFile& file) : file_(file) {}
        FileKind Kind() override { return file_.kind; }
        unsigned Write(const char* data, std::size_t size, std::size_t& written) override
        {
            if (file_.blocks.size() + 1 == file_.failWriteNumber) {
                file_.blocks.emplace_back();  // a failed write puts nothing on disk
                return FakeFile::kWriteError;
            }
            written = std::min(size, file_.takenPerWrite);
            file_.blocks.emplace_back(data, written);
            return 0;
        }
        unsigned Flush() override
        {
            file_.flushed = true;
            return file_.flushError;
        }
        unsigned Close() override
        {
            file_.closed = true;
            return file_.closeError;
        }

    private:
        FakeFile& file_;
    };
};

// Export files in memory: each file created starts empty, as CREATE_ALWAYS truncates.
#pragma once

#include <memory>
#include <string>

#include "report/export.h"

class MemoryFiles final : public OutputFiles {
public:
    std::string bytes;
    std::unique_ptr<OutputFile> Create(const std::string&, unsigned&) override { return std::make_unique<File>(bytes); }

private:
    class File final : public OutputFile {
    public:
        explicit File(std::string& bytes) : bytes_(bytes) { bytes_.clear(); }
        FileKind Kind() override { return FileKind::Other; }
        unsigned Write(const char* data, std::size_t size) override
        {
            bytes_.append(data, size);
            return 0;
        }
        unsigned Close() override { return 0; }

    private:
        std::string& bytes_;
    };
};

// Fuzzes the export of any grid of byte strings, in either layout, through a file whose
// creation, writes and close may fail at any point. What reaches the file must be exactly
// the layout's bytes as far as they were written: a disk file in blocks of 128 bytes and a
// last shorter one at the close, a character device at least at every statement's end.
// A failure raises EInOutError with its code and nothing is written after it.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "errors.h"
#include "fuzz_check.h"
#include "report/export.h"
#include "survey/drive_table.h"

namespace {

struct FileRecord {
    FileKind kind = FileKind::Other;
    unsigned failingWrite = 0;  // 1-based, 0 for none
    unsigned writeError = 0;
    unsigned closeError = 0;
    std::vector<std::string> blocks;  // the successful writes
    int writes = 0;
    int closes = 0;
    bool writtenAfterClose = false;
};

class RecordedFile final : public OutputFile {
public:
    explicit RecordedFile(FileRecord& record) : record_(record) {}
    FileKind Kind() override { return record_.kind; }
    unsigned Write(const char* data, std::size_t size, std::size_t& written) override
    {
        if (record_.closes != 0) record_.writtenAfterClose = true;
        if (static_cast<unsigned>(++record_.writes) == record_.failingWrite) return record_.writeError;
        record_.blocks.emplace_back(data, size);
        written = size;
        return 0;
    }
    unsigned Flush() override { return 0; }
    unsigned Close() override
    {
        ++record_.closes;
        return record_.closeError;
    }

private:
    FileRecord& record_;
};

class RecordedFiles final : public OutputFiles {
public:
    FileRecord record;
    unsigned createError = 0;
    int creates = 0;
    std::unique_ptr<OutputFile> Create(const std::string&, unsigned& errorCode) override
    {
        ++creates;
        errorCode = createError;
        if (createError != 0) return nullptr;
        return std::make_unique<RecordedFile>(record);
    }
};

// The layout's bytes and the offsets where its statements end.
struct Layout {
    std::string bytes;
    std::set<std::size_t> statementEnds;
};

Layout LayoutOf(const std::vector<std::vector<std::string>>& rows, bool shortLayout)
{
    Layout layout;
    for (const auto& cells : rows) {
        if (shortLayout) {
            layout.bytes += cells[0] + " " + cells[4] + " " + cells[5] + "\r\n";
        } else {
            for (const auto& cell : cells) {
                layout.bytes += cell + "\t";
                layout.statementEnds.insert(layout.bytes.size());
            }
            layout.bytes += "\r\n";
        }
        layout.statementEnds.insert(layout.bytes.size());
    }
    return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    RecordedFiles files;
    const bool shortLayout = input.ConsumeBool();
    const bool longName = input.ConsumeIntegralInRange(0, 15) == 0;
    files.createError = input.ConsumeIntegralInRange(0, 7) == 0 ? input.ConsumeIntegralInRange(1u, 200u) : 0;
    files.record.kind =
        input.PickValueInArray({FileKind::Other, FileKind::Other, FileKind::Character, FileKind::Unknown});
    files.record.failingWrite = input.ConsumeIntegralInRange(0u, 40u);
    files.record.writeError = input.ConsumeIntegralInRange(1u, 0xFFFFu);
    files.record.closeError = input.ConsumeIntegralInRange(0, 3) == 0 ? input.ConsumeIntegralInRange(1u, 200u) : 0;

    // Rows 0 to count-1 are exported; one more row beyond the count must not be.
    const int rowCount = input.ConsumeIntegralInRange(0, 26);
    DriveTable grid;
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row <= rowCount; ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < DriveTable::ColCount; ++col) {
            cells.push_back(input.ConsumeRandomLengthString(300));
            grid.SetCell(col, row, cells.back());
        }
        if (row < std::max(rowCount, 1)) rows.push_back(cells);
    }
    grid.SetRowCount(rowCount);
    const Layout layout = LayoutOf(rows, shortLayout);
    const std::string fileName(longName ? 260 : 12, 'x');

    unsigned raised = 0;
    try {
        ExportGrid(grid, shortLayout, fileName, files);
    } catch (const EInOutError& e) {
        raised = static_cast<unsigned>(e.ErrorCode());
        FUZZ_CHECK(raised != 0, "EInOutError with code 0");
    } catch (...) {
        FuzzFail("only EInOutError leaves ExportGrid", "another exception");
    }

    const FileRecord& file = files.record;
    if (longName || files.createError != 0 || file.kind == FileKind::Unknown) {
        const unsigned code = longName ? 3 : files.createError != 0 ? files.createError : 105;
        FUZZ_CHECK(raised == code, "code " + std::to_string(raised) + ", expected " + std::to_string(code));
        FUZZ_CHECK(files.creates == (longName ? 0 : 1), "a file created for a name that is too long");
        FUZZ_CHECK(file.writes == 0, "bytes written to a file that was not opened as one");
        return 0;
    }

    std::string written;
    for (const auto& block : file.blocks) written += block;
    FUZZ_CHECK(layout.bytes.starts_with(written), "written " + Visible(written) + "\nlayout " + Visible(layout.bytes));
    FUZZ_CHECK(!file.writtenAfterClose && file.closes <= 1, "a write after the close, or a second close");

    const bool writeFailed = file.failingWrite != 0 && static_cast<unsigned>(file.writes) >= file.failingWrite;
    if (writeFailed) {
        FUZZ_CHECK(raised == file.writeError && file.writes == static_cast<int>(file.failingWrite) && file.closes == 0,
                   "after the failing write " + std::to_string(file.failingWrite) + ": code " + std::to_string(raised) +
                       ", writes " + std::to_string(file.writes) + ", closes " + std::to_string(file.closes));
    } else {
        FUZZ_CHECK(written == layout.bytes && file.closes == 1, "the whole layout, then one close");
        FUZZ_CHECK(raised == file.closeError, "code " + std::to_string(raised) + " after the close");
    }

    // Block boundaries: a disk file takes full 128-byte blocks; only the write at the close
    // may be shorter. A character device also gets each statement as soon as it ends.
    std::size_t offset = 0;
    for (std::size_t i = 0; i < file.blocks.size(); ++i) {
        const std::size_t length = file.blocks[i].size();
        offset += length;
        const bool last = !writeFailed && i + 1 == file.blocks.size();
        if (file.kind == FileKind::Other) {
            FUZZ_CHECK(length == ExportBuffer::Size || (last && length > 0 && length < ExportBuffer::Size),
                       "a disk block of " + std::to_string(length) + " bytes");
        } else {
            FUZZ_CHECK(length > 0 && (length == ExportBuffer::Size || layout.statementEnds.contains(offset)),
                       "a device block of " + std::to_string(length) + " bytes ending at " + std::to_string(offset));
        }
    }
    if (file.kind == FileKind::Character) {
        // Every statement end was handed over: none lies inside a block.
        std::size_t start = 0;
        for (const auto& block : file.blocks) {
            const auto inside = layout.statementEnds.upper_bound(start);
            FUZZ_CHECK(inside == layout.statementEnds.end() || *inside >= start + block.size(),
                       "a statement end inside a device block at " + std::to_string(start));
            start += block.size();
        }
    }
    return 0;
}

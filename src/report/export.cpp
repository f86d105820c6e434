// The export's layouts and its block-wise writing.
#include "export.h"

#include <algorithm>

#include "../errors.h"
#include "../survey/drive_table.h"

namespace {

constexpr unsigned kInvalidFileName = 3;  // what Windows reports for a missing path
constexpr unsigned kNotADiskFileOrDevice = 105;
constexpr std::string_view kLineEnd = "\r\n";

// The long layout of one row: every cell followed by a TAB, then CR LF; each cell and the
// line end is one write statement.
template <typename Out>
void WriteLongRow(const DriveTable& grid, int row, Out& out)
{
    for (int col = 0; col < DriveTable::ColCount; ++col) {
        out.Write(grid.Cell(col, row));
        out.Write("\t");
        out.EndStatement();
    }
    out.Write(kLineEnd);
    out.EndStatement();
}

// The export's buffer, checked for a pending error after every statement.
struct CheckedStatements {
    ExportBuffer& out;
    void Write(std::string_view text) { out.Write(text); }
    void EndStatement()
    {
        out.EndStatement();
        out.Check();
    }
};

struct TextInMemory {
    std::string& text;
    void Write(std::string_view part) { text += part; }
    void EndStatement() {}
};

void WriteLongLayout(const DriveTable& grid, ExportBuffer& out)
{
    CheckedStatements statements{out};
    for (int row = 0; row < grid.RowCount(); ++row) WriteLongRow(grid, row, statements);
}

void WriteShortLayout(const DriveTable& grid, ExportBuffer& out)
{
    for (int row = 0; row < grid.RowCount(); ++row) {
        // "%s %s %s" of the drive, the free space and the percentage, written part by part:
        // the buffer sees the same bytes as for the joined line.
        out.Write(grid.Cell(0, row));
        out.Write(" ");
        out.Write(grid.Cell(4, row));
        out.Write(" ");
        out.Write(grid.Cell(5, row));
        out.Write(kLineEnd);
        out.EndStatement();
        out.Check();
    }
}

// Hands the bytes to the file until all are taken or a write fails; 0 or the error code.
unsigned WriteAll(OutputFile& file, const char* data, std::size_t size)
{
    while (size != 0) {
        std::size_t written = 0;
        if (const unsigned error = file.Write(data, size, written)) return error;
        if (written == 0) return kWriteMadeNoProgress;
        written = std::min(written, size);
        data += written;
        size -= written;
    }
    return 0;
}

}  // namespace

void ExportBuffer::Write(std::string_view text)
{
    while (!text.empty() && pending_ == 0) {
        const std::size_t part = std::min(text.size(), Size - used_);
        std::copy_n(text.data(), part, buffer_.data() + used_);
        used_ += part;
        text.remove_prefix(part);
        if (used_ == Size) Flush();
    }
}

void ExportBuffer::EndStatement()
{
    if (writeThrough_) Flush();
}

void ExportBuffer::Flush()
{
    if (used_ == 0 || pending_ != 0) return;
    // A short write (a network share, a pipe) is followed by the rest; the buffer counts
    // as empty after every attempt, failed or not.
    const unsigned error = WriteAll(file_, buffer_.data(), used_);
    used_ = 0;
    pending_ = error;
}

void ExportBuffer::Check()
{
    if (pending_ == 0) return;
    const unsigned code = pending_;
    pending_ = 0;
    throw EInOutError(static_cast<int>(code));
}

void ExportBuffer::Close()
{
    Flush();
    // With write-behind caching (SMB shares) a write can still fail after CloseHandle, when
    // nobody is told any more: the file is flushed first, so that its failure is the export's.
    if (pending_ == 0) pending_ = file_.Flush();
    if (pending_ == 0) pending_ = file_.Close();
    Check();
}

void ExportGrid(const DriveTable& grid, bool shortLayout, const std::string& fileName, OutputFiles& files)
{
    // Longer names do not fit the platform's path buffer: rejected before anything exists.
    if (fileName.size() > kLongestFileName) throw EInOutError(kInvalidFileName);
    unsigned openError = 0;
    std::unique_ptr<OutputFile> file = files.Create(fileName, openError);
    if (!file) throw EInOutError(static_cast<int>(openError));
    const FileKind kind = file->Kind();
    if (kind == FileKind::Unknown) {
        file->Close();
        throw EInOutError(kNotADiskFileOrDevice);
    }
    ExportBuffer out(*file, kind == FileKind::Character);
    if (shortLayout)
        WriteShortLayout(grid, out);
    else
        WriteLongLayout(grid, out);
    out.Close();
}

std::string LongLayoutText(const DriveTable& grid, int firstRow, int lastRow)
{
    std::string text;
    TextInMemory out{text};
    WriteLongRow(grid, 0, out);
    for (int row = std::max(firstRow, 1); row <= std::min(lastRow, grid.RowCount() - 1); ++row)
        WriteLongRow(grid, row, out);
    return text;
}

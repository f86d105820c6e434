// The text export of the drive table: the long layout (every cell followed by a TAB) or
// the short one (drive, free space, free percentage), each line ending in CR LF.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class DriveTable;

enum class FileKind { Unknown, Character, Other };

// One file opened for the export. Error results are the operating system's codes.
class OutputFile {
public:
    virtual ~OutputFile() = default;  // closes the file if it is still open
    virtual FileKind Kind() = 0;
    // 0 on success, with the count of bytes the system took, which may be fewer than given.
    virtual unsigned Write(const char* data, std::size_t size, std::size_t& written) = 0;
    // Waits until what was written has reached the file; 0 on success.
    virtual unsigned Flush() = 0;
    virtual unsigned Close() = 0;  // 0 on success
};

// A write that succeeds without taking a byte would be retried forever: the export ends
// with the system's "cannot write to the device" instead.
inline constexpr unsigned kWriteMadeNoProgress = 29;  // ERROR_WRITE_FAULT

class OutputFiles {
public:
    virtual ~OutputFiles() = default;
    // Creates or truncates the file for writing, others may read it meanwhile.
    // Yields nullptr and the error code when that fails.
    virtual std::unique_ptr<OutputFile> Create(const std::string& name, unsigned& errorCode) = 0;
};

// The export's 128-byte buffer. A full buffer goes out at once; once a write has failed,
// the error is pending and nothing more is written until Check raises it.
class ExportBuffer {
public:
    static constexpr std::size_t Size = 128;

    ExportBuffer(OutputFile& file, bool writeThrough) : file_(file), writeThrough_(writeThrough) {}
    void Write(std::string_view text);
    void EndStatement();  // hands the buffer over after every statement in write-through mode
    void Check();  // raises EInOutError for a pending error
    void Close();  // the rest of the buffer, its flush to the file, then the file itself

private:
    void Flush();

    OutputFile& file_;
    bool writeThrough_;
    std::array<char, Size> buffer_{};
    std::size_t used_ = 0;
    unsigned pending_ = 0;
};

inline constexpr std::size_t kLongestFileName = 259;

// Writes the table's rows 0 to RowCount-1 to the named file. Raises EInOutError with the
// code of the failing step; a failure while writing leaves the blocks written so far.
void ExportGrid(const DriveTable& grid, bool shortLayout, const std::string& fileName, OutputFiles& files);

// The header row and the data rows firstRow to lastRow (as far as the table has them) in the
// long layout, as one text: what the window copies to the clipboard.
std::string LongLayoutText(const DriveTable& grid, int firstRow, int lastRow);

// The export's bytes in both layouts, its 128-byte blocks and its failures.
#include "report/export.h"

#include <gtest/gtest.h>

#include "errors.h"
#include "fake_files.h"
#include "survey/drive_table.h"

namespace {

DriveTable HeaderOnly()
{
    DriveTable table;
    const char* header[] = {"PC\xE4",   "Name",      "TYP",       "Kapazit\xE4t(KB)",
                            "Frei(KB)", "Frei in %", "Serien-Nr", "Filesystem"};
    for (int col = 0; col < DriveTable::ColCount; ++col) table.SetCell(col, 0, header[col]);
    return table;
}

DriveTable WithDrives()
{
    DriveTable table = HeaderOnly();
    const char* fixed[] = {"C:",         "SYSTEM PLATTE", "lokale Festplatte", "20.971.520 ",
                           "5.242.880 ", "25 %",          "12AB-34CD",         "NTFS"};
    for (int col = 0; col < DriveTable::ColCount; ++col) table.SetCell(col, 1, fixed[col]);
    table.SetCell(0, 2, "E:");
    table.SetCell(2, 2, "Wechseldatentr\xE4ger");
    table.SetCell(0, 9, "Z:");  // beyond the row count: never exported
    table.SetRowCount(3);
    return table;
}

std::string Export(const DriveTable& table, bool shortLayout, FakeFiles& files, const std::string& name = "x.txt")
{
    ExportGrid(table, shortLayout, name, files);
    return files.files.at(name).Bytes();
}

TEST(ExportGrid, WritesTheLayoutsByteForByte)
{
    const struct {
        DriveTable table;
        bool shortLayout;
        std::string bytes;
    } cases[] = {
        {HeaderOnly(), false, "PC\xE4\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n"},
        {HeaderOnly(), true, "PC\xE4 Frei(KB) Frei in %\r\n"},
        {WithDrives(), false,
         "PC\xE4\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n"
         "C:\tSYSTEM PLATTE\tlokale Festplatte\t20.971.520 \t5.242.880 \t25 %\t12AB-34CD\tNTFS\t\r\n"
         "E:\t\tWechseldatentr\xE4ger\t\t\t\t\t\t\r\n"},
        {WithDrives(), true, "PC\xE4 Frei(KB) Frei in %\r\nC: 5.242.880  25 %\r\nE:  \r\n"},
    };
    for (const auto& c : cases) {
        FakeFiles files;
        EXPECT_EQ(Export(c.table, c.shortLayout, files), c.bytes);
        EXPECT_TRUE(files.files.at("x.txt").closed);
    }
}

// What Ctrl+C copies: the header row and the selected rows, as the long layout writes them.
TEST(LongLayoutText, HoldsTheHeaderAndTheChosenRows)
{
    const std::string header = "PC\xE4\tName\tTYP\tKapazit\xE4t(KB)\tFrei(KB)\tFrei in %\tSerien-Nr\tFilesystem\t\r\n";
    const std::string c = "C:\tSYSTEM PLATTE\tlokale Festplatte\t20.971.520 \t5.242.880 \t25 %\t12AB-34CD\tNTFS\t\r\n";
    const std::string e = "E:\t\tWechseldatentr\xE4ger\t\t\t\t\t\t\r\n";
    const struct {
        int first;
        int last;
        std::string text;
    } cases[] = {
        {2, 2, header + e},
        {1, 2, header + c + e},
        {2, 9, header + e},  // a row beyond the count keeps its texts but is not in the table
    };
    for (const auto& row : cases)
        EXPECT_EQ(LongLayoutText(WithDrives(), row.first, row.last), row.text) << row.first << "-" << row.last;
}

TEST(ExportGrid, DiskFilesGetWholeBlocksAndOneRest)
{
    DriveTable table = WithDrives();
    for (int row = 1; row < 25; ++row)
        for (int col = 0; col < DriveTable::ColCount; ++col)
            table.SetCell(col, row, std::string(static_cast<std::size_t>(col) * 7, static_cast<char>('a' + col)));
    table.SetRowCount(25);
    for (bool shortLayout : {false, true}) {
        FakeFiles files;
        const std::string bytes = Export(table, shortLayout, files);
        const auto& blocks = files.files.at("x.txt").blocks;
        ASSERT_GE(blocks.size(), 2u);
        for (std::size_t i = 0; i + 1 < blocks.size(); ++i) EXPECT_EQ(blocks[i].size(), ExportBuffer::Size);
        EXPECT_EQ(blocks.back().size(), bytes.size() % ExportBuffer::Size);
        std::size_t lineEnds = 0;
        for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 1)) ++lineEnds;
        EXPECT_EQ(lineEnds, 25u);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    }
}

TEST(ExportGrid, CharacterDevicesGetEveryCellAndLineEnd)
{
    DriveTable table = WithDrives();
    table.SetCell(1, 1, std::string(200, 'L'));  // longer than one buffer
    FakeFiles files;
    files.nextKind = FileKind::Character;
    ExportGrid(table, false, "NUL", files);
    const auto& blocks = files.files.at("NUL").blocks;
    ASSERT_EQ(blocks.size(), 3u * 9 + 1);
    EXPECT_EQ(blocks[0], "PC\xE4\t");
    EXPECT_EQ(blocks[8], "\r\n");
    EXPECT_EQ(blocks[9], "C:\t");
    EXPECT_EQ(blocks[10], std::string(128, 'L'));
    EXPECT_EQ(blocks[11], std::string(72, 'L') + "\t");

    FakeFiles shortFiles;
    shortFiles.nextKind = FileKind::Character;
    ExportGrid(WithDrives(), true, "NUL", shortFiles);
    EXPECT_EQ(shortFiles.files.at("NUL").blocks,
              (std::vector<std::string>{"PC\xE4 Frei(KB) Frei in %\r\n", "C: 5.242.880  25 %\r\n", "E:  \r\n"}));
}

TEST(ExportGrid, FailuresRaiseTheirCodeAndKeepWrittenBlocks)
{
    DriveTable table = WithDrives();
    table.SetCell(1, 2, std::string(300, 'x'));

    FakeFiles full;
    full.files["x.txt"].failWriteNumber = 2;
    try {
        ExportGrid(table, false, "x.txt", full);
        FAIL() << "a failed write must raise";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 112);
        EXPECT_EQ(e.Message(), "E/A-Fehler 112");
    }
    const FakeFile& file = full.files.at("x.txt");
    EXPECT_EQ(file.blocks.size(), 2u);  // nothing is written after the failure
    EXPECT_EQ(file.Bytes().size(), 128u);

    FakeFiles closing;
    closing.files["x.txt"].closeError = 6;
    EXPECT_THROW(
        try { ExportGrid(table, true, "x.txt", closing); } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), 6);
            throw;
        },
        EInOutError);
}

// A share may take fewer bytes than it was given, and may fail only when its write-behind
// cache is flushed: the rest is written until all is taken, and the flush's failure is the
// export's, before the file is reported written.
TEST(ExportGrid, ShortWritesAreCompletedAndTheFlushCounts)
{
    DriveTable table = WithDrives();
    table.SetCell(1, 2, std::string(300, 'x'));
    FakeFiles whole;
    const std::string bytes = Export(table, false, whole);
    const struct {
        const char* what;
        std::size_t takenPerWrite;
        unsigned flushError;
        int code;  // 0: written
        std::size_t bytesKept;
    } cases[] = {
        {"a share that takes 50 bytes a time", 50, 0, 0, bytes.size()},
        {"a share that takes one byte a time", 1, 0, 0, bytes.size()},
        {"a write that takes nothing", 0, 0, 29, 0},
        {"a flush that fails after write-behind", SIZE_MAX, 59, 59, bytes.size()},
    };
    for (const auto& c : cases) {
        FakeFiles files;
        files.files["x.txt"].takenPerWrite = c.takenPerWrite;
        files.files["x.txt"].flushError = c.flushError;
        int code = 0;
        try {
            ExportGrid(table, false, "x.txt", files);
        } catch (const EInOutError& e) {
            code = e.ErrorCode();
        }
        const FakeFile& file = files.files.at("x.txt");
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_EQ(file.Bytes(), bytes.substr(0, c.bytesKept)) << c.what;
        EXPECT_EQ(file.flushed, c.takenPerWrite != 0) << c.what;
        EXPECT_EQ(file.closed, c.code == 0) << c.what;
    }
}

// Each failure to open comes out with its code and text; the over-long name is refused
// before any file is asked for.
TEST(ExportGrid, OpeningFailuresRaiseTheirCode)
{
    const struct {
        std::string name;
        const char* message;
        unsigned createError;
        FileKind kind;
        int code;
        int creates;
    } cases[] = {
        {"C:\\fehlt\\x.txt", "Ung\xFCltiger Dateiname", 3, FileKind::Other, 3, 1},
        {"C:\\", "Dateizugriff verweigert", 5, FileKind::Other, 5, 1},
        {"offen.txt", "E/A-Fehler 32", 32, FileKind::Other, 32, 1},
        {"seltsam", "E/A-Fehler 105", 0, FileKind::Unknown, 105, 1},
        {std::string(260, 'n'), "Ung\xFCltiger Dateiname", 0, FileKind::Other, 3, 0},
    };
    for (const auto& c : cases) {
        FakeFiles files;
        files.createError = c.createError;
        files.nextKind = c.kind;
        try {
            ExportGrid(WithDrives(), false, c.name, files);
            ADD_FAILURE() << c.message;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(files.creates, c.creates);
        if (c.kind == FileKind::Unknown) {
            EXPECT_TRUE(files.files.at(c.name).closed);
        }
    }
    FakeFiles longest;
    EXPECT_NO_THROW(ExportGrid(WithDrives(), false, std::string(259, 'n'), longest));
}

TEST(EInOutError, MessagesOfTheKnownCodes)
{
    const std::pair<int, const char*> cases[] = {
        {2, "Datei nicht gefunden"},
        {4, "Zu viele ge\xF6"
            "ffnete Dateien"},
        {100, "Versuch hinter dem Dateiende zu lesen"},
        {101, "Zu wenig Speicherplatz"},
        {106, "Ung\xFCltige numerische Eingabe"},
        {112, "E/A-Fehler 112"},
        {-1, "E/A-Fehler -1"},
    };
    for (const auto& [code, message] : cases) EXPECT_EQ(EInOutError(code).Message(), message);
}

}  // namespace

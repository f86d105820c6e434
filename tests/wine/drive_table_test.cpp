// The drive table filled from Wine's real drive, volume and space queries, for the
// drive set the test declares (see CMakeLists.txt beside this file).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "errors.h"
#include "survey/drive_queries_win.h"
#include "survey/drive_survey.h"
#include "ui/application_win.h"

namespace {

using Row = std::array<std::string, DriveTable::ColCount>;

class NoLayout final : public GridLayout {
public:
    void ColumnsLaidOut(int) override {}
    void RowsLaidOut(int) override {}
};

class DriveTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application::Initialize(); }
    void Fill(SurveyOptions options)
    {
        NoLayout layout;
        FillDriveGrid(table, queries, options, layout, VolumeFields{label, fileSystem});
    }
    Row RowAt(int row) const
    {
        Row cells;
        for (int col = 0; col < DriveTable::ColCount; ++col) cells[col] = table.Cell(col, row);
        return cells;
    }
    // The Unix host name as Wine turns it into the computer name.
    static std::string ExpectedComputerName()
    {
        std::string name = std::getenv("MEROVANT_HOSTNAME") ? std::getenv("MEROVANT_HOSTNAME") : "";
        name = name.substr(0, name.find('.')).substr(0, 15);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name;
    }

    WindowsDriveQueries queries;
    DriveTable table{5};
    std::string label, fileSystem;
};

// What a DLL loaded later may leave in the x87 unit (a screen reader's in-context hook, a
// shell extension): 53-bit precision, invalid operation, division by zero and overflow
// unmasked. Set while it lives; the refresh must compute as ever and hand it back.
class ForeignFloatSetting {
public:
    static constexpr unsigned short kWord = 0x0272;
    ForeignFloatSetting() { Load(kWord); }
    ~ForeignFloatSetting() { Load(0x037F); }
    ForeignFloatSetting(const ForeignFloatSetting&) = delete;
    ForeignFloatSetting& operator=(const ForeignFloatSetting&) = delete;
    static unsigned short Word()
    {
        unsigned short word = 0;
        __asm__ volatile("fnstcw %0" : "=m"(word));
        return word;
    }

private:
    static void Load(unsigned short word) { __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word)); }
};

// MEROVANT_DRIVES="c=hd:SYSTEM:0C0C0C0C:512M d=hd:DATEN:12AB34CD:64M e=network:NETZ:0000ABCD:32M
//                  f=floppy g=cdrom h=ramdisk i=missing j=hd:ZWEITE:00000002:16M", LC_ALL=de_DE.UTF-8
TEST_F(DriveTableTest, MixedDrivesInKilobytes)
{
    Fill({});
    ASSERT_EQ(table.RowCount(), 8);
    EXPECT_EQ(RowAt(0), (Row{ExpectedComputerName(), "Name", "TYP", "Kapazit\xE4t(KB)", "Frei(KB)", "Frei in %",
                             "Serien-Nr", "Filesystem"}));
    const Row c = RowAt(1);
    EXPECT_EQ(c[0], "C:");
    EXPECT_EQ(c[1], "SYSTEM");
    EXPECT_EQ(c[2], "lokale Festplatte");
    EXPECT_EQ(c[3], "524.288 ");
    EXPECT_TRUE(std::regex_match(c[4], std::regex("[1-9][0-9]{0,2}(\\.[0-9]{3})* "))) << c[4];
    EXPECT_EQ(c[6], "0C0C-0C0C");
    // 64 MiB, two 4 KiB pages taken by the label and serial files.
    EXPECT_EQ(RowAt(2), (Row{"D:", "DATEN", "lokale Festplatte", "65.536 ", "65.528 ", "100 %", "12AB-34CD", c[7]}));
    EXPECT_EQ(RowAt(3),
              (Row{"E:", "NETZ", "Netzwerklaufwerk", "32.768 ", "32.760 ", "100 %", "0000-ABCD", RowAt(3)[7]}));
    EXPECT_EQ(RowAt(4), (Row{"F:", "", "Wechseldatentr\xE4ger", "", "", "", "", ""}));
    EXPECT_EQ(RowAt(5), (Row{"G:", "", "CD-Rom", "", "", "", "", ""}));
    EXPECT_EQ(RowAt(6), (Row{"H:", "", "RAM-Disk", "", "", "", "", ""}));
    EXPECT_EQ(RowAt(7),
              (Row{"J:", "ZWEITE", "lokale Festplatte", "16.384 ", "16.376 ", "100 %", "0000-0002", RowAt(7)[7]}));
    EXPECT_FALSE(c[7].empty());
}

TEST_F(DriveTableTest, MixedDrivesUnderAForeignFloatSetting)
{
    Fill({});
    const DriveTable expected = table;
    unsigned short handedBack = 0;
    {
        const ForeignFloatSetting foreign;
        Fill({});
        handedBack = ForeignFloatSetting::Word();
    }
    EXPECT_EQ(handedBack, ForeignFloatSetting::kWord);
    ASSERT_EQ(table.RowCount(), expected.RowCount());
    for (int row = 0; row < expected.RowCount(); ++row)
        for (int col = 0; col < DriveTable::ColCount; ++col)
            EXPECT_EQ(table.Cell(col, row), expected.Cell(col, row)) << col << "," << row;
}

TEST_F(DriveTableTest, MixedDrivesInMegabytesLocalOnly)
{
    Fill({true, true});
    // The network drive E: between the fixed disks leaves no gap.
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Cell(0, 3), "J:");
    EXPECT_EQ(table.Cell(3, 0), "Kapazit\xE4t (MB)");
    EXPECT_EQ(table.Cell(4, 0), "Frei (MB)");
    EXPECT_EQ(table.Cell(3, 1), "512 ");
    EXPECT_EQ(RowAt(2), (Row{"D:", "DATEN", "lokale Festplatte", "64 ", "64 ", "100 %", "12AB-34CD", RowAt(2)[7]}));
}

TEST_F(DriveTableTest, FullAndEmptyDisks)
{
    // MEROVANT_DRIVES="d=hd:VOLL::4K e=hd:::0" LC_ALL=C.UTF-8: D: is filled up by
    // its own label file, E: has no space at all.
    try {
        Fill({});
        FAIL() << "a drive without capacity must stop the refresh";
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), "Ung\xFCltige Gleitkommaoperation");
    }
    EXPECT_EQ(RowAt(2), (Row{"D:", "VOLL", "lokale Festplatte", "4 ", "0 ", " %", RowAt(2)[6], RowAt(2)[7]}));
    EXPECT_EQ(table.Cell(0, 3), "E:");
    EXPECT_EQ(table.Cell(5, 3), "");
    EXPECT_EQ(table.RowCount(), 5);  // the design's row count stays
}

// E:'s 0 / 0 raises EInvalidOp as ever, where an unmasked exception would trap and end the
// process.
TEST_F(DriveTableTest, FullAndEmptyDisksUnderAForeignFloatSetting)
{
    unsigned short handedBack = 0;
    std::string message;
    {
        const ForeignFloatSetting foreign;
        try {
            Fill({});
        } catch (const EMathError& e) {
            message = e.what();
        }
        handedBack = ForeignFloatSetting::Word();
    }
    EXPECT_EQ(message, "Ung\xFCltige Gleitkommaoperation");
    EXPECT_EQ(handedBack, ForeignFloatSetting::kWord);
    EXPECT_EQ(RowAt(2), (Row{"D:", "VOLL", "lokale Festplatte", "4 ", "0 ", " %", RowAt(2)[6], RowAt(2)[7]}));
}

}  // namespace

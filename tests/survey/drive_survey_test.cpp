// The refresh of the drive table over a drive set in memory.
#include "survey/drive_survey.h"

#include <gtest/gtest.h>

#include "errors.h"
#include "fake_drives.h"
#include "scoped_grouping.h"

namespace {

using Row = std::array<std::string, DriveTable::ColCount>;

class FillDriveGridTest : public ::testing::Test {
protected:
    ScopedGrouping grouping{'.'};

    void Fill(SurveyOptions options = {})
    {
        ::FillDriveGrid(table, queries, options, layout, VolumeFields{label, fileSystem});
    }
    Row RowAt(int row) const
    {
        Row cells;
        for (int col = 0; col < DriveTable::ColCount; ++col) cells[col] = table.Cell(col, row);
        return cells;
    }

    FakeDriveQueries queries;
    DriveTable table{5};
    RecordingLayout layout;
    std::string label, fileSystem;
};

constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

void AddMixedDrives(FakeDriveQueries& q)
{
    q.drives['A'] = {2, {}, {}};  // never examined
    q.drives['C'] = {3, {"SYSTEM", 0x12AB34CDu, "NTFS"}, {20 * kGiB, 5 * kGiB}};
    q.drives['D'] = {4, {"Netz", 0x0000ABCDu, "SMB"}, {kGiB, kGiB / 3}};
    q.drives['E'] = {2, {"STICK", 1, "FAT"}, {1, 1}};
    q.drives['F'] = {5, {}, {}};
    q.drives['G'] = {6, {}, {}};
    q.drives['H'] = {3, {"Datenträger", 0xFFFFFFFFu, "FAT32"}, {-1, -1}};
    q.drives['I'] = {7, {}, {}};  // unknown kinds are not listed
    q.drives['J'] = {0, {}, {}};
}

TEST_F(FillDriveGridTest, ListsKindsInLetterOrderAndMeasuresOnlyFixedAndNetwork)
{
    AddMixedDrives(queries);
    Fill();
    ASSERT_EQ(table.RowCount(), 7);
    EXPECT_EQ(RowAt(0),
              (Row{"PRUEFSTAND", "Name", "TYP", "Kapazität(KB)", "Frei(KB)", "Frei in %", "Serien-Nr", "Filesystem"}));
    EXPECT_EQ(RowAt(1),
              (Row{"C:", "SYSTEM", "lokale Festplatte", "20.971.520 ", "5.242.880 ", "25 %", "12AB-34CD", "NTFS"}));
    EXPECT_EQ(RowAt(2), (Row{"D:", "Netz", "Netzwerklaufwerk", "1.048.576 ", "349.525 ", "33 %", "0000-ABCD", "SMB"}));
    EXPECT_EQ(RowAt(3), (Row{"E:", "", "Wechseldatenträger", "", "", "", "", ""}));
    EXPECT_EQ(RowAt(4), (Row{"F:", "", "CD-Rom", "", "", "", "", ""}));
    EXPECT_EQ(RowAt(5), (Row{"G:", "", "RAM-Disk", "", "", "", "", ""}));
    // A failed space query gives -1 bytes: sizes of zero and a percentage of 100.
    EXPECT_EQ(RowAt(6), (Row{"H:", "Datenträger", "lokale Festplatte", "0 ", "0 ", "100 %", "FFFF-FFFF", "FAT32"}));
    EXPECT_EQ(queries.volumeReads, "CDH");  // unmeasured media are never read
    EXPECT_EQ(queries.spaceReads, "CDH");
    EXPECT_EQ(layout.widthSum, 550);
    EXPECT_EQ(layout.driveCount, 6);
    EXPECT_EQ(label, "Datenträger");  // the fields keep the drive measured last
    EXPECT_EQ(fileSystem, "FAT32");
}

TEST_F(FillDriveGridTest, MegabytesDivideFurtherAndChangeTheSuffix)
{
    AddMixedDrives(queries);
    Fill({false, true});
    EXPECT_EQ(table.Cell(3, 0), "Kapazität (MB)");
    EXPECT_EQ(table.Cell(4, 0), "Frei (MB)");
    EXPECT_EQ(table.Cell(3, 1), "20.480 ");
    EXPECT_EQ(table.Cell(4, 2), "341 ");
}

TEST_F(FillDriveGridTest, LocalOnlyLeavesNoGapAndNoNetworkDrive)
{
    AddMixedDrives(queries);
    Fill({true, false});
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Cell(0, 1), "C:");
    EXPECT_EQ(table.Cell(0, 2), "H:");
    EXPECT_EQ(layout.driveCount, 2);
}

TEST_F(FillDriveGridTest, NoMeasuredDriveLeavesTheTitlesBare)
{
    for (const auto& letters : {std::string{}, std::string{"EFG"}}) {
        queries.drives.clear();
        for (char letter : letters) queries.drives[letter] = {5, {}, {}};
        Fill();
        EXPECT_EQ(table.RowCount(), 1 + static_cast<int>(letters.size()));
        EXPECT_EQ(table.Cell(3, 0), "Kapazität");
        EXPECT_EQ(table.Cell(4, 0), "Frei");
    }
}

TEST_F(FillDriveGridTest, AnUnmeasuredDriveClearsTheCellsOfAnEarlierRefresh)
{
    AddMixedDrives(queries);
    Fill();
    queries.drives['C'].type = 2;
    Fill();
    EXPECT_EQ(RowAt(1), (Row{"C:", "", "Wechseldatenträger", "", "", "", "", ""}));
}

TEST_F(FillDriveGridTest, ZeroTotalStopsTheRefreshAtThatDrive)
{
    const struct {
        std::int64_t free;
        const char* message;
    } cases[] = {{1, "Gleitkommadivision durch Null"}, {0, "Ungültige Gleitkommaoperation"}};
    for (const auto& c : cases) {
        table = DriveTable{5};
        queries.drives.clear();
        queries.drives['C'] = {3, {"A", 1, "NTFS"}, {kGiB, kGiB}};
        queries.drives['D'] = {3, {"LEER", 2, "NTFS"}, {0, c.free}};
        queries.drives['E'] = {3, {"B", 3, "NTFS"}, {kGiB, kGiB}};
        layout = RecordingLayout{};
        try {
            Fill();
            ADD_FAILURE() << "no error for free = " << c.free;
        } catch (const EMathError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(layout.widthSum, 550);  // widths are in place
        EXPECT_EQ(layout.driveCount, -1);  // heights and caption are not
        EXPECT_EQ(table.RowCount(), 5);  // the previous row count stays
        EXPECT_EQ(table.Cell(3, 0), "Kapazität");
        EXPECT_EQ(table.Cell(1, 2), "LEER");
        EXPECT_EQ(table.Cell(4, 2), "0 ");  // free space was written
        EXPECT_EQ(table.Cell(5, 2), "");  // no percentage text
        EXPECT_EQ(table.Cell(6, 2), "");
        EXPECT_EQ(table.Cell(0, 3), "");  // later drives untouched
    }
}

#if defined(__i386__) || defined(__x86_64__)
unsigned short ControlWord()
{
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}
void LoadControlWord(unsigned short word) { __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(word)); }

// A DLL loaded later (a screen reader's in-context hook) left the x87 unit at 53-bit precision
// with invalid operation, division by zero and overflow unmasked. The refresh computes as it
// always does, raises its error instead of trapping, and hands that setting back.
TEST_F(FillDriveGridTest, AForeignFloatSettingChangesNoCellAndIsHandedBack)
{
    constexpr unsigned short kForeign = 0x0272;
    AddMixedDrives(queries);
    // 12.4999999999999995 % free: 12 in extended precision, 12.5 and so 13 at 53 bits.
    queries.drives['K'] = {3, {"GROSS", 4, "NTFS"}, {200'000'000'000'000'000LL, 24'999'999'999'999'999LL}};
    Fill();
    const DriveTable expected = table;
    ASSERT_EQ(table.Cell(5, 7), "12 %");

    LoadControlWord(kForeign);
    Fill();
    const unsigned short afterRefresh = ControlWord();
    const DriveTable refreshed = table;
    queries.drives['D'].space = {0, 0};
    bool raised = false;
    try {
        Fill();
    } catch (const EInvalidOp&) {
        raised = true;
    }
    const unsigned short afterError = ControlWord();
    LoadControlWord(0x037F);
    ASSERT_EQ(refreshed.RowCount(), expected.RowCount());
    for (int row = 0; row < expected.RowCount(); ++row)
        for (int col = 0; col < DriveTable::ColCount; ++col)
            EXPECT_EQ(refreshed.Cell(col, row), expected.Cell(col, row)) << col << "," << row;
    EXPECT_TRUE(raised);
    EXPECT_EQ(afterRefresh, kForeign);
    EXPECT_EQ(afterError, kForeign);
}
#endif

TEST(FreePercentage, StaysExactBeyondTheSixtyFourBitProduct)
{
    // 100 PB free of 200 PB: free * 100 no longer fits 64 bits.
    const std::int64_t free = 100'000'000'000'000'000LL;
    EXPECT_EQ(FormatPercent(FreePercentage(free, 2 * free)), "50 %");
    EXPECT_EQ(FormatPercent(FreePercentage(INT64_MAX, INT64_MAX)), "100 %");
    EXPECT_EQ(FormatPercent(FreePercentage(1, 3)), "33 %");
    EXPECT_EQ(FormatPercent(FreePercentage(0, -1)), " %");
}

TEST(ReadVolumeInfo, UpperCasesTheLetterAndIgnoresOthers)
{
    FakeDriveQueries queries;
    queries.drives['D'] = {3, {"DATEN", 0x00C0FFEEu, "NTFS"}, {}};
    std::string label = "alt", fileSystem = "alt", serial = "alt";
    ReadVolumeInfo(queries, 'd', serial, VolumeFields{label, fileSystem});
    EXPECT_EQ(serial, "00C0-FFEE");
    EXPECT_EQ(label, "DATEN");
    for (char other : {'1', '\0', '\xE4', '['}) {
        ReadVolumeInfo(queries, other, serial, VolumeFields{label, fileSystem});
        EXPECT_EQ(serial, "00C0-FFEE");
    }
    EXPECT_EQ(queries.volumeReads, "D");
}

TEST(ColumnTitles, AreWindows1252Bytes)
{
    EXPECT_STREQ(ColumnTitles[3], "Kapazit\xE4t");
    const std::string texts = std::string("Ü") + "ö" + "ä";
    EXPECT_EQ(texts, "\xDC\xF6\xE4");
}

}  // namespace

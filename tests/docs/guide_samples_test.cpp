// The samples of the reference (docs/referenz.md) are what the program writes. Each sample is read from it
// itself (the fenced block after a marker comment) and compared with what the program's own
// code makes of the guide's example machine: the two export samples, the byte view of the
// short one, the .reg example as the settings store reads it, and the daily log file name.
// On a mismatch the test prints the block the guide should hold.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "../report/fake_files.h"
#include "app/command_line.h"
#include "app/fake_registry.h"
#include "app/settings.h"
#include "report/export.h"
#include "survey/drive_survey.h"
#include "survey/fake_drives.h"
#include "survey/scoped_grouping.h"

namespace {

// The guide's notation for bytes that do not show (UTF-8, written as escapes because this
// file is compiled to Windows-1252): a TAB, a blank, and CR LF at the end of each line.
const std::string kTab = "\xE2\x86\x92";  // U+2192
const std::string kBlank = "\xC2\xB7";  // U+00B7
const std::string kLineEnd = "\xE2\x90\x8D\xE2\x90\x8A";  // U+240D U+240A

std::string Guide()
{
    std::ifstream in(MEROVANT_GUIDE, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of the fenced block after "<!-- marker -->", each with its newline.
std::string Block(const std::string& marker)
{
    const std::string guide = Guide();
    const std::size_t at = guide.find("<!-- " + marker + " -->\n```");
    if (at == std::string::npos) {
        ADD_FAILURE() << "the guide has no block marked " << marker;
        return {};
    }
    const std::size_t begin = guide.find('\n', guide.find("```", at)) + 1;
    const std::size_t end = guide.find("\n```", begin - 1);
    return end == std::string::npos ? std::string{} : guide.substr(begin, end + 1 - begin);
}

// The notation and the UTF-8 text of a block as the Windows-1252 bytes they stand for.
std::string Bytes(const std::string& block)
{
    std::string bytes;
    for (std::size_t i = 0; i < block.size();) {
        if (block.compare(i, kLineEnd.size() + 1, kLineEnd + "\n") == 0) {
            bytes += "\r\n";
            i += kLineEnd.size() + 1;
        } else if (block.compare(i, kTab.size(), kTab) == 0) {
            bytes += '\t';
            i += kTab.size();
        } else if (block.compare(i, kBlank.size(), kBlank) == 0) {
            bytes += ' ';
            i += kBlank.size();
        } else if (block[i] == '\n' || block[i] == ' ') {
            ADD_FAILURE() << "a line without its CR LF sign, or a plain blank, at " << i << " of\n" << block;
            return {};
        } else if (static_cast<unsigned char>(block[i]) < 0x80) {
            bytes += block[i++];
        } else if ((static_cast<unsigned char>(block[i]) & 0xE0) == 0xC0 && i + 1 < block.size()) {
            // Two-byte UTF-8: U+00A0 to U+00FF are the same bytes in Windows-1252.
            const unsigned code = (static_cast<unsigned char>(block[i]) & 0x1Fu) << 6 |
                                  (static_cast<unsigned char>(block[i + 1]) & 0x3Fu);
            if (code < 0xA0 || code > 0xFF)
                ADD_FAILURE() << "U+" << std::hex << code << " is not in the samples' range";
            bytes += static_cast<char>(code);
            i += 2;
        } else {
            ADD_FAILURE() << "a character outside Windows-1252 at " << i << " of\n" << block;
            return {};
        }
    }
    return bytes;
}

// Bytes in the guide's notation: the block the guide should hold.
std::string Notated(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (bytes.compare(i, 2, "\r\n") == 0) {
            text += kLineEnd + "\n";
            ++i;
        } else if (byte == '\t') {
            text += kTab;
        } else if (byte == ' ') {
            text += kBlank;
        } else if (byte >= 0xA0) {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

// Sixteen bytes a line: offset, the bytes in hex, the printable ones as text.
std::string ByteView(const std::string& bytes)
{
    std::string view;
    for (std::size_t line = 0; line < bytes.size(); line += 16) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(line));
        view += hex;
        std::string text;
        for (std::size_t i = line; i < line + 16; ++i) {
            if (i - line == 8) view += ' ';
            if (i < bytes.size()) {
                const auto byte = static_cast<unsigned char>(bytes[i]);
                std::snprintf(hex, sizeof hex, " %02X", byte);
                view += hex;
                text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
            } else {
                view += "   ";
            }
        }
        view += "  " + text + "\n";
    }
    return view;
}

// The guide's example machine: two fixed disks, a CD-ROM drive, a card reader and a
// network drive, on a German Windows (digit grouping ".").
constexpr std::int64_t kMiB = std::int64_t{1024} * 1024;

FakeDriveQueries ExampleMachine()
{
    FakeDriveQueries machine;
    machine.computerName = "BUERO-PC07";
    machine.drives['C'] = {3, {"SYSTEM", 0x5A3C91F2u, "NTFS"}, {243'522 * kMiB + 524'288, 87'213 * kMiB + 917'504}};
    machine.drives['D'] = {3, {"DATEN", 0x1E07B3A4u, "NTFS"}, {953'867 * kMiB, 584'126 * kMiB + 262'144}};
    machine.drives['E'] = {5, {}, {}};
    machine.drives['F'] = {2, {}, {}};
    machine.drives['H'] = {4, {"PROJEKTE", 0x00C4E2A9u, "NTFS"}, {2'097'152 * kMiB, 411'842 * kMiB}};
    return machine;
}

// The runs the guide shows: the options and layout their switches give.
struct GuideRun {
    SurveyOptions options;
    bool shortLayout;
};
constexpr GuideRun kMb{{.localOnly = false, .megabytes = true}, false};
constexpr GuideRun kKurz{{.localOnly = false, .megabytes = false}, true};
constexpr GuideRun kDaily{{.localOnly = true, .megabytes = true}, false};

// What the program writes for the example machine in this run.
std::string Export(const GuideRun& run)
{
    const ScopedGrouping grouping('.');
    FakeDriveQueries machine = ExampleMachine();
    DriveTable table;
    RecordingLayout layout;
    std::string label, fileSystem;
    FillDriveGrid(table, machine, run.options, layout, VolumeFields{label, fileSystem});
    FakeFiles files;
    ExportGrid(table, run.shortLayout, "beispiel.txt", files);
    return files.files.at("beispiel.txt").Bytes();
}

TEST(GuideSamples, ExportSamplesAreTheProgramsBytes)
{
    const struct {
        const char* marker;
        GuideRun run;
    } samples[] = {{"export-sample: long", kMb}, {"export-sample: short", kKurz}, {"export-sample: daily", kDaily}};
    for (const auto& sample : samples) {
        const std::string written = Export(sample.run);
        EXPECT_EQ(Bytes(Block(sample.marker)), written) << "the guide's block " << sample.marker << " should read:\n"
                                                        << Notated(written);
    }
}

TEST(GuideSamples, ByteViewsAreTheSamplesBytes)
{
    const struct {
        const char* marker;
        GuideRun run;
    } views[] = {{"export-bytes: daily", kDaily}, {"export-bytes: short", kKurz}};
    for (const auto& view : views) {
        const std::string written = ByteView(Export(view.run));
        EXPECT_EQ(Block(view.marker), written) << "the guide's block " << view.marker << " should read:\n" << written;
    }
}

// The .reg example as Windows' registry editor reads it: one key, DWORD values in hex and
// texts in quotes with \\ and \" as escapes.
FakeRegistry Imported(const std::string& regFile)
{
    FakeRegistry registry;
    std::istringstream lines(regFile);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Windows Registry Editor Version 5.00");
    std::string key;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line.front() == '[') {
            key = line;
            continue;
        }
        const std::size_t equals = line.find("\"=");
        EXPECT_TRUE(line.front() == '"' && equals != std::string::npos &&
                    key == "[HKEY_CURRENT_USER\\Software\\Korvel\\merovant]")
            << line;
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(1, equals - 1), data = line.substr(equals + 2);
        FakeKey& values = registry.keys[SubkeyPath(kSettingsKey)];
        if (data.starts_with("dword:") && data.size() == 14) {
            values[name] = DWord(static_cast<unsigned>(std::stoul(data.substr(6), nullptr, 16)));
        } else if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
            std::string text;
            for (std::size_t i = 1; i + 1 < data.size(); ++i) {
                if (data[i] == '\\') ++i;
                text += data[i];
            }
            values[name] = Text(text);
        } else {
            ADD_FAILURE() << "a value the example should not use: " << line;
        }
    }
    return registry;
}

TEST(GuideSamples, RegExampleGivesTheDescribedSettingsAndDailyLogName)
{
    FakeRegistry registry = Imported(Block("reg-sample"));
    FakeSettingsForm settings;
    ASSERT_NO_THROW(LoadSettings(registry, settings));
    EXPECT_TRUE(settings.lokal);
    EXPECT_TRUE(settings.mbytes);
    // The guide's example run on 31 January 2025 writes this file.
    const std::string name = DailyLogFileName(settings.folder, "BUERO-PC07", 2025, 1, 31);
    EXPECT_EQ(Block("daily-name"), name + "\n");
}

}  // namespace

// The package's property checks and the task definition it registers.
#include "install_request.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "task_template.h"

namespace {

struct PropertyCase {
    const char* aufgabe;
    const char* warnung;
    const char* dailylog;
    const char* error;  // nullptr: accepted
};

const PropertyCase kPropertyCases[] = {
    {"", "", "", nullptr},  // program and event source only
    {"1", "10", "\\\\fileserver\\logs\\merovant", nullptr},
    {"1", "", "D:\\Logs", nullptr},
    {"0", "", "C:\\ProgramData\\Merovant\\", nullptr},
    {"1", "99", "D:\\Logs", nullptr},
    {"1", "07", "D:\\Logs", nullptr},  // as /warnung:07 takes it
    {"1", "", "",
     "Die Eigenschaft \"AUFGABE=1\" braucht einen Ordner für das Tagesprotokoll: DAILYLOG fehlt, und für das "
     "Konto NETWORK SERVICE ist keiner eingetragen."},
    {"1", "10", "", "*"},
    {"ja", "", "",
     "Ungültiger Wert in der Eigenschaft \"AUFGABE=ja\": erlaubt sind 1 (die geplante Aufgabe eintragen) und 0."},
    {"1", "0", "D:\\Logs",
     "Ungültiger Wert in der Eigenschaft \"WARNUNG=0\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", "100", "D:\\Logs",
     "Ungültiger Wert in der Eigenschaft \"WARNUNG=100\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", "10%", "D:\\Logs",
     "Ungültiger Wert in der Eigenschaft \"WARNUNG=10%\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", " 5", "D:\\Logs",
     "Ungültiger Wert in der Eigenschaft \"WARNUNG= 5\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"", "10", "",
     "Die Eigenschaft \"WARNUNG=10\" gilt für die geplante Aufgabe: Sie wirkt nur zusammen mit AUFGABE=1."},
    {"", "", "logs",
     "Ungültiger Wert in der Eigenschaft \"DAILYLOG=logs\": erlaubt ist ein vollständiger Ordnerpfad wie "
     "\\\\fileserver\\merovant oder D:\\Logs."},
    {"", "", "D:Logs", "*"},
    {"", "", "\\\\fileserver", "*"},  // a server without a share
    {"", "", "\\\\\\x", "*"},
    {"", "", "D:\\Logs\\[2026]",
     "Ungültiger Wert in der Eigenschaft \"DAILYLOG=D:\\Logs\\[2026]\": Steuerzeichen, :, <, "
     ">, \", |, ?, *, [, ], { und } sind nicht erlaubt."},
    {"", "", "D:\\Logs|x", "*"},
    {"", "", "D:\\Logs\tx", "*"},
    {"", "", "D:\\Logs\\a:b", "*"},
};

class PropertyTest : public testing::TestWithParam<PropertyCase> {};

TEST_P(PropertyTest, MalformedValuesStopTheInstallWithTheirText)
{
    const PropertyCase& c = GetParam();
    if (c.error == nullptr) {
        EXPECT_NO_THROW(Install::CheckProperties({c.aufgabe, c.warnung, c.dailylog}));
        return;
    }
    try {
        Install::CheckProperties({c.aufgabe, c.warnung, c.dailylog});
        FAIL() << "accepted";
    } catch (const Install::PropertyError& e) {
        if (std::string(c.error) != "*") {
            EXPECT_EQ(e.what(), std::string(c.error));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Properties, PropertyTest, testing::ValuesIn(kPropertyCases));

// An upgrade or a repair: what the command line leaves out comes from the installed version.
struct StoredCase {
    Install::Properties given;
    Install::Properties stored;
    Install::Properties expected;
};

const StoredCase kStoredCases[] = {
    // Without properties: the task, its threshold and the folder as before.
    {{"", "", ""}, {"1", "10", "D:\\Logs"}, {"1", "10", "D:\\Logs"}},
    // A new folder only: the task stays as it was.
    {{"", "", "E:\\Neu"}, {"1", "10", "D:\\Logs"}, {"1", "10", "E:\\Neu"}},
    // A new threshold only: for the task as it was.
    {{"", "20", ""}, {"1", "10", "D:\\Logs"}, {"1", "20", "D:\\Logs"}},
    // AUFGABE given: its threshold is the command line's, none here.
    {{"1", "", ""}, {"1", "10", "D:\\Logs"}, {"1", "", "D:\\Logs"}},
    {{"0", "", ""}, {"1", "10", "D:\\Logs"}, {"0", "", "D:\\Logs"}},
    // A folder written by Group Policy Preferences counts as stored.
    {{"1", "5", ""}, {"", "", "\\\\fs\\logs"}, {"1", "5", "\\\\fs\\logs"}},
    // Nothing stored, nothing given: a plain install.
    {{"", "", ""}, {"", "", ""}, {"", "", ""}},
};

class StoredTest : public testing::TestWithParam<StoredCase> {};

TEST_P(StoredTest, WhatTheCommandLineLeavesOutComesFromTheInstalledVersion)
{
    const StoredCase& c = GetParam();
    const Install::Properties merged = Install::WithStored(c.given, c.stored);
    EXPECT_EQ(merged.aufgabe, c.expected.aufgabe);
    EXPECT_EQ(merged.warnung, c.expected.warnung);
    EXPECT_EQ(merged.dailylog, c.expected.dailylog);
}

INSTANTIATE_TEST_SUITE_P(Stored, StoredTest, testing::ValuesIn(kStoredCases));

// Only the old version's removal in an upgrade keeps the task.
TEST(RemovalTest, KeepsTheTaskWhileAnotherVersionStaysInstalled)
{
    const std::string self = "{11111111-1111-5111-8111-111111111111}";
    const std::string newer = "{22222222-2222-5222-8222-222222222222}";
    EXPECT_FALSE(Install::KeepsTheTask({self}, self));
    EXPECT_FALSE(Install::KeepsTheTask({}, self));
    EXPECT_TRUE(Install::KeepsTheTask({self, newer}, self));
    EXPECT_TRUE(Install::KeepsTheTask({newer}, self));
}

// What a rollback puts back, and how Windows must be asked to register a saved definition.
struct RestoreCase {
    std::optional<std::string> saved;
    Install::Restore::Step step;
    Install::TaskLogon logon;
};

const RestoreCase kRestoreCases[] = {
    {std::nullopt, Install::Restore::Step::Nothing, Install::TaskLogon::ServiceAccount},  // never began
    {"", Install::Restore::Step::Delete, Install::TaskLogon::ServiceAccount},  // there was no task
    {kTaskTemplate, Install::Restore::Step::Register, Install::TaskLogon::ServiceAccount},
    {"<Task><Principals><Principal><UserId>S-1-5-18</UserId></Principal></Principals></Task>",
     Install::Restore::Step::Register, Install::TaskLogon::ServiceAccount},
    {"<Task><Principal><UserId>KORVEL\\admin</UserId><LogonType>Password</LogonType></Principal></Task>",
     Install::Restore::Step::Register, Install::TaskLogon::Password},
    {"<Task><Principal><UserId>KORVEL\\admin</UserId><LogonType>S4U</LogonType></Principal></Task>",
     Install::Restore::Step::Register, Install::TaskLogon::S4U},
    {"<Task><Principal><UserId>KORVEL\\admin</UserId><LogonType>InteractiveToken</LogonType></Principal></Task>",
     Install::Restore::Step::Register, Install::TaskLogon::InteractiveToken},
    {"<Task><Principal><UserId>KORVEL\\admin</UserId></Principal></Task>", Install::Restore::Step::Register,
     Install::TaskLogon::InteractiveToken},
    {"<Task><Principal><GroupId>S-1-5-32-545</GroupId></Principal></Task>", Install::Restore::Step::Register,
     Install::TaskLogon::Group},
};

class RestoreTest : public testing::TestWithParam<RestoreCase> {};

TEST_P(RestoreTest, TheTaskAsItWasBeforeTheChange)
{
    const RestoreCase& c = GetParam();
    const Install::Restore restore = Install::RestoreOf(c.saved);
    EXPECT_EQ(restore.step, c.step);
    EXPECT_EQ(restore.logon, c.logon);
    if (c.step == Install::Restore::Step::Register) {
        EXPECT_EQ(restore.definition, *c.saved);
    }
}

INSTANTIATE_TEST_SUITE_P(Restore, RestoreTest, testing::ValuesIn(kRestoreCases));

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The definition registered is the task file the guide quotes, with the installed program
// and the threshold in its action: nothing else of it changes.
TEST(TaskDefinitionTest, TheTemplateWithTheInstalledActionAndNoDeclaration)
{
    const std::string xml = Install::TaskDefinition(
        kTaskTemplate, Install::TaskActionOf("C:\\Program Files\\Merovant & Co\\merovant.exe|10"));
    std::string expected = Replaced(kTaskTemplate, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "");
    expected = Replaced(expected, "<Command>C:\\Program Files (x86)\\Merovant\\merovant.exe</Command>",
                        "<Command>C:\\Program Files\\Merovant &amp; Co\\merovant.exe</Command>");
    expected = Replaced(expected, "<Arguments>/daily</Arguments>", "<Arguments>/daily /warnung:10</Arguments>");
    EXPECT_EQ(xml, expected);
    EXPECT_TRUE(xml.starts_with("<Task version=\"1.2\""));
}

TEST(TaskDefinitionTest, WithoutAThresholdTheTaskRunsDailyOnly)
{
    EXPECT_EQ(Install::TaskActionOf("C:\\P\\merovant.exe|").arguments, "/daily");
    EXPECT_EQ(Install::TaskActionOf("C:\\P\\merovant.exe|5").arguments, "/daily /warnung:5");
    EXPECT_THROW(Install::TaskActionOf("|5"), std::logic_error);
}

// The definition runs as NETWORK SERVICE, by SID, and keeps the fleet's settings.
TEST(TaskDefinitionTest, RunsAsNetworkServiceWithTheFleetSettings)
{
    const std::string xml(kTaskTemplate);
    for (const char* line :
         {"<UserId>S-1-5-20</UserId>", "<RandomDelay>PT30M</RandomDelay>",
          "<StartWhenAvailable>true</StartWhenAvailable>", "<ExecutionTimeLimit>PT5M</ExecutionTimeLimit>"})
        EXPECT_NE(xml.find(line), std::string::npos) << line;
}

}  // namespace

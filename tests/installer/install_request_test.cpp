// The package's property checks and the task definition it registers.
#include "install_request.h"

#include <gtest/gtest.h>

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
    {"1", "", "", nullptr},
    {"0", "", "C:\\ProgramData\\Merovant\\", nullptr},
    {"1", "99", "D:\\Logs", nullptr},
    {"1", "07", "", nullptr},  // as /warnung:07 takes it
    {"ja", "", "",
     "Ungültiger Wert in der Eigenschaft \"AUFGABE=ja\": erlaubt sind 1 (die geplante Aufgabe eintragen) und 0."},
    {"1", "0", "", "Ungültiger Wert in der Eigenschaft \"WARNUNG=0\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", "100", "", "Ungültiger Wert in der Eigenschaft \"WARNUNG=100\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", "10%", "", "Ungültiger Wert in der Eigenschaft \"WARNUNG=10%\": erlaubt ist eine ganze Zahl von 1 bis 99."},
    {"1", " 5", "", "Ungültiger Wert in der Eigenschaft \"WARNUNG= 5\": erlaubt ist eine ganze Zahl von 1 bis 99."},
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

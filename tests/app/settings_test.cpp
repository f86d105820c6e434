// The settings store against a registry in memory: what loads, what fails, what is written.
#include "app/run_report.h"
#include "app/settings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "errors.h"
#include "fake_registry.h"

namespace {

using namespace std::string_literals;

const std::string kKey = "Software\\Korvel\\merovant";

// Loads and returns the message of the error it raised, "" when none.
std::string Load(FakeRegistry& registry, FakeSettingsForm& form)
{
    try {
        LoadSettings(registry, form);
    } catch (const ERegistryException& error) {
        return error.Message();
    }
    return "";
}

TEST(Settings, LoadsEachValueAsStored)
{
    const struct {
        FakeKey values;
        const char* applied;
    } cases[] = {
        {{{"Lokal", DWord(1)}, {"Mbyte", DWord(0)}, {"dailylog", Text("C:\\Logs")}},
         "lokal=1;mbytes=0;folder=C:\\Logs;"},
        {{{"Lokal", DWord(5)}, {"MByte", DWord(0x01000000)}}, "lokal=1;mbytes=1;folder=;"},
        {{{"LOKAL", DWord(0)}, {"MBYTE", DWord(1)}, {"DAILYLOG", Text("D:\\")}}, "lokal=0;mbytes=1;folder=D:\\;"},
        {{{"Lokal", DWord(0)}, {"Mbyte", DWord(0)}, {"dailylog", Bytes(RegistryType::ExpandString, "%TEMP%\\x")}},
         "lokal=0;mbytes=0;folder=%TEMP%\\x;"},
        {{{"Lokal", DWord(0)}, {"Mbyte", DWord(0)}, {"dailylog", Bytes(RegistryType::String, "C:\\a\0b\0"s)}},
         "lokal=0;mbytes=0;folder=C:\\a;"},
        {{{"Lokal", DWord(0)}, {"Mbyte", DWord(0)}, {"dailylog", Text("C:\\Prüfung")}},
         "lokal=0;mbytes=0;folder=C:\\Pr\xFC"
         "fung;"},
        // A value with no data is the empty text whatever its type.
        {{{"Lokal", DWord(0)}, {"Mbyte", DWord(0)}, {"dailylog", Bytes(RegistryType::DWord, "")}},
         "lokal=0;mbytes=0;folder=;"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.keys[kKey] = c.values;
        FakeSettingsForm form;
        EXPECT_EQ(Load(registry, form), "");
        EXPECT_EQ(form.applied, c.applied);
        EXPECT_EQ(registry.calls, "open " + kKey + ";close;");
    }
}

TEST(Settings, AnErrorKeepsTheValuesReadBeforeIt)
{
    const std::string fetch = "Fehler beim Holen der Daten f\xFCr ", type = "Ung\xFCltiger Datentyp f\xFCr ";
    const struct {
        FakeKey values;
        std::string message;
        const char* applied;
    } cases[] = {
        {{}, fetch + "'Lokal'", ""},
        {{{"Lokal", Text("abc")}}, type + "'Lokal'", ""},
        {{{"Lokal", Text("abcd")}}, fetch + "'Lokal'", ""},
        {{{"Lokal", Bytes(RegistryType::Binary, "1234")}}, type + "'Lokal'", ""},
        {{{"Lokal", Bytes(RegistryType::Binary, "12345678")}}, fetch + "'Lokal'", ""},
        {{{"Lokal", Bytes(5, "\0\0\0\1"s)}}, type + "'Lokal'", ""},  // REG_DWORD_BIG_ENDIAN
        {{{"Lokal", DWord(1)}}, fetch + "'Mbyte'", "lokal=1;"},
        {{{"Lokal", DWord(1)}, {"MByte", Bytes(RegistryType::Binary, "\1")}}, type + "'Mbyte'", "lokal=1;"},
        {{{"Lokal", DWord(0)}, {"Mbyte", DWord(1)}, {"dailylog", DWord(1)}}, type + "'dailylog'", "lokal=0;mbytes=1;"},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.keys[kKey] = c.values;
        FakeSettingsForm form;
        EXPECT_EQ(Load(registry, form), c.message);
        EXPECT_EQ(form.applied, c.applied) << c.message;
        EXPECT_FALSE(registry.IsOpen());
        EXPECT_TRUE(registry.calls.ends_with("close;"));
    }
}

TEST(Settings, AnUnavailableKeyLoadsNothingAndWritesNothing)
{
    const struct {
        const char* path;
        bool refused;
    } cases[] = {{"Software\\Korvel", false}, {kKey.c_str(), true}};
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.keys[c.path] = {{"Lokal", DWord(1)}, {"Mbyte", DWord(1)}};
        registry.refuseFullAccess = c.refused;
        FakeSettingsForm form;
        form.lokal = true;
        EXPECT_EQ(Load(registry, form), "");
        EXPECT_EQ(form.applied, "");
        if (c.refused) {
            EXPECT_NO_THROW(SaveSettings(registry, form));
        }
        EXPECT_EQ(registry.calls.find("set "), std::string::npos) << c.path;
        EXPECT_EQ(registry.keys.size(), 1u) << c.path;
        EXPECT_EQ(registry.keys.begin()->second.size(), 2u) << c.path;
    }
}

TEST(Settings, SavesUpToTheFailingWrite)
{
    const FakeValue oldLokal = Text("x"), oldMbyte = DWord(7), oldLog = Bytes(RegistryType::ExpandString, "%TEMP%\0"s);
    const FakeKey before = {{"Lokal", oldLokal}, {"Mbyte", oldMbyte}, {"dailylog", oldLog}};
    const struct {
        const char* failing;
        std::string message;
        FakeKey after;
    } cases[] = {
        {"", "", {{"Lokal", DWord(1)}, {"Mbyte", DWord(0)}, {"dailylog", Text("C:\\Prüfung")}}},
        {"lokal", "Fehler beim Setzen der Daten f\xFCr 'Lokal'", before},
        {"MByte",
         "Fehler beim Setzen der Daten f\xFCr 'MByte'",
         {{"Lokal", DWord(1)}, {"Mbyte", oldMbyte}, {"dailylog", oldLog}}},
        {"dailylog",
         "Fehler beim Setzen der Daten f\xFCr 'dailylog'",
         {{"Lokal", DWord(1)}, {"Mbyte", DWord(0)}, {"dailylog", oldLog}}},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.keys[kKey] = before;
        registry.failingWrite = c.failing;
        FakeSettingsForm form;
        form.lokal = true;
        form.folder = "C:\\Prüfung";
        std::string message;
        try {
            SaveSettings(registry, form);
        } catch (const ERegistryException& error) {
            message = error.Message();
            EXPECT_EQ(EventIdOfCurrentException(), EventId::SettingsNotSaved) << "not \"could not be read\"";
        }
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(registry.keys[kKey], c.after) << c.failing;
        EXPECT_TRUE(registry.calls.starts_with("create " + kKey + ";set Lokal;"));
        EXPECT_TRUE(registry.calls.ends_with("close;"));
        EXPECT_FALSE(registry.IsOpen());
    }
}

TEST(Settings, ASavedStoreLoadsBackWithoutError)
{
    const FakeKey cleared = {{"Lokal", DWord(0)}, {"MByte", DWord(0)}, {"dailylog", Text("")}};
    const struct {
        bool keyThere;
        FakeKey before;
        const char* loadMessage;
        FakeKey after;
    } cases[] = {
        {false, {}, "", cleared},  // a first run
        {true, {}, "Fehler beim Holen der Daten f\xFCr 'Lokal'", cleared},
        {true,
         {{"Lokal", DWord(5)},
          {"Mbyte", DWord(0x01000000)},
          {"dailylog", Bytes(RegistryType::ExpandString, "%TEMP%\\x")}},
         "",
         {{"Lokal", DWord(1)}, {"Mbyte", DWord(1)}, {"dailylog", Text("%TEMP%\\x")}}},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        if (c.keyThere) registry.keys[kKey] = c.before;
        FakeSettingsForm form;
        EXPECT_EQ(Load(registry, form), c.loadMessage);
        registry.calls.clear();
        SaveSettings(registry, form);
        EXPECT_EQ(registry.calls, "create " + kKey + ";set Lokal;set MByte;set dailylog;close;");
        EXPECT_EQ(registry.keys[kKey], c.after);
        FakeSettingsForm reloaded;
        EXPECT_EQ(Load(registry, reloaded), "");
        EXPECT_EQ(std::tie(reloaded.lokal, reloaded.mbytes, reloaded.folder),
                  std::tie(form.lokal, form.mbytes, form.folder));
    }
}

}  // namespace

// A whole run over folders in memory: what is written, what is said and the exit code;
// and the command line.
#include "overview/overview_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "errors.h"
#include "overview/daily_log.h"

namespace {

const DayNumber kToday = *DayOf({2025, 1, 31});
const std::string kHeader =
    "\xEF\xBB\xBFRechner\tLaufwerk\tStand\tKapazitaet_MB\tFrei_MB\tFrei_Prozent\tTrend_MB_pro_Tag\tVoll_in_Tagen\t"
    "Zustand\r\n";

class FakeFolder final : public LogFolder {
public:
    std::vector<std::pair<std::string, std::string>> files;  // in the order listed
    unsigned listError = 0;
    std::vector<std::string> read;

    unsigned List(const std::function<void(std::string_view, std::uint64_t)>& found) override
    {
        if (listError != 0) return listError;
        for (const auto& [name, bytes] : files) found(name, bytes.size());
        return 0;
    }
    bool Read(const std::string& name, std::size_t limit, std::string& contents) override
    {
        read.push_back(name);
        for (const auto& [fileName, bytes] : files)
            if (fileName == name) {
                contents = bytes.substr(0, limit);
                return true;
            }
        return false;
    }
};

class FakeTarget final : public TargetFolder {
public:
    std::map<std::string, std::string> written;
    unsigned error = 0;
    unsigned ReplaceAll(const std::vector<OutputFileContents>& files) override
    {
        if (error != 0) return error;
        for (const auto& file : files) written[file.name] = file.bytes;
        return 0;
    }
};

class FakeConsole final : public RunConsole {
public:
    std::string summary, error;
    std::size_t lastDone = 0, lastTotal = 0;
    void FileRead(std::size_t done, std::size_t total) override
    {
        lastDone = done;
        lastTotal = total;
    }
    void Summary(const std::string& line) override { summary = line; }
    void Error(const std::string& message) override { error = message; }
};

std::string ShortLog(const std::string& free, const std::string& percent)
{
    return "PC Frei (MB) Frei in %\r\nC: " + free + "  " + percent + " %\r\n";
}

OverviewArguments Arguments()
{
    OverviewArguments arguments;
    arguments.folder = "\\\\srv\\merovant";
    arguments.target = "D:\\Berichte";
    return arguments;
}

struct OverviewOf {
    FakeFolder folder;
    FakeTarget target;
    FakeConsole console;
    int Go(const OverviewArguments& arguments = Arguments())
    {
        return RunOverview(arguments, kToday, folder, target, console);
    }
};

TEST(OverviewRun, FailuresWriteNothingAndEndWith1)
{
    OverviewOf missing;
    missing.folder.listError = 3;
    EXPECT_EQ(missing.Go(), 1);
    EXPECT_TRUE(missing.target.written.empty());  // never an empty table that claims an empty fleet
    EXPECT_EQ(missing.console.error, "Der Ordner \"\\\\srv\\merovant\" ist nicht lesbar: Ungültiger Dateiname (3).");

    OverviewOf unwritable;
    unwritable.folder.files = {{"PC-20250131.txt", ShortLog("5", "50")}};
    unwritable.target.error = 5;
    EXPECT_EQ(unwritable.Go(), 1);
    EXPECT_EQ(unwritable.console.error,
              "Die Übersicht kann nicht nach \"D:\\Berichte\" geschrieben werden: Dateizugriff verweigert (5).");
    EXPECT_TRUE(unwritable.console.summary.empty());
}

TEST(OverviewRun, NoLogInTheWindowGivesTheHeaderAloneAnd3)
{
    OverviewOf run;
    run.folder.files = {{"PC-20241102.txt", ShortLog("5", "50")},  // 90 days before
                        {"PC-20250201.txt", ShortLog("5", "50")},  // after the reference date
                        {"notizen.txt", "x"},
                        {"-20250131.txt", ShortLog("5", "50")}};
    EXPECT_EQ(run.Go(), 3);
    EXPECT_EQ(run.target.written["uebersicht.tsv"], kHeader);
    EXPECT_NE(run.target.written["uebersicht.html"].find("<tbody>\n</tbody>"), std::string::npos);
    EXPECT_EQ(run.console.summary, "Keine Tagesprotokolle vom 03.11.2024 bis 31.01.2025 in \"\\\\srv\\merovant\": "
                                   "nur die Kopfzeile geschrieben.");
    EXPECT_TRUE(run.folder.read.empty());
}

TEST(OverviewRun, TheListingOrderDoesNotMatter)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (int day = 1; day <= 31; ++day) {
        const std::string date = "202501" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        files.emplace_back("PC-A-" + date + ".txt", ShortLog(std::to_string(90000 - 1000 * day), "90"));
        files.emplace_back("PC-" + date + ".TXT", ShortLog(std::to_string(50000 + 300 * day), "50"));
    }
    std::string first;
    for (int shuffle = 0; shuffle < 3; ++shuffle) {
        std::rotate(files.begin(), files.begin() + 17, files.end());
        std::reverse(files.begin() + shuffle, files.end());
        OverviewOf run;
        run.folder.files = files;
        run.Go(OverviewArguments(Arguments()));
        if (shuffle == 0) first = run.target.written["uebersicht.tsv"];
        EXPECT_EQ(run.target.written["uebersicht.tsv"], first);
        EXPECT_EQ(run.console.lastDone, 62U);
        EXPECT_EQ(run.console.lastTotal, 62U);
    }
    EXPECT_EQ(first, kHeader + "PC-A\tC:\t2025-01-31\t\t59000\t90\t-1000.0\t59\tok\r\n"
                               "PC\tC:\t2025-01-31\t\t59300\t50\t300.0\t\tok\r\n");
}

TEST(OverviewRun, AnOversizedNewestLogIsNotReadAndMakesAFehlerRow)
{
    OverviewOf run;
    run.folder.files = {{"PC-20250130.txt", ShortLog("5000", "50")},
                        {"PC-20250131.txt", std::string(kLargestDailyLog + 1, 'x')}};
    EXPECT_EQ(run.Go(), 3);
    EXPECT_EQ(run.folder.read, std::vector<std::string>{"PC-20250130.txt"});
    EXPECT_EQ(run.target.written["uebersicht.tsv"], kHeader + "PC\t\t2025-01-31\t\t\t\t\t\tfehler\r\n"
                                                              "PC\tC:\t2025-01-30\t\t5000\t50\t\t\tok\r\n");
    EXPECT_EQ(run.console.summary, "2 Tagesprotokolle vom 03.11.2024 bis 31.01.2025 gelesen, 2 Zeilen nach "
                                   "\"D:\\Berichte\": 1 fehler, 0 fehlt, 0 warnung, 0 bald_voll, 1 ok.");
}

TEST(OverviewArguments, SwitchesAndTheirValues)
{
    const auto parsed = ParseOverviewArguments({"merovant-uebersicht.exe", "\\\\srv\\logs", "D:\\x",
                                                "/STICHTAG:20250131", "/warnung:05", "/Tage:365", "/fehlt:3"});
    EXPECT_EQ(parsed.folder, "\\\\srv\\logs");
    EXPECT_EQ(parsed.target, "D:\\x");
    EXPECT_EQ(parsed.reference, kToday);
    EXPECT_EQ(parsed.warningPercent, 5);
    EXPECT_EQ(parsed.horizonDays, 365);
    EXPECT_EQ(parsed.silentDays, 3);
    const auto defaults = ParseOverviewArguments({"x.exe", "a", "b"});
    EXPECT_FALSE(defaults.reference);
    EXPECT_EQ(defaults.warningPercent, 10);
    EXPECT_EQ(defaults.horizonDays, 30);
    EXPECT_EQ(defaults.silentDays, 1);
    EXPECT_TRUE(ParseOverviewArguments({"x.exe", "a", "/tage:0", "/?"}).help);  // help first, as merovant.exe
}

TEST(OverviewArguments, MalformedArgumentsAreExplained)
{
    const std::string usage =
        "\nAufruf: merovant-uebersicht.exe ORDNER ZIELORDNER [/stichtag:JJJJMMTT] [/warnung:N] [/tage:D] [/fehlt:T]";
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"a", "b", "/warnung:100"},
         "Ungültiger Wert im Schalter \"/warnung:100\": erlaubt ist eine ganze Zahl von 1 bis 99."},
        {{"a", "b", "/warnung"}, "Ungültiger Wert im Schalter \"/warnung\": erlaubt ist eine ganze Zahl von 1 bis 99."},
        {{"a", "b", "/tage:0"}, "Ungültiger Wert im Schalter \"/tage:0\": erlaubt ist eine ganze Zahl von 1 bis 365."},
        {{"a", "b", "/tage:366"},
         "Ungültiger Wert im Schalter \"/tage:366\": erlaubt ist eine ganze Zahl von 1 bis 365."},
        {{"a", "b", "/fehlt:31"},
         "Ungültiger Wert im Schalter \"/fehlt:31\": erlaubt ist eine ganze Zahl von 1 bis 30."},
        {{"a", "b", "/fehlt:-1"},
         "Ungültiger Wert im Schalter \"/fehlt:-1\": erlaubt ist eine ganze Zahl von 1 bis 30."},
        {{"a", "b", "/stichtag:20250229"},
         "Ungültiger Wert im Schalter \"/stichtag:20250229\": erlaubt ist ein Datum als JJJJMMTT."},
        {{"a", "b", "/stichtag:2025-01-31"},
         "Ungültiger Wert im Schalter \"/stichtag:2025-01-31\": erlaubt ist ein Datum als JJJJMMTT."},
        {{"a", "b", "/tagex:3"}, "Unbekannter Schalter \"/tagex:3\"." + usage},
        {{}, "Es fehlen ORDNER und ZIELORDNER." + usage},
        {{"a"}, "Es fehlt der ZIELORDNER." + usage},
        {{"a", "b", "c"}, "Zu viele Ordner: \"c\"." + usage},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"merovant-uebersicht.exe"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        try {
            ParseOverviewArguments(arguments);
            ADD_FAILURE() << c.message;
        } catch (const ECommandLineError& error) {
            EXPECT_EQ(error.Message(), c.message);
        }
    }
}

}  // namespace

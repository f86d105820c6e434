// The rows' states, their order, the exit code and the bytes of both files.
#include "overview/fleet.h"

#include <gtest/gtest.h>

#include <functional>

#include "overview/overview_output.h"

namespace {

const DayNumber kReference = *DayOf({2025, 1, 31});

DailyLog LongLog(std::vector<DriveReading> drives) { return {true, std::move(drives)}; }

DriveReading Drive(const char* letter, std::int64_t capacity, std::int64_t free, const char* label = "DATEN")
{
    return {letter, label, capacity, free, static_cast<int>((free * 100 + capacity / 2) / capacity), "1E07-B3A4"};
}

OverviewSettings Settings(int silentDays = 1)
{
    OverviewSettings settings;
    settings.reference = kReference;
    settings.silentDays = silentDays;
    return settings;
}

struct Expected {
    std::string computer, drive;
    RowState state;
};

std::vector<Expected> Summary(const std::vector<OverviewRow>& rows)
{
    std::vector<Expected> out;
    out.reserve(rows.size());
    for (const OverviewRow& row : rows) out.push_back({row.computer, row.drive, row.state});
    return out;
}

bool operator==(const Expected& a, const Expected& b)
{
    return a.computer == b.computer && a.drive == b.drive && a.state == b.state;
}

void PrintTo(const Expected& e, std::ostream* os) { *os << e.computer << " " << e.drive << " " << StateName(e.state); }

// A drive filling up by 1000 MB a day: full in free/1000 days.
void AddFillingDays(PcLogs& pc, DayNumber last, int days, std::int64_t capacity, std::int64_t freeOnLast)
{
    for (int i = days - 1; i >= 0; --i)
        pc.Add(last - i, LongLog({Drive("C:", capacity, freeOnLast + std::int64_t{1000} * i)}));
}

TEST(Fleet, StatesInTheirOrderOfPrecedence)
{
    const struct {
        const char* why;
        std::function<void(PcLogs&)> logs;
        int silentDays;
        std::vector<Expected> rows;
    } cases[] = {
        {"all well",
         [](PcLogs& pc) { pc.Add(kReference, LongLog({Drive("C:", 100000, 50000)})); },
         1,
         {{"PC", "C:", RowState::Ok}}},
        {"the newest log unreadable: a row of its own, the drive from the day before",
         [](PcLogs& pc) {
             pc.Add(kReference - 1, LongLog({Drive("C:", 100000, 50000)}));
             pc.Add(kReference, std::nullopt);
         },
         1,
         {{"PC", "", RowState::Fehler}, {"PC", "C:", RowState::Ok}}},
        {"silent longer than /fehlt",
         [](PcLogs& pc) { pc.Add(kReference - 2, LongLog({Drive("C:", 100000, 5000)})); },
         1,
         {{"PC", "C:", RowState::Fehlt}}},
        {"over a weekend with /fehlt:3",
         [](PcLogs& pc) { pc.Add(kReference - 3, LongLog({Drive("C:", 100000, 50000)})); },
         3,
         {{"PC", "C:", RowState::Ok}}},
        {"silent and unreadable: fehler first",
         [](PcLogs& pc) {
             pc.Add(kReference - 9, LongLog({Drive("C:", 100000, 50000)}));
             pc.Add(kReference - 8, std::nullopt);
         },
         1,
         {{"PC", "", RowState::Fehler}, {"PC", "C:", RowState::Fehlt}}},
        {"a drive gone from the newest log",
         [](PcLogs& pc) {
             pc.Add(kReference - 1, LongLog({Drive("C:", 100000, 50000), Drive("D:", 100000, 50000)}));
             pc.Add(kReference, LongLog({Drive("C:", 100000, 50000)}));
         },
         1,
         {{"PC", "D:", RowState::Fehlt}, {"PC", "C:", RowState::Ok}}},
        {"9.6 % free is below 10 % although the log says 10 %",
         [](PcLogs& pc) { pc.Add(kReference, LongLog({Drive("C:", 100000, 9600)})); },
         1,
         {{"PC", "C:", RowState::Warnung}}},
        {"exactly 10 % is no warning",
         [](PcLogs& pc) { pc.Add(kReference, LongLog({Drive("C:", 100000, 10000)})); },
         1,
         {{"PC", "C:", RowState::Ok}}},
        {"short layout: the written percentage",
         [](PcLogs& pc) {
             pc.Add(kReference, DailyLog{false, {{"C:", "", std::nullopt, 5, 9, ""}}});
         },
         1,
         {{"PC", "C:", RowState::Warnung}}},
        {"full within 30 days",
         [](PcLogs& pc) { AddFillingDays(pc, kReference, 7, 100000, 30000); },
         1,
         {{"PC", "C:", RowState::BaldVoll}}},
        {"full in 31 days",
         [](PcLogs& pc) { AddFillingDays(pc, kReference, 7, 100000, 31000); },
         1,
         {{"PC", "C:", RowState::Ok}}},
    };
    for (const auto& c : cases) {
        PcLogs pc("PC");
        c.logs(pc);
        std::vector<OverviewRow> rows;
        pc.AppendRows(Settings(c.silentDays), rows);
        SortRows(rows);
        EXPECT_EQ(Summary(rows), c.rows) << c.why;
    }
}

TEST(Fleet, SortedByStateDaysUntilFullComputerAndDrive)
{
    std::vector<OverviewRow> rows;
    const auto add = [&](const char* computer, const char* drive, RowState state, std::optional<std::int64_t> days) {
        OverviewRow row;
        row.computer = computer;
        row.drive = drive;
        row.state = state;
        row.forecast.daysUntilFull = days;
        rows.push_back(row);
    };
    add("PC-B", "C:", RowState::Ok, std::nullopt);
    add("PC-A", "D:", RowState::Ok, 400);
    add("PC-A", "C:", RowState::Ok, std::nullopt);
    add("PC-Z", "C:", RowState::BaldVoll, 3);
    add("PC-a", "C:", RowState::Warnung, std::nullopt);
    add("PC-C", "C:", RowState::Warnung, 2);
    add("PC-D", "", RowState::Fehler, std::nullopt);
    add("PC-A", "E:", RowState::Fehlt, std::nullopt);
    SortRows(rows);
    const std::vector<Expected> expected = {
        {"PC-D", "", RowState::Fehler},    {"PC-A", "E:", RowState::Fehlt},    {"PC-C", "C:", RowState::Warnung},
        {"PC-a", "C:", RowState::Warnung}, {"PC-Z", "C:", RowState::BaldVoll}, {"PC-A", "D:", RowState::Ok},
        {"PC-A", "C:", RowState::Ok},      {"PC-B", "C:", RowState::Ok},
    };
    EXPECT_EQ(Summary(rows), expected);
}

TEST(Fleet, ExitCodeIsZeroOnlyWhenEveryRowIsOk)
{
    OverviewRow ok, warning;
    warning.state = RowState::Warnung;
    EXPECT_EQ(ExitCodeOf({ok, ok}), 0);
    EXPECT_EQ(ExitCodeOf({ok, warning}), 3);
    EXPECT_EQ(ExitCodeOf({}), 3);  // a fleet that reports nothing
}

TEST(Output, TsvBytes)
{
    PcLogs pc("B\xDCRO-7");  // Windows-1252, as the folder lists it
    AddFillingDays(pc, kReference, 7, 100000, 30000);
    PcLogs shortOnly("PC2");
    shortOnly.Add(kReference - 3, DailyLog{false, {{"D:", "", std::nullopt, 70000, 70, ""}}});
    shortOnly.Add(kReference, std::nullopt);
    std::vector<OverviewRow> rows;
    pc.AppendRows(Settings(), rows);
    shortOnly.AppendRows(Settings(), rows);
    SortRows(rows);
    EXPECT_EQ(OverviewTsv(rows), "\xEF\xBB\xBF"
                                 "Rechner\tLaufwerk\tStand\tKapazitaet_MB\tFrei_MB\tFrei_Prozent\tTrend_MB_pro_Tag\t"
                                 "Voll_in_Tagen\tZustand\r\n"
                                 "PC2\t\t2025-01-31\t\t\t\t\t\tfehler\r\n"
                                 "B\xC3\x9CRO-7\tC:\t2025-01-31\t100000\t30000\t30\t-1000.0\t30\tbald_voll\r\n"
                                 "PC2\tD:\t2025-01-28\t\t70000\t70\t\t\tok\r\n");
    EXPECT_EQ(OverviewTsv({}), "\xEF\xBB\xBF"
                               "Rechner\tLaufwerk\tStand\tKapazitaet_MB\tFrei_MB\tFrei_Prozent\tTrend_MB_pro_Tag\t"
                               "Voll_in_Tagen\tZustand\r\n");
}

TEST(Output, NamesAndLabelsAreEscapedInTheHtml)
{
    PcLogs pc("<PC&\"1'>");
    pc.Add(kReference, LongLog({Drive("C:", 100000, 50000, "<script>alert(1)</script> \xC4\x80")}));
    std::vector<OverviewRow> rows;
    pc.AppendRows(Settings(), rows);
    const std::string html = OverviewHtml(rows, Settings());
    EXPECT_NE(html.find("<th scope=\"row\">&lt;PC&amp;&quot;1&#39;&gt;</th>"), std::string::npos);
    EXPECT_NE(html.find("C: &lt;script&gt;alert(1)&lt;/script&gt; \xC3\x84\xE2\x82\xAC</td>"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("http:"), std::string::npos);  // nothing to fetch, no namespace needed inline
    EXPECT_EQ(html.find("https:"), std::string::npos);
    EXPECT_NE(html.find("<html lang=\"de\">"), std::string::npos);
    EXPECT_NE(html.find("Laufwerke am 31.01.2025"), std::string::npos);
    EXPECT_NE(html.find("<li>0 fehler</li><li>0 fehlt</li><li>0 warnung</li><li>0 bald_voll</li><li>1 ok</li>"),
              std::string::npos);
}

}  // namespace

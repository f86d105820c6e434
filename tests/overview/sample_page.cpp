// Writes the overview page of a small made-up fleet, one drive of each state with 90 days of
// history, for the check of the page in a browser (scripts/test) and its picture in docs/.
//   overview_sample_page OUT.html
#include <cstdio>
#include <fstream>

#include "overview/fleet.h"
#include "overview/overview_output.h"

namespace {

DriveReading Reading(const char* drive, const char* label, std::int64_t capacity, std::int64_t free)
{
    return {drive, label, capacity, free, static_cast<int>((free * 100 + capacity / 2) / capacity), "1E07-B3A4"};
}

// free(day) for the last `days` days up to `last`, one log a day, some days missing.
template <typename Free>
void AddDays(PcLogs& pc, DayNumber last, int days, const char* drive, const char* label, std::int64_t capacity,
             Free free)
{
    for (int ago = days - 1; ago >= 0; --ago) {
        if (ago % 13 == 5) continue;  // a day the PC was off
        pc.Add(last - ago, DailyLog{true, {Reading(drive, label, capacity, free(ago))}});
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: overview_sample_page OUT.html\n", stderr);
        return 2;
    }
    OverviewSettings settings;
    settings.reference = *DayOf({2025, 1, 31});
    const DayNumber today = settings.reference;
    std::vector<OverviewRow> rows;

    PcLogs filling("PC-0815");
    AddDays(filling, today, 90, "D:", "DATEN", 120000, [](int ago) { return 13000 + 450 * ago; });
    filling.AppendRows(settings, rows);

    PcLogs cleaned("B\xDCRO-PC07");  // Windows-1252, as the folder lists it
    AddDays(cleaned, today, 90, "C:", "SYSTEM", 243523,
            [](int ago) { return ago > 20 ? 60000 + 900 * (ago - 20) : 70000 - 200 * (20 - ago) + 5 * (ago % 3); });
    cleaned.AppendRows(settings, rows);

    PcLogs low("LAGER-01");
    AddDays(low, today, 60, "C:", "<System & Daten>", 120000, [](int ago) { return 11000 - 20 * (60 - ago); });
    low.AppendRows(settings, rows);

    PcLogs silent("KASSE-3");
    AddDays(silent, today - 6, 40, "C:", "SYSTEM", 250000, [](int ago) { return 150000 + 100 * ago; });
    silent.AppendRows(settings, rows);

    PcLogs broken("EMPFANG");
    AddDays(broken, today - 1, 30, "C:", "SYSTEM", 500000, [](int ago) { return 300000 - 10 * ago; });
    broken.Add(today, std::nullopt);
    broken.AppendRows(settings, rows);

    SortRows(rows);
    std::ofstream out(argv[1], std::ios::binary);
    out << OverviewHtml(rows, settings);
    return out ? 0 : 1;
}

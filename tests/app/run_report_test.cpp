// The run's exit code and events, by session and run kind.
#include "app/run_report.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "errors.h"

namespace {

class RecordedEvents final : public EventSink {
public:
    std::vector<std::pair<EventId, std::vector<std::string>>> events;
    void Report(EventId id, const std::vector<std::string>& strings) noexcept override
    {
        events.emplace_back(id, strings);
    }
};

TEST(RunReport, ErrorsAreShownOrLoggedByTheSession)
{
    const struct {
        bool anybodyThere, unattended;
        bool boxShown, eventWritten;
        int exitCode;  // after an error in the start-up sequence
    } cases[] = {
        {true, false, true, false, kExitError},  // the window of an interactive run
        {true, true, true, true, kExitError},  // a task that a logged-on user sees
        {false, true, false, true, kExitError},  // a task nobody sees
        {false, false, false, true, kExitError},
    };
    for (const auto& c : cases) {
        RecordedEvents log;
        RunReport report(c.anybodyThere, c.unattended, "merovant.exe /daily", log);
        report.SetExportTarget("\\\\srv\\logs\\PC1-20261208.txt");
        EXPECT_EQ(report.Error(EventId::ExportFailed, "E/A-Fehler 53."), c.boxShown);
        report.StartupFailed();
        EXPECT_EQ(report.ExitCode(), c.exitCode);
        ASSERT_EQ(log.events.size(), c.eventWritten ? 1U : 0U);
        if (!c.eventWritten) continue;
        EXPECT_EQ(log.events[0].first, EventId::ExportFailed);
        const std::vector<std::string> texts{"E/A-Fehler 53.", "merovant.exe /daily",
                                             "\\\\srv\\logs\\PC1-20261208.txt"};
        EXPECT_EQ(log.events[0].second, texts);
    }
}

// ReportEvent refuses an insertion string beyond 31,839 characters, and a command line may
// reach 32,767: each string is cut to the limit, the cut marked with "…" (0x85).
TEST(RunReport, EventStringsAreCutToWhatTheEventLogTakes)
{
    const std::string line = "merovant.exe " + std::string(32767 - 13, 'x');
    const struct {
        std::size_t length;
        std::string text;
    } cases[] = {
        {31839, std::string(31839, 'a')},
        {31840, std::string(31838, 'a') + "\x85"},
        {32767, std::string(31838, 'a') + "\x85"},
        {0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CutToEventString(std::string(c.length, 'a')), c.text) << c.length;

    RecordedEvents log;
    RunReport report(false, true, line, log);
    report.SetExportTarget("D:\\x.txt");
    report.Error(EventId::ExportFailed, "E/A-Fehler 53.");
    ASSERT_EQ(log.events.size(), 1U);
    const std::vector<std::string> texts{"E/A-Fehler 53.", line.substr(0, 31838) + "\x85", "D:\\x.txt"};
    EXPECT_EQ(log.events[0].second, texts);
}

// A task that runs whether the user is logged on or not gets an invisible window station; a
// service or an agent running as SYSTEM gets session 0, whose WinSta0 claims to be visible.
TEST(RunReport, NobodySeesAnInvisibleStationOrSessionZero)
{
    constexpr unsigned long kOtherFlag = 0x0100;
    const struct {
        std::optional<unsigned long> stationFlags, sessionId;
        bool anybodyThere;
    } cases[] = {
        {kStationVisible, 1UL, true},  // the user's desktop
        {kStationVisible | kOtherFlag, 2UL, true},  // another user's, over Remote Desktop
        {kOtherFlag, 1UL, false},  // an invisible station in the user's session
        {kStationVisible, 0UL, false},  // session 0's WinSta0
        {0UL, 0UL, false},
        {std::nullopt, 0UL, false},  // the station's query failed, the session's did not
        {std::nullopt, 1UL, true},
        {kStationVisible, std::nullopt, true},
        {0UL, std::nullopt, false},
        {std::nullopt, std::nullopt, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnybodyThere(c.stationFlags, c.sessionId), c.anybodyThere)
            << c.stationFlags.value_or(99) << " in session " << c.sessionId.value_or(99);
}

TEST(RunReport, AnErrorOutweighsAMissingPerson)
{
    RecordedEvents log;
    RunReport report(false, false, "merovant.exe", log);
    EXPECT_EQ(report.ExitCode(), kExitSuccess);
    report.NeedsPerson("niemand");
    EXPECT_EQ(report.ExitCode(), kExitNeedsPerson);
    report.Error(EventId::SettingsUnreadable, "Ungültiger Datentyp für 'Lokal'.");
    EXPECT_EQ(report.ExitCode(), kExitError);
    ASSERT_EQ(log.events.size(), 2U);
    EXPECT_EQ(log.events[0].first, EventId::NeedsPerson);
    EXPECT_EQ(log.events[1].first, EventId::SettingsUnreadable);
}

TEST(RunReport, EachErrorKindHasItsEvent)
{
    const auto idOf = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return EventIdOfCurrentException();
        }
        return EventId{};
    };
    EXPECT_EQ(idOf([] { throw EInOutError(112); }), EventId::ExportFailed);
    EXPECT_EQ(idOf([] { throw ERegistryException("x"); }), EventId::SettingsUnreadable);
    EXPECT_EQ(idOf([] { throw EZeroDivide(); }), EventId::OtherError);
    EXPECT_EQ(idOf([] { throw ECommandLineError("/warnung:0"); }), EventId::OtherError);
    EXPECT_EQ(idOf([] { throw 7; }), EventId::OtherError);
}

// The warnings of /warnung:N are decided from the byte counts, not from the cells' texts.
TEST(RunReport, AnExportWarnsOfEachDriveBelowTheThreshold)
{
    constexpr std::int64_t MB = std::int64_t{1024} * 1024, kMost = INT64_MAX;
    const std::string file = "D:\\log.txt";
    const struct {
        DiskSpace space;  // of D:
        int threshold;
        std::vector<std::string> warning;  // event 10's texts, or 11's for 3 texts; none: no warning
    } cases[] = {
        {{100 * MB, 10 * MB}, 50, {"D:", "10", "100", "10.0", "50", file}},
        {{100 * MB, 50 * MB}, 50, {}},  // exactly N %: not below
        {{100 * MB + 2, 50 * MB}, 50, {"D:", "50", "100", "50.0", "50", file}},  // a hair below
        {{3 * MB, 2 * MB}, 67, {"D:", "2", "3", "66.7", "67", file}},
        {{100 * MB, 0}, 1, {"D:", "0", "100", "0.0", "1", file}},  // full
        {{kMost, kMost / 2}, 50, {"D:", "4398046511104", "8796093022208", "50.0", "50", file}},  // no overflow
        {{kMost, kMost / 2 + 1}, 50, {}},
        {{3 * MB / 2, MB / 2}, 40, {"D:", "1", "2", "33.3", "40", file}},  // half a MB rounds up
        {{-1, -1}, 50, {"D:", "50", file}},  // size unknown: shows 100 %, warned of all the same
        {{100 * MB, 10 * MB}, 0, {}},  // no /warnung
    };
    for (const auto& c : cases) {
        RecordedEvents log;
        RunReport report(true, true, "merovant.exe /daily", log);
        report.Exported(file, 1, {{'D', c.space}}, c.threshold);
        const bool warned = !c.warning.empty();
        ASSERT_EQ(log.events.size(), warned ? 2U : 1U) << c.space.free << "/" << c.space.total;
        if (warned) {
            EXPECT_EQ(log.events[0].first, c.warning.size() == 3 ? EventId::SizeUnknown : EventId::LowSpace);
            EXPECT_EQ(log.events[0].second, c.warning);
        }
        EXPECT_EQ(log.events.back().first, EventId::Exported);
        EXPECT_EQ(report.ExitCode(), warned ? kExitBelowThreshold : kExitSuccess);
    }
}

// The heartbeat: the target, the listed drives, and the smallest free share of those
// whose size is known.
TEST(RunReport, EveryUnattendedExportLeavesAHeartbeat)
{
    constexpr std::int64_t MB = std::int64_t{1024} * 1024;
    const struct {
        std::vector<MeasuredDrive> measured;
        std::string smallest;
    } cases[] = {
        {{{'C', {100 * MB, 40 * MB}}, {'D', {200 * MB, 25 * MB}}, {'E', {-1, -1}}}, "12.5"},
        {{{'E', {-1, -1}}}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        RecordedEvents log;
        RunReport report(false, true, "merovant.exe /daily", log);
        report.Exported("\\\\srv\\logs\\PC1-20261208.txt", 4, c.measured, 0);
        ASSERT_EQ(log.events.size(), 1U);
        EXPECT_EQ(log.events[0].first, EventId::Exported);
        const std::vector<std::string> texts{"\\\\srv\\logs\\PC1-20261208.txt", "4", c.smallest};
        EXPECT_EQ(log.events[0].second, texts);
        EXPECT_EQ(report.ExitCode(), kExitSuccess);
    }
    EXPECT_EQ(TypeOf(EventId::LowSpace), EventType::Warning);
    EXPECT_EQ(TypeOf(EventId::SizeUnknown), EventType::Warning);
    EXPECT_EQ(TypeOf(EventId::Exported), EventType::Information);
    EXPECT_EQ(TypeOf(EventId::NeedsPerson), EventType::Error);
}

}  // namespace

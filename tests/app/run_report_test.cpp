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
    EXPECT_EQ(idOf([] { throw 7; }), EventId::OtherError);
}

}  // namespace

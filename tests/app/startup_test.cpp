// The start-up sequence's order and its switch table.
#include "app/startup.h"

#include "app/command_line.h"
#include "app/warning_threshold.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>

#include "errors.h"
#include "fake_startup_host.h"

namespace {

std::vector<std::string> Args(std::initializer_list<std::string> arguments)
{
    std::vector<std::string> all{"merovant.exe"};
    all.insert(all.end(), arguments);
    return all;
}

TEST(StartupSequence, RunsItsStepsInOrder)
{
    const struct {
        std::vector<std::string> arguments;
        const char* log;
        bool anybodyThere = true;  // false: a session nobody sees, no window or dialog
    } cases[] = {
        {Args({}), "load;status;fill;"},
        {Args({"/kurz"}), "load;status;fill;"},
        {Args({"Out.TXT"}), "load;status;fill;export out.txt;quit;"},
        {Args({"report.txt", "/daily"}), "load;status;fill;export C:\\Logs\\PC1-20260304.txt;quit;"},
        {Args({"/daily", "report.txt"}), "load;status;fill;export report.txt;quit;"},
        {Args({"?"}), "load;status;fill;dialog;quit;"},
        {Args({"/automatik"}), "load;status;fill;dialog;quit;"},
        {Args({"x.txt", "*"}), "load;status;fill;"},
        {Args({"-lokal"}), "load;status;fill;export -lokal;quit;"},
        {Args({"/mb1", "/", "/LOKAL"}), "load;status;fill;"},
        {Args({}), "load;status;fill;", false},
        {Args({"?"}), "load;status;fill;", false},
        {Args({"/automatik"}), "load;status;fill;", false},
        {Args({"x.txt", "*"}), "load;status;fill;", false},
        {Args({"/daily"}), "load;status;fill;export C:\\Logs\\PC1-20260304.txt;quit;", false},
        {Args({"Out.TXT"}), "load;status;fill;export out.txt;quit;", false},
    };
    for (const auto& c : cases) {
        FakeStartupHost form;
        StartupState state;
        state.anybodyThere = c.anybodyThere;
        const StartupEnd end = RunStartupSequence(form, c.arguments, state);
        EXPECT_EQ(form.log, c.log) << c.arguments.back() << c.anybodyThere;
        const bool exported = std::string_view(c.log).ends_with("quit;");
        const StartupEnd expected = exported         ? StartupEnd::Ending
                                    : c.anybodyThere ? StartupEnd::WindowStays
                                                     : StartupEnd::NeedsPerson;
        EXPECT_EQ(end, expected) << c.arguments.back() << c.anybodyThere;
    }
}

TEST(StartupSequence, SwitchesOnlyTurnOptionsOn)
{
    const struct {
        std::vector<std::string> arguments;
        bool localOnly, megabytes, shortExport;
    } cases[] = {
        {Args({"/LOKAL"}), true, false, false},
        {Args({"/Mb"}), false, true, false},
        {Args({"/kurz"}), false, false, true},
        {Args({"/automatik"}), true, true, false},
        {Args({"/daily", "/kurz"}), true, true, true},
        {Args({"?"}), false, false, false},
        {Args({"/lokal1", "/mbytes"}), false, false, false},
    };
    for (const auto& c : cases) {
        FakeStartupHost form;
        StartupState state;
        RunStartupSequence(form, c.arguments, state);
        EXPECT_EQ(form.localOnly, c.localOnly) << c.arguments.back();
        EXPECT_EQ(form.megabytes, c.megabytes) << c.arguments.back();
        EXPECT_EQ(form.shortExport, c.shortExport) << c.arguments.back();
    }
}

TEST(StartupSequence, TheDailyNameUsesTheFolderUnchanged)
{
    for (const auto& [folder, name] : {std::pair{"", "\\PC1-20260304.txt"}, {"D:\\", "D:\\\\PC1-20260304.txt"}}) {
        FakeStartupHost form;
        form.folder = folder;
        EXPECT_EQ(ApplyArguments(form, Args({"/daily"})), name);
    }
}

TEST(StartupSequence, TheRequestIsReadBeforeAnythingRuns)
{
    const struct {
        std::vector<std::string> arguments;
        bool help, exports;
    } cases[] = {
        {Args({}), false, false},
        {Args({"/mb", "/kurz", "/lokal"}), false, false},
        {Args({"Out.TXT"}), false, true},
        {Args({"/DAILY"}), false, true},
        {Args({"/automatik"}), false, true},
        {Args({"?"}), false, true},
        {Args({"x.txt", "*"}), false, false},
        {Args({"*", "/daily"}), false, true},
        {Args({"/daily", "/?"}), true, true},
        {Args({"/?1"}), false, false},
    };
    for (const auto& c : cases) {
        const RunRequest request = RequestOf(c.arguments);
        EXPECT_EQ(request.help, c.help) << c.arguments.back();
        EXPECT_EQ(request.exports, c.exports) << c.arguments.back();
    }
}

// A threshold that silently did nothing would never warn: a malformed one stops the run
// before any argument takes effect, with the switch as given (lower-cased).
TEST(StartupSequence, TheThresholdIsAWholePercentFrom1To99)
{
    const struct {
        std::vector<std::string> arguments;
        int threshold;  // 0: malformed, the message names the last argument
    } cases[] = {
        {Args({"/daily", "/warnung:50"}), 50},
        {Args({"/WARNUNG:1", "x.txt"}), 1},
        {Args({"/warnung:10", "/warnung:99"}), 99},
        {Args({"/warnung:05"}), 5},
        {Args({"/warnung:"}), 0},
        {Args({"/warnung:abc"}), 0},
        {Args({"/warnung:0"}), 0},
        {Args({"/warnung:100"}), 0},
        {Args({"/warnung:5x"}), 0},
        {Args({"/Warnung"}), 0},
        {Args({"/daily", "/warnung:-5"}), 0},
        {Args({"/warnung: 5"}), 0},
    };
    for (const auto& c : cases) {
        FakeStartupHost form;
        StartupState state;
        std::string message;
        try {
            RunStartupSequence(form, c.arguments, state);
        } catch (const ECommandLineError& error) {
            message = error.Message();
        }
        const std::string& argument = c.arguments.back();
        EXPECT_EQ(state.warningThreshold, c.threshold) << argument;
        if (c.threshold > 0) {
            EXPECT_EQ(message, "") << argument;
            continue;
        }
        EXPECT_EQ(message, "Ung\xFCltiger Wert im Schalter \"" + LowerCaseAscii(argument) +
                               "\": erlaubt ist eine ganze Zahl von 1 bis 99");
        EXPECT_EQ(form.log, "load;status;") << argument;
        EXPECT_FALSE(form.megabytes) << argument;
    }
}

// The one rule for a threshold given without the switch around it (an installer's
// property): what a user types by mistake is refused, not read as another number.
TEST(WarningThreshold, OneOrTwoDigitsFrom1To99)
{
    const struct {
        const char* digits;
        std::optional<int> threshold;
    } cases[] = {
        {"1", 1},
        {"05", 5},
        {"99", 99},
        {"", std::nullopt},
        {"0", std::nullopt},
        {"100", std::nullopt},
        {"+5", std::nullopt},
        {" 5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseWarningThreshold(c.digits), c.threshold) << c.digits;
}

TEST(StartupSequence, AFailedLoadSkipsEverythingAfterIt)
{
    FakeStartupHost form;
    form.failLoading = true;
    StartupState state;
    EXPECT_THROW(RunStartupSequence(form, Args({"/daily"}), state), std::runtime_error);
    EXPECT_EQ(form.log, "load;");
    EXPECT_FALSE(form.megabytes);
    EXPECT_EQ(state.exportTarget, kNoExport);
}

}  // namespace

// Fuzzes the command-line splitter and the start-up sequence's switch processing: the input
// is the raw command line. The split must match a state machine of the splitting rules and
// survive re-quoting; the sequence must make exactly the calls the switch table asks for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/fake_startup_host.h"
#include "app/startup.h"
#include "errors.h"
#include "fuzz_check.h"

namespace {

std::string Joined(const std::vector<std::string>& list)
{
    std::string out;
    for (const auto& item : list) out += Visible(item) + " ";
    return out;
}

// The splitting rules as a state machine over the whole line: a byte from 1 to 32 outside
// quotes ends an argument, quotes toggle a stretch in which it does not, a pair of quotes
// where an argument would begin is skipped, and the list stops at the first empty argument.
std::vector<std::string> ModelSplit(std::string_view line)
{
    line = line.substr(0, line.find('\0'));
    std::vector<std::string> found;
    std::string current;
    bool inArgument = false, quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                current += static_cast<char>(c);
        } else if (c <= ' ') {
            if (inArgument) found.push_back(std::exchange(current, {}));
            inArgument = false;
        } else if (!inArgument && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            ++i;
        } else {
            inArgument = true;
            if (c == '"')
                quoted = true;
            else
                current += static_cast<char>(c);
        }
    }
    if (inArgument) found.push_back(current);

    std::vector<std::string> arguments{found.empty() ? std::string{} : found.front()};
    for (std::size_t i = 1; i < found.size() && !found[i].empty(); ++i) arguments.push_back(found[i]);
    return arguments;
}

// What the start-up sequence does with the arguments: the steps it runs and the options
// it turns on.
struct Outcome {
    std::string log = "load;status;fill;";
    bool localOnly = false, megabytes = false, shortExport = false;
    bool rejected = false;  // a malformed /warnung stopped the run before the arguments took effect
    bool operator==(const Outcome&) const = default;
};

// "/warnung:" followed by one or two digits that make 1 to 99.
bool WellFormedThreshold(const std::string& argument)
{
    const std::string digits = argument.substr(std::min<std::size_t>(argument.size(), 9));
    if (argument.compare(0, 9, "/warnung:") != 0 || digits.empty() || digits.size() > 2) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    const int value = std::stoi(digits);
    return value >= 1 && value <= 99;
}

// The switch table: each argument lower-cased (A to Z only) and compared as a whole.
Outcome ModelOutcome(const std::vector<std::string>& arguments)
{
    Outcome outcome;
    std::string target = "*";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        for (char& c : argument)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (argument[0] != '/') target = argument;  // never empty: the list stops before one
        if (argument == "/lokal") outcome.localOnly = true;
        if (argument == "/mb") outcome.megabytes = true;
        if (argument == "/kurz") outcome.shortExport = true;
        if (argument == "/automatik") outcome.localOnly = outcome.megabytes = true, target = "?";
        if (argument == "/daily") outcome.localOnly = outcome.megabytes = true, target = "C:\\Logs\\PC1-20260304.txt";
        if (argument.compare(0, 8, "/warnung") == 0 && !WellFormedThreshold(argument)) {
            Outcome rejected;
            rejected.log = "load;status;";
            rejected.rejected = true;
            return rejected;
        }
    }
    if (target == "?")
        outcome.log += "dialog;quit;";
    else if (target != "*")
        outcome.log += "export " + target + ";quit;";
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> arguments = SplitCommandLine(line);
    FUZZ_CHECK(arguments == ModelSplit(line), "line " + Visible(line) + "\nsplit " + Joined(arguments));

    // Quoting every argument gives a line that splits into the same list again.
    std::string quoted;
    for (const auto& argument : arguments) quoted += "\"" + argument + "\" ";
    FUZZ_CHECK(SplitCommandLine(quoted) == arguments, "requoted " + Visible(quoted));

    FakeStartupHost host;
    StartupState state;
    bool rejected = false;
    try {
        RunStartupSequence(host, arguments, state);
    } catch (const ECommandLineError&) {
        rejected = true;
    }
    const Outcome found{host.log, host.localOnly, host.megabytes, host.shortExport, rejected};
    FUZZ_CHECK(found == ModelOutcome(arguments), "arguments " + Joined(arguments) + "\nsteps " + Visible(host.log));
    return 0;
}

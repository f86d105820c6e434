// Fuzzes the command-line splitter and the start-up sequence's switch processing: the input
// is the raw command line. The split must match a state machine of the splitting rules and
// survive re-quoting; the sequence must make exactly the calls the switch table asks for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
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

// Records the sequence's calls as one text: L(oad) S(tatus bar) l(okal) m(b) k(urz)
// F(ill) A(sk for a file) E<name>| T(erminate).
class RecordingHost final : public StartupHost {
public:
    std::string calls;
    void LoadSettings() override { calls += 'L'; }
    void ShowDailyLogPath() override { calls += 'S'; }
    void SetLocalOnly() override { calls += 'l'; }
    void SetMegabytes() override { calls += 'm'; }
    void SetShortExport() override { calls += 'k'; }
    std::string DailyLogFolder() const override { return "\\\\srv\\Logs"; }
    std::string ComputerName() override { return "PC-07"; }
    LocalDate Today() override { return {2025, 3, 9}; }
    void FillDriveGrid() override { calls += 'F'; }
    void Export1Click() override { calls += 'A'; }
    void ExportGrid(const std::string& fileName) override { calls += "E" + fileName + "|"; }
    void Terminate() override { calls += 'T'; }
};

// The switch table: each argument lower-cased (A to Z only) and compared as a whole.
std::string ModelCalls(const std::vector<std::string>& arguments)
{
    std::string calls = "LS";
    std::string target = "*";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        for (char& c : argument)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (argument[0] != '/') target = argument;  // never empty: the list stops before one
        if (argument == "/lokal") calls += 'l';
        if (argument == "/mb") calls += 'm';
        if (argument == "/kurz") calls += 'k';
        if (argument == "/automatik") calls += "ml", target = "?";
        if (argument == "/daily") calls += "ml", target = "\\\\srv\\Logs\\PC-07-20250309.txt";
    }
    calls += 'F';
    if (target == "?")
        calls += "AT";
    else if (target != "*")
        calls += "E" + target + "|T";
    return calls;
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

    RecordingHost host;
    RunStartupSequence(host, arguments);
    FUZZ_CHECK(host.calls == ModelCalls(arguments),
               "arguments " + Joined(arguments) + "\ncalls " + Visible(host.calls));
    return 0;
}

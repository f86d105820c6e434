// The overview's switches, each value by the rule merovant.exe applies to its own.
#include "overview_arguments.h"

#include <algorithm>
#include <string_view>

#include "../app/command_line.h"
#include "../app/warning_threshold.h"
#include "../errors.h"

namespace {

constexpr std::string_view kUsage =
    "Aufruf: merovant-uebersicht.exe ORDNER ZIELORDNER [/stichtag:JJJJMMTT] [/warnung:N] [/tage:D] [/fehlt:T]";

// One to maxDigits ASCII digits that make a number from low to high.
std::optional<int> WholeNumberIn(std::string_view digits, std::size_t maxDigits, int low, int high)
{
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

[[noreturn]] void Malformed(const std::string& argument, std::string_view allowed)
{
    throw ECommandLineError("Ungültiger Wert im Schalter \"" + argument + "\": erlaubt ist " + std::string(allowed) +
                            ".");
}

// The value after "name:", when the lower-cased argument is that switch.
std::optional<std::string_view> ValueOf(std::string_view lowered, std::string_view name)
{
    if (!lowered.starts_with(name)) return std::nullopt;
    const std::string_view rest = lowered.substr(name.size());
    if (rest.empty() || rest.front() != ':') return std::nullopt;
    return rest.substr(1);
}

// Whether the argument is the switch name with or without a value after it.
bool Names(std::string_view lowered, std::string_view name)
{
    return lowered == name || ValueOf(lowered, name).has_value();
}

}  // namespace

OverviewArguments ParseOverviewArguments(const std::vector<std::string>& arguments)
{
    OverviewArguments result;
    const bool help = std::any_of(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end(),
                                  [](const std::string& argument) { return argument == "/?"; });
    if (help) {
        result.help = true;
        return result;
    }
    std::vector<std::string> folders;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string lowered = LowerCaseAscii(argument);
        if (lowered.empty() || lowered.front() != '/') {
            folders.push_back(argument);
        } else if (Names(lowered, "/stichtag")) {
            const auto day = ParseCompactDate(ValueOf(lowered, "/stichtag").value_or(""));
            if (!day) Malformed(argument, "ein Datum als JJJJMMTT");
            result.reference = day;
        } else if (Names(lowered, "/warnung")) {
            const auto percent = ParseWarningThreshold(ValueOf(lowered, "/warnung").value_or(""));
            if (!percent) Malformed(argument, "eine ganze Zahl von 1 bis 99");
            result.warningPercent = *percent;
        } else if (Names(lowered, "/tage")) {
            const auto days = WholeNumberIn(ValueOf(lowered, "/tage").value_or(""), 3, 1, 365);
            if (!days) Malformed(argument, "eine ganze Zahl von 1 bis 365");
            result.horizonDays = *days;
        } else if (Names(lowered, "/fehlt")) {
            const auto days = WholeNumberIn(ValueOf(lowered, "/fehlt").value_or(""), 2, 1, 30);
            if (!days) Malformed(argument, "eine ganze Zahl von 1 bis 30");
            result.silentDays = *days;
        } else {
            throw ECommandLineError("Unbekannter Schalter \"" + argument + "\".\n" + std::string(kUsage));
        }
    }
    if (folders.size() < 2)
        throw ECommandLineError(
            (folders.empty() ? "Es fehlen ORDNER und ZIELORDNER.\n" : "Es fehlt der ZIELORDNER.\n") +
            std::string(kUsage));
    if (folders.size() > 2) throw ECommandLineError("Zu viele Ordner: \"" + folders[2] + "\".\n" + std::string(kUsage));
    result.folder = folders[0];
    result.target = folders[1];
    return result;
}

const char* const kOverviewHelpText =
    "merovant-uebersicht liest die Tagesprotokolle eines Sammelordners und schreibt\n"
    "uebersicht.tsv und uebersicht.html in den Zielordner.\n"
    "\n"
    "merovant-uebersicht.exe ORDNER ZIELORDNER [Schalter]\n"
    "\n"
    "ORDNER\t\tder Sammelordner mit den Dateien <Computername>-<JJJJMMTT>.txt\n"
    "ZIELORDNER\tder Ordner für die Übersicht; er muss existieren\n"
    "/stichtag:JJJJMMTT\tder Stichtag, sonst heute; gelesen werden die 90 Tage bis dahin\n"
    "/warnung:N\twarnung unter N % frei (1 bis 99, sonst 10)\n"
    "/tage:D\t\tbald_voll, wenn voll in höchstens D Tagen (1 bis 365, sonst 30)\n"
    "/fehlt:T\tfehlt, wenn T Tage ohne Protokoll (1 bis 30, sonst 1)\n"
    "/?\t\tdiese Hilfe\n"
    "\n"
    "Exitcodes:\n"
    "0\talle Laufwerke ok\n"
    "1\tFehler: Aufruf, Ordner nicht lesbar oder Ziel nicht schreibbar\n"
    "3\tmindestens eine Zeile ist nicht ok, oder kein Tagesprotokoll im Zeitraum\n";

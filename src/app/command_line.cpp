// Command-line splitting and the daily log file name.
#include "command_line.h"

#include "../survey/mtools.h"

namespace {

bool IsSeparator(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= ' ';
}

// Reads one argument from position pos on; returns it and moves pos past it.
std::string NextArgument(std::string_view line, std::size_t& pos)
{
    auto at = [&](std::size_t i) { return i < line.size() ? line[i] : '\0'; };
    for (;;) {
        while (at(pos) != '\0' && IsSeparator(at(pos))) ++pos;
        if (at(pos) == '"' && at(pos + 1) == '"')
            pos += 2;
        else
            break;
    }
    std::string argument;
    while (at(pos) != '\0' && !IsSeparator(at(pos))) {
        if (at(pos) == '"') {
            ++pos;
            while (at(pos) != '\0' && at(pos) != '"') argument += line[pos++];
            if (at(pos) != '\0') ++pos;
        } else {
            argument += line[pos++];
        }
    }
    return argument;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine)
{
    // A zero byte ends the line, as it ends the text Windows hands over.
    commandLine = commandLine.substr(0, commandLine.find('\0'));
    std::size_t pos = 0;
    std::vector<std::string> arguments{NextArgument(commandLine, pos)};
    for (std::string argument = NextArgument(commandLine, pos); !argument.empty();
         argument = NextArgument(commandLine, pos))
        arguments.push_back(std::move(argument));
    return arguments;
}

std::string LowerCaseAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string DailyLogFileName(const std::string& folder, const std::string& computerName, int year, int month, int day)
{
    return folder + "\\" + computerName + "-" + std::to_string(year) + Mtools::ZeroPad2(month) + Mtools::ZeroPad2(day) +
           ".txt";
}

// A message box expands the TABs; each line stays short enough for a box of normal width.
const char* const kHelpText = "Merovant listet die Laufwerke C: bis Z: auf.\n"
                              "\n"
                              "merovant.exe [Schalter] [Exportdatei]\n"
                              "\n"
                              "/lokal\tnur lokale Festplatten\n"
                              "/mb\tGrößen in Megabyte statt Kilobyte\n"
                              "/kurz\tkurzer Export: Laufwerk, Frei, Frei in %\n"
                              "/automatik\t/mb und /lokal, dann Export über den Speichern-Dialog\n"
                              "/daily\t/mb und /lokal, dann Export als Tagesprotokoll:\n"
                              "\t<Daily-Logpfad>\\<Computername>-<JJJJMMTT>.txt\n"
                              "?\tExport über den Speichern-Dialog\n"
                              "Exportdatei\tExport in diese Datei (der Name wird klein geschrieben)\n"
                              "/warnung:N\tnach dem Export je Laufwerk mit weniger als N % frei\n"
                              "\teine Warnung ins Ereignisprotokoll (N: 1 bis 99)\n"
                              "/?\tdiese Hilfe\n"
                              "\n"
                              "Nach einem Export endet das Programm. Exitcodes:\n"
                              "0\tErfolg\n"
                              "1\tFehler beim Start oder beim Export\n"
                              "2\tder Aufruf braucht einen Benutzer, aber niemand sieht die Sitzung\n"
                              "3\tgeschrieben, aber ein Laufwerk liegt unter der Schwelle von /warnung\n"
                              "\n"
                              "Einstellungen: HKEY_CURRENT_USER\\Software\\Korvel\\merovant\n"
                              "(Lokal, Mbyte, dailylog)";

// The checks of the public properties and the task definition the package registers.
#include "install_request.h"

#include <algorithm>

#include "app/warning_threshold.h"

namespace Install {
namespace {

[[noreturn]] void Malformed(std::string_view name, std::string_view value, std::string_view allowed)
{
    throw PropertyError("Ungültiger Wert in der Eigenschaft \"" + std::string(name) + "=" + std::string(value) +
                        "\": " + std::string(allowed) + ".");
}

bool IsAsciiLetter(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A folder the task finds whatever its working folder: D:\... or \\server\share\...
bool IsFullPath(std::string_view path) noexcept
{
    const bool drive = path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
    const bool unc =
        path.size() >= 5 && path.starts_with("\\\\") && path[2] != '\\' && path.find('\\', 2) != std::string_view::npos;
    return drive || unc;
}

// Windows refuses these in a file name; "[" "]" "{" "}" would be read by Windows Installer
// as references to properties when it writes the value.
bool HasForbiddenCharacter(std::string_view path) noexcept
{
    return std::any_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 ||
               std::string_view("<>\"|?*[]{}").find(c) != std::string_view::npos;
    });
}

void CheckDailyLog(std::string_view folder)
{
    if (folder.empty()) return;
    if (!IsFullPath(folder))
        Malformed("DAILYLOG", folder,
                  "erlaubt ist ein vollständiger Ordnerpfad wie \\\\fileserver\\merovant oder D:\\Logs");
    if (HasForbiddenCharacter(folder) || folder.find(':', 2) != std::string_view::npos)
        Malformed("DAILYLOG", folder, "Steuerzeichen, :, <, >, \", |, ?, *, [, ], { und } sind nicht erlaubt");
}

void ReplaceElementText(std::string& xml, std::string_view element, std::string_view text)
{
    const std::string open = "<" + std::string(element) + ">";
    const std::string close = "</" + std::string(element) + ">";
    const std::size_t begin = xml.find(open);
    const std::size_t end = begin == std::string::npos ? begin : xml.find(close, begin);
    if (end == std::string::npos) throw std::logic_error("the task definition has no " + open);
    xml.replace(begin + open.size(), end - begin - open.size(), text);
}

std::string EscapedXmlText(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The text of an element, or nothing where the definition has none.
std::optional<std::string_view> ElementText(std::string_view xml, std::string_view element)
{
    const std::string open = "<" + std::string(element) + ">";
    const std::size_t begin = xml.find(open);
    if (begin == std::string_view::npos) return std::nullopt;
    const std::size_t end = xml.find("</" + std::string(element) + ">", begin);
    if (end == std::string_view::npos) return std::nullopt;
    return xml.substr(begin + open.size(), end - begin - open.size());
}

// Windows writes no LogonType for a task of SYSTEM, LOCAL SERVICE or NETWORK SERVICE.
bool IsServiceAccount(std::string_view user) noexcept
{
    return user == "S-1-5-18" || user == "S-1-5-19" || user == "S-1-5-20";
}

TaskLogon LogonOf(std::string_view definition)
{
    static constexpr struct {
        std::string_view text;
        TaskLogon logon;
    } kLogons[] = {{"Password", TaskLogon::Password},
                   {"S4U", TaskLogon::S4U},
                   {"InteractiveToken", TaskLogon::InteractiveToken},
                   {"InteractiveTokenOrPassword", TaskLogon::InteractiveTokenOrPassword}};
    if (const auto text = ElementText(definition, "LogonType")) {
        for (const auto& known : kLogons)
            if (*text == known.text) return known.logon;
    }
    if (ElementText(definition, "GroupId")) return TaskLogon::Group;
    const auto user = ElementText(definition, "UserId");
    return !user || IsServiceAccount(*user) ? TaskLogon::ServiceAccount : TaskLogon::InteractiveToken;
}

}  // namespace

void CheckProperties(const Properties& properties)
{
    const std::string& aufgabe = properties.aufgabe;
    if (!aufgabe.empty() && aufgabe != "0" && aufgabe != "1")
        Malformed("AUFGABE", aufgabe, "erlaubt sind 1 (die geplante Aufgabe eintragen) und 0");
    const std::string& warnung = properties.warnung;
    if (!warnung.empty() && !ParseWarningThreshold(warnung))
        Malformed("WARNUNG", warnung, "erlaubt ist eine ganze Zahl von 1 bis 99");
    // A threshold that no task passes on would never warn.
    if (!warnung.empty() && aufgabe != "1")
        throw PropertyError("Die Eigenschaft \"WARNUNG=" + warnung +
                            "\" gilt für die geplante Aufgabe: Sie wirkt nur zusammen mit AUFGABE=1.");
    CheckDailyLog(properties.dailylog);
    // Without a folder the task would write into the root of C: and fail there every day.
    if (aufgabe == "1" && properties.dailylog.empty())
        throw PropertyError("Die Eigenschaft \"AUFGABE=1\" braucht einen Ordner für das Tagesprotokoll: DAILYLOG "
                            "fehlt, und für das Konto NETWORK SERVICE ist keiner eingetragen.");
}

Properties WithStored(const Properties& given, const Properties& stored)
{
    Properties merged = given;
    if (given.aufgabe.empty()) merged.aufgabe = stored.aufgabe;
    // A new AUFGABE defines the task anew, with the threshold of the command line or none.
    if (given.aufgabe.empty() && given.warnung.empty()) merged.warnung = stored.warnung;
    if (given.dailylog.empty()) merged.dailylog = stored.dailylog;
    return merged;
}

std::string TaskArguments(std::string_view warnung)
{
    return warnung.empty() ? "/daily" : "/daily /warnung:" + std::string(warnung);
}

TaskAction TaskActionOf(std::string_view customActionData)
{
    const std::size_t bar = customActionData.rfind('|');
    if (bar == std::string_view::npos || bar == 0) throw std::logic_error("no program in the custom action data");
    return {std::string(customActionData.substr(0, bar)), TaskArguments(customActionData.substr(bar + 1))};
}

bool KeepsTheTask(const std::vector<std::string>& relatedProducts, std::string_view self)
{
    return std::any_of(relatedProducts.begin(), relatedProducts.end(),
                       [self](const std::string& product) { return product != self; });
}

Restore RestoreOf(const std::optional<std::string>& saved)
{
    if (!saved) return {};
    if (saved->empty()) return {Restore::Step::Delete, {}, TaskLogon::ServiceAccount};
    return {Restore::Step::Register, *saved, LogonOf(*saved)};
}

std::string TaskDefinition(std::string_view templateXml, const TaskAction& action)
{
    std::string xml(templateXml);
    if (xml.starts_with("<?xml")) xml.erase(0, xml.find_first_not_of("\r\n", xml.find("?>") + 2));
    ReplaceElementText(xml, "Command", EscapedXmlText(action.program));
    ReplaceElementText(xml, "Arguments", EscapedXmlText(action.arguments));
    return xml;
}

}  // namespace Install

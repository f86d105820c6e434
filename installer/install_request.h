// What a fleet's quiet install asks of the package through its public properties (AUFGABE,
// WARNUNG, DAILYLOG), checked before anything is changed, and the scheduled task it
// registers. The texts are UTF-8: the custom actions speak UTF-16 with Windows Installer.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Install {

inline constexpr const char* TaskName = "Merovant Tagesprotokoll";

// A property the package cannot take. Its text is Windows Installer's error message; the
// install ends before anything is changed.
class PropertyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Properties {
    std::string aufgabe;  // "1": register the daily task; "0" or empty: do not
    std::string warnung;  // the task's threshold for /warnung:N; empty: none
    std::string dailylog;  // the task account's daily log folder; empty: leave its settings alone
};

// Throws PropertyError for the first property that is malformed.
void CheckProperties(const Properties& properties);

// The task's arguments: /daily, and /warnung:N with the threshold when one is given.
std::string TaskArguments(std::string_view warnung);

// The deferred action learns the installed program and the threshold from its
// CustomActionData, "PROGRAM|WARNUNG": a path never holds a "|".
struct TaskAction {
    std::string program;
    std::string arguments;
};
TaskAction TaskActionOf(std::string_view customActionData);

// The removal learns its own product from its CustomActionData, "UPGRADECODE|PRODUCTCODE".
// A rollback has none: nothing.
struct ProductIdentity {
    std::string upgradeCode;
    std::string productCode;
};
std::optional<ProductIdentity> ProductIdentityOf(std::string_view customActionData);

// The task definition to register: the template with the action's program and arguments in
// place of its own, and without the XML declaration, since the definition is handed over as
// UTF-16 text.
std::string TaskDefinition(std::string_view templateXml, const TaskAction& action);

}  // namespace Install

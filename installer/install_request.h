// What a fleet's quiet install asks of the package through its public properties (AUFGABE,
// WARNUNG, DAILYLOG), checked before anything is changed, and the scheduled task it
// registers. The texts are UTF-8: the custom actions speak UTF-16 with Windows Installer.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// Throws PropertyError for the first property that is malformed, and for a task without a
// folder for its daily log.
void CheckProperties(const Properties& properties);

// What an install takes from the installed version where the command line does not say:
// AUFGABE and WARNUNG (kept in the product's key under HKLM), WARNUNG only where the command
// line names no AUFGABE either; DAILYLOG (the task account's own setting, whoever wrote it).
Properties WithStored(const Properties& given, const Properties& stored);

// The task's arguments: /daily, and /warnung:N with the threshold when one is given.
std::string TaskArguments(std::string_view warnung);

// The deferred action learns the installed program and the threshold from its
// CustomActionData, "PROGRAM|WARNUNG": a path never holds a "|".
struct TaskAction {
    std::string program;
    std::string arguments;
};
TaskAction TaskActionOf(std::string_view customActionData);

// A removal keeps the task while another version of the product stays installed: that is
// the old version's removal during an upgrade. relatedProducts: the product codes Windows
// Installer lists for the upgrade code, self among them.
bool KeepsTheTask(const std::vector<std::string>& relatedProducts, std::string_view self);

// How Windows registers a saved definition again, by the logon its principal names.
enum class TaskLogon { ServiceAccount, InteractiveToken, InteractiveTokenOrPassword, S4U, Group, Password };

// What a rollback does with the definition that the deferred action saved before it changed
// the task: nothing where nothing was saved (the change never began), delete the task where
// there was none before, else register the saved definition again.
struct Restore {
    enum class Step { Nothing, Delete, Register } step = Step::Nothing;
    std::string definition;
    TaskLogon logon = TaskLogon::ServiceAccount;
};
Restore RestoreOf(const std::optional<std::string>& saved);

// The task definition to register: the template with the action's program and arguments in
// place of its own, and without the XML declaration, since the definition is handed over as
// UTF-16 text.
std::string TaskDefinition(std::string_view templateXml, const TaskAction& action);

}  // namespace Install

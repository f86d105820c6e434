// Whether anybody can see this session, and the Windows event log.
#pragma once

#include <windows.h>

#include "run_report.h"

// Asks once whether anybody can see the process's session (AnybodyThere): its window
// station's flags and its session id. A scheduled task that runs whether the user is
// logged on or not, or as another account, gets an invisible window station; a service or
// an agent running as SYSTEM gets session 0. In either, a message box waits for good.
bool ProcessSessionSeen() noexcept;

// The Application log under the source "Merovant", opened for each event. The program
// never registers the source itself (that needs HKLM): until an administrator does, the
// Event Viewer shows the texts without the message table's wording.
class WindowsEventLog final : public EventSink {
public:
    void Report(EventId id, const std::vector<std::string>& strings) noexcept override;
};

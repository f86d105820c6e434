// The session's visibility and ReportEventA.
#include "run_report_win.h"

#include "../unique_handle.h"

static_assert(kStationVisible == WSF_VISIBLE);

bool ProcessSessionSeen() noexcept
{
    std::optional<unsigned long> stationFlags, sessionId;
    // The process's window station handle is not to be closed.
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (station != nullptr && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        stationFlags = flags.dwFlags;
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) sessionId = session;
    return AnybodyThere(stationFlags, sessionId);
}

namespace {

// The event's type, and its id in the message table: the warnings and the heartbeat carry
// their severity in the two high bits, as message tables do; the error events' entries
// carry none, as they always have (the Event Viewer shows the low 16 bits either way).
struct EventKind {
    WORD type;
    DWORD messageId;
};

EventKind KindOf(EventId id) noexcept
{
    const auto number = static_cast<DWORD>(id);
    switch (TypeOf(id)) {
    case EventType::Warning: return {EVENTLOG_WARNING_TYPE, number | 0x80000000U};
    case EventType::Information: return {EVENTLOG_INFORMATION_TYPE, number | 0x40000000U};
    case EventType::Error: break;
    }
    return {EVENTLOG_ERROR_TYPE, number};
}

}  // namespace

void WindowsEventLog::Report(EventId id, const std::vector<std::string>& strings) noexcept
{
    using EventSource = UniqueHandle<HANDLE, &DeregisterEventSource>;
    const EventSource source(RegisterEventSourceA(nullptr, "Merovant"));
    if (!source) return;
    std::vector<const char*> texts;
    try {
        for (const std::string& text : strings) texts.push_back(text.c_str());
    } catch (...) {
        return;
    }
    const EventKind kind = KindOf(id);
    ReportEventA(source.get(), kind.type, 0, kind.messageId, nullptr, static_cast<WORD>(texts.size()), 0, texts.data(),
                 nullptr);
}

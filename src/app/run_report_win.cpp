// The window station's visibility and ReportEventA.
#include "run_report_win.h"

#include "../unique_handle.h"

bool WindowStationVisible() noexcept
{
    // The process's window station handle is not to be closed.
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (station == nullptr || !GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

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
    ReportEventA(source.get(), EVENTLOG_ERROR_TYPE, 0, static_cast<DWORD>(id), nullptr, static_cast<WORD>(texts.size()),
                 0, texts.data(), nullptr);
}

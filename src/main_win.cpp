// The program body: the setting every run starts in, then the run itself.
#include <windows.h>

#include "app/run_report_win.h"
#include "ui/application_win.h"
#include "ui/program_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Application::Initialize();
    WindowsEventLog events;
    ProgramRun run(instance, GetCommandLineA(), ProcessSessionSeen(), events);
    return RunProgram(run);
}

// The program body: the setting every run starts in, the main form and the message loop.
#include <windows.h>

#include <memory>

#include "app/command_line.h"
#include "app/run_report_win.h"
#include "ui/application_win.h"
#include "ui/main_form_win.h"

namespace {

constexpr const char* kNoWindowForNobody =
    "Ohne Exportziel bliebe das Fenster offen, doch niemand sieht diese Sitzung: Es wurde nichts geschrieben.";
constexpr const char* kNoDialogForNobody =
    "Der Speichern-Dialog bräuchte einen Benutzer, doch niemand sieht diese Sitzung: Es wurde nichts geschrieben.";
constexpr const char* kNoHelpForNobody = "Die Hilfe (/?) bräuchte einen Benutzer, doch niemand sieht diese Sitzung.";

int RunMessageLoop(TFMain& form, const RunReport& report)
{
    ShowWindow(Application::Window(), SW_SHOWNOACTIVATE);
    form.ShowCentred();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // F5 and Alt+F4 are the menu's before anything else sees the key: Alt+F4 thus
        // runs "Beenden" and never becomes the window's close command.
        if (TranslateAcceleratorA(form.Handle(), form.Accelerators(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return report.ExitCode();
}

int ShowHelp(RunReport& report)
{
    if (!report.AnybodyThere()) {
        report.NeedsPerson(kNoHelpForNobody);
        return report.ExitCode();
    }
    MessageBoxA(nullptr, kHelpText, Application::Title, MB_OK | MB_ICONINFORMATION);
    return kExitSuccess;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Application::Initialize();
    const char* commandLine = GetCommandLineA();
    WindowsEventLog events;
    std::unique_ptr<RunReport> report;
    std::vector<std::string> arguments;
    RunRequest request;
    try {
        arguments = SplitCommandLine(commandLine);
        request = RequestOf(arguments);
        report = std::make_unique<RunReport>(WindowStationVisible(), request.exports, commandLine, events);
    } catch (...) {
        return kExitError;  // out of memory before anything could be shown
    }
    Application::SetRunReport(report.get());
    if (request.help) return ShowHelp(*report);

    std::unique_ptr<TFMain> form;
    try {
        TFMain::RegisterClasses(instance);
        form = std::make_unique<TFMain>(instance, Application::CreateApplicationWindow(instance));
        Application::SetMainForm(form->Handle());
    } catch (...) {
        report->StartupFailed();
        Application::HandleException();
        return report->ExitCode();
    }
    StartupState state;
    state.anybodyThere = report->AnybodyThere();
    try {
        const StartupEnd end = form->FormCreate(arguments, state);
        if (end == StartupEnd::NeedsPerson) {
            report->NeedsPerson(state.exportTarget == kNoExport ? kNoWindowForNobody : kNoDialogForNobody);
            return report->ExitCode();
        }
    } catch (...) {
        report->SetExportTarget(state.exportTarget);
        report->StartupFailed();
        Application::HandleException();
        if (!report->AnybodyThere()) return report->ExitCode();  // the window is never shown
    }
    return RunMessageLoop(*form, *report);
}

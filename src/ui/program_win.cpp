// The run of the program: report, form, start-up sequence, its endings and the loop.
#include "program_win.h"

#include "../app/command_line.h"
#include "application_win.h"

namespace {

constexpr const char* kNoWindowForNobody =
    "Ohne Exportziel bliebe das Fenster offen, doch niemand sieht diese Sitzung: Es wurde nichts geschrieben.";
constexpr const char* kNoDialogForNobody =
    "Der Speichern-Dialog bräuchte einen Benutzer, doch niemand sieht diese Sitzung: Es wurde nichts geschrieben.";
constexpr const char* kNoHelpForNobody = "Die Hilfe (/?) bräuchte einen Benutzer, doch niemand sieht diese Sitzung.";

}  // namespace

ProgramRun::ProgramRun(HINSTANCE instance, std::string_view commandLine, bool anybodyThere, EventSink& events,
                       TFMain::RegistryFactory registry) noexcept
    : instance_(instance), commandLine_(commandLine), anybodyThere_(anybodyThere), events_(events),
      registry_(std::move(registry))
{
}

ProgramRun::~ProgramRun()
{
    form_.reset();
    Application::SetMainForm(nullptr);
    Application::BeginRun(nullptr);
}

std::optional<int> ProgramRun::Start() noexcept
{
    RunRequest request;
    try {
        request = RequestOf(SplitCommandLine(commandLine_));
        report_ = std::make_unique<RunReport>(anybodyThere_, request.exports, commandLine_, events_);
    } catch (...) {
        return kExitError;  // out of memory before anything could be shown
    }
    Application::BeginRun(report_.get());
    if (request.help) return ShowHelp();
    if (const auto ended = CreateForm()) return ended;
    if (const auto ended = RunStartup(request)) return ended;
    Application::ShowTaskbarButton();
    form_->ShowCentred();
    return std::nullopt;
}

std::optional<int> ProgramRun::ShowHelp() noexcept
{
    if (!report_->AnybodyThere()) {
        report_->NeedsPerson(kNoHelpForNobody);
        return report_->ExitCode();
    }
    MessageBoxA(nullptr, kHelpText, Application::Title, MB_OK | MB_ICONINFORMATION);
    return kExitSuccess;
}

HWND ProcessWindows(HINSTANCE instance)
{
    TFMain::RegisterClasses(instance);
    if (HWND made = Application::Window()) return made;
    return Application::CreateApplicationWindow(instance);
}

std::optional<int> ProgramRun::CreateForm() noexcept
{
    try {
        form_ = std::make_unique<TFMain>(instance_, ProcessWindows(instance_), registry_);
        Application::SetMainForm(form_->Handle());
        return std::nullopt;
    } catch (...) {
        report_->StartupFailed();
        Application::HandleException();
        return report_->ExitCode();
    }
}

// An error ends the sequence where it arises: the box, and the window opens all the same,
// unless nobody can see it.
std::optional<int> ProgramRun::RunStartup(const RunRequest& request) noexcept
{
    StartupState state;
    state.anybodyThere = report_->AnybodyThere();
    try {
        const StartupEnd end = form_->FormCreate(request, state);
        report_->SetExportTarget(state.exportTarget);
        if (end == StartupEnd::NeedsPerson) {
            report_->NeedsPerson(state.exportTarget == kNoExport ? kNoWindowForNobody : kNoDialogForNobody);
            return report_->ExitCode();
        }
        if (!state.exportedFile.empty())
            report_->Exported(state.exportedFile, form_->Gitter.RowCount() - 1, form_->MeasuredDrives,
                              state.warningThreshold);
    } catch (...) {
        report_->SetExportTarget(state.exportTarget);
        report_->StartupFailed();
        Application::HandleException();
        if (!report_->AnybodyThere()) return report_->ExitCode();  // the window is never shown
    }
    return std::nullopt;
}

LoopStep ProgramRun::Step(bool wait) noexcept
{
    MSG message;
    if (wait) {
        // GetMessage answers 0 for the quit request and -1 when it cannot wait at all:
        // either way the loop is over.
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) return LoopStep::Quit;
    } else {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return LoopStep::Idle;
        if (message.message == WM_QUIT) return LoopStep::Quit;
    }
    Dispatch(message);
    return LoopStep::Handled;
}

void ProgramRun::Dispatch(MSG& message) noexcept
{
    if (form_ && TranslateAcceleratorA(form_->Handle(), form_->Accelerators(), &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int ProgramRun::ExitCode() const noexcept { return report_ ? report_->ExitCode() : kExitError; }

int RunProgram(ProgramRun& run) noexcept
{
    if (const auto ended = run.Start()) return *ended;
    while (run.Step(true) != LoopStep::Quit) {
    }
    return run.ExitCode();
}

// One run of the program, from its command line to its exit code: the run's report, the
// main form, the start-up sequence with its endings, and the message loop. WinMain runs it
// for the process; the window tests run the very same in their own process, with a
// registry in memory and events they record.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

#include "../app/run_report.h"
#include "main_form_win.h"

// The windows every run of the process shares: the program's window classes and the
// application window, made by the first run and found by later ones (the window tests run
// many in one process). Returns the application window; raises where it cannot be made.
HWND ProcessWindows(HINSTANCE instance);

// What one step of the message loop did.
enum class LoopStep {
    Handled,  // a message was handled
    Idle,  // no message was waiting (a step that does not wait)
    Quit,  // the quit request was taken: the loop is over
};

class ProgramRun {
public:
    // The command line and the sink outlive the run; anybodyThere: whether a person can
    // see this session (ProcessSessionSeen).
    ProgramRun(HINSTANCE instance, std::string_view commandLine, bool anybodyThere, EventSink& events,
               TFMain::RegistryFactory registry = {}) noexcept;
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Everything before the message loop. The exit code where the run ends there (the
    // help, a form that could not be made, a run that needs a person nobody can be, an
    // error nobody can see); nothing where the window is up and the loop is to run.
    std::optional<int> Start() noexcept;
    // One step of the message loop: the next message, waiting for one when wait is true,
    // handled as the program handles it. RunProgram's loop and the window tests take the
    // same steps.
    LoopStep Step(bool wait) noexcept;
    // Once the loop has taken the quit request.
    int ExitCode() const noexcept;

    TFMain* Form() const noexcept { return form_.get(); }

private:
    std::optional<int> ShowHelp() noexcept;
    std::optional<int> CreateForm() noexcept;
    std::optional<int> RunStartup(const RunRequest& request) noexcept;
    // One message: the menu's shortcut keys before anything else, so that F5 and Alt+F4
    // are the menu's and Alt+F4 never becomes the close command.
    void Dispatch(MSG& message) noexcept;

    HINSTANCE instance_;
    std::string_view commandLine_;
    bool anybodyThere_;
    EventSink& events_;
    TFMain::RegistryFactory registry_;
    std::unique_ptr<RunReport> report_;
    std::unique_ptr<TFMain> form_;
};

// The whole run: Start, then the message loop until the quit request; the exit code.
int RunProgram(ProgramRun& run) noexcept;

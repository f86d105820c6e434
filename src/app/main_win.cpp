// The program body: the setting every run starts in, the main form and the message loop.
#include <windows.h>

#include <memory>

#include "../ui/main_form_win.h"
#include "application_win.h"
#include "command_line.h"

namespace {

int RunMessageLoop(TFMain& form)
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
    return Application::ExitCode();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Application::Initialize();
    std::unique_ptr<TFMain> form;
    try {
        TFMain::RegisterClasses(instance);
        form = std::make_unique<TFMain>(instance, Application::CreateApplicationWindow(instance));
        Application::SetMainForm(form->Handle());
    } catch (...) {
        Application::HandleException();
        return 1;
    }
    try {
        form->FormCreate(SplitCommandLine(GetCommandLineA()));
    } catch (...) {
        Application::MarkStartupFailed();
        Application::HandleException();
    }
    return RunMessageLoop(*form);
}

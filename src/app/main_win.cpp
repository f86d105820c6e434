// The program body: the setting every run starts in, the main form and the message loop.
#include <windows.h>

#include <memory>

#include "../ui/main_form_win.h"
#include "application_win.h"

namespace {

int RunMessageLoop(TFMain& form)
{
    form.ShowCentred();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
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
        form = std::make_unique<TFMain>(instance);
    } catch (...) {
        Application::HandleException();
        return 1;
    }
    try {
        form->FormCreate();
    } catch (...) {
        Application::MarkStartupFailed();
        Application::HandleException();
    }
    return RunMessageLoop(*form);
}

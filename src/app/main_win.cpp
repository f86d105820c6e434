// The program body: the setting every run starts in, the main form and the message loop.
#include <windows.h>

#include <memory>

#include "../survey/drive_queries_win.h"
#include "../survey/float_setting.h"
#include "../survey/number_format.h"
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
    EstablishFloatSetting();
    // A drive without a medium must never stop an unattended run with a system box
    // asking for a disk: such a drive just yields the texts of a failed query.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    LoadNumberSettings();
    ResolveDiskFreeSpaceQuery();

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

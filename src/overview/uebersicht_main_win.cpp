// merovant-uebersicht.exe: the command line, then one run over the collecting folder.
#include <windows.h>

#include <new>

#include "../app/command_line.h"
#include "../errors.h"
#include "overview_win.h"

int main()
{
    WindowsConsole console;
    try {
        const OverviewArguments arguments = ParseOverviewArguments(SplitCommandLine(GetCommandLineA()));
        if (arguments.help) {
            console.Help(kOverviewHelpText);
            return 0;
        }
        WindowsLogFolder folder(arguments.folder);
        WindowsTargetFolder target(arguments.target);
        return RunOverview(arguments, LocalToday(), folder, target, console);
    } catch (const Exception& error) {
        console.Error(error.Message());
    } catch (const std::bad_alloc&) {
        console.Error("Zu wenig Arbeitsspeicher.");
    } catch (const std::exception& error) {
        console.Error(error.what());
    }
    return kExitFailure;
}

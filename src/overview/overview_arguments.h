// The command line of merovant-uebersicht.exe:
//   ORDNER ZIELORDNER [/stichtag:JJJJMMTT] [/warnung:N] [/tage:D] [/fehlt:T], or /? for help.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calendar.h"

struct OverviewArguments {
    bool help = false;
    std::string folder, target;
    std::optional<DayNumber> reference;  // today when not given
    int warningPercent = 10;
    int horizonDays = 30;
    int silentDays = 1;
};

// arguments[0] is the program's own path. "/?" anywhere asks for the help alone. Raises
// ECommandLineError with a German message for anything malformed. Switches are matched
// without regard to case; a later switch replaces an earlier one.
OverviewArguments ParseOverviewArguments(const std::vector<std::string>& arguments);

// What /? shows.
extern const char* const kOverviewHelpText;

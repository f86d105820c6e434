// The save-file dialog Save1 of the main form.
#pragma once

#include <windows.h>

#include <string>

class SaveDialog {
public:
    std::string FileName;
    std::string Filter = "Textdateien|*.txt|Alle Dateien|*.*";
    std::string DefaultExt = ".txt";
    int FilterIndex = 1;  // 1-based; the type chosen when last confirmed in this run

    // Shows the dialog owned by the given window, with the program's windows disabled.
    // True with FileName set to the chosen full path when the user confirms.
    bool Execute(HWND owner, HWND placementWindow);
};

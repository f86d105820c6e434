// The shell's folder browser for the daily-log folder.
#pragma once

#include <windows.h>

#include <string>

// Lets the user choose a file-system folder. A folder text that does not name an existing
// folder is emptied first, before anything is shown, and stays so if the user cancels.
// With a root (empty for the whole namespace) the tree starts there. True, with the
// folder as the shell gives it (C:\Logs, D:\), when the user chose one.
bool SelectFolder(HWND owner, const std::string& title, const std::string& root, std::string& folder);

// The form's status bar: a row of sunken text panels along the bottom edge.
//
// It answers the common status bar's messages for what the form needs (SB_SETPARTS,
// SB_GETPARTS, SB_SETTEXTA, SB_GETTEXTA, SB_GETTEXTLENGTHA, SB_GETRECT, WM_SETFONT), gives
// the first panel's text as its window text, and answers accessibility clients with a
// status bar of one text per panel. It is a window of its own
// rather than the common-controls one because loading that library costs every run,
// unattended ones included, more than the drive survey and the export together.
#pragma once

#include <windows.h>

namespace StatusBar {

inline constexpr const char* ClassName = "MerovantStatusBar";

void Register(HINSTANCE instance);
// A bar without panels; the parent sizes and places it.
HWND Create(HWND parent, int id);

}  // namespace StatusBar

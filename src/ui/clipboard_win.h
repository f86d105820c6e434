// The clipboard as the window fills it: one text, for other programs to paste.
#pragma once

#include <windows.h>

#include <string>

// Replaces the clipboard's contents with the text as CF_TEXT, in the ANSI code page the
// program's texts are in. Raises Exception with a German message when the clipboard cannot
// be had (another program holds it open) or the text cannot be put there.
void CopyTextToClipboard(HWND owner, const std::string& text);

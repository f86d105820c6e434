// What the save dialog is handed and where it is placed: the portable part of Save1.
#pragma once

#include <string>
#include <vector>

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// "Textdateien|*.txt|Alle Dateien|*.*" with every bar a zero byte and a zero appended:
// names and patterns as the dialog reads them, ending in two zero bytes.
std::string ZeroSeparatedFilter(const std::string& filter);

// The dialog's file buffer: its stated size, the name cut to it, and two zero bytes more.
inline constexpr std::size_t kFileBufferSize = 260;
std::vector<char> FileBuffer(const std::string& initialName);

// Centred horizontally, one third of the free height from the top of the monitor.
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
Point DialogPosition(const Rect& monitor, int dialogWidth, int dialogHeight);

// The main form's design, in pixels at 96 dots per inch: the sizes the window and its
// controls start with, and what the layout adds around the drive table after each refresh.
#pragma once

namespace Design {

inline constexpr int ClientWidth = 571;
inline constexpr int ClientHeight = 157;
inline constexpr int GridWidth = 541;
inline constexpr int GridHeight = 131;
inline constexpr int StatusBarHeight = 19;
inline constexpr int CreditPanelWidth = 115;

// The grid is as wide as its columns and the room for its border and a vertical scroll
// bar; the form as wide as the columns, that room and its margins.
inline constexpr int GridWidthBeyondColumns = 20;
inline constexpr int FormWidthBeyondColumns = 30;
// The grid gives each row, the header's too, this height; the form adds its caption, menu
// bar, margins and status bar.
inline constexpr int GridHeightPerRow = 20;
inline constexpr int FormHeightBeyondGrid = 65;

}  // namespace Design

// Command identifiers of the main menu's items, and of the one shortcut without an item.
#pragma once

namespace MenuId {
enum : int {
    Aktualisieren1 = 101,
    Export1,
    N1,
    Beenden1,
    lokal,
    Mbytes,
    N2,
    DailyLogpfad1,
    kurz,
    Kopieren,  // Ctrl+C: the selected rows to the clipboard
};
}  // namespace MenuId

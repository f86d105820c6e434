// Command identifiers of the main menu's items.
#pragma once

namespace MenuId {
enum : int {
    Aktualisieren1 = 101,
    Export1,
    Beenden1,
    lokal,
    Mbytes,
    DailyLogpfad1,
    kurz,
};
}  // namespace MenuId

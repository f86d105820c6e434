// Command identifiers of the main menu's items.
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
};
}  // namespace MenuId

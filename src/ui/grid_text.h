// What the grid says of a row to accessibility clients: the portable part of its answers.
#pragma once

#include <string>

class DriveTable;

// A data row read out in one go: its drive, then each further cell after its column's
// title ("C:, Name: SYSTEM, TYP: lokale Festplatte, Kapazität(KB): 524.288, ..."), the
// texts as the grid shows them, empty cells left out. The header cell above the drives
// holds the computer's name, not a title, so the drive stands alone.
std::string RowName(const DriveTable& table, int row);

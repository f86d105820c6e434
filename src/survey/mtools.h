// Small shared routines: the computer name, hexadecimal serial numbers, two-digit dates.
#pragma once

#include <cstdint>
#include <string>

namespace Mtools {

inline constexpr char HexDigits[] = "0123456789ABCDEF";

std::string ComputerName();  // the NetBIOS name; Windows only
std::string ByteToHex(std::uint8_t value);
std::string WordToHex(std::uint16_t value);
std::string DWordToHex(std::uint32_t value);
std::string ZeroPad2(std::int32_t value);

// The text of a computer-name buffer: up to its first zero byte, at most its size.
std::string TextUpToZero(const char* buffer, std::size_t size);

}  // namespace Mtools

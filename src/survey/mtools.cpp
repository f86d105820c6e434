// The portable routines of Mtools.
#include "mtools.h"

#include <cstring>

namespace Mtools {

std::string ByteToHex(std::uint8_t value) { return {HexDigits[value / 16], HexDigits[value % 16]}; }

std::string WordToHex(std::uint16_t value)
{
    return ByteToHex(static_cast<std::uint8_t>(value >> 8)) + ByteToHex(static_cast<std::uint8_t>(value));
}

std::string DWordToHex(std::uint32_t value)
{
    return WordToHex(static_cast<std::uint16_t>(value >> 16)) + WordToHex(static_cast<std::uint16_t>(value));
}

std::string ZeroPad2(std::int32_t value)
{
    std::string text = std::to_string(value);
    return text.size() == 1 ? "0" + text : text;
}

std::string TextUpToZero(const char* buffer, std::size_t size)
{
    const void* zero = std::memchr(buffer, 0, size);
    return {buffer, zero ? static_cast<const char*>(zero) : buffer + size};
}

}  // namespace Mtools

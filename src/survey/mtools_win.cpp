// The computer name from Windows.
#include <windows.h>

#include "mtools.h"

namespace Mtools {

std::string ComputerName()
{
    // The answer is not examined: on failure the zeroed buffer gives an empty name.
    char buffer[128] = {};
    DWORD size = sizeof buffer;
    GetComputerNameA(buffer, &size);
    return TextUpToZero(buffer, sizeof buffer);
}

}  // namespace Mtools

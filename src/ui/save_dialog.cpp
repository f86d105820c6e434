// The save dialog's filter, file buffer and placement.
#include "save_dialog.h"

#include <algorithm>

std::string ZeroSeparatedFilter(const std::string& filter)
{
    std::string result = filter;
    std::replace(result.begin(), result.end(), '|', '\0');
    result.append(2, '\0');  // the list's end: the last pattern's zero and one more
    return result;
}

std::vector<char> FileBuffer(const std::string& initialName)
{
    std::vector<char> buffer(kFileBufferSize + 2, '\0');
    std::copy_n(initialName.begin(), std::min(initialName.size(), kFileBufferSize), buffer.begin());
    return buffer;
}

Point DialogPosition(const Rect& monitor, int dialogWidth, int dialogHeight)
{
    // Integer division truncating toward zero: a dialog larger than the monitor is
    // shifted by the truncated half or third of the (negative) free space.
    return {monitor.left + (monitor.Width() - dialogWidth) / 2, monitor.top + (monitor.Height() - dialogHeight) / 3};
}

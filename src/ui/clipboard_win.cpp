// CF_TEXT on the clipboard, with the locale that says which code page its bytes are in.
#include "clipboard_win.h"

#include <cstring>

#include "../errors.h"
#include "../unique_handle.h"

namespace {

using GlobalMemory = UniqueHandle<HGLOBAL, &GlobalFree>;

// Opened for one change, closed on every path.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) noexcept : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope()
    {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const noexcept { return open_; }

private:
    bool open_;
};

[[noreturn]] void Fail() { throw Exception("Die Zeilen konnten nicht in die Zwischenablage kopiert werden"); }

GlobalMemory Movable(const void* data, std::size_t size)
{
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
    void* bytes = memory ? GlobalLock(memory.get()) : nullptr;
    if (bytes == nullptr) Fail();
    std::memcpy(bytes, data, size);
    GlobalUnlock(memory.get());
    return memory;
}

// SetClipboardData owns the memory once it has taken it.
bool Hand(UINT format, GlobalMemory memory) noexcept
{
    if (SetClipboardData(format, memory.get()) == nullptr) return false;
    memory.release();
    return true;
}

}  // namespace

void CopyTextToClipboard(HWND owner, const std::string& text)
{
    GlobalMemory bytes = Movable(text.c_str(), text.size() + 1);
    // The ANSI code page is the system locale's: with that locale as CF_LOCALE, the Unicode
    // text Windows makes for programs that paste CF_UNICODETEXT is converted from the code
    // page the bytes are in, not from the keyboard layout's.
    const LCID systemLocale = GetSystemDefaultLCID();
    GlobalMemory locale = Movable(&systemLocale, sizeof systemLocale);
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard() || !Hand(CF_TEXT, std::move(bytes))) Fail();
    Hand(CF_LOCALE, std::move(locale));  // without it Windows takes the keyboard layout's
}

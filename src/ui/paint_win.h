// Scopes for painting: the paint cycle of a window, an object selected into a DC, and the
// back buffer of the program's own controls.
#pragma once

#include <windows.h>

#include "../unique_handle.h"

// Puts the DC's previous object back, into the same DC.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return paint_.hdc; }
    const RECT& Area() const noexcept { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// WM_PAINT and WM_PRINTCLIENT of a control that paints every pixel itself (its
// WM_ERASEBKGND does nothing): draw(dc, clientSize) paints the whole client area into a
// memory bitmap, and `area` of it is copied to the target in one go, so nothing shows
// half-painted. Short of GDI memory it paints the target directly, which flickers, and
// hands the target's DC back as it came.
template <typename Draw>
void PaintBuffered(HWND window, HDC target, const RECT& area, Draw draw)
{
    RECT client{};
    GetClientRect(window, &client);
    const SIZE size{client.right, client.bottom};
    if (size.cx <= 0 || size.cy <= 0) return;
    using UniqueDc = UniqueHandle<HDC, &DeleteDC>;
    using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
    UniqueDc memory(CreateCompatibleDC(target));
    UniqueBitmap bitmap(memory ? CreateCompatibleBitmap(target, size.cx, size.cy) : nullptr);
    if (!bitmap) {
        const int saved = SaveDC(target);
        draw(target, size);
        RestoreDC(target, saved);
        return;
    }
    SelectedObject selected(memory.get(), bitmap.get());
    draw(memory.get(), size);
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.get(), area.left,
           area.top, SRCCOPY);
}

// The status bar's panels: their texts, their rectangles and their classic look.
#include "status_bar_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "accessible_win.h"
#include "control_win.h"
#include "paint_win.h"

namespace StatusBar {
namespace {

// The common control's classic geometry: a 2-pixel strip above the panels, 2 pixels
// between them, and the text 2 pixels in from the panel's sunken edge.
constexpr int kTopBorder = 2;
constexpr int kPanelGap = 2;
constexpr int kTextIndent = 2;
constexpr int kMaxPanels = 256;

struct Panel {
    int rightEdge = -1;  // -1: the panel reaches the bar's right end
    std::string text;
};

// Accessibility clients see a status bar with one static text per panel.
struct State final : AccessibleSource {
    State(HWND bar, const CREATESTRUCTA&) : window(bar) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() = default;

    long Role() const override { return ROLE_SYSTEM_STATUSBAR; }
    long OwnStates() const override { return 0; }
    long ItemRole() const override { return ROLE_SYSTEM_STATICTEXT; }
    std::string Name() const override { return {}; }
    int ItemCount() const override { return static_cast<int>(panels.size()); }
    std::string ItemName(int item) const override { return panels[static_cast<std::size_t>(item - 1)].text; }
    long ItemState(int) const override { return STATE_SYSTEM_READONLY; }
    RECT ItemRect(int item) const override;
    int ItemAt(POINT point) const override;
    int FocusedItem() const override { return 0; }
    std::vector<int> SelectedItems() const override { return {}; }
    HRESULT Select(long, int) override { return DISP_E_MEMBERNOTFOUND; }  // texts, not choices

    HWND window;
    HFONT font = nullptr;
    std::vector<Panel> panels = std::vector<Panel>(1);
    AccessibleLink accessible{window, *this};
};

RECT PanelRect(const State& state, int index)
{
    RECT client{};
    GetClientRect(state.window, &client);
    RECT area{0, kTopBorder, client.right, client.bottom};
    for (int i = 0; i <= index; ++i) {
        if (i > 0) area.left = area.right + kPanelGap;
        const int edge = state.panels[static_cast<std::size_t>(i)].rightEdge;
        area.right = edge < 0 ? client.right : edge;
    }
    return area;
}

RECT State::ItemRect(int item) const { return PanelRect(*this, item - 1); }

int State::ItemAt(POINT point) const
{
    for (int item = 1; item <= ItemCount(); ++item) {
        const RECT area = ItemRect(item);
        if (PtInRect(&area, point)) return item;
    }
    return 0;
}

bool IsPanel(const State& state, WPARAM index) { return index < state.panels.size(); }

LRESULT SetParts(State& state, WPARAM count, const int* edges)
{
    if (count == 0 || count > kMaxPanels || edges == nullptr) return FALSE;
    state.panels.resize(count);
    for (std::size_t i = 0; i < count; ++i) state.panels[i].rightEdge = edges[i];
    InvalidateRect(state.window, nullptr, FALSE);
    return TRUE;
}

LRESULT GetParts(const State& state, WPARAM count, int* edges)
{
    if (edges != nullptr)
        for (std::size_t i = 0; i < std::min<std::size_t>(count, state.panels.size()); ++i)
            edges[i] = state.panels[i].rightEdge;
    return static_cast<LRESULT>(state.panels.size());
}

LRESULT SetText(State& state, WPARAM part, const char* text)
{
    const WPARAM index = LOBYTE(part);  // the high byte carries drawing flags
    if (!IsPanel(state, index)) return FALSE;
    std::string& panelText = state.panels[index].text;
    if (panelText == (text ? text : "")) return TRUE;
    panelText = text ? text : "";
    const RECT area = PanelRect(state, static_cast<int>(index));
    InvalidateRect(state.window, &area, FALSE);
    state.accessible.Notify(EVENT_OBJECT_NAMECHANGE, static_cast<int>(index) + 1);
    return TRUE;
}

LRESULT TextLength(const State& state, WPARAM index)
{
    return IsPanel(state, index) ? MAKELRESULT(state.panels[index].text.size(), 0) : 0;
}

// Like the common control, SB_GETTEXT trusts the caller's buffer to hold the whole text.
LRESULT GetText(const State& state, WPARAM index, char* buffer)
{
    if (!IsPanel(state, index)) return 0;
    const std::string& text = state.panels[index].text;
    if (buffer != nullptr) std::memcpy(buffer, text.c_str(), text.size() + 1);
    return MAKELRESULT(text.size(), 0);
}

// The window's own text is the first panel's, as with the common control: tools that read
// a window's text rather than its accessible object find it there.
LRESULT WindowText(const State& state, WPARAM size, char* buffer)
{
    if (size == 0 || buffer == nullptr) return 0;
    const std::string& text = state.panels.front().text;
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<LRESULT>(length);
}

LRESULT GetRect(const State& state, WPARAM index, RECT* area)
{
    if (!IsPanel(state, index) || area == nullptr) return FALSE;
    *area = PanelRect(state, static_cast<int>(index));
    return TRUE;
}

void PaintPanels(const State& state, HDC dc, SIZE client)
{
    const RECT all{0, 0, client.cx, client.cy};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    SelectedObject font(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (std::size_t i = 0; i < state.panels.size(); ++i) {
        RECT area = PanelRect(state, static_cast<int>(i));
        DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        area.left += kTextIndent;
        const std::string& text = state.panels[i].text;
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

// WM_PAINT and WM_PRINTCLIENT both land here, as with the grid: a bar erased with a brush
// and then drawn over flickers at every change of a text.
void Paint(const State& state, HDC target, const RECT& area)
{
    PaintBuffered(state.window, target, area, [&state](HDC dc, SIZE client) { PaintPanels(state, dc, client); });
}

LRESULT HandleMessage(State& state, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case SB_SETPARTS: return SetParts(state, wParam, reinterpret_cast<const int*>(lParam));
    case SB_GETPARTS: return GetParts(state, wParam, reinterpret_cast<int*>(lParam));
    case SB_SETTEXTA: return SetText(state, wParam, reinterpret_cast<const char*>(lParam));
    case SB_GETTEXTA: return GetText(state, wParam, reinterpret_cast<char*>(lParam));
    case SB_GETTEXTLENGTHA: return TextLength(state, wParam);
    case SB_GETRECT: return GetRect(state, wParam, reinterpret_cast<RECT*>(lParam));
    case WM_GETTEXT: return WindowText(state, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(state.panels.front().text.size());
    case WM_SIZE: InvalidateRect(state.window, nullptr, FALSE); return 0;
    case WM_ERASEBKGND: return 1;  // Paint covers every pixel
    case WM_PAINT: {
        PaintScope paint(state.window);
        Paint(state, paint.Dc(), paint.Area());
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(state.window, &client);
        Paint(state, reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_GETOBJECT:
        if (const LRESULT object = state.accessible.Answer(wParam, lParam)) return object;
        break;
    case WM_SETFONT:
        state.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(state.window, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
    }
    return DefWindowProcA(state.window, message, wParam, lParam);
}

}  // namespace

void Register(HINSTANCE instance) { RegisterControlClass<State, HandleMessage>(instance, ClassName); }

HWND Create(HWND parent, int id)
{
    return CreateControl(ClassName, WS_CHILD | WS_VISIBLE, {0, 0}, parent, id, nullptr);
}

}  // namespace StatusBar

// What the program's own controls tell accessibility clients (screen readers, magnifiers,
// test tools) through MSAA: the control as one object, its items as simple children with
// the child ids 1..n.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class AccessibleControl;

// A control's answers, asked for on the window's thread whenever a client asks, and what a
// client may do to it.
class AccessibleSource {
public:
    virtual long Role() const = 0;
    // What the control adds to the states its window gives it (focusable, focused, ...).
    virtual long OwnStates() const = 0;
    virtual long ItemRole() const = 0;
    // Empty: the control has no name of its own.
    virtual std::string Name() const = 0;
    virtual int ItemCount() const = 0;
    virtual std::string ItemName(int item) const = 0;
    virtual long ItemState(int item) const = 0;
    // In client coordinates, where the item is drawn, or would be if it were scrolled into view.
    virtual RECT ItemRect(int item) const = 0;
    // The item under a point of the client area; 0 for none.
    virtual int ItemAt(POINT point) const = 0;
    // The item with the keyboard focus; 0 for none.
    virtual int FocusedItem() const = 0;
    // The selected items in their order; none, one or several.
    virtual std::vector<int> SelectedItems() const = 0;
    // accSelect with MSAA's SELFLAG_ flags on an item: S_OK, E_INVALIDARG for flags the
    // control cannot follow, DISP_E_MEMBERNOTFOUND where its items are not selectable.
    virtual HRESULT Select(long flags, int item) = 0;

protected:
    ~AccessibleSource() = default;
};

// The link of a control's window to its accessible object, which is made on the first
// client request: oleacc.dll and ole32.dll are loaded then, from the system folder, and
// never in a run that nobody reads. The object may outlive the window in a client's hands; once the link
// goes, its calls fail with RPC_E_DISCONNECTED.
class AccessibleLink {
public:
    AccessibleLink(HWND window, AccessibleSource& source) noexcept : window_(window), source_(source) {}
    ~AccessibleLink();
    AccessibleLink(const AccessibleLink&) = delete;
    AccessibleLink& operator=(const AccessibleLink&) = delete;

    // The answer to WM_GETOBJECT; 0 when DefWindowProc is to answer.
    LRESULT Answer(WPARAM flags, LPARAM objectId) noexcept;
    // Tells listening clients that an item (0: the control itself) changed.
    void Notify(DWORD event, int item) const noexcept;

private:
    HWND window_;
    AccessibleSource& source_;
    AccessibleControl* object_ = nullptr;
};

// The IAccessible object of the program's own controls. What it does not answer itself
// (the parent, the control's own location and state) it hands to the standard object that
// oleacc makes for any window.
#include "accessible_win.h"

#include <oleacc.h>

#include <algorithm>
#include <new>
#include <utility>

#include "../callback_win.h"
#include "../late_bound_win.h"
#include "../unique_handle.h"
#include "accessible_logic.h"

namespace {

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using SysAllocStringLenFn = BSTR(WINAPI*)(const OLECHAR*, UINT);
using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using LoadRegTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, ITypeLib**);
using DispGetIDsOfNamesFn = HRESULT(WINAPI*)(ITypeInfo*, OLECHAR**, UINT, DISPID*);
using DispInvokeFn = HRESULT(WINAPI*)(void*, ITypeInfo*, DISPID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*);
using VariantChangeTypeFn = HRESULT(WINAPI*)(VARIANT*, const VARIANT*, USHORT, VARTYPE);

static_assert(VarType::Empty == VT_EMPTY && VarType::I2 == VT_I2 && VarType::I4 == VT_I4 &&
              VarType::Error == VT_ERROR && VarType::Variant == VT_VARIANT && VarType::UInt == VT_UINT &&
              VarType::ByRef == VT_BYREF && kArgumentLeftOut == DISP_E_PARAMNOTFOUND);

// LIBID_Accessibility, the type library in oleacc.dll that describes IAccessible (oleacc.h
// declares it for linking with liboleacc.a, which the program does not).
constexpr GUID kAccessibilityLibrary = {0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// oleacc.dll is not a known DLL: a bare name could load a copy planted beside the exe.
struct AccessibilityApi {
    LresultFromObjectFn lresultFromObject = LateBound<LresultFromObjectFn>("oleacc.dll", "LresultFromObject");
    CreateStdAccessibleObjectFn createStandard =
        LateBound<CreateStdAccessibleObjectFn>("oleacc.dll", "CreateStdAccessibleObject");
    SysAllocStringLenFn allocString = LateBound<SysAllocStringLenFn>("oleaut32.dll", "SysAllocStringLen");
    VariantChangeTypeFn changeType = LateBound<VariantChangeTypeFn>("oleaut32.dll", "VariantChangeType");
    // For late-bound clients only.
    LoadRegTypeLibFn loadRegTypeLib = LateBound<LoadRegTypeLibFn>("oleaut32.dll", "LoadRegTypeLib");
    DispGetIDsOfNamesFn dispGetIDsOfNames = LateBound<DispGetIDsOfNamesFn>("oleaut32.dll", "DispGetIDsOfNames");
    DispInvokeFn dispInvoke = LateBound<DispInvokeFn>("oleaut32.dll", "DispInvoke");

    bool Complete() const { return lresultFromObject && createStandard && allocString; }
};

const AccessibilityApi& Api()
{
    static const AccessibilityApi api;
    return api;
}

// LresultFromObject marshals the object through COM, which needs an apartment on the window's
// thread. Nothing else of the program enters one before a dialog is shown (only the
// input-method support does, on its own, once a window of the thread is activated), so the
// first client request enters a single-threaded apartment here, once per thread; the thread
// keeps it until it ends. A thread already in the multithreaded apartment
// (RPC_E_CHANGED_MODE) marshals as well.
bool ApartmentEntered() noexcept
{
    static thread_local const bool entered = [] {
        const auto enter = LateBound<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
        if (enter == nullptr) return false;
        const HRESULT result = enter(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }();
    return entered;
}

// The program's texts are in the ANSI code page, as its windows draw them.
HRESULT ToBstr(const std::string& text, BSTR* result) noexcept
{
    *result = nullptr;
    if (text.empty()) return S_FALSE;
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return E_FAIL;
    *result = Api().allocString(nullptr, static_cast<UINT>(length));
    if (*result == nullptr) return E_OUTOFMEMORY;
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, *result, length);
    return S_OK;
}

void ReleaseTypeInfo(ITypeInfo* info) noexcept { info->Release(); }
using TypeInfo = UniqueHandle<ITypeInfo*, &ReleaseTypeInfo>;

// IAccessible's type information from the Accessibility type library (version 1.1, as
// Windows and Wine register it with oleacc.dll); none where the library is not registered.
TypeInfo LoadAccessibleTypeInfo() noexcept
{
    const AccessibilityApi& api = Api();
    ITypeLib* library = nullptr;
    if (api.loadRegTypeLib == nullptr || api.dispGetIDsOfNames == nullptr || api.dispInvoke == nullptr ||
        FAILED(api.loadRegTypeLib(kAccessibilityLibrary, 1, 1, 0, &library)))
        return {};
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(__uuidof(IAccessible), &info))) info = nullptr;
    library->Release();
    return TypeInfo(info);
}

void SetChild(VARIANT* variant, long child) noexcept
{
    variant->vt = VT_I4;
    variant->lVal = child;
}

// The child a client's argument names, as VT_I4; VT_NULL where it names none, which is
// neither the control itself nor an item. A reference is followed a few times, never around
// a VARIANT that refers to itself.
VARIANT AsChildId(const VARIANT& argument) noexcept
{
    VARIANT id{};
    id.vt = VT_NULL;
    const VARIANT* given = &argument;
    for (int references = 0; given != nullptr && references < 4; ++references) {
        switch (KindOfChildArgument(given->vt, given->vt == VT_ERROR ? given->scode : 0)) {
        case ChildArgument::Self: SetChild(&id, CHILDID_SELF); return id;
        case ChildArgument::Reference: given = given->pvarVal; continue;
        case ChildArgument::Integer: {
            VARIANT converted{};  // VT_EMPTY; an integer holds nothing to free
            if (given->vt == VT_I4)
                SetChild(&id, given->lVal);
            else if (Api().changeType && SUCCEEDED(Api().changeType(&converted, given, 0, VT_I4)))
                SetChild(&id, converted.lVal);  // DISP_E_OVERFLOW for a VT_I8 beyond 32 bits
            return id;
        }
        case ChildArgument::Invalid: return id;
        }
    }
    return id;
}

// Out-parameters are set before anything can fail: a client that clears a VARIANT after a
// failed call must find nothing to free.
void Clear(VARIANT* variant) noexcept { variant->vt = VT_EMPTY; }

HRESULT NoChild(VARIANT* variant) noexcept
{
    Clear(variant);
    return S_FALSE;
}

// The selected items when there are several (get_accSelection's VT_UNKNOWN): their child
// ids as VT_I4, from a copy made when the client asked.
class ChildEnumeration final : public IEnumVARIANT {
public:
    explicit ChildEnumeration(std::vector<int>&& children, std::size_t next = 0) noexcept
        : children_(std::move(children)), next_(next)
    {
    }
    ChildEnumeration(const ChildEnumeration&) = delete;
    ChildEnumeration& operator=(const ChildEnumeration&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) noexcept override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id != __uuidof(IUnknown) && id != __uuidof(IEnumVARIANT)) return E_NOINTERFACE;
        *object = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() noexcept override
    {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    // IEnumVARIANT
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) noexcept override
    {
        if (fetched != nullptr) *fetched = 0;
        if (items == nullptr) return E_POINTER;
        if (count > 1 && fetched == nullptr) return E_INVALIDARG;  // the caller could not tell how many came
        ULONG done = 0;
        for (; done < count && next_ < children_.size(); ++done, ++next_) SetChild(&items[done], children_[next_]);
        if (fetched != nullptr) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override
    {
        const std::size_t left = children_.size() - next_;
        next_ += std::min<std::size_t>(left, count);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) noexcept override
    {
        if (copy == nullptr) return E_POINTER;
        *copy = nullptr;
        try {
            *copy = new ChildEnumeration(std::vector<int>(children_), next_);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;  // the copy of the ids
        }
    }

private:
    ~ChildEnumeration() = default;

    LONG refs_ = 1;
    std::vector<int> children_;
    std::size_t next_;
};

static_assert(Callbacks::kAllNoexcept<&ChildEnumeration::QueryInterface, &ChildEnumeration::AddRef,
                                      &ChildEnumeration::Release, &ChildEnumeration::Next, &ChildEnumeration::Skip,
                                      &ChildEnumeration::Reset, &ChildEnumeration::Clone>);

}  // namespace

// The control's object: IAccessible, and IOleWindow, through which clients find its window.
class AccessibleControl final : public IAccessible, public IOleWindow {
public:
    AccessibleControl(HWND window, AccessibleSource& source, IAccessible* standard) noexcept
        : window_(window), source_(&source), standard_(standard)
    {
    }
    AccessibleControl(const AccessibleControl&) = delete;
    AccessibleControl& operator=(const AccessibleControl&) = delete;

    // The window is going: from now on every call fails, and nothing of it is touched.
    void Disconnect() noexcept
    {
        source_ = nullptr;
        if (standard_ != nullptr) standard_->Release();
        standard_ = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) noexcept override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (id == __uuidof(IOleWindow))
            *object = static_cast<IOleWindow*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() noexcept override
    {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) {
            Disconnect();
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override
    {
        if (window == nullptr) return E_POINTER;
        *window = source_ ? window_ : nullptr;
        return source_ ? S_OK : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }

    // IDispatch, for late-bound clients (scripting hosts): IAccessible's type information
    // dispatches to this object's own methods; the standard object's Invoke would answer for
    // its own IAccessible (no items, the role of a plain client area). Without the type
    // library, IDispatch's own answers for a member it does not know.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override
    {
        if (count == nullptr) return E_POINTER;
        *count = AccessibleTypeInfo() != nullptr ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override
    {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        ITypeInfo* type = AccessibleTypeInfo();
        if (index != 0 || type == nullptr) return DISP_E_BADINDEX;
        type->AddRef();
        *info = type;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID requested, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept override
    {
        if (requested != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (count > 0 && (names == nullptr || ids == nullptr)) return E_POINTER;
        if (ITypeInfo* type = AccessibleTypeInfo()) return Api().dispGetIDsOfNames(type, names, count, ids);
        std::fill_n(ids, count, DISPID_UNKNOWN);
        return count > 0 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID requested, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept override
    {
        if (result != nullptr) Clear(result);
        if (requested != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        ITypeInfo* type = AccessibleTypeInfo();
        if (type == nullptr) return DISP_E_MEMBERNOTFOUND;
        return Api().dispInvoke(static_cast<IAccessible*>(this), type, member, flags, parameters, result, exception,
                                argumentError);
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override
    {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        return standard_ ? standard_->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override
    {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return Guarded([&] {
            *count = source_->ItemCount();
            return S_OK;
        });
    }
    // The items are simple elements, not objects of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) noexcept override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        child = AsChildId(child);
        return Guarded([&] { return IsItem(child) ? S_FALSE : E_INVALIDARG; });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override
    {
        if (name == nullptr) return E_POINTER;
        *name = nullptr;
        child = AsChildId(child);
        return Guarded([&] {
            if (IsSelf(child)) return ToBstr(source_->Name(), name);
            return IsItem(child) ? ToBstr(source_->ItemName(child.lVal), name) : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override
    {
        return Nothing(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) noexcept override
    {
        return Nothing(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override
    {
        if (role == nullptr) return E_POINTER;
        Clear(role);
        child = AsChildId(child);
        return Guarded([&] {
            if (!IsSelf(child) && !IsItem(child)) return E_INVALIDARG;
            SetChild(role, IsSelf(child) ? source_->Role() : source_->ItemRole());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override
    {
        if (state == nullptr) return E_POINTER;
        Clear(state);
        child = AsChildId(child);
        return Guarded([&] {
            if (IsSelf(child)) {
                const HRESULT result = standard_->get_accState(child, state);
                if (result == S_OK && state->vt == VT_I4) state->lVal |= source_->OwnStates();
                return result;
            }
            if (!IsItem(child)) return E_INVALIDARG;
            SetChild(state, source_->ItemState(child.lVal));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override { return Nothing(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) noexcept override
    {
        if (topic != nullptr) *topic = 0;
        return Nothing(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept override
    {
        return Nothing(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) noexcept override
    {
        if (focus == nullptr) return E_POINTER;
        Clear(focus);
        return Guarded([&] {
            if (GetFocus() != window_) return NoChild(focus);
            SetChild(focus, source_->FocusedItem());  // CHILDID_SELF (0) without items
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) noexcept override
    {
        if (selection == nullptr) return E_POINTER;
        Clear(selection);
        return Guarded([&] {
            std::vector<int> items = source_->SelectedItems();
            if (items.empty()) return NoChild(selection);
            if (items.size() == 1) {
                SetChild(selection, items.front());
                return S_OK;
            }
            auto* rows = new (std::nothrow) ChildEnumeration(std::move(items));
            if (rows == nullptr) return E_OUTOFMEMORY;
            selection->punkVal = rows;
            selection->vt = VT_UNKNOWN;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override
    {
        return Nothing(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override
    {
        child = AsChildId(child);
        return Guarded([&] {
            if (IsSelf(child)) return standard_->accSelect(flags, child);  // the focus to the control
            return IsItem(child) ? source_->Select(flags, child.lVal) : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override
    {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
        *left = *top = *width = *height = 0;
        child = AsChildId(child);
        return Guarded([&] {
            if (IsSelf(child)) return standard_->accLocation(left, top, width, height, child);
            if (!IsItem(child)) return E_INVALIDARG;
            const RECT area = source_->ItemRect(child.lVal);
            POINT origin{area.left, area.top};
            ClientToScreen(window_, &origin);
            *left = origin.x;
            *top = origin.y;
            *width = area.right - area.left;
            *height = area.bottom - area.top;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) noexcept override
    {
        if (end == nullptr) return E_POINTER;
        Clear(end);
        start = AsChildId(start);
        return Guarded([&] {
            if (direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
            const int count = source_->ItemCount();
            if (IsSelf(start)) {
                if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                    if (count == 0) return S_FALSE;
                    SetChild(end, direction == NAVDIR_FIRSTCHILD ? 1 : count);
                    return S_OK;
                }
                return standard_->accNavigate(direction, start, end);  // the control's siblings
            }
            if (!IsItem(start)) return E_INVALIDARG;
            int item = start.lVal;
            switch (direction) {
            case NAVDIR_NEXT:
            case NAVDIR_DOWN: ++item; break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP: --item; break;
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD: return E_INVALIDARG;  // simple elements have no children
            default: return S_FALSE;  // left and right: nothing beside a row
            }
            if (item < 1 || item > count) return S_FALSE;
            SetChild(end, item);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) noexcept override
    {
        if (hit == nullptr) return E_POINTER;
        Clear(hit);
        return Guarded([&] {
            POINT point{x, y};
            ScreenToClient(window_, &point);
            RECT client{};
            GetClientRect(window_, &client);
            if (!PtInRect(&client, point)) return S_FALSE;
            SetChild(hit, source_->ItemAt(point));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override { return NoSuchMember(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }

private:
    ~AccessibleControl() = default;

    // Of a child argument made VT_I4 by AsChildId, as every method does first: what the
    // client sent may be VT_I2, a reference or left out.
    static bool IsSelf(const VARIANT& child) noexcept { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    bool IsItem(const VARIANT& child) const
    {
        return child.vt == VT_I4 && child.lVal >= 1 && child.lVal <= source_->ItemCount();
    }

    // What the control and its items do not offer; a child that is not there is an invalid argument.
    HRESULT NoSuchMember(const VARIANT& argument) const noexcept
    {
        const VARIANT child = AsChildId(argument);
        return Guarded([&] { return IsSelf(child) || IsItem(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
    }
    HRESULT Nothing(const VARIANT& child, BSTR* text) const noexcept
    {
        if (text != nullptr) *text = nullptr;
        return NoSuchMember(child);
    }

    ITypeInfo* AccessibleTypeInfo() noexcept
    {
        if (!typeInfoLoaded_) typeInfo_ = LoadAccessibleTypeInfo();
        typeInfoLoaded_ = true;
        return typeInfo_.get();
    }

    // No exception leaves a COM call: the client is in another module, often another process.
    template <typename Answer>
    HRESULT Guarded(Answer answer) const noexcept
    {
        if (source_ == nullptr || standard_ == nullptr) return RPC_E_DISCONNECTED;
        try {
            return answer();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }

    LONG refs_ = 1;
    HWND window_;
    AccessibleSource* source_;
    IAccessible* standard_;
    TypeInfo typeInfo_;
    bool typeInfoLoaded_ = false;
};

// Every method a client calls, in another module or another process, carries noexcept.
static_assert(
    Callbacks::kAllNoexcept<
        &AccessibleControl::QueryInterface, &AccessibleControl::AddRef, &AccessibleControl::Release,
        &AccessibleControl::GetWindow, &AccessibleControl::ContextSensitiveHelp, &AccessibleControl::GetTypeInfoCount,
        &AccessibleControl::GetTypeInfo, &AccessibleControl::GetIDsOfNames, &AccessibleControl::Invoke,
        &AccessibleControl::get_accParent, &AccessibleControl::get_accChildCount, &AccessibleControl::get_accChild,
        &AccessibleControl::get_accName, &AccessibleControl::get_accValue, &AccessibleControl::get_accDescription,
        &AccessibleControl::get_accRole, &AccessibleControl::get_accState, &AccessibleControl::get_accHelp,
        &AccessibleControl::get_accHelpTopic, &AccessibleControl::get_accKeyboardShortcut,
        &AccessibleControl::get_accFocus, &AccessibleControl::get_accSelection,
        &AccessibleControl::get_accDefaultAction, &AccessibleControl::accSelect, &AccessibleControl::accLocation,
        &AccessibleControl::accNavigate, &AccessibleControl::accHitTest, &AccessibleControl::accDoDefaultAction,
        &AccessibleControl::put_accName, &AccessibleControl::put_accValue>);

AccessibleLink::~AccessibleLink()
{
    if (object_ == nullptr) return;
    object_->Disconnect();
    object_->Release();
}

LRESULT AccessibleLink::Answer(WPARAM flags, LPARAM objectId) noexcept
{
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    const AccessibilityApi& api = Api();
    if (!api.Complete()) return 0;
    if (object_ == nullptr) {
        IAccessible* standard = nullptr;
        if (FAILED(
                api.createStandard(window_, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))))
            return 0;
        object_ = new (std::nothrow) AccessibleControl(window_, source_, standard);
        if (object_ == nullptr) {
            standard->Release();
            return 0;
        }
    }
    if (!ApartmentEntered()) return 0;
    const LRESULT result = api.lresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(object_));
    return result > 0 ? result : 0;
}

void AccessibleLink::Notify(DWORD event, int item) const noexcept
{
    NotifyWinEvent(event, window_, OBJID_CLIENT, item);
}

#include "Win32PopupAccessible.h"

#include "Utf.h"

namespace {

BSTR Bstr(const std::string& utf8) {
    const std::wstring w = Widen(utf8);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

long RoleOf(PopupItem::Role role) {
    switch (role) {
    case PopupItem::Role::Button: return ROLE_SYSTEM_PUSHBUTTON;
    case PopupItem::Role::Cell: return ROLE_SYSTEM_CELL;
    default: return ROLE_SYSTEM_LISTITEM;
    }
}

void Child(VARIANT* v, long id) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = id;
}

} // namespace

CPopupAccessible::CPopupAccessible(IPopupSource& source, HWND window, void (*focusMoved)(HWND),
                                   void (*activated)(HWND))
    : m_source(source), m_window(window), m_focusMoved(focusMoved), m_activated(activated) {}

HRESULT CPopupAccessible::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CPopupAccessible::AddRef() { return ++m_refs; }

ULONG CPopupAccessible::Release() {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT CPopupAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT CPopupAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CPopupAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CPopupAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

bool CPopupAccessible::ChildIndex(const VARIANT& child, const std::vector<PopupItem>& items, int& index) const {
    if (child.vt != VT_I4) return false;
    if (child.lVal == CHILDID_SELF) {
        index = -1;
        return true;
    }
    if (child.lVal < 1 || child.lVal > static_cast<long>(items.size())) return false;
    index = static_cast<int>(child.lVal - 1);
    return true;
}

HRESULT CPopupAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    // The window's own object, made by the system.
    return AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
}

HRESULT CPopupAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    if (!m_window.load()) return CO_E_OBJNOTCONNECTED;
    int focused = -1;
    *count = static_cast<long>(m_source.Items(focused).size());
    return S_OK;
}

HRESULT CPopupAccessible::get_accChild(VARIANT child, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    int focused = -1, index = -1;
    if (!ChildIndex(child, m_source.Items(focused), index)) return E_INVALIDARG;
    return S_FALSE; // simple elements: no object of their own
}

HRESULT CPopupAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!m_window.load()) return CO_E_OBJNOTCONNECTED;
    int focused = -1, index = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (!ChildIndex(child, items, index)) return E_INVALIDARG;
    *name = Bstr(index < 0 ? std::string("Outlook data") : items[static_cast<size_t>(index)].name);
    return S_OK;
}

HRESULT CPopupAccessible::get_accValue(VARIANT, BSTR* value) {
    if (value) *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT CPopupAccessible::get_accDescription(VARIANT, BSTR* text) {
    if (text) *text = nullptr;
    return S_FALSE;
}

HRESULT CPopupAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    VariantInit(role);
    int focused = -1, index = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (!ChildIndex(child, items, index)) return E_INVALIDARG;
    Child(role, index < 0 ? ROLE_SYSTEM_CLIENT : RoleOf(items[static_cast<size_t>(index)].role));
    return S_OK;
}

HRESULT CPopupAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    VariantInit(state);
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    int focused = -1, index = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (!ChildIndex(child, items, index)) return E_INVALIDARG;
    long s = STATE_SYSTEM_FOCUSABLE;
    if (index < 0) {
        if (GetFocus() == w) s |= STATE_SYSTEM_FOCUSED;
    } else {
        s |= STATE_SYSTEM_SELECTABLE;
        if (index == focused) s |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
    }
    Child(state, s);
    return S_OK;
}

HRESULT CPopupAccessible::get_accHelp(VARIANT, BSTR* help) {
    if (help) *help = nullptr;
    return S_FALSE;
}

HRESULT CPopupAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}

HRESULT CPopupAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
    if (shortcut) *shortcut = nullptr;
    return S_FALSE;
}

HRESULT CPopupAccessible::get_accFocus(VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!m_window.load()) return CO_E_OBJNOTCONNECTED;
    int focused = -1;
    m_source.Items(focused);
    if (focused >= 0) Child(child, focused + 1);
    return S_OK;
}

HRESULT CPopupAccessible::get_accSelection(VARIANT* children) {
    return get_accFocus(children); // the focused item is the one selected
}

HRESULT CPopupAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    int focused = -1, index = -1;
    if (!ChildIndex(child, m_source.Items(focused), index)) return E_INVALIDARG;
    if (index < 0) return S_FALSE;
    *action = Bstr("Open");
    return S_OK;
}

HRESULT CPopupAccessible::accSelect(long flags, VARIANT child) {
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    int focused = -1, index = -1;
    if (!ChildIndex(child, m_source.Items(focused), index) || index < 0) return E_INVALIDARG;
    if (!(flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION))) return E_INVALIDARG;
    if (!m_source.SetFocus(index)) return E_INVALIDARG;
    m_focusMoved(w);
    return S_OK;
}

HRESULT CPopupAccessible::accLocation(long* x, long* y, long* wd, long* ht, VARIANT child) {
    if (!x || !y || !wd || !ht) return E_POINTER;
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    int focused = -1, index = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (!ChildIndex(child, items, index)) return E_INVALIDARG;
    RECT r{};
    if (index < 0) {
        GetClientRect(w, &r);
    } else {
        const Rect& i = items[static_cast<size_t>(index)].rect;
        r = RECT{i.left, i.top, i.right, i.bottom};
    }
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *x = r.left;
    *y = r.top;
    *wd = r.right - r.left;
    *ht = r.bottom - r.top;
    return S_OK;
}

HRESULT CPopupAccessible::accNavigate(long dir, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    int focused = -1, index = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    if (!ChildIndex(start, items, index)) return E_INVALIDARG;
    const long n = static_cast<long>(items.size());
    long to = 0;
    switch (dir) {
    case NAVDIR_FIRSTCHILD: to = index < 0 && n > 0 ? 1 : 0; break;
    case NAVDIR_LASTCHILD: to = index < 0 && n > 0 ? n : 0; break;
    case NAVDIR_NEXT: to = index >= 0 && index + 1 < n ? index + 2 : 0; break;
    case NAVDIR_PREVIOUS: to = index > 0 ? index : 0; break;
    default: return E_NOTIMPL;
    }
    if (to == 0) return S_FALSE;
    Child(end, to);
    return S_OK;
}

HRESULT CPopupAccessible::accHitTest(long x, long y, VARIANT* child) {
    if (!child) return E_POINTER;
    VariantInit(child);
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    POINT p{x, y};
    ScreenToClient(w, &p);
    RECT client{};
    GetClientRect(w, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    int focused = -1;
    const std::vector<PopupItem> items = m_source.Items(focused);
    for (size_t i = 0; i < items.size(); ++i) {
        const Rect& r = items[i].rect;
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
            Child(child, static_cast<long>(i + 1));
            return S_OK;
        }
    }
    Child(child, CHILDID_SELF);
    return S_OK;
}

HRESULT CPopupAccessible::accDoDefaultAction(VARIANT child) {
    HWND w = m_window.load();
    if (!w) return CO_E_OBJNOTCONNECTED;
    int focused = -1, index = -1;
    if (!ChildIndex(child, m_source.Items(focused), index) || index < 0) return E_INVALIDARG;
    if (!m_source.SetFocus(index) || !m_source.ActivateFocused()) return E_FAIL;
    m_activated(w);
    return S_OK;
}

HRESULT CPopupAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT CPopupAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

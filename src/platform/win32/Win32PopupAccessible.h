#pragma once
// CPopupAccessible: what a screen reader learns of the pop-up data window, through
// MSAA (IAccessible, handed out from WM_GETOBJECT for OBJID_CLIENT). The client area
// is the parent; each item of the pop-up (IPopupSource::Items, in reading order) is a
// simple child with the id 1 … n: its name (the day and the subject, the folder and
// its count, the date), its role (list item, push button, cell), its screen rectangle,
// its state (focusable, selectable, focused) and its default action "Open", which
// opens it as a click does. The window raises EVENT_OBJECT_FOCUS with the child's id
// as the keyboard focus moves. UI Automation clients reach it through the system's
// MSAA bridge; there is no UI Automation provider of its own.
#include <windows.h>
#include <oleacc.h>

#include <atomic>

#include "../DesktopPort.h"

class CPopupAccessible final : public IAccessible {
public:
    // focusMoved: the window's own repaint and focus event after accSelect.
    // activated: the window closes itself, as after a click, once the item opened.
    CPopupAccessible(IPopupSource& source, HWND window, void (*focusMoved)(HWND), void (*activated)(HWND));
    // The window has gone: every later call fails as a disconnected object's.
    void Disconnect() { m_window.store(nullptr); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: no type information; clients use the IAccessible methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

private:
    ~CPopupAccessible() = default;
    // The child's index into the items (-1 for the client itself); false when the
    // variant names no child of this object.
    bool ChildIndex(const VARIANT& child, const std::vector<PopupItem>& items, int& index) const;

    std::atomic<ULONG> m_refs{1};
    IPopupSource& m_source;
    std::atomic<HWND> m_window;
    void (*m_focusMoved)(HWND);
    void (*m_activated)(HWND);
};

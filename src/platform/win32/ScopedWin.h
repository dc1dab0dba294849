#pragma once
// Owners of Windows handles and COM objects: not copyable, movable, released exactly
// once. Kernel handles, registry keys, find handles, windows, GDI objects, memory
// DCs, borrowed DCs, a SelectObject restorer, modules, hooks, COM pointers, VARIANTs
// and BSTRs. A release the system refuses is logged (a handle closed twice shows there).
#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "Win32Log.h"

template <typename T, typename Traits>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(T h) : m_h(h) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : m_h(std::exchange(o.m_h, Traits::Invalid())) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            m_h = std::exchange(o.m_h, Traits::Invalid());
        }
        return *this;
    }
    T Get() const { return m_h; }
    T* Put() {
        Reset();
        return &m_h;
    }
    T Release() { return std::exchange(m_h, Traits::Invalid()); }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    void Reset(T h = Traits::Invalid()) {
        if (m_h != Traits::Invalid()) Traits::Close(m_h);
        m_h = h;
    }

private:
    T m_h = Traits::Invalid();
};

struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { LogIfFalse(CloseHandle(h), "CloseHandle"); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { LogIfError(RegCloseKey(h), "RegCloseKey"); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { LogIfFalse(FindClose(h), "FindClose"); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    // A child window the system destroyed with its parent is gone already.
    static void Close(HWND h) {
        if (IsWindow(h)) LogIfFalse(DestroyWindow(h), "DestroyWindow");
    }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { LogIfFalse(DeleteObject(h), "DeleteObject"); }
};
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { LogIfFalse(DeleteDC(h), "DeleteDC"); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { LogIfFalse(FreeLibrary(h), "FreeLibrary"); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { LogIfFalse(DestroyMenu(h), "DestroyMenu"); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { LogIfFalse(DestroyIcon(h), "DestroyIcon"); }
};
struct HookTraits {
    static HHOOK Invalid() { return nullptr; }
    static void Close(HHOOK h) { LogIfFalse(UnhookWindowsHookEx(h), "UnhookWindowsHookEx"); }
};

using ScopedKernelHandle = ScopedHandle<HANDLE, HandleTraits>;
using ScopedKey = ScopedHandle<HKEY, KeyTraits>;
using ScopedFind = ScopedHandle<HANDLE, FindTraits>;
using ScopedWindow = ScopedHandle<HWND, WindowTraits>;
using ScopedMenu = ScopedHandle<HMENU, MenuTraits>;
using ScopedIcon = ScopedHandle<HICON, IconTraits>; // icons made or extracted, not shared ones
using ScopedGdiObject = ScopedHandle<HGDIOBJ, GdiObjectTraits>; // pens, fonts, bitmaps, brushes
using ScopedMemoryDc = ScopedHandle<HDC, MemoryDcTraits>;       // from CreateCompatibleDC
using ScopedModule = ScopedHandle<HMODULE, ModuleTraits>;       // from LoadLibraryW
using ScopedHook = ScopedHandle<HHOOK, HookTraits>;

// A window's DC taken with GetDC and given back with ReleaseDC.
class BorrowedDc {
public:
    explicit BorrowedDc(HWND window = nullptr) : m_window(window), m_dc(GetDC(window)) {}
    ~BorrowedDc() {
        if (m_dc) ReleaseDC(m_window, m_dc);
    }
    BorrowedDc(const BorrowedDc&) = delete;
    BorrowedDc& operator=(const BorrowedDc&) = delete;
    BorrowedDc(BorrowedDc&& o) noexcept : m_window(o.m_window), m_dc(std::exchange(o.m_dc, nullptr)) {}
    BorrowedDc& operator=(BorrowedDc&&) = delete;
    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// Selects an object into a DC and puts the previous one back when it goes.
class SelectRestorer {
public:
    SelectRestorer(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectRestorer() {
        if (m_previous && m_previous != HGDI_ERROR) SelectObject(m_dc, m_previous);
    }
    SelectRestorer(const SelectRestorer&) = delete;
    SelectRestorer& operator=(const SelectRestorer&) = delete;
    SelectRestorer(SelectRestorer&& o) noexcept : m_dc(o.m_dc), m_previous(std::exchange(o.m_previous, nullptr)) {}
    SelectRestorer& operator=(SelectRestorer&&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// One reference on a COM object.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            Reset();
            m_p = std::exchange(o.m_p, nullptr);
        }
        return *this;
    }
    // Takes a reference of its own on p.
    static ComPtr Share(T* p) {
        ComPtr c;
        c.m_p = p;
        if (p) p->AddRef();
        return c;
    }
    // Takes over the reference the caller holds on p.
    static ComPtr Adopt(T* p) {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For functions that return a new reference through a pointer.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (m_p) std::exchange(m_p, nullptr)->Release();
    }
    // Asks the object for another interface; the HRESULT of QueryInterface.
    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const {
        out.Reset();
        return m_p ? m_p->QueryInterface(iid, out.PutVoid()) : E_POINTER;
    }

private:
    T* m_p = nullptr;
};

// A VARIANT cleared when it goes.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&v); }
    ~ScopedVariant() { VariantClear(&v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ScopedVariant(ScopedVariant&& o) noexcept {
        v = o.v;
        VariantInit(&o.v);
    }
    ScopedVariant& operator=(ScopedVariant&&) = delete;
    VARIANT v;
};

// A BSTR freed when it goes.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(BSTR b) : m_b(b) {}
    ~ScopedBstr() { SysFreeString(m_b); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ScopedBstr(ScopedBstr&& o) noexcept : m_b(std::exchange(o.m_b, nullptr)) {}
    ScopedBstr& operator=(ScopedBstr&&) = delete;
    BSTR Get() const { return m_b; }
    BSTR* Put() {
        SysFreeString(std::exchange(m_b, nullptr));
        return &m_b;
    }
    UINT Length() const { return SysStringLen(m_b); }

private:
    BSTR m_b = nullptr;
};

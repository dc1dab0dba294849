#pragma once
// Owners of Windows handles: not copyable, movable, closed exactly once.
#include <windows.h>

#include <utility>

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
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};

using ScopedKernelHandle = ScopedHandle<HANDLE, HandleTraits>;
using ScopedKey = ScopedHandle<HKEY, KeyTraits>;
using ScopedFind = ScopedHandle<HANDLE, FindTraits>;
using ScopedWindow = ScopedHandle<HWND, WindowTraits>;

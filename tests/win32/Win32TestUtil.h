#pragma once
// Helpers for tests that talk to Win32 directly.
#include <windows.h>

#include <cstring>
#include <string>

#include "Utf.h"

// The library id of fake-outlook.tlb, the type library of the test server's
// dispinterfaces (tests/win32/fake-outlook/FakeOutlook.idl).
inline constexpr wchar_t kFakeOutlookLibId[] = L"{6C0A3F51-7D2E-4B8A-9A11-0F4E3C2B7A01}";

// COM registrations of the test prefix: Wine reads them from HKLM\Software\Classes only.
inline LONG SetHklm(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc;
}

inline void DeleteHklmTree(const std::wstring& key) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + key).c_str());
}

// A key below HKEY_CURRENT_USER that is removed again when the test ends.
class TempRegistryKey {
public:
    explicit TempRegistryKey(const std::string& name) : m_path("Software\\OrvantaTests\\" + name) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_path).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, Widen(m_path).c_str());
    }
    ~TempRegistryKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, Widen(m_path).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, Widen(m_path).c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline LONG SetRaw(const std::string& key, const std::string& name, DWORD type, const void* data,
                   DWORD size) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(h, Widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
    return rc;
}

inline LONG SetRawText(const std::string& key, const std::string& name, const std::string& text) {
    std::wstring w = Widen(text);
    return SetRaw(key, name, REG_SZ, w.c_str(), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

inline LONG SetRawDword(const std::string& key, const std::string& name, DWORD v) {
    return SetRaw(key, name, REG_DWORD, &v, sizeof v);
}

// Type and data of a value as stored; type 0 and LONG error when missing.
struct RawValue {
    LONG rc = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    std::wstring text; // REG_SZ without the terminator
    DWORD number = 0;  // REG_DWORD
};

inline RawValue GetRaw(HKEY root, const std::string& key, const std::string& name) {
    RawValue v;
    HKEY h = nullptr;
    v.rc = RegOpenKeyExW(root, Widen(key).c_str(), 0, KEY_READ, &h);
    if (v.rc != ERROR_SUCCESS) return v;
    BYTE buf[4096] = {};
    DWORD size = sizeof buf - 2;
    v.rc = RegQueryValueExW(h, Widen(name).c_str(), nullptr, &v.type, buf, &size);
    RegCloseKey(h);
    if (v.rc != ERROR_SUCCESS) return v;
    if (v.type == REG_SZ) v.text = reinterpret_cast<const wchar_t*>(buf);
    if (v.type == REG_DWORD && size == 4) std::memcpy(&v.number, buf, 4);
    return v;
}

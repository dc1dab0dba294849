#include "Win32Registry.h"

#include <windows.h>

#include <vector>

#include "ScopedWin.h"
#include "Utf.h"

namespace {

HKEY RootHandle(RegRoot root) {
    switch (root) {
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

bool IsText(uint32_t type) {
    return type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz;
}

class Win32Key : public IRegistryKey {
public:
    explicit Win32Key(HKEY key) : m_key(key) {}

    long QueryValue(const std::string& name, RegValue& out) override {
        std::wstring wname = Widen(name);
        std::vector<BYTE> buf(256);
        DWORD type = 0;
        LONG rc;
        for (;;) {
            DWORD size = static_cast<DWORD>(buf.size());
            rc = RegQueryValueExW(m_key.Get(), wname.c_str(), nullptr, &type, buf.data(), &size);
            if (rc == ERROR_MORE_DATA) {
                buf.resize(size + 2);
                continue;
            }
            if (rc != ERROR_SUCCESS) return rc;
            buf.resize(size);
            break;
        }
        out.type = type;
        if (IsText(type)) {
            size_t chars = buf.size() / sizeof(wchar_t);
            std::wstring w(reinterpret_cast<const wchar_t*>(buf.data()), chars);
            if (type != RegType::MultiSz)
                while (!w.empty() && w.back() == L'\0') w.pop_back();
            std::string s = Narrow(w);
            out.data.assign(s.begin(), s.end());
        } else {
            out.data.assign(buf.begin(), buf.end());
        }
        return ERROR_SUCCESS;
    }

    long SetValue(const std::string& name, const RegValue& value) override {
        std::wstring wname = Widen(name);
        if (IsText(value.type)) {
            std::wstring w = Widen(std::string(value.data.begin(), value.data.end()));
            w.push_back(L'\0');
            return RegSetValueExW(m_key.Get(), wname.c_str(), 0, value.type,
                                  reinterpret_cast<const BYTE*>(w.c_str()),
                                  static_cast<DWORD>(w.size() * sizeof(wchar_t)));
        }
        return RegSetValueExW(m_key.Get(), wname.c_str(), 0, value.type,
                              value.data.empty() ? nullptr : value.data.data(),
                              static_cast<DWORD>(value.data.size()));
    }

    long DeleteValue(const std::string& name) override {
        return RegDeleteValueW(m_key.Get(), Widen(name).c_str());
    }

private:
    ScopedKey m_key;
};

} // namespace

long CWin32Registry::OpenKey(RegRoot root, const std::string& path, RegAccess access,
                             std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    HKEY h = nullptr;
    const REGSAM rights = access == RegAccess::Read    ? KEY_READ
                          : access == RegAccess::Write ? KEY_WRITE
                                                       : KEY_READ | KEY_WRITE;
    LONG rc = RegOpenKeyExW(RootHandle(root), Widen(path).c_str(), 0, rights, &h);
    if (rc == ERROR_SUCCESS) key = std::make_unique<Win32Key>(h);
    return rc;
}

long CWin32Registry::CreateKey(RegRoot root, const std::string& path, const std::string& keyClass,
                               std::unique_ptr<IRegistryKey>& key) {
    key.reset();
    HKEY h = nullptr;
    std::wstring wclass = Widen(keyClass);
    LONG rc = RegCreateKeyExW(RootHandle(root), Widen(path).c_str(), 0,
                              wclass.empty() ? nullptr : wclass.data(), REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) key = std::make_unique<Win32Key>(h);
    return rc;
}

long CWin32Registry::DeleteKeyTree(RegRoot root, const std::string& path) {
    if (path.empty()) return ERROR_INVALID_PARAMETER; // never a whole root
    std::wstring w = Widen(path);
    LONG rc = RegDeleteTreeW(RootHandle(root), w.c_str()); // leaves the key itself
    if (rc != ERROR_SUCCESS) return rc;
    return RegDeleteKeyW(RootHandle(root), w.c_str());
}

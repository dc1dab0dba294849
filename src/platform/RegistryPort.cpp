#include "RegistryPort.h"

#include <cstring>

RegValue RegValue::Text(const std::string& text) {
    RegValue v;
    v.type = RegType::Sz;
    v.data.assign(text.begin(), text.end());
    return v;
}

RegValue RegValue::Number(int32_t value) {
    RegValue v;
    v.type = RegType::Dword;
    auto u = static_cast<uint32_t>(value);
    v.data = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
              static_cast<uint8_t>(u >> 24)};
    return v;
}

std::string RegValue::AsText() const {
    std::string s(data.begin(), data.end());
    auto nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

namespace {
class LimitedKey : public IRegistryKey {
public:
    LimitedKey(std::unique_ptr<IRegistryKey> key, RegAccess access) : m_key(std::move(key)), m_access(access) {}
    long QueryValue(const std::string& name, RegValue& out) override {
        return m_access == RegAccess::Write ? RegError::AccessDenied : m_key->QueryValue(name, out);
    }
    long SetValue(const std::string& name, const RegValue& value) override {
        return m_access == RegAccess::Read ? RegError::AccessDenied : m_key->SetValue(name, value);
    }
    long DeleteValue(const std::string& name) override {
        return m_access == RegAccess::Read ? RegError::AccessDenied : m_key->DeleteValue(name);
    }
    long SetValues(const std::vector<std::pair<std::string, RegValue>>& values) override {
        return m_access == RegAccess::Read ? RegError::AccessDenied : m_key->SetValues(values);
    }

private:
    std::unique_ptr<IRegistryKey> m_key;
    RegAccess m_access;
};
} // namespace

std::unique_ptr<IRegistryKey> LimitAccess(std::unique_ptr<IRegistryKey> key, RegAccess access) {
    if (!key || access == RegAccess::ReadWrite) return key;
    return std::make_unique<LimitedKey>(std::move(key), access);
}

#include "Registry.h"

#include "../platform/Platform.h"
#include "../util/Utf8.h"

CRegistry::CRegistry(IRegistryPort* port) : m_port(port) {}

CRegistry::~CRegistry() { Close(); }

IRegistryPort& CRegistry::Port() const { return m_port ? *m_port : ::Port<IRegistryPort>(); }

bool CRegistry::Open(RegRoot root, const std::string& path, RegAccess access) {
    Close();
    m_root = root;
    m_path = path;
    m_lastError = Port().OpenKey(root, path, access, m_key);
    if (m_lastError != RegError::Success) m_key.reset();
    return m_key != nullptr;
}

bool CRegistry::CreateKeyPath(RegRoot root, const std::string& path, const std::string& keyClass) {
    std::string prefix;
    for (size_t pos = 0; (pos = path.find('\\', pos)) != std::string::npos; ++pos) {
        prefix = path.substr(0, pos);
        if (prefix.empty()) continue;
        std::unique_ptr<IRegistryKey> key;
        if (Port().OpenKey(root, prefix, RegAccess::Read, key) != RegError::Success)
            Port().CreateKey(root, prefix, std::string(), key);
    }
    std::unique_ptr<IRegistryKey> key;
    m_lastError = Port().CreateKey(root, path, keyClass, key);
    return m_lastError == RegError::Success;
}

void CRegistry::Close() { m_key.reset(); }

bool CRegistry::ReadText(const std::string& name, std::string& text, size_t bufferSize) {
    text.clear();
    if (!m_key) return false;
    RegValue v;
    m_lastError = m_key->QueryValue(name, v);
    if (m_lastError != RegError::Success) return false;
    if (v.type != RegType::Sz && v.type != RegType::ExpandSz) {
        m_lastError = RegError::InvalidData;
        return false;
    }
    std::string s = v.AsText();
    // The buffer holds characters of the system's wide text, not UTF-8 bytes: a
    // Cyrillic path of 140 characters fits a 260-character buffer.
    if (bufferSize == 0 || Utf16Length(s) + 1 > bufferSize) {
        m_lastError = RegError::MoreData;
        return false;
    }
    text = std::move(s);
    return true;
}

bool CRegistry::ReadNumber(const std::string& name, int32_t& value) {
    if (!m_key) return false;
    RegValue v;
    m_lastError = m_key->QueryValue(name, v);
    if (m_lastError != RegError::Success) return false;
    if (v.type != RegType::Dword || v.data.size() != 4) {
        m_lastError = RegError::InvalidData;
        return false;
    }
    uint32_t u = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                 (static_cast<uint32_t>(v.data[3]) << 24);
    value = static_cast<int32_t>(u);
    return true;
}

bool CRegistry::WriteText(const std::string& name, const std::string& text) {
    if (!m_key) return false;
    m_lastError = m_key->SetValue(name, RegValue::Text(text));
    return m_lastError == RegError::Success;
}

bool CRegistry::WriteNumber(const std::string& name, int32_t value) {
    if (!m_key) return false;
    m_lastError = m_key->SetValue(name, RegValue::Number(value));
    return m_lastError == RegError::Success;
}

bool CRegistry::DeleteValue(const std::string& name) {
    if (!m_key) return false;
    m_lastError = m_key->DeleteValue(name);
    return m_lastError == RegError::Success;
}

bool CRegistry::WriteValues(const std::vector<std::pair<std::string, RegValue>>& values) {
    if (!m_key) return false;
    m_lastError = m_key->SetValues(values);
    return m_lastError == RegError::Success;
}

bool CRegistry::ValueExists(const std::string& name) {
    if (!m_key) return false;
    RegValue v;
    m_lastError = m_key->QueryValue(name, v);
    return m_lastError == RegError::Success;
}

bool CRegistry::RunEntryExists(const std::string& name, IRegistryPort* port) {
    CRegistry reg(port);
    if (!reg.Open(RegRoot::CurrentUser, kRunKey)) return false;
    RegValue v;
    return reg.m_key->QueryValue(name, v) == RegError::Success;
}

bool CRegistry::SetRunEntry(const std::string& name, const std::string& command,
                            IRegistryPort* port) {
    // A fresh profile may lack the Run key; creating it makes the entry work there too.
    CRegistry reg(port);
    if (!reg.Open(RegRoot::CurrentUser, kRunKey, RegAccess::Write) &&
        !(reg.CreateKeyPath(RegRoot::CurrentUser, kRunKey, std::string()) &&
          reg.Open(RegRoot::CurrentUser, kRunKey, RegAccess::Write)))
        return false;
    return reg.WriteText(name, command);
}

bool CRegistry::DeleteRunEntry(const std::string& name, IRegistryPort* port) {
    CRegistry reg(port);
    if (!reg.Open(RegRoot::CurrentUser, kRunKey, RegAccess::Write)) return false;
    return reg.DeleteValue(name);
}

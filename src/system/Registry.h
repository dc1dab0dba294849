#pragma once
// Registry accessor: one open key at a time, with the read rules the settings
// store relies on (text reads clear the output first and fail when the value does
// not fit the caller's buffer; number reads leave the caller's preset on failure).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../platform/RegistryPort.h"

class CRegistry {
public:
    static constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    explicit CRegistry(IRegistryPort* port = nullptr); // null: the current platform's registry
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Opens the key for reading unless the caller says it will write.
    bool Open(RegRoot root, const std::string& path, RegAccess access = RegAccess::Read);
    // Creates every missing key of the path from the left, the last one with keyClass;
    // the new key is not left open. True when the last creation succeeded.
    bool CreateKeyPath(RegRoot root, const std::string& path, const std::string& keyClass);
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    // Text of a REG_SZ or REG_EXPAND_SZ value. bufferSize counts UTF-16 units with the
    // terminating NUL, so at most bufferSize - 1 units fit; a longer value, another type or a missing
    // value is a failed read and leaves text empty.
    bool ReadText(const std::string& name, std::string& text, size_t bufferSize = 260);
    // A REG_DWORD value; on failure value keeps what the caller put there.
    bool ReadNumber(const std::string& name, int32_t& value);
    bool WriteText(const std::string& name, const std::string& text);
    bool WriteNumber(const std::string& name, int32_t value);
    bool DeleteValue(const std::string& name);
    // Writes all the values at once where the port can (one rewrite of the settings
    // file on Linux), else one by one.
    bool WriteValues(const std::vector<std::pair<std::string, RegValue>>& values);
    // True when the open key holds a value of that name, of any type.
    bool ValueExists(const std::string& name);

    long LastError() const { return m_lastError; }
    RegRoot Root() const { return m_root; }
    const std::string& Path() const { return m_path; }

    // The logon entry: a value in the current user's Run key. Each call opens the key
    // itself and returns false when it cannot.
    static bool RunEntryExists(const std::string& name, IRegistryPort* port = nullptr);
    static bool SetRunEntry(const std::string& name, const std::string& command,
                            IRegistryPort* port = nullptr);
    static bool DeleteRunEntry(const std::string& name, IRegistryPort* port = nullptr);

private:
    IRegistryPort& Port() const;

    IRegistryPort* m_port;
    std::unique_ptr<IRegistryKey> m_key;
    RegRoot m_root = RegRoot::CurrentUser;
    std::string m_path;
    long m_lastError = 0;
};

#pragma once
// The registry as the program sees it: keys under three roots, values with a type
// and bytes. Text values cross this interface as UTF-8 without a terminator; the
// win32 port converts to and from UTF-16, the posix port keeps them as they are.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

enum class RegRoot { CurrentUser, LocalMachine, ClassesRoot };

namespace RegType {
constexpr uint32_t None = 0;
constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t MultiSz = 7;
} // namespace RegType

// Win32 error codes, used by both ports so that callers see one set of results.
namespace RegError {
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidData = 13;
constexpr long WriteFault = 29;
constexpr long InvalidParameter = 87;
constexpr long MoreData = 234;
constexpr long KeyDeleted = 1018; // the key was deleted while it was open
} // namespace RegError

struct RegValue {
    uint32_t type = RegType::None;
    std::vector<uint8_t> data;

    static RegValue Text(const std::string& text);
    static RegValue Number(int32_t value);
    std::string AsText() const; // bytes up to the first NUL
};

// What a key is opened for. The win32 port asks the system for exactly these rights
// (KEY_READ, KEY_WRITE or both), so a standard user can read keys it may not change;
// the other ports refuse what was not asked for in the same way (AccessDenied).
enum class RegAccess { Read, Write, ReadWrite };

class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    virtual long QueryValue(const std::string& name, RegValue& out) = 0;
    virtual long SetValue(const std::string& name, const RegValue& value) = 0;
    virtual long DeleteValue(const std::string& name) = 0;
    // Sets several values of this key. Ports whose store rewrites a whole file do it in
    // one rewrite, so that another process sees all of them or none; the others set
    // them one by one and stop at the first failure.
    virtual long SetValues(const std::vector<std::pair<std::string, RegValue>>& values) {
        for (const auto& [name, value] : values) {
            long rc = SetValue(name, value);
            if (rc != 0) return rc;
        }
        return 0;
    }
};

// A key that refuses the operations its access does not allow, for ports whose
// store has no rights of its own.
std::unique_ptr<IRegistryKey> LimitAccess(std::unique_ptr<IRegistryKey> key, RegAccess access);

class IRegistryPort {
public:
    virtual ~IRegistryPort() = default;
    // Opens an existing key for what the caller will do with it.
    virtual long OpenKey(RegRoot root, const std::string& path, RegAccess access,
                         std::unique_ptr<IRegistryKey>& key) = 0;
    // Creates the key (and, as the OS does, any missing parents) or opens it if
    // present, for reading and writing.
    virtual long CreateKey(RegRoot root, const std::string& path, const std::string& keyClass,
                           std::unique_ptr<IRegistryKey>& key) = 0;
    // Removes a key and everything below it; used by tests and clean-up.
    virtual long DeleteKeyTree(RegRoot root, const std::string& path) = 0;
};

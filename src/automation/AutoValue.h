#pragma once
// Values and objects of Outlook's automation interface: what a member returns or
// takes. Errors are CAutoError exceptions carrying the result code; the engine
// catches them at the boundary of each of its operations.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class IAutoObject;
using AutoObjectPtr = std::shared_ptr<IAutoObject>;

namespace AutoCode {
constexpr long TypeMismatch = static_cast<long>(0x80020005);
constexpr long UnknownName = static_cast<long>(0x80020006);
constexpr long Exception = static_cast<long>(0x80020009);
constexpr long BadParamCount = static_cast<long>(0x8002000E);
constexpr long InvalidArg = static_cast<long>(0x80070057);
constexpr long ServerExecFailed = static_cast<long>(0x80080005);
constexpr long ClassNotRegistered = static_cast<long>(0x80040154);
constexpr long InvalidClassString = static_cast<long>(0x800401F3);
// Outlook gone: the objects the program holds are no longer connected to a server.
constexpr long Disconnected = static_cast<long>(0x80010108);        // RPC_E_DISCONNECTED
constexpr long ServerUnavailable = static_cast<long>(0x800706BA);   // RPC_S_SERVER_UNAVAILABLE
constexpr long CallFailed = static_cast<long>(0x800706BE);          // RPC_S_CALL_FAILED
constexpr long CallFailedDne = static_cast<long>(0x800706BF);       // RPC_S_CALL_FAILED_DNE
constexpr long ObjectNotConnected = static_cast<long>(0x800401FD);  // CO_E_OBJNOTCONNECTED
constexpr long ServerDied = static_cast<long>(0x80010007);          // RPC_E_SERVER_DIED
constexpr long ServerDiedDne = static_cast<long>(0x80010012);       // RPC_E_SERVER_DIED_DNE
constexpr long ConnectionTerminated = static_cast<long>(0x80010006); // RPC_E_CONNECTION_TERMINATED
constexpr long ServerStopping = static_cast<long>(0x80080008);      // CO_E_SERVER_STOPPING
// Outlook busy (a dialog open): the call was rejected and retried until the bound.
constexpr long CallRejected = static_cast<long>(0x80010001);        // RPC_E_CALL_REJECTED
constexpr long RetryLater = static_cast<long>(0x8001010A);          // RPC_E_SERVERCALL_RETRYLATER
} // namespace AutoCode

class CAutoError : public std::runtime_error {
public:
    CAutoError(long code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    long Code() const { return m_code; }

private:
    long m_code;
};

class CAutoValue {
public:
    enum class Kind { Empty, Missing, Bool, Int, Double, Date, String, Object, Array };

    CAutoValue() = default;
    static CAutoValue Missing();
    static CAutoValue Bool(bool b);
    static CAutoValue Int(int32_t i);
    static CAutoValue Double(double d);
    static CAutoValue Date(double oleDate);
    static CAutoValue String(std::string s);
    static CAutoValue Object(AutoObjectPtr o);
    // A table of values, rows by columns (what a table's GetArray returns); cells in
    // row order, rows * columns of them.
    static CAutoValue Array(size_t rows, size_t columns, std::vector<CAutoValue> cells);

    Kind GetKind() const { return m_kind; }
    // Conversions as automation does them; a value of another kind throws TypeMismatch.
    bool AsBool() const;
    int32_t AsInt() const;
    double AsDouble() const;
    double AsDate() const;
    std::string AsString() const;
    AutoObjectPtr AsObject() const; // null for Empty
    // An array's size and cells; an Empty value is an array of no rows, any other kind throws.
    size_t Rows() const;
    size_t Columns() const;
    const CAutoValue& At(size_t row, size_t column) const;

private:
    Kind m_kind = Kind::Empty;
    bool m_bool = false;
    int32_t m_int = 0;
    double m_double = 0.0;
    std::string m_string;
    AutoObjectPtr m_object;
    std::shared_ptr<const std::vector<CAutoValue>> m_cells;
    size_t m_rows = 0, m_columns = 0;
};

// An automation object: properties and methods by member name.
class IAutoObject {
public:
    virtual ~IAutoObject() = default;
    virtual CAutoValue Get(const std::string& member) = 0;
    virtual void Put(const std::string& member, const CAutoValue& value) = 0;
    virtual CAutoValue Call(const std::string& member, const std::vector<CAutoValue>& args) = 0;
    // Whether the object offers the named interface ("_AppointmentItem", "MAPIFolder", ...).
    virtual bool Supports(const std::string& interfaceName) = 0;
    // Outlook's events of this object through the named event interface ("ItemsEvents",
    // "FoldersEvents"): handler is called with each event's name ("ItemAdd",
    // "FolderChange", ...) until the subscription returned is released. Null when the
    // object raises no such events.
    using EventHandler = std::function<void(const std::string& event)>;
    virtual std::shared_ptr<void> Advise(const std::string& events, EventHandler handler) {
        (void)events;
        (void)handler;
        return nullptr;
    }
};

// The object as the named interface, or null when it does not offer it.
AutoObjectPtr AsInterface(const AutoObjectPtr& object, const std::string& interfaceName);

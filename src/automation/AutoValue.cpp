#include "AutoValue.h"

CAutoValue CAutoValue::Missing() {
    CAutoValue v;
    v.m_kind = Kind::Missing;
    return v;
}
CAutoValue CAutoValue::Bool(bool b) {
    CAutoValue v;
    v.m_kind = Kind::Bool;
    v.m_bool = b;
    return v;
}
CAutoValue CAutoValue::Int(int32_t i) {
    CAutoValue v;
    v.m_kind = Kind::Int;
    v.m_int = i;
    return v;
}
CAutoValue CAutoValue::Double(double d) {
    CAutoValue v;
    v.m_kind = Kind::Double;
    v.m_double = d;
    return v;
}
CAutoValue CAutoValue::Date(double oleDate) {
    CAutoValue v;
    v.m_kind = Kind::Date;
    v.m_double = oleDate;
    return v;
}
CAutoValue CAutoValue::String(std::string s) {
    CAutoValue v;
    v.m_kind = Kind::String;
    v.m_string = std::move(s);
    return v;
}
CAutoValue CAutoValue::Object(AutoObjectPtr o) {
    CAutoValue v;
    v.m_kind = o ? Kind::Object : Kind::Empty;
    v.m_object = std::move(o);
    return v;
}

CAutoValue CAutoValue::Array(size_t rows, size_t columns, std::vector<CAutoValue> cells) {
    if (cells.size() != rows * columns) throw CAutoError(AutoCode::InvalidArg, "an array's cells do not fill its rows");
    CAutoValue v;
    v.m_kind = Kind::Array;
    v.m_rows = rows;
    v.m_columns = columns;
    v.m_cells = std::make_shared<const std::vector<CAutoValue>>(std::move(cells));
    return v;
}

namespace {
[[noreturn]] void Mismatch(const char* want) {
    throw CAutoError(AutoCode::TypeMismatch, std::string("type mismatch: expected ") + want);
}
} // namespace

bool CAutoValue::AsBool() const {
    switch (m_kind) {
    case Kind::Bool: return m_bool;
    case Kind::Int: return m_int != 0;
    case Kind::Double: return m_double != 0.0;
    default: Mismatch("a boolean");
    }
}

int32_t CAutoValue::AsInt() const {
    switch (m_kind) {
    case Kind::Bool: return m_bool ? -1 : 0; // VARIANT_TRUE
    case Kind::Int: return m_int;
    case Kind::Double:
        if (m_double < -2147483648.0 || m_double > 2147483647.0) Mismatch("a 32-bit number");
        return static_cast<int32_t>(m_double);
    default: Mismatch("a number");
    }
}

double CAutoValue::AsDouble() const {
    switch (m_kind) {
    case Kind::Int: return m_int;
    case Kind::Double:
    case Kind::Date: return m_double;
    default: Mismatch("a number");
    }
}

double CAutoValue::AsDate() const {
    switch (m_kind) {
    case Kind::Date:
    case Kind::Double: return m_double;
    default: Mismatch("a date");
    }
}

std::string CAutoValue::AsString() const {
    if (m_kind == Kind::String) return m_string;
    if (m_kind == Kind::Empty) return std::string();
    Mismatch("a string");
}

AutoObjectPtr CAutoValue::AsObject() const {
    if (m_kind == Kind::Object) return m_object;
    if (m_kind == Kind::Empty) return nullptr;
    Mismatch("an object");
}

AutoObjectPtr AsInterface(const AutoObjectPtr& object, const std::string& interfaceName) {
    return object && object->Supports(interfaceName) ? object : nullptr;
}

size_t CAutoValue::Rows() const {
    if (m_kind == Kind::Empty) return 0;
    if (m_kind != Kind::Array) Mismatch("an array");
    return m_rows;
}

size_t CAutoValue::Columns() const {
    if (m_kind == Kind::Empty) return 0;
    if (m_kind != Kind::Array) Mismatch("an array");
    return m_columns;
}

const CAutoValue& CAutoValue::At(size_t row, size_t column) const {
    if (m_kind != Kind::Array) Mismatch("an array");
    if (row >= m_rows || column >= m_columns) throw CAutoError(AutoCode::InvalidArg, "outside the array");
    return (*m_cells)[row * m_columns + column];
}

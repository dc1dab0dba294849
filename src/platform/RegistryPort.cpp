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

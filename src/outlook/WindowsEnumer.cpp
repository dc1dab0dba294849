#include "WindowsEnumer.h"

#include "../platform/Platform.h"
#include "../util/Parser.h"

namespace {
const std::string kSuffix = "- microsoft outlook";
constexpr size_t kTitleBytes = 250; // the buffer of GetWindowTextA, its end included
constexpr int kShowNormal = 1, kShowMaximized = 3;
} // namespace

bool CWindowsEnumer::TitleMatches(const std::string& title) {
    std::string t = title.substr(0, kTitleBytes - 1);
    if (t.size() < kSuffix.size()) return false;
    return EParser::ToLower(t.substr(t.size() - kSuffix.size())) == kSuffix;
}

bool CWindowsEnumer::Search() {
    m_found = 0;
    ITopWindowsPort* windows = PortOrNull<ITopWindowsPort>();
    if (!windows) return false;
    ITopWindowsPort::Handle found = 0;
    windows->EnumerateTopWindows([&](ITopWindowsPort::Handle w, const std::string& title) {
        if (!TitleMatches(title)) return true;
        found = w;
        return false; // the first match ends the enumeration
    });
    if (!found) return false;
    m_found = 1;
    if (m_mode == Mode::BringForward) {
        windows->ShowAsync(found, windows->RestoresToMaximized(found) ? kShowMaximized : kShowNormal);
        windows->SetForeground(found);
    }
    return true;
}

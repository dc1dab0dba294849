#include "DesktopSetter.h"

#include <cctype>
#include <cstdlib>

#include "GSettingsSetter.h"
#include "PlasmaSetter.h"
#include "SwaySetter.h"
#include "XfconfSetter.h"

namespace {
// XDG_CURRENT_DESKTOP is a list such as "ubuntu:GNOME" or "Budgie:GNOME".
bool Listed(const std::string& desktops, const char* name) {
    size_t start = 0;
    for (;;) {
        const size_t colon = desktops.find(':', start);
        const std::string item = desktops.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (item == name) return true;
        if (colon == std::string::npos) return false;
        start = colon + 1;
    }
}

bool Unreserved(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}
} // namespace

std::unique_ptr<IDesktopSetter> DesktopSetterOfSession() {
    const char* env = std::getenv("XDG_CURRENT_DESKTOP");
    std::string d = env ? env : "";
    for (auto& c : d) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    using Key = CGSettingsSetter::PictureKey;
    if (Listed(d, "X-CINNAMON") || Listed(d, "CINNAMON"))
        return std::make_unique<CGSettingsSetter>("Cinnamon", "org.cinnamon.desktop.background",
                                                  std::vector<Key>{{"picture-uri", true, false}});
    if (Listed(d, "MATE"))
        return std::make_unique<CGSettingsSetter>("MATE", "org.mate.background",
                                                  std::vector<Key>{{"picture-filename", false, false}});
    if (Listed(d, "XFCE")) return std::make_unique<CXfconfSetter>();
    if (Listed(d, "KDE")) return std::make_unique<CPlasmaSetter>();
    const char* swaySocket = std::getenv("SWAYSOCK");
    if (Listed(d, "SWAY") || (swaySocket && *swaySocket)) return std::make_unique<CSwaySetter>();
    for (const char* name : {"GNOME", "UNITY", "BUDGIE"}) {
        if (!Listed(d, name)) continue;
        const std::string shown = name == std::string("GNOME") ? "GNOME" : name == std::string("UNITY") ? "Unity" : "Budgie";
        return std::make_unique<CGSettingsSetter>(
            shown, "org.gnome.desktop.background",
            std::vector<Key>{{"picture-uri", true, false}, {"picture-uri-dark", true, true}}); // dark: GNOME 42 on
    }
    return nullptr;
}

std::string FileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char c : path) {
        if (Unreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string UriPath(const std::string& uri) {
    std::string rest;
    if (uri.rfind("file:///", 0) == 0) rest = uri.substr(7);
    else if (uri.rfind("file://localhost/", 0) == 0) rest = uri.substr(16);
    else return uri;
    std::string out;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            out += static_cast<char>(std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += rest[i];
        }
    }
    return out;
}

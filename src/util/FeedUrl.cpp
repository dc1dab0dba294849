#include "FeedUrl.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const kEllipsis = "\xE2\x80\xA6"; // …

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The scheme in lower case and what follows "://"; false when there is no scheme.
bool Split(const std::string& url, std::string& scheme, std::string& rest) {
    const auto colon = url.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isalpha(static_cast<unsigned char>(url[i])) && url[i] != '+' && url[i] != '-' && url[i] != '.')
            return false;
    scheme = Lower(url.substr(0, colon));
    rest = url.substr(colon + 3);
    return true;
}

// A segment's length as a person would count it: %XX as one character.
size_t DecodedLength(const std::string& s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) i += (s[i] == '%' && i + 2 < s.size()) ? 3 : 1;
    return n;
}

bool LooksLikeToken(const std::string& segment) {
    const size_t n = DecodedLength(segment);
    bool digit = false; // a digit of the text, not of a %XX escape
    for (size_t i = 0; i < segment.size(); ++i) {
        if (segment[i] == '%' && i + 2 < segment.size()) i += 2;
        else if (std::isdigit(static_cast<unsigned char>(segment[i]))) digit = true;
    }
    return (n >= 16 && digit) || n >= 32;
}

} // namespace

bool CFeedUrl::IsFeed(const std::string& text) {
    std::string scheme, rest;
    if (!Split(Trimmed(text), scheme, rest)) return false;
    if (scheme != "http" && scheme != "https" && scheme != "webcal" && scheme != "webcals") return false;
    const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
    const std::string host = authority.substr(authority.rfind('@') == std::string::npos ? 0 : authority.rfind('@') + 1);
    return !host.empty() && host[0] != ':';
}

std::string CFeedUrl::Normalised(const std::string& url) {
    const std::string trimmed = Trimmed(url);
    std::string scheme, rest;
    if (Split(trimmed, scheme, rest) && (scheme == "webcal" || scheme == "webcals")) return "https://" + rest;
    return trimmed;
}

std::string CFeedUrl::Masked(const std::string& url) {
    const std::string trimmed = Trimmed(url);
    std::string scheme, rest;
    if (!Split(trimmed, scheme, rest)) return kEllipsis;
    const size_t authorityEnd = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, authorityEnd);
    std::string out = scheme + "://";
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        out += std::string(kEllipsis) + "@";
        authority = authority.substr(at + 1);
    }
    out += authority;
    if (authorityEnd == std::string::npos) return out;

    const std::string tail = rest.substr(authorityEnd);
    const size_t pathEnd = tail.find_first_of("?#");
    const std::string path = tail.substr(0, pathEnd);
    size_t start = 0;
    while (start < path.size()) {
        // path[start] is '/'
        size_t next = path.find('/', start + 1);
        if (next == std::string::npos) next = path.size();
        const std::string segment = path.substr(start + 1, next - start - 1);
        out += "/";
        if (LooksLikeToken(segment)) {
            size_t keep = 0;
            for (size_t shown = 0; shown < 4 && keep < segment.size(); ++shown) keep += segment[keep] == '%' ? 3 : 1;
            out += segment.substr(0, std::min(keep, segment.size())) + kEllipsis;
        } else {
            out += segment;
        }
        start = next;
    }
    if (pathEnd != std::string::npos) out += std::string(1, tail[pathEnd]) + kEllipsis;
    return out;
}

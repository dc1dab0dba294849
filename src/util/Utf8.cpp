#include "Utf8.h"

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 0;
}

namespace {
// Length of the valid sequence at i, or 0.
size_t SequenceAt(const std::string& text, size_t i) {
    size_t len = Utf8SequenceLength(static_cast<unsigned char>(text[i]));
    if (len == 0 || i + len > text.size()) return 0;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return len;
}
} // namespace

size_t Utf16Length(const std::string& text) {
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        size_t len = SequenceAt(text, i);
        units += len == 4 ? 2 : 1;
        i += len ? len : 1;
    }
    return units;
}

std::string Utf8Prefix(const std::string& text, size_t n) {
    size_t i = 0;
    for (size_t count = 0; i < text.size() && count < n; ++count) {
        size_t len = SequenceAt(text, i);
        i += len ? len : 1;
    }
    return text.substr(0, i);
}

Utf8Char Utf8CharAt(const std::string& text, size_t i) {
    const Utf8Char replacement{U'\uFFFD', 1};
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t len = Utf8SequenceLength(lead);
    if (len == 1) return {lead, 1};
    if (len == 0 || i + len > text.size()) return replacement;
    char32_t code = lead & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) return replacement;
        code = (code << 6) | (c & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[len] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return replacement;
    return {code, len};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {
// Code points that attach to the character before them.
bool Attaches(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
           c == 0x200D || (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F) ||
           (c >= 0xE0100 && c <= 0xE01EF);
}
} // namespace

size_t Utf8ClusterBoundary(const std::string& text, size_t i) {
    if (i >= text.size()) return text.size();
    // Walk the text from its start, remembering the last place a cut is allowed.
    size_t boundary = 0, pos = 0;
    char32_t previous = 0;
    while (pos < text.size() && pos <= i) {
        const Utf8Char ch = Utf8CharAt(text, pos);
        if (pos == 0 || (!Attaches(ch.code) && previous != 0x200D)) boundary = pos;
        previous = ch.code;
        pos += ch.length;
    }
    return boundary;
}

size_t Utf8FirstClusterEnd(const std::string& text) {
    if (text.empty()) return 0;
    size_t pos = Utf8CharAt(text, 0).length;
    char32_t previous = Utf8CharAt(text, 0).code;
    while (pos < text.size()) {
        const Utf8Char ch = Utf8CharAt(text, pos);
        if (!Attaches(ch.code) && previous != 0x200D) break;
        previous = ch.code;
        pos += ch.length;
    }
    return pos;
}

namespace {

bool NeedsEscape(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    static const char hex[] = "0123456789abcdef";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}

} // namespace

std::string QuotedForDisplay(const std::string& text, size_t maxChars) {
    std::string out = "\"";
    size_t chars = 0, pos = 0;
    for (; pos < text.size() && chars < maxChars; ++chars) {
        const Utf8Char ch = Utf8CharAt(text, pos);
        const bool invalid = ch.code == U'\uFFFD' && ch.length == 1;
        if (invalid) AppendHex(out, "\\x", static_cast<unsigned char>(text[pos]), 2);
        else if (ch.code == '\n') out += "\\n";
        else if (ch.code == '\t') out += "\\t";
        else if (ch.code == '\r') out += "\\r";
        else if (ch.code == '"' || ch.code == '\\') (out += '\\') += static_cast<char>(ch.code);
        else if (ch.code < 0x80 && NeedsEscape(ch.code)) AppendHex(out, "\\x", ch.code, 2);
        else if (NeedsEscape(ch.code)) AppendHex(out, "\\u", ch.code, 4);
        else out.append(text, pos, ch.length);
        pos += ch.length;
    }
    out += '"';
    if (pos < text.size()) out += "...";
    return out;
}

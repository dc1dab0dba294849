#include "PictureFormat.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view prefix, std::size_t at = 0) {
    return bytes.size() >= at + prefix.size() && std::memcmp(bytes.data() + at, prefix.data(), prefix.size()) == 0;
}

// The first bytes as text, for the XML kinds: lower case, without a byte-order mark.
std::string TextHead(std::span<const std::uint8_t> bytes) {
    std::size_t from = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    const std::size_t to = std::min<std::size_t>(bytes.size(), 4096);
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
        const char c = static_cast<char>(bytes[i]);
        text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return text;
}

} // namespace

CPictureFormat::Kind CPictureFormat::Of(std::span<const std::uint8_t> head) {
    if (StartsWith(head, "BM")) return Kind::Bmp;
    if (StartsWith(head, "\xFF\xD8")) return Kind::Jpeg; // the library takes any marker after it
    if (StartsWith(head, "\x89PNG\r\n\x1A\n")) return Kind::Png;
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) return Kind::Gif;
    if (StartsWith(head, std::string_view("II*\0", 4)) || StartsWith(head, std::string_view("MM\0*", 4)))
        return Kind::Tiff;
    if (StartsWith(head, "RIFF") && StartsWith(head, "WEBP", 8)) return Kind::WebP;
    if (StartsWith(head, "ftyp", 4)) return Kind::Heif; // HEIC and AVIF
    if (StartsWith(head, "\xFF\x0A") || StartsWith(head, std::string_view("\0\0\0\x0CJXL ", 8))) return Kind::JpegXl;
    if (StartsWith(head, std::string_view("\0\0\1\0", 4))) return Kind::Icon;
    if (StartsWith(head, "\x1F\x8B")) return Kind::Gzip;
    const std::string text = TextHead(head);
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text[start] == '<') {
        if (text.find("<svg") != std::string::npos) return Kind::Svg;
        if (text.find("<background") != std::string::npos) return Kind::Slideshow;
        return Kind::Xml;
    }
    return Kind::Unknown;
}

bool CPictureFormat::Readable(Kind kind) { return kind == Kind::Bmp || kind == Kind::Jpeg || kind == Kind::Png; }

std::string CPictureFormat::Describe(Kind kind) {
    switch (kind) {
    case Kind::Gif: return "a GIF picture";
    case Kind::Tiff: return "a TIFF picture";
    case Kind::WebP: return "a WebP picture";
    case Kind::Heif: return "a HEIF or AVIF picture";
    case Kind::JpegXl: return "a JPEG XL picture";
    case Kind::Icon: return "an icon file";
    case Kind::Svg: return "an SVG drawing";
    case Kind::Slideshow: return "a slide show (an XML list of pictures)";
    case Kind::Xml: return "an XML file";
    case Kind::Gzip: return "a compressed file";
    default: return {};
    }
}

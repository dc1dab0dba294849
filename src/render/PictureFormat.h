#pragma once
// What kind of file a picture is, told by its first bytes rather than its name: a
// wallpaper named ".jpg" may hold a PNG, and one the desktop set may be a drawing or
// a slide show this program cannot read.
#include <cstdint>
#include <span>
#include <string>

class CPictureFormat {
public:
    enum class Kind { Unknown, Bmp, Jpeg, Png, Gif, Tiff, WebP, Heif, JpegXl, Icon, Svg, Slideshow, Xml, Gzip };

    // The kind of the file that begins with these bytes (the whole file will do).
    static Kind Of(std::span<const std::uint8_t> head);
    // Whether the image layer reads pictures of this kind.
    static bool Readable(Kind kind);
    // The kind in words, for a message: "a GIF picture", "an SVG drawing"; empty for
    // Unknown and the kinds that are read.
    static std::string Describe(Kind kind);
};

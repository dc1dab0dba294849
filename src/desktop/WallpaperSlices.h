#pragma once
// The composed picture cut into one picture per monitor, for systems that show a
// picture of its own on each monitor. The composed picture covers the virtual screen
// with its top-left pixel at the virtual screen's top-left corner; each monitor's
// slice is the part under that monitor's rectangle, written as a 24-bit BMP beside
// the composed picture ("orvanta-monitor-1.bmp", ...), whole or not at all.
#include <string>
#include <vector>

#include "../util/Rect.h"

class CWallpaperSlices {
public:
    // The file of the slice for the monitor at index (from 0) of the system's list.
    static std::string SlicePath(const std::string& composedPath, size_t index);
    // Whether the file name (without folder and extension) is a slice's, in any case.
    static bool NamedLikeSlice(const std::string& path);
    // Cuts the composed picture: monitors in screen coordinates, virtualOrigin the
    // virtual screen's top-left corner. The paths written, one for each monitor; empty
    // when the picture cannot be read or a monitor lies wholly outside it (a part
    // outside is cut off, so an edge monitor's slice may be smaller than it).
    static std::vector<std::string> Write(const std::string& composedPath, const std::vector<Rect>& monitors,
                                          int virtualX, int virtualY);
};

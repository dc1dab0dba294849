#pragma once
// Writes a surface as a PNG file (8-bit RGB, no interlace) for a person to look at:
// the composed wallpaper of "orvanta compose --png" and the renders of the tests.
#include <string>

#include "../util/PixelSurface.h"

// True when the whole file was written (through a temporary file renamed over path).
bool WritePng(const PixelSurface& surface, const std::string& path);

// The canvas port against real Cairo and fontconfig: the cases every port passes,
// then what is particular to the Cairo surface over the canvas's buffer.
#include <unistd.h>

#include <climits>

#include "CanvasPortCases.h"
#include "platform/posix/PosixCanvas.h"

// Beside the test program, in the build folder.
std::string CanvasSamplePath() {
    char exe[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("./x");
    dir.erase(dir.find_last_of('/') + 1);
    return dir + "canvas-fonts-posix.bmp";
}

namespace {

TEST(CanvasPosix, CairoDrawsIntoTheCanvasBufferAsRgb24) {
    auto canvas = CPosixCanvas::Create(33, 9);
    ASSERT_TRUE(canvas);
    cairo_surface_t* target = cairo_get_target(canvas->Context());
    const PixelSurface s = canvas->Pixels();
    EXPECT_EQ(cairo_image_surface_get_format(target), CAIRO_FORMAT_RGB24);
    EXPECT_EQ(cairo_image_surface_get_data(target), s.pixels);
    EXPECT_EQ(cairo_image_surface_get_stride(target), s.stride);
    EXPECT_EQ(s.stride, cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, 33));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s.pixels) % 16, 0u)
        << "Cairo's fast paths want aligned rows";

    // A fill made by Cairo itself reads back as blue, green, red bytes.
    cairo_set_source_rgb(canvas->Context(), 0x30 / 255.0, 0x20 / 255.0, 0x10 / 255.0);
    cairo_rectangle(canvas->Context(), 32, 8, 1, 1);
    cairo_fill(canvas->Context());
    canvas->Flush();
    const std::uint8_t* last = s.Row(8) + 32 * 4;
    EXPECT_EQ(last[0], 0x10);
    EXPECT_EQ(last[1], 0x20);
    EXPECT_EQ(last[2], 0x30);
}

TEST(CanvasPosix, TableFacesAreDrawnWithDejaVuSansAndOthersAsNamed) {
    auto canvas = CPosixCanvas::Create(4, 4);
    ASSERT_TRUE(canvas);
    for (const char* face : {"Ms Sans Serif", "MS Sans Serif", "Verdana", "VERDANA"}) {
        canvas->SetFont({face, 12, 400, false});
        EXPECT_EQ(canvas->FontFamily(), "DejaVu Sans") << face;
    }
    canvas->SetFont({"DejaVu Serif", 12, 400, false});
    EXPECT_EQ(canvas->FontFamily(), "DejaVu Serif") << "a face Linux has is not replaced";
}

TEST(CanvasPosix, BadTextNeverPutsCairoIntoItsErrorState) {
    auto canvas = CPosixCanvas::Create(60, 20);
    ASSERT_TRUE(canvas);
    canvas->DrawText(0, 0,
                     std::string("x\xC0\xAF y\xED\xA0\x80 \0z", 12)); // overlong, surrogate, NUL
    canvas->MeasureText("\xF8\x88\x80\x80\x80");
    canvas->FitText("\xC3", 10);
    EXPECT_EQ(cairo_status(canvas->Context()), CAIRO_STATUS_SUCCESS)
        << cairo_status_to_string(cairo_status(canvas->Context()));
}

} // namespace

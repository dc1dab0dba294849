#pragma once
// Drawing for the artwork generator: a Cairo image surface with the few shapes and
// texts the pictures use, and a plain RGBA picture to post-process and write out.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// t = 0 gives a, t = 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);

// A picture in straight (not premultiplied) RGBA, rows top down.
struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> px; // r, g, b, a

    Image() = default;
    Image(int width, int height) : w(width), h(height), px(size_t(width) * height * 4, 0) {}
    uint8_t* At(int x, int y) { return &px[(size_t(y) * w + x) * 4]; }
    const uint8_t* At(int x, int y) const { return &px[(size_t(y) * w + x) * 4]; }
    Rgb ColorAt(int x, int y) const {
        const uint8_t* p = At(x, y);
        return {p[0], p[1], p[2]};
    }
    void Set(int x, int y, Rgb c, uint8_t a = 255) {
        uint8_t* p = At(x, y);
        p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = a;
    }
};

enum class Weight { Regular, Bold };

// The scale every Canvas made while it lives draws at (1 is the pictures' own size);
// the one before comes back when it ends.
class DrawingScale {
public:
    explicit DrawingScale(double factor);
    ~DrawingScale();
    DrawingScale(const DrawingScale&) = delete;
    DrawingScale& operator=(const DrawingScale&) = delete;
    static double Current();

private:
    double m_before;
};

class Canvas {
public:
    // w x h in the units the pictures are designed in; the surface has the size they
    // come to at the drawing scale in force (DrawingScale), and everything drawn is
    // drawn at that scale: a picture at 150 % is drawn there, not enlarged.
    Canvas(int w, int h); // fully transparent
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* Cr() { return m_cr; }
    // The surface's size in pixels.
    int Width() const { return m_w; }
    int Height() const { return m_h; }

    // A length of the design at the drawing scale in force, in whole pixels.
    static int Scaled(double length);

    void Color(Rgb c, double alpha = 1.0);
    void FillRect(double x, double y, double w, double h, Rgb c, double alpha = 1.0);
    // Path of a rectangle with rounded corners; fill or stroke it afterwards.
    void RoundRectPath(double x, double y, double w, double h, double r);
    void FillRoundRect(double x, double y, double w, double h, double r, Rgb c, double alpha = 1.0);
    void StrokeRoundRect(double x, double y, double w, double h, double r, double width, Rgb c,
                         double alpha = 1.0);
    // Vertical gradient over a rectangle (optionally rounded).
    void VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom,
                          double radius = 0);
    void Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha = 1.0);

    void Font(double pixels, Weight weight = Weight::Regular, const char* face = "DejaVu Sans");
    double TextWidth(const std::string& text);
    // Left end at x, baseline at y.
    void Text(double x, double baseline, const std::string& text, Rgb c, double alpha = 1.0);
    // The ink of the text centred on (cx, cy): numbers and captions in icons.
    void TextInkCentred(double cx, double cy, const std::string& text, Rgb c);
    // Ascent of the current font, for laying out lines.
    double Ascent();

    // Draws a picture at (x, y), scaled by an integer factor with nearest-neighbour.
    void Draw(const Image& img, double x, double y, int scale = 1, bool opaque = false);

    Image Snapshot();
    void WritePng(const std::string& path);

private:
    int m_w, m_h;
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
};

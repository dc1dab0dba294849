#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

Rgb Mix(Rgb a, Rgb b, double t) {
    auto m = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(std::lround(x + (double(y) - x) * t));
    };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

namespace {
double g_scale = 1.0;
} // namespace

DrawingScale::DrawingScale(double factor) : m_before(g_scale) { g_scale = factor; }
DrawingScale::~DrawingScale() { g_scale = m_before; }
double DrawingScale::Current() { return g_scale; }

int Canvas::Scaled(double length) { return static_cast<int>(std::lround(length * g_scale)); }

Canvas::Canvas(int w, int h)
    : m_w(Scaled(w)), m_h(Scaled(h)), m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_w, m_h)),
      m_cr(cairo_create(m_surface)) {
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a drawing surface");
    if (g_scale != 1.0) cairo_scale(m_cr, g_scale, g_scale);
    // Grey antialiasing and full hinting: small captions stay crisp and show no colour
    // fringes on any background.
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(m_cr, fo);
    cairo_font_options_destroy(fo);
}

Canvas::~Canvas() {
    cairo_destroy(m_cr);
    cairo_surface_destroy(m_surface);
}

void Canvas::Color(Rgb c, double alpha) {
    cairo_set_source_rgba(m_cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

void Canvas::FillRect(double x, double y, double w, double h, Rgb c, double alpha) {
    Color(c, alpha);
    cairo_rectangle(m_cr, x, y, w, h);
    cairo_fill(m_cr);
}

void Canvas::RoundRectPath(double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(m_cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(m_cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(m_cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(m_cr);
}

void Canvas::FillRoundRect(double x, double y, double w, double h, double r, Rgb c, double alpha) {
    RoundRectPath(x, y, w, h, r);
    Color(c, alpha);
    cairo_fill(m_cr);
}

void Canvas::StrokeRoundRect(double x, double y, double w, double h, double r, double width, Rgb c,
                             double alpha) {
    RoundRectPath(x, y, w, h, r);
    Color(c, alpha);
    cairo_set_line_width(m_cr, width);
    cairo_stroke(m_cr);
}

static void AddStop(cairo_pattern_t* p, double at, Rgb c) {
    cairo_pattern_add_color_stop_rgb(p, at, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

void Canvas::VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom,
                              double radius) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    AddStop(p, 0, top);
    AddStop(p, 1, bottom);
    if (radius > 0)
        RoundRectPath(x, y, w, h, radius);
    else
        cairo_rectangle(m_cr, x, y, w, h);
    cairo_set_source(m_cr, p);
    cairo_fill(m_cr);
    cairo_pattern_destroy(p);
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Rgb c, double alpha) {
    Color(c, alpha);
    cairo_set_line_width(m_cr, width);
    cairo_move_to(m_cr, x0, y0);
    cairo_line_to(m_cr, x1, y1);
    cairo_stroke(m_cr);
}

void Canvas::Font(double pixels, Weight weight, const char* face) {
    cairo_select_font_face(m_cr, face, CAIRO_FONT_SLANT_NORMAL,
                           weight == Weight::Bold ? CAIRO_FONT_WEIGHT_BOLD
                                                  : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, pixels);
}

double Canvas::TextWidth(const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(m_cr, text.c_str(), &e);
    return e.x_advance;
}

double Canvas::Ascent() {
    cairo_font_extents_t fe;
    cairo_font_extents(m_cr, &fe);
    return fe.ascent;
}

void Canvas::Text(double x, double baseline, const std::string& text, Rgb c, double alpha) {
    Color(c, alpha);
    cairo_move_to(m_cr, x, baseline);
    cairo_show_text(m_cr, text.c_str());
}

void Canvas::TextInkCentred(double cx, double cy, const std::string& text, Rgb c) {
    cairo_text_extents_t e;
    cairo_text_extents(m_cr, text.c_str(), &e);
    // Whole pixels (of the surface, at any drawing scale) keep hinted stems on the grid.
    const double k = g_scale;
    double x = std::round((cx - e.width / 2 - e.x_bearing) * k) / k;
    double y = std::round((cy - e.height / 2 - e.y_bearing) * k) / k;
    Text(x, y, text, c);
}

static cairo_surface_t* SurfaceOf(const Image& img, bool opaque) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, img.w, img.h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img.h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < img.w; ++x) {
            const uint8_t* p = img.At(x, y);
            uint32_t a = opaque ? 255 : p[3];
            uint32_t r = p[0] * a / 255, g = p[1] * a / 255, b = p[2] * a / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

void Canvas::Draw(const Image& img, double x, double y, int scale, bool opaque) {
    cairo_surface_t* s = SurfaceOf(img, opaque);
    cairo_save(m_cr);
    cairo_translate(m_cr, x, y);
    cairo_scale(m_cr, scale, scale);
    cairo_set_source_surface(m_cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(m_cr, 0, 0, img.w, img.h);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(s);
}

Image Canvas::Snapshot() {
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    int stride = cairo_image_surface_get_stride(m_surface);
    Image img(m_w, m_h);
    for (int y = 0; y < m_h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < m_w; ++x) {
            uint32_t v = row[x];
            uint32_t a = v >> 24;
            uint8_t* p = img.At(x, y);
            p[3] = static_cast<uint8_t>(a);
            if (a == 0) {
                p[0] = p[1] = p[2] = 0;
                continue;
            }
            // Cairo keeps premultiplied colour; the files want it straight.
            p[0] = static_cast<uint8_t>(std::min<uint32_t>(255, (((v >> 16) & 255) * 255 + a / 2) / a));
            p[1] = static_cast<uint8_t>(std::min<uint32_t>(255, (((v >> 8) & 255) * 255 + a / 2) / a));
            p[2] = static_cast<uint8_t>(std::min<uint32_t>(255, ((v & 255) * 255 + a / 2) / a));
        }
    }
    return img;
}

void Canvas::WritePng(const std::string& path) {
    if (cairo_surface_write_to_png(m_surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

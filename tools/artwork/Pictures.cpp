#include "Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

// --- helpers ----------------------------------------------------------------------

Image Flat(int w, int h, Rgb c) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.Set(x, y, c);
    return img;
}

// The drawing laid over an opaque backdrop.
Image Over(const Image& top, const Image& backdrop) {
    Image out(top.w, top.h);
    for (int y = 0; y < top.h; ++y)
        for (int x = 0; x < top.w; ++x) {
            const uint8_t* t = top.At(x, y);
            Rgb b = backdrop.ColorAt(x, y);
            out.Set(x, y, Mix(b, Rgb{t[0], t[1], t[2]}, t[3] / 255.0));
        }
    return out;
}

// Turns an antialiased drawing into a keyed picture: a pixel the drawing covers at least
// half is blended over the backdrop (what the program will show around it) and kept, the
// rest becomes the key colour with alpha 0. A kept pixel never reads as the key: with a
// black key nothing kept is darker than (16, 16, 16) in all three channels, so even a
// 16-bit display, which drops the low bits, cannot turn it into black.
Image KeyOut(const Image& art, const Image& backdrop, Rgb key) {
    Image out(art.w, art.h);
    for (int y = 0; y < art.h; ++y)
        for (int x = 0; x < art.w; ++x) {
            const uint8_t* p = art.At(x, y);
            if (p[3] < 128) {
                out.Set(x, y, key, 0);
                continue;
            }
            Rgb c = Mix(backdrop.ColorAt(x, y), Rgb{p[0], p[1], p[2]}, p[3] / 255.0);
            if (key == kBlack && c.r < 16 && c.g < 16 && c.b < 16) c = kNearBlack;
            if (c == key) c.g = static_cast<uint8_t>(key.g > 127 ? key.g - 8 : key.g + 8);
            out.Set(x, y, c);
        }
    return out;
}

// --- small line glyphs used in captions ----------------------------------------------

void CalendarGlyph(Canvas& c, double x, double y, double s, Rgb col, double lw) {
    cairo_t* cr = c.Cr();
    c.StrokeRoundRect(x + lw / 2, y + s * 0.12 + lw / 2, s - lw, s * 0.88 - lw, s * 0.12, lw, col);
    c.FillRect(x, y + s * 0.12, s, s * 0.24, col);
    // Rings of the binding.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    c.Line(x + s * 0.3, y, x + s * 0.3, y + s * 0.2, lw, col);
    c.Line(x + s * 0.7, y, x + s * 0.7, y + s * 0.2, lw, col);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    double d = s * 0.13;
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 3; ++k)
            c.FillRect(x + s * (0.2 + 0.25 * k), y + s * (0.5 + 0.22 * r), d, d, col);
}

void ClockGlyph(Canvas& c, double x, double y, double s, Rgb col, double lw) {
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    c.Color(col);
    cairo_set_line_width(cr, lw);
    cairo_arc(cr, x + s / 2, y + s / 2, s / 2 - lw / 2, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    c.Line(x + s / 2, y + s / 2, x + s / 2, y + s * 0.22, lw, col);
    c.Line(x + s / 2, y + s / 2, x + s * 0.72, y + s * 0.6, lw, col);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void CheckGlyph(Canvas& c, double x, double y, double s, Rgb col, double lw) {
    cairo_t* cr = c.Cr();
    c.StrokeRoundRect(x + lw / 2, y + lw / 2, s - lw, s - lw, s * 0.15, lw, col);
    c.Color(col);
    cairo_set_line_width(cr, lw * 1.3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, x + s * 0.25, y + s * 0.52);
    cairo_line_to(cr, x + s * 0.44, y + s * 0.72);
    cairo_line_to(cr, x + s * 0.78, y + s * 0.3);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void EnvelopeGlyph(Canvas& c, double x, double y, double s, Rgb col, double lw) {
    cairo_t* cr = c.Cr();
    double top = y + s * 0.18, h = s * 0.64;
    c.StrokeRoundRect(x + lw / 2, top + lw / 2, s - lw, h - lw, s * 0.08, lw, col);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, x + lw, top + lw);
    cairo_line_to(cr, x + s / 2, top + h * 0.58);
    cairo_line_to(cr, x + s - lw, top + lw);
    cairo_stroke(cr);
}

void PersonGlyph(Canvas& c, double x, double y, double s, Rgb col) {
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    c.Color(col);
    cairo_arc(cr, x + s / 2, y + s * 0.3, s * 0.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_move_to(cr, x + s * 0.1, y + s);
    cairo_curve_to(cr, x + s * 0.1, y + s * 0.55, x + s * 0.9, y + s * 0.55, x + s * 0.9, y + s);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void PlusGlyph(Canvas& c, double cx, double cy, double r, Rgb col, double alpha) {
    cairo_t* cr = c.Cr();
    cairo_new_path(cr); // text leaves a current point behind
    c.Color(col, alpha);
    cairo_set_line_width(cr, 1.2);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, cx - r * 0.5, cy);
    cairo_line_to(cr, cx + r * 0.5, cy);
    cairo_move_to(cr, cx, cy - r * 0.5);
    cairo_line_to(cr, cx, cy + r * 0.5);
    cairo_stroke(cr);
}

void PointerGlyph(Canvas& c, double x, double y, double s, Rgb col) {
    cairo_t* cr = c.Cr();
    cairo_move_to(cr, x + s * 0.25, y + s * 0.08);
    cairo_line_to(cr, x + s * 0.25, y + s * 0.82);
    cairo_line_to(cr, x + s * 0.42, y + s * 0.66);
    cairo_line_to(cr, x + s * 0.55, y + s * 0.94);
    cairo_line_to(cr, x + s * 0.66, y + s * 0.89);
    cairo_line_to(cr, x + s * 0.53, y + s * 0.62);
    cairo_line_to(cr, x + s * 0.76, y + s * 0.62);
    cairo_close_path(cr);
    c.Color(col);
    cairo_fill(cr);
}

void GearGlyph(Canvas& c, double x, double y, double s, Rgb col, Rgb hole) {
    cairo_t* cr = c.Cr();
    double cx = x + s / 2, cy = y + s / 2;
    c.Color(col);
    for (int i = 0; i < 8; ++i) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, i * M_PI / 4);
        cairo_rectangle(cr, -s * 0.09, -s * 0.5, s * 0.18, s * 0.3);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_arc(cr, cx, cy, s * 0.34, 0, 2 * M_PI);
    cairo_fill(cr);
    c.Color(hole);
    cairo_arc(cr, cx, cy, s * 0.14, 0, 2 * M_PI);
    cairo_fill(cr);
}

void TrayGlyph(Canvas& c, double x, double y, double s, Rgb col, Rgb accent) {
    // The corner of a task bar with the clock area and one small icon in it.
    c.StrokeRoundRect(x + 1, y + s * 0.2, s - 2, s * 0.6, s * 0.1, 1.6, col);
    c.FillRect(x + 1, y + s * 0.62, s - 2, s * 0.18, col);
    c.FillRoundRect(x + s * 0.56, y + s * 0.32, s * 0.22, s * 0.22, 2, accent);
}

void Glyph(Canvas& c, ListKind kind, double x, double y, double s, Rgb col) {
    switch (kind) {
    case ListKind::Appointments: ClockGlyph(c, x, y, s, col, 1.6); break;
    case ListKind::Tasks: CheckGlyph(c, x, y, s, col, 1.5); break;
    case ListKind::Folders: EnvelopeGlyph(c, x, y, s, col, 1.5); break;
    }
}

const char* Caption(ListKind kind) {
    switch (kind) {
    case ListKind::Appointments: return "Appointments";
    case ListKind::Tasks: return "Tasks";
    case ListKind::Folders: return "Mail folders";
    }
    return "";
}

// Writes text into a column, breaking lines between words; returns the y below it.
double Paragraph(Canvas& c, double x, double baseline, double width, double lineHeight,
                 const std::string& text, Rgb col) {
    std::string line, word;
    auto flush = [&] {
        c.Text(x, baseline, line, col);
        baseline += lineHeight;
        line.clear();
    };
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = text.find(' ', i);
        if (j == std::string::npos) j = text.size();
        word = text.substr(i, j - i);
        std::string tried = line.empty() ? word : line + " " + word;
        if (!line.empty() && c.TextWidth(tried) > width) {
            flush();
            line = word;
        } else {
            line = tried;
        }
        i = j + 1;
    }
    if (!line.empty()) flush();
    return baseline;
}

// --- the header band ------------------------------------------------------------------

// The 32-pixel top band of the header; the contacts button repeats it as its ground.
void TopBand(Canvas& c, const Style& s, double x, double w) {
    c.VerticalGradient(x, 0, w, 32, s.Mid(), s.Dark());
    c.FillRect(x, 0, w, 1, kWhite, 0.22);
    c.FillRect(x, 31, w, 1, kBlack, 0.25);
}

struct Cell {
    int x, w;
    ListKind kind;
};

// Where the style puts its list blocks in the central view; the header labels the band
// above each one.
std::vector<Cell> Cells(int style) {
    switch (style) {
    case 0: return {{0, 250, ListKind::Appointments}, {250, 153, ListKind::Folders}, {403, 297, ListKind::Tasks}};
    case 1: return {{0, 250, ListKind::Appointments}, {250, 450, ListKind::Tasks}};
    default: return {{0, 405, ListKind::Tasks}, {405, 295, ListKind::Appointments}};
    }
}

} // namespace

Image HeaderBitmap(int style) {
    const Style& s = kStyles[style];
    Canvas c(700, 64);
    TopBand(c, s, 0, 700);
    CalendarGlyph(c, 8, 8, 16, kWhite, 1.5);
    c.Font(14, Weight::Bold);
    c.Text(30, 16, "Orvanta", kWhite);
    c.Font(10);
    c.Text(30, 27, "for Outlook", Mix(kWhite, s.Mid(), 0.3));

    // The band over the blocks: one caption a block, a "+" for the new item a click makes.
    Rgb tint = s.Tint();
    c.VerticalGradient(0, 32, 700, 32, Mix(tint, kWhite, 0.5), tint);
    c.FillRect(0, 62, 700, 2, s.slot10);
    for (const Cell& cell : Cells(style)) {
        if (cell.x > 0) c.FillRect(cell.x, 36, 1, 23, Mix(tint, s.Dark(), 0.3));
        Glyph(c, cell.kind, cell.x + 10, 40, 14, s.Dark());
        c.Font(12, Weight::Bold);
        c.Text(cell.x + 30, 52, Caption(cell.kind), s.Dark());
        PlusGlyph(c, cell.x + cell.w - 16, 47, 6, s.Dark(), 0.55);
    }
    return c.Snapshot();
}

Image ContactsButton(int style) {
    const Style& s = kStyles[style];
    Canvas c(25, 32);
    TopBand(c, s, 0, 25);
    c.FillRoundRect(2.5, 4.5, 20, 23, 4, kWhite, 0.14);
    c.StrokeRoundRect(2.5, 4.5, 20, 23, 4, 1, kWhite, 0.4);
    PersonGlyph(c, 5.5, 8, 14, kWhite);
    return c.Snapshot();
}

Image ListStrip(int style, ListKind kind) {
    const Style& s = kStyles[style];
    Rgb back = kind == ListKind::Appointments ? s.slot3 : kind == ListKind::Tasks ? s.slot2 : s.slot4;
    Canvas c(400, 26);
    c.FillRect(0, 0, 400, 26, back);
    // Dark under the caption, fading into the block towards the right, so the strip
    // ends well at any side-bar width.
    cairo_t* cr = c.Cr();
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 400, 0);
    Rgb stops[] = {s.Dark(), s.Dark(), s.Dark(), Mix(s.Dark(), back, 0.55), Mix(s.Dark(), back, 0.85)};
    double at[] = {0, 0.12, 0.36, 0.75, 1};
    for (int i = 0; i < 5; ++i)
        cairo_pattern_add_color_stop_rgb(p, at[i], stops[i].r / 255.0, stops[i].g / 255.0, stops[i].b / 255.0);
    c.RoundRectPath(1, 1, 420, 24, 6);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // A soft shine over the upper half.
    cairo_pattern_t* shine = cairo_pattern_create_linear(0, 1, 0, 13);
    cairo_pattern_add_color_stop_rgba(shine, 0, 1, 1, 1, 0.22);
    cairo_pattern_add_color_stop_rgba(shine, 1, 1, 1, 1, 0.0);
    c.RoundRectPath(1, 1, 420, 24, 6);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);

    Glyph(c, kind, 8, 6, 14, kWhite);
    c.Font(12, Weight::Bold);
    std::string caption = Caption(kind);
    c.Text(28, 17.5, caption, kWhite);
    PlusGlyph(c, 28 + c.TextWidth(caption) + 12, 13, 5.5, kWhite, 0.7);
    return c.Snapshot();
}

Image CalendarBackground(int style) {
    const Style& s = kStyles[style];
    const int w = style == 2 ? 455 : 450, h = style == 0 ? 264 : 269;
    Canvas c(w, h);
    c.VerticalGradient(0, 0, w, h, Mix(s.slot5, kWhite, 0.35), s.slot5);
    if (style == 2) {
        // Brown shows its month grid at the left of a narrow block and stretched in the
        // side bar: a plain frame suits both.
        c.StrokeRoundRect(3.5, 3.5, w - 7, h - 7, 8, 1, Mix(s.slot5, s.Dark(), 0.3));
        c.StrokeRoundRect(5.5, 5.5, w - 11, h - 11, 7, 1, kWhite, 0.5);
        return c.Snapshot();
    }
    // Cards under the previous and the next month (drawn at (10, 12) and (10, 135)).
    for (double top : {4.5, 127.5}) {
        c.FillRoundRect(4.5, top, 157, 118, 6, Mix(s.slot5, kWhite, 0.72));
        c.StrokeRoundRect(4.5, top, 157, 118, 6, 1, Mix(s.slot5, s.Dark(), 0.22));
    }
    c.FillRect(163, 8, 1, h - 16, Mix(s.slot5, s.Dark(), 0.15));
    return c.Snapshot();
}

namespace {

// The ground of a day picture, drawn into c.
void DayTile(Canvas& c, const Style& s) {
    c.VerticalGradient(1, 1, 30, 30, kWhite, s.Tint(), 4);
    c.StrokeRoundRect(1.5, 1.5, 29, 29, 4, 1, Mix(s.Tint(), s.Dark(), 0.35));
}

} // namespace

Image DayIcon(int style, int day) {
    const Style& s = kStyles[style];
    Canvas c(32, 32);
    DayTile(c, s);
    c.Font(15, Weight::Bold);
    c.TextInkCentred(16, 16.5, std::to_string(day), s.Dark());
    return KeyOut(c.Snapshot(), Flat(c.Width(), c.Height(), s.slot5), kBlack);
}

Image WeekdayIcon(int style, int weekday) {
    static const char* const names[7] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    const Style& s = kStyles[style];
    Canvas c(32, 32);
    bool weekend = weekday >= 5;
    Rgb top = weekend ? Mix(s.Mid(), s.slot5, 0.35) : s.Mid();
    Rgb bottom = weekend ? Mix(s.Dark(), s.slot5, 0.35) : s.Dark();
    c.VerticalGradient(1, 1, 30, 30, top, bottom, 4);
    c.Font(11, Weight::Bold);
    c.TextInkCentred(16, 16, names[weekday], kWhite);
    return KeyOut(c.Snapshot(), Flat(c.Width(), c.Height(), s.slot5), kBlack);
}

Image TodayIcon(int style) {
    const Style& s = kStyles[style];
    // Edges are blended over the day picture it will lie on.
    Canvas ground(32, 32);
    DayTile(ground, s);
    Image backdrop = Over(ground.Snapshot(), Flat(ground.Width(), ground.Height(), s.slot5));

    Canvas c(32, 32);
    c.StrokeRoundRect(2, 2, 28, 28, 4, 3, s.Today());
    // A folded corner at the top right.
    cairo_t* cr = c.Cr();
    cairo_move_to(cr, 19, 1);
    cairo_line_to(cr, 27, 1);
    cairo_arc(cr, 27, 5, 4, -M_PI / 2, 0);
    cairo_line_to(cr, 31, 13);
    cairo_close_path(cr);
    c.Color(s.Today());
    cairo_fill(cr);
    return KeyOut(c.Snapshot(), backdrop, kBlack);
}

// --- state marks: drawn pixel by pixel, crisp at their small size ----------------------

namespace {

// The same marks drawn as shapes, for the larger scales: 10 x 12 in design units, over
// the white the list texts stand on, the rest the key colour.
Image StateShape(StateMark mark) {
    const Rgb outline{96, 104, 116}, tick{28, 148, 52}, done{72, 136, 216}, clip{84, 92, 110}, high{214, 28, 28},
        low{32, 96, 208}, bell{236, 184, 40}, bellEdge{128, 88, 8}, arrows{24, 120, 128};
    Canvas c(10, 12);
    cairo_t* cr = c.Cr();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (mark) {
    case StateMark::Complete:
    case StateMark::NotStarted:
    case StateMark::InProgress:
        c.FillRect(0.5, 2.5, 8, 8, kWhite);
        if (mark == StateMark::InProgress) c.FillRect(0.5, 6, 8, 4.5, done);
        c.StrokeRoundRect(0.5, 2.5, 8, 8, 0.6, 1, outline);
        if (mark == StateMark::Complete) {
            c.Color(tick);
            cairo_set_line_width(cr, 1.5);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_move_to(cr, 2.0, 6.3);
            cairo_line_to(cr, 3.8, 8.2);
            cairo_line_to(cr, 7.2, 3.9);
            cairo_stroke(cr);
        }
        break;
    case StateMark::Attachment:
        // A paper clip: two nested loops of one wire.
        c.Color(clip);
        cairo_set_line_width(cr, 1.0);
        cairo_new_path(cr);
        cairo_move_to(cr, 3.5, 4.0);
        cairo_line_to(cr, 3.5, 9.5);
        cairo_arc_negative(cr, 5.0, 9.5, 1.5, M_PI, 0);
        cairo_line_to(cr, 6.5, 2.5);
        cairo_arc_negative(cr, 4.0, 2.5, 2.5, 0, -M_PI);
        cairo_line_to(cr, 1.5, 10.0);
        cairo_arc_negative(cr, 4.5, 10.0, 3.0, M_PI, 0);
        cairo_line_to(cr, 7.5, 3.0);
        cairo_stroke(cr);
        break;
    case StateMark::High:
        c.FillRoundRect(3.2, 1, 2.6, 6.5, 1.2, high);
        cairo_new_path(cr);
        cairo_arc(cr, 4.5, 10.0, 1.35, 0, 2 * M_PI);
        c.Color(high);
        cairo_fill(cr);
        break;
    case StateMark::Low:
        c.FillRect(3.2, 1, 2.6, 5.5, low);
        cairo_new_path(cr);
        cairo_move_to(cr, 0.3, 6.2);
        cairo_line_to(cr, 8.7, 6.2);
        cairo_line_to(cr, 4.5, 11.2);
        cairo_close_path(cr);
        c.Color(low);
        cairo_fill(cr);
        break;
    case StateMark::Reminder:
        cairo_new_path(cr);
        cairo_move_to(cr, 0.8, 8.6);
        cairo_curve_to(cr, 2.2, 7.4, 1.6, 1.6, 4.5, 1.4);
        cairo_curve_to(cr, 7.4, 1.6, 6.8, 7.4, 8.2, 8.6);
        cairo_close_path(cr);
        c.Color(bell);
        cairo_fill_preserve(cr);
        c.Color(bellEdge);
        cairo_set_line_width(cr, 0.9);
        cairo_stroke(cr);
        cairo_new_path(cr);
        cairo_arc(cr, 4.5, 9.8, 1.1, 0, 2 * M_PI);
        cairo_arc(cr, 4.5, 0.9, 0.8, 0, 2 * M_PI);
        cairo_fill(cr);
        break;
    case StateMark::Recurring: {
        // Two arrows chasing each other round a circle.
        c.Color(arrows);
        cairo_set_line_width(cr, 1.1);
        const double cx = 4.5, cy = 6.5, r = 3.6;
        for (int half = 0; half < 2; ++half) {
            const double from = half ? M_PI * 0.15 : M_PI * 1.15, to = from + M_PI * 0.7;
            cairo_new_path(cr);
            cairo_arc(cr, cx, cy, r, from, to);
            cairo_stroke(cr);
            // The head at the arc's end, pointing along it.
            const double ex = cx + r * std::cos(to), ey = cy + r * std::sin(to);
            const double tx = -std::sin(to), ty = std::cos(to); // the direction of travel
            cairo_move_to(cr, ex + tx * 2.2, ey + ty * 2.2);
            cairo_line_to(cr, ex - ty * 1.8, ey + tx * 1.8);
            cairo_line_to(cr, ex + ty * 1.8, ey - tx * 1.8);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        break;
    }
    }
    return KeyOut(c.Snapshot(), Flat(c.Width(), c.Height(), kWhite), kKeyCyan);
}

} // namespace

Image StateBitmap(StateMark mark) {
    // Crisp pixels at their own size; shapes where they are drawn larger.
    if (DrawingScale::Current() != 1.0) return StateShape(mark);
    // '.' is the key colour; each other letter is one colour of the table below.
    static const char* const art[8][12] = {
        // Complete: a ticked box.
        {".........", ".........", "kkkkkkkkk", "kwwwwwwgk", "kwwwwwggk", "kgwwwggwk",
         "kggwggwwk", "kwgggwwwk", "kwwgwwwwk", "kwwwwwwwk", "kkkkkkkkk", "........."},
        // Not started: an empty box.
        {".........", ".........", "kkkkkkkkk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk",
         "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk", "kkkkkkkkk", "........."},
        // In progress: a box half filled.
        {".........", ".........", "kkkkkkkkk", "kwwwwwwwk", "kwwwwwwwk", "kwwwwwwwk",
         "kbbbbbbbk", "kbbbbbbbk", "kbbbbbbbk", "kbbbbbbbk", "kkkkkkkkk", "........."},
        // Attachment: a paper clip.
        {"..ppp....", ".p...p...", ".p...p.p.", ".p.p.p.p.", ".p.p.p.p.", ".p.p.p.p.",
         ".p.p.p.p.", ".p.p.p.p.", ".p.p.p.p.", ".p.p.p.p.", ".p..p..p.", "..ppppp.."},
        // High importance: a red exclamation mark.
        {".........", "...rrr...", "...rrr...", "...rrr...", "...rrr...", "...rrr...",
         "...rrr...", "....r....", ".........", "...rrr...", "...rrr...", "........."},
        // Low importance: a blue arrow pointing down.
        {".........", "...lll...", "...lll...", "...lll...", "...lll...", "...lll...",
         "lllllllll", ".lllllll.", "..lllll..", "...lll...", "....l....", "........."},
        // Reminder: a bell.
        {"....o....", "...oyo...", "..oyyyo..", "..oyyyo..", "..oyyyo..", ".oyyyyyo.",
         ".oyyyyyo.", "oyyyyyyyo", "ooooooooo", "...oyo...", "....o....", "........."},
        // Recurring: two arrows chasing each other round a circle.
        {".........", ".........", "..ccccc..", ".c.....c.", "c.....ccc", "c......c.", ".........",
         ".c......c", "ccc.....c", ".c.....c.", "..ccccc..", "........."},
    };
    auto colour = [](char ch) -> Rgb {
        switch (ch) {
        case 'k': return {96, 104, 116};  // box outline
        case 'w': return {255, 255, 255}; // box inside
        case 'g': return {28, 148, 52};   // tick
        case 'b': return {72, 136, 216};  // done part
        case 'p': return {84, 92, 110};   // clip
        case 'r': return {214, 28, 28};   // high importance
        case 'l': return {32, 96, 208};   // low importance
        case 'o': return {128, 88, 8};    // bell outline
        case 'y': return {236, 184, 40};  // bell
        case 'c': return {24, 120, 128};  // arrows
        default: return kKeyCyan;
        }
    };
    Image img(10, 12);
    const auto& rows = art[static_cast<int>(mark)];
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 10; ++x) {
            char ch = x < 9 ? rows[y][x] : '.';
            img.Set(x, y, colour(ch));
        }
    return img;
}

// --- splash and start-up information -------------------------------------------------

Image SplashPicture() {
    const Style& s = kStyles[0];
    Canvas c(400, 300);
    cairo_t* cr = c.Cr();
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 400, 300);
    cairo_pattern_add_color_stop_rgb(p, 0, 24 / 255.0, 70 / 255.0, 138 / 255.0);
    cairo_pattern_add_color_stop_rgb(p, 1, 4 / 255.0, 24 / 255.0, 62 / 255.0);
    cairo_rectangle(cr, 0, 0, 400, 300);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Soft rings for depth.
    for (int i = 0; i < 4; ++i) {
        c.Color(kWhite, 0.035);
        cairo_new_path(cr);
        cairo_arc(cr, 330, 60, 70 + 45 * i, 0, 2 * M_PI);
        cairo_set_line_width(cr, 14);
        cairo_stroke(cr);
    }

    // A side bar as the program puts it on a desktop: header, month, a few items.
    const double bx = 262, by = 40, bw = 114, bh = 190;
    c.FillRoundRect(bx + 3, by + 4, bw, bh, 7, kBlack, 0.25);
    c.FillRoundRect(bx, by, bw, bh, 7, Rgb{244, 248, 255});
    c.VerticalGradient(bx, by, bw, 20, s.Mid(), s.Dark(), 0);
    c.FillRoundRect(bx, by, bw, 10, 7, s.Mid());
    CalendarGlyph(c, bx + 7, by + 4, 12, kWhite, 1.2);
    c.Font(9, Weight::Bold);
    c.Text(bx + 24, by + 14, "Orvanta", kWhite);
    for (int r = 0; r < 5; ++r)
        for (int k = 0; k < 7; ++k) {
            bool today = r == 2 && k == 3;
            c.FillRoundRect(bx + 8 + 14.3 * k, by + 28 + 12 * r, 12, 10, 2,
                            today ? s.Today() : Mix(s.slot5, kWhite, 0.2));
        }
    double y = by + 96;
    const double widths[] = {78, 60, 88, 52, 70};
    for (int i = 0; i < 5; ++i) {
        c.FillRoundRect(bx + 8, y, 18, 6, 2, i == 1 ? s.Today() : s.Mid());
        c.FillRoundRect(bx + 30, y, widths[i] - 8, 6, 2, Rgb{190, 200, 216});
        y += 17;
        if (i < 4) c.FillRect(bx + 8, y - 6, bw - 16, 1, Rgb{222, 228, 238});
    }

    c.Font(44, Weight::Bold);
    c.Text(26, 126, "Orvanta", kWhite);
    c.Font(22);
    c.Text(28, 158, "for Outlook", Rgb{186, 208, 242});
    c.FillRect(28, 176, 150, 2, s.Today());
    c.Font(12.5);
    c.Text(28, 202, "Your Outlook week,", Rgb{196, 212, 236});
    c.Text(28, 219, "right on your desktop.", Rgb{196, 212, 236});

    // The program writes its version in white at the bottom right of this band.
    c.FillRect(0, 266, 400, 34, kBlack, 0.28);
    c.FillRect(0, 266, 400, 1, kWhite, 0.10);
    c.Font(11);
    c.Text(28, 287, "Kestrova", Rgb{150, 172, 206});
    return c.Snapshot();
}

Image StartupInfoPicture() {
    const Style& s = kStyles[0];
    Canvas c(640, 400);
    c.FillRect(0, 0, 640, 400, Rgb{250, 251, 254});
    c.VerticalGradient(0, 0, 640, 70, s.Mid(), s.Dark());
    c.FillRect(0, 70, 640, 3, s.Today());
    CalendarGlyph(c, 24, 17, 34, kWhite, 2.4);
    c.Font(21, Weight::Bold);
    c.Text(74, 36, "Welcome to Orvanta for Outlook", kWhite);
    c.Font(12.5);
    c.Text(75, 56, "Your Outlook week, right on your desktop.", Rgb{200, 216, 242});

    struct Topic {
        int glyph;
        const char* title;
        const char* text;
    };
    const Topic topics[] = {
        {0, "What you see",
         "Your coming appointments, your tasks and your mail folders with their unread counts, "
         "drawn into the desktop wallpaper beside a month calendar and kept up to date."},
        {1, "Where the data come from",
         "Outlook Today chooses them: the number of calendar days, which tasks are listed and in "
         "which order, and the mail folders. Change them in Outlook with Customize Outlook Today."},
        {2, "Click to open",
         "Click an appointment, a task, a mail folder or a calendar day on the desktop to open it "
         "in Outlook. Click the heading of a list to write a new item."},
        {3, "The tray icon",
         "The icon in the notification area shows today's date. Right-click it for new items, "
         "settings, the colour style, refresh and exit; double-click it to see your data in a window."},
        {4, "Settings",
         "Choose the side bar or the central panel, the colour style, the transparency and your "
         "own background picture."},
    };
    double y = 90;
    for (const Topic& t : topics) {
        double cx = 40, cy = y + 8;
        c.Color(s.Tint());
        cairo_new_path(c.Cr());
        cairo_arc(c.Cr(), cx, cy, 15, 0, 2 * M_PI);
        cairo_fill(c.Cr());
        switch (t.glyph) {
        case 0: CalendarGlyph(c, cx - 9, cy - 9, 18, s.Dark(), 1.6); break;
        case 1: ClockGlyph(c, cx - 9, cy - 9, 18, s.Dark(), 1.8); break;
        case 2: PointerGlyph(c, cx - 9, cy - 9, 18, s.Dark()); break;
        case 3: TrayGlyph(c, cx - 9, cy - 9, 18, s.Dark(), s.Today()); break;
        default: GearGlyph(c, cx - 9, cy - 9, 18, s.Dark(), s.Tint()); break;
        }
        c.Font(13, Weight::Bold);
        c.Text(68, y + 4, t.title, s.Dark());
        c.Font(11.5);
        y = Paragraph(c, 68, y + 21, 548, 15, t.text, Rgb{52, 58, 70}) + 6;
    }
    c.FillRect(24, 372, 592, 1, Rgb{214, 222, 236});
    c.Font(11);
    c.Text(24, 390, "This page can be opened again at any time: \xe2\x80\x9cShow Startup Info\xe2\x80\x9d in the tray menu.",
           Rgb{110, 118, 134});
    return c.Snapshot();
}

// --- icons -------------------------------------------------------------------------

namespace {

// Digits of five by seven pixels with double stems, for the 16-pixel date icon: at that
// size a drawn font blurs, these stay sharp.
const char* const kDigits[10][7] = {
    {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."},
    {"..##.", ".###.", "..##.", "..##.", "..##.", "..##.", ".####"},
    {".###.", "##.##", "...##", "..##.", ".##..", "##...", "#####"},
    {"####.", "...##", "...##", ".###.", "...##", "...##", "####."},
    {"...##", "..###", ".#.##", "#..##", "#####", "...##", "...##"},
    {"#####", "##...", "####.", "...##", "...##", "##.##", ".###."},
    {".###.", "##...", "####.", "##.##", "##.##", "##.##", ".###."},
    {"#####", "...##", "..##.", "..##.", ".##..", ".##..", ".##.."},
    {".###.", "##.##", "##.##", ".###.", "##.##", "##.##", ".###."},
    {".###.", "##.##", "##.##", ".####", "...##", "...##", ".###."},
};

void PixelNumber(Image& img, int day, int top, Rgb col) {
    std::string text = std::to_string(day);
    int width = int(text.size()) * 5 + int(text.size() - 1);
    int x0 = (img.w - width + 1) / 2;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto& glyph = kDigits[text[i] - '0'];
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x)
                if (glyph[y][x] == '#') img.Set(x0 + int(i) * 6 + x, top + y, col);
    }
}

const Rgb kInk{28, 28, 30};
const Rgb kPage{252, 252, 252};
const Rgb kPageShade{226, 228, 232};

Image DatePage32(int day) {
    Canvas c(32, 32);
    c.VerticalGradient(1, 2, 30, 29, kPage, kPageShade, 3.5);
    c.StrokeRoundRect(1.5, 2.5, 29, 28, 3, 1, kInk);
    // Binding band with two rings.
    cairo_t* cr = c.Cr();
    c.RoundRectPath(1, 2, 30, 9, 3);
    c.Color(kInk);
    cairo_fill(cr);
    c.FillRect(1, 7, 30, 4, kInk);
    for (double x : {10.0, 22.0}) {
        c.FillRoundRect(x - 1.5, 0, 3, 6, 1.5, Rgb{150, 152, 158});
        c.FillRoundRect(x - 0.5, 0.5, 1, 4, 0.5, kWhite);
    }
    c.Font(day >= 10 ? 15.5 : 17, Weight::Bold, "DejaVu Sans Condensed");
    c.TextInkCentred(16, 21, std::to_string(day), kInk);
    return c.Snapshot();
}

Image DatePage16(int day) {
    if (DrawingScale::Current() != 1.0) {
        // Larger than 16 pixels, the page is drawn from the 32-pixel design.
        DrawingScale half(DrawingScale::Current() / 2);
        return DatePage32(day);
    }
    Image img(16, 16);
    for (int y = 1; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool corner = (x == 0 || x == 15) && (y == 1 || y == 15);
            if (corner) continue;
            bool edge = x == 0 || x == 15 || y == 15;
            bool band = y <= 4;
            img.Set(x, y, edge || band ? kInk : Mix(kPage, kPageShade, (y - 5) / 10.0));
        }
    // Two rings over the band.
    for (int x : {4, 11}) {
        img.Set(x, 0, Rgb{150, 152, 158});
        img.Set(x, 1, kWhite);
        img.Set(x, 2, kWhite);
    }
    PixelNumber(img, day, 7, kInk);
    return img;
}

} // namespace

std::vector<Image> DateIcon(int day) { return {DatePage16(day), DatePage32(day)}; }

namespace {

// A screen with the program's side bar on it and a stand below.
Image Program(int size) {
    const Style& s = kStyles[0];
    Canvas c(size, size);
    double k = size / 32.0;
    Rgb frame{44, 52, 66};
    // Screen.
    c.FillRoundRect(1 * k, 3 * k, 30 * k, 21 * k, 2.5 * k, frame);
    c.VerticalGradient(3 * k, 5 * k, 26 * k, 17 * k, Rgb{96, 160, 228}, Rgb{36, 98, 176});
    // Hills of a wallpaper.
    cairo_t* cr = c.Cr();
    cairo_move_to(cr, 3 * k, 17 * k);
    cairo_curve_to(cr, 8 * k, 13 * k, 12 * k, 14 * k, 18 * k, 18 * k);
    cairo_line_to(cr, 18 * k, 22 * k);
    cairo_line_to(cr, 3 * k, 22 * k);
    cairo_close_path(cr);
    c.Color(Rgb{70, 150, 90});
    cairo_fill(cr);
    // The side bar: header, the today mark and lines of items.
    c.FillRect(18 * k, 5 * k, 11 * k, 17 * k, kWhite);
    c.FillRect(18 * k, 5 * k, 11 * k, 3 * k, s.Dark());
    c.FillRect(20 * k, 10 * k, 3 * k, 3 * k, s.Today());
    c.FillRect(24 * k, 10 * k, 3 * k, 3 * k, s.Tint());
    for (int i = 0; i < 3; ++i) c.FillRect(20 * k, (15 + 2.5 * i) * k, (7 - i * 1.5) * k, 1.2 * k, Rgb{120, 132, 150});
    // Stand.
    c.FillRect(13 * k, 24 * k, 6 * k, 4 * k, frame);
    c.FillRoundRect(8 * k, 27.5 * k, 16 * k, 2.5 * k, 1 * k, frame);
    return c.Snapshot();
}

Image Program16() {
    // Drawn on the pixel grid: the scaled drawing loses the side bar at this size; at
    // the larger scales the drawing is used.
    if (DrawingScale::Current() != 1.0) return Program(16);
    const Style& s = kStyles[0];
    Image img(16, 16);
    Rgb frame{44, 52, 66};
    for (int y = 1; y <= 11; ++y)
        for (int x = 0; x < 16; ++x) img.Set(x, y, frame);
    for (int y = 2; y <= 10; ++y)
        for (int x = 1; x <= 14; ++x) img.Set(x, y, Mix(Rgb{96, 160, 228}, Rgb{36, 98, 176}, (y - 2) / 8.0));
    for (int x = 1; x <= 8; ++x)
        for (int y = (x < 5 ? 8 : 9); y <= 10; ++y) img.Set(x, y, Rgb{70, 150, 90});
    for (int y = 2; y <= 10; ++y)
        for (int x = 9; x <= 14; ++x) img.Set(x, y, y <= 3 ? s.Dark() : kWhite);
    img.Set(10, 5, s.Today());
    img.Set(11, 5, s.Today());
    for (int x = 10; x <= 13; ++x) img.Set(x, 7, Rgb{120, 132, 150});
    for (int x = 10; x <= 12; ++x) img.Set(x, 9, Rgb{120, 132, 150});
    for (int y = 12; y <= 13; ++y)
        for (int x = 6; x <= 9; ++x) img.Set(x, y, frame);
    for (int x = 3; x <= 12; ++x) img.Set(x, 14, frame);
    return img;
}

// The start-up tray picture: a calendar sheet in the program's blue with today marked.
Image TrayStart(int size) {
    const Style& s = kStyles[0];
    Canvas c(size, size);
    double k = size / 32.0;
    c.FillRoundRect(2 * k, 3 * k, 28 * k, 27 * k, 3.5 * k, kWhite);
    c.StrokeRoundRect(2.5 * k, 3.5 * k, 27 * k, 26 * k, 3 * k, k, s.Dark());
    c.RoundRectPath(2 * k, 3 * k, 28 * k, 8 * k, 3.5 * k);
    c.Color(s.Dark());
    cairo_fill(c.Cr());
    c.FillRect(2 * k, 8 * k, 28 * k, 3 * k, s.Dark());
    for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 4; ++q) {
            bool today = r == 1 && q == 2;
            c.FillRect((5 + 6 * q) * k, (14 + 5 * r) * k, 4 * k, 3 * k,
                       today ? s.Today() : Mix(s.slot5, s.Dark(), 0.15));
        }
    return c.Snapshot();
}

Image TrayStart16() {
    if (DrawingScale::Current() != 1.0) return TrayStart(16);
    const Style& s = kStyles[0];
    Image img(16, 16);
    for (int y = 1; y <= 15; ++y)
        for (int x = 0; x < 16; ++x) {
            bool corner = (x == 0 || x == 15) && (y == 1 || y == 15);
            if (corner) continue;
            bool edge = x == 0 || x == 15 || y == 15 || y <= 4;
            img.Set(x, y, edge ? s.Dark() : kWhite);
        }
    for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 4; ++q) {
            bool today = r == 1 && q == 2;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    img.Set(2 + 3 * q + dx, 6 + 3 * r + dy, today ? s.Today() : Mix(s.slot5, s.Dark(), 0.2));
        }
    return img;
}

} // namespace

std::vector<Image> ProgramIcon() { return {Program16(), Program(32), Program(48)}; }
std::vector<Image> TrayStartIcon() { return {TrayStart16(), TrayStart(32)}; }

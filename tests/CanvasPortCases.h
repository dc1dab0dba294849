#pragma once
// What every canvas port must do, checked against the real port of the build (GDI
// under Wine, Cairo on Linux) through the ports the test program installs. Included
// by exactly one test file of each build, which also defines CanvasSamplePath.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"
#include "render/ImageLayer.h"
#include "util/Utf8.h"

// Where the font sample picture of this build is written.
std::string CanvasSamplePath();

namespace canvas_cases {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

// The colour of a pixel from its bytes blue, green, red; the fourth is not looked at.
inline Rgb At(const PixelSurface& s, int x, int y) {
    const std::uint8_t* p = s.Row(y) + x * 4;
    return {p[2], p[1], p[0]};
}

inline void Fill(ICanvas& canvas, Rgb c) {
    canvas.Flush();
    const PixelSurface s = canvas.Pixels();
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            std::uint8_t* p = s.Row(y) + x * 4;
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
            p[3] = 0;
        }
    canvas.MarkDirty();
}

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
    auto operator<=>(const Point&) const = default;
};

// The pixels whose colour differs from c, in row order.
inline std::vector<Point> Changed(ICanvas& canvas, Rgb c) {
    canvas.Flush();
    const PixelSurface s = canvas.Pixels();
    std::vector<Point> out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (!(At(s, x, y) == c)) out.push_back({x, y});
    return out;
}

inline std::string Describe(const std::vector<Point>& points) {
    std::ostringstream os;
    for (const Point& p : points)
        os << "(" << p.x << "," << p.y << ") ";
    return os.str();
}

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN; // right, bottom inclusive
    bool Empty() const { return left > right; }
};

inline Box Bounds(const std::vector<Point>& points) {
    Box b;
    for (const Point& p : points) {
        b.left = std::min(b.left, p.x);
        b.top = std::min(b.top, p.y);
        b.right = std::max(b.right, p.x);
        b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

inline std::string Describe(const Box& b) {
    std::ostringstream os;
    os << "ink x " << b.left << ".." << b.right << ", y " << b.top << ".." << b.bottom;
    return os.str();
}

struct TableFont {
    const char* name;
    FontSpec desc;
};

// The eleven fonts the settings make for drawing: face, height, weight, strike-out.
inline std::vector<TableFont> FontTable() {
    return {
        {"list text", {"Ms Sans Serif", 11, 400, false}},
        {"small", {"Ms Sans Serif", 10, 400, false}},
        {"item", {"Ms Sans Serif", 11, 400, false}},
        {"heading", {"Ms Sans Serif", 12, 700, false}},
        {"heading 2", {"Ms Sans Serif", 12, 700, false}},
        {"task", {"Ms Sans Serif", 12, 400, false}},
        {"task done", {"Ms Sans Serif", 12, 400, true}},
        {"calendar", {"Verdana", 12, 400, false}},
        {"calendar bold", {"Verdana", 12, 700, false}},
        {"date", {"Verdana", 16, 800, false}},
        {"folder unread", {"Ms Sans Serif", 11, 700, false}},
    };
}

inline std::unique_ptr<ICanvas> Make(int width, int height) {
    return Port<ICanvasFactory>().CreateSurface(width, height);
}

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};

} // namespace canvas_cases

namespace {

using namespace canvas_cases;

TEST(CanvasPort, NewSurfaceIsZeroTopDownAndSharedWithTheSystem) {
    ASSERT_NE(PortOrNull<ICanvasFactory>(), nullptr) << "no canvas factory in the real ports";
    auto canvas = Make(7, 5);
    ASSERT_TRUE(canvas);
    const PixelSurface s = canvas->Pixels();
    ASSERT_TRUE(s.Valid());
    EXPECT_EQ(s.width, 7);
    EXPECT_EQ(s.height, 5);
    EXPECT_EQ(s.stride % 4, 0) << s.stride;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width * 4; ++x)
            ASSERT_EQ(s.Row(y)[x], 0) << "byte " << x << " of row " << y;

    // A pixel written through the buffer stays when the system draws elsewhere (the
    // system does not work on a copy of its own), and the system's line lands in the
    // first row of memory (rows run top down).
    std::uint8_t* p = s.Row(3) + 2 * 4;
    p[0] = 0x11;
    p[1] = 0x22;
    p[2] = 0x33;
    canvas->MarkDirty();
    canvas->DrawLine(0, 0, 3, 0, MakeColorref(0xA0, 0xB0, 0xC0));
    canvas->Flush();
    EXPECT_EQ(canvas->Pixels().pixels, s.pixels) << "the buffer moved";
    EXPECT_EQ(At(s, 2, 3), (Rgb{0x33, 0x22, 0x11}));
    const std::uint8_t* first = s.Row(0);
    EXPECT_EQ(first[0], 0xC0); // blue
    EXPECT_EQ(first[1], 0xB0); // green
    EXPECT_EQ(first[2], 0xA0); // red
    EXPECT_EQ(At(s, 0, s.height - 1), kBlack)
        << "the line went to the bottom row: rows run bottom up";
}

// GDI's pixels for a line one pixel wide: one per step along the longer axis from
// the start, never the end point; the other coordinate the nearest to the true line
// and, half-way between two, the smaller, so a line and its reverse differ only in
// their end pixels. The colour's red, green and blue land in bytes 2, 1 and 0.
TEST(CanvasPort, LinesSetTheNearestPixelsUpToTheEndPointInTheirColour) {
    const int lines[][4] = {
        {0, 0, 8, 0},  {0, 0, 0, 11}, {0, 0, 8, 8},  {8, 0, 0, 8},  // straight and diagonal
        {0, 0, 4, 1},  {0, 1, 4, 0},  {0, 0, 1, 4},  {1, 0, 0, 4},  // a tie half-way, each octant
        {0, 0, 6, 3},  {0, 3, 6, 0},  {0, 0, 3, 6},  {3, 0, 0, 6},  // three ties
        {0, 0, 10, 1}, {0, 0, 13, 5}, {0, 10, 2, 0}, {1, 1, 12, 9}, // no tie
    };
    auto expected = [](int x0, int y0, int x1, int y1) {
        const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        std::vector<Point> out;
        for (int i = 0; i < steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            const double exact = xMajor ? y0 + (y1 - y0) * t : x0 + (x1 - x0) * t;
            const double below = std::floor(exact);
            const int minor = static_cast<int>(exact - below <= 0.5 ? below : below + 1);
            const int major = (xMajor ? x0 : y0) + i * ((xMajor ? x1 > x0 : y1 > y0) ? 1 : -1);
            out.push_back(xMajor ? Point{major, minor} : Point{minor, major});
        }
        std::sort(out.begin(), out.end(),
                  [](Point a, Point b) { return std::tie(a.y, a.x) < std::tie(b.y, b.x); });
        return out;
    };
    for (const auto& l : lines) {
        for (bool reverse : {false, true}) {
            const int x0 = 2 + l[reverse ? 2 : 0], y0 = 2 + l[reverse ? 3 : 1];
            const int x1 = 2 + l[reverse ? 0 : 2], y1 = 2 + l[reverse ? 1 : 3];
            auto canvas = Make(16, 16);
            ASSERT_TRUE(canvas);
            canvas->DrawLine(x0, y0, x1, y1, MakeColorref(0x12, 0x34, 0x56));
            const std::vector<Point> changed = Changed(*canvas, kBlack);
            const std::vector<Point> want = expected(x0, y0, x1, y1);
            EXPECT_EQ(changed, want)
                << "line " << x0 << "," << y0 << " -> " << x1 << "," << y1
                << "\n  drawn:    " << Describe(changed) << "\n  expected: " << Describe(want);
            const PixelSurface s = canvas->Pixels();
            for (const Point& p : changed) {
                const std::uint8_t* px = s.Row(p.y) + p.x * 4;
                ASSERT_TRUE(px[0] == 0x56 && px[1] == 0x34 && px[2] == 0x12)
                    << "bytes " << int(px[0]) << "," << int(px[1]) << "," << int(px[2]) << " at "
                    << p.x << "," << p.y;
            }
        }
    }
}

TEST(CanvasPort, LinesAreClippedToTheSurface) {
    auto canvas = Make(16, 16);
    ASSERT_TRUE(canvas);
    canvas->DrawLine(-40, 2, 1000000, 2, MakeColorref(255, 0, 0));
    canvas->DrawLine(-5, -5, -5, 40, MakeColorref(255, 0, 0)); // wholly outside
    canvas->DrawLine(INT_MIN / 2, 8, INT_MAX / 2, 8, MakeColorref(255, 0, 0));
    std::vector<Point> expected;
    for (int y : {2, 8})
        for (int x = 0; x < 16; ++x)
            expected.push_back({x, y});
    const std::vector<Point> changed = Changed(*canvas, kBlack);
    EXPECT_EQ(changed, expected) << Describe(changed);
}

TEST(CanvasPort, TextInkLiesInsideTheMeasuredCellInGreyShades) {
    auto canvas = Make(300, 40);
    ASSERT_TRUE(canvas);
    for (const TableFont& f : FontTable()) {
        Fill(*canvas, kWhite);
        canvas->SetFont(f.desc);
        canvas->SetTextColor(MakeColorref(0, 0, 0));
        const std::string text = "Monday 7 December  09:30 Wq";
        const TextSize size = canvas->MeasureText(text);
        canvas->DrawText(5, 7, text);
        const std::vector<Point> ink = Changed(*canvas, kWhite);
        const Box b = Bounds(ink);
        ASSERT_FALSE(b.Empty()) << f.name << ": nothing drawn";
        EXPECT_GE(b.left, 5) << f.name << ": " << Describe(b) << "; measured " << size.width << "x"
                             << size.height;
        EXPECT_GE(b.top, 7) << f.name << ": " << Describe(b);
        EXPECT_LT(b.right, 5 + size.width)
            << f.name << ": " << Describe(b) << "; measured width " << size.width;
        EXPECT_LT(b.bottom, 7 + size.height)
            << f.name << ": " << Describe(b) << "; measured height " << size.height;
        // The measure is not far too wide either: the ink reaches its last few pixels.
        EXPECT_GE(b.right, 5 + size.width - 4)
            << f.name << ": " << Describe(b) << "; measured width " << size.width;
        // Grey antialiasing: black on white gives greys only, no coloured fringes.
        const PixelSurface s = canvas->Pixels();
        bool dark = false;
        for (const Point& p : ink) {
            const Rgb c = At(s, p.x, p.y);
            ASSERT_TRUE(c.r == c.g && c.g == c.b)
                << f.name << ": " << c << " at " << p.x << "," << p.y;
            dark = dark || c.r < 64;
        }
        EXPECT_TRUE(dark) << f.name << ": no pixel near black";
    }
}

TEST(CanvasPort, TextColourGoesToRedGreenBlueBytes) {
    auto canvas = Make(120, 30);
    ASSERT_TRUE(canvas);
    canvas->SetFont({"Verdana", 16, 800, false});
    canvas->SetTextColor(MakeColorref(200, 0, 0));
    canvas->DrawText(2, 2, "HIL");
    const std::vector<Point> ink = Changed(*canvas, kBlack);
    ASSERT_FALSE(ink.empty());
    const PixelSurface s = canvas->Pixels();
    int full = 0;
    for (const Point& p : ink) {
        const Rgb c = At(s, p.x, p.y);
        ASSERT_TRUE(c.g == 0 && c.b == 0 && c.r > 0) << c << " at " << p.x << "," << p.y;
        full += c.r == 200;
    }
    EXPECT_GT(full, 10) << "stems of H, I and L are covered fully in the text colour";
}

TEST(CanvasPort, OpaqueBackgroundFillsTheCellAndTransparentLeavesIt) {
    const Rgb back{0x10, 0x80, 0xF0};
    const Colorref backRef = MakeColorref(back.r, back.g, back.b);
    for (bool opaque : {true, false}) {
        auto canvas = Make(100, 30);
        ASSERT_TRUE(canvas);
        canvas->SetFont({"Ms Sans Serif", 12, 400, false});
        canvas->SetTextColor(MakeColorref(255, 255, 255));
        canvas->SetBackground(opaque, backRef);
        const std::string text = "Hi x.";
        const TextSize size = canvas->MeasureText(text);
        canvas->DrawText(3, 4, text);
        canvas->Flush();
        const PixelSurface s = canvas->Pixels();
        int inCell = 0, background = 0, untouched = 0;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) {
                const bool cell = x >= 3 && x < 3 + size.width && y >= 4 && y < 4 + size.height;
                const Rgb c = At(s, x, y);
                if (!cell) {
                    ASSERT_EQ(c, kBlack)
                        << "outside the cell at " << x << "," << y << " (opaque " << opaque << ")";
                    continue;
                }
                ++inCell;
                background += c == back;
                untouched += c == kBlack;
            }
        if (opaque) {
            EXPECT_EQ(untouched, 0) << "cell " << size.width << "x" << size.height;
            EXPECT_GT(background, inCell / 2);
        } else {
            EXPECT_EQ(background, 0);
            EXPECT_GT(untouched, inCell / 2);
        }
    }
}

TEST(CanvasPort, MeasuredHeightIsTheCellHeightOfEachTableFont) {
    auto canvas = Make(8, 8);
    ASSERT_TRUE(canvas);
    for (const TableFont& f : FontTable()) {
        canvas->SetFont(f.desc);
        const TextSize size = canvas->MeasureText("Ag");
        EXPECT_NEAR(size.height, f.desc.height, 1)
            << f.name << " (" << f.desc.face << " " << f.desc.height << ")";
        EXPECT_GT(size.width, 0) << f.name;
        const TextSize empty = canvas->MeasureText("");
        EXPECT_EQ(empty.width, 0) << f.name;
        EXPECT_EQ(empty.height, size.height) << f.name << ": an empty line is as high as any";
    }
}

TEST(CanvasPort, WeightAndHeightChangeTheWidth) {
    auto canvas = Make(8, 8);
    ASSERT_TRUE(canvas);
    const std::string text = "Monday 7 December";
    auto width = [&](FontSpec desc) {
        canvas->SetFont(desc);
        return canvas->MeasureText(text).width;
    };
    const int normal = width({"Ms Sans Serif", 12, 400, false});
    const int bold = width({"Ms Sans Serif", 12, 700, false});
    const int larger = width({"Ms Sans Serif", 16, 400, false});
    EXPECT_GT(bold, normal);
    EXPECT_GT(larger, normal);
    EXPECT_GT(width({"Verdana", 12, 700, false}), width({"Verdana", 12, 400, false}));
    // Setting the font again gives the measure again: nothing leaks from one font to the next.
    EXPECT_EQ(width({"Ms Sans Serif", 12, 400, false}), normal);
}

TEST(CanvasPort, StrikeOutDrawsALineAcrossTheText) {
    auto draw = [](bool strike, std::vector<Point>& ink, TextSize& size) {
        auto canvas = Make(200, 30);
        ASSERT_TRUE(canvas);
        Fill(*canvas, kWhite);
        canvas->SetFont({"Ms Sans Serif", 12, 400, strike});
        size = canvas->MeasureText("mmmm mmmm");
        canvas->DrawText(4, 4, "mmmm mmmm");
        ink = Changed(*canvas, kWhite);
    };
    std::vector<Point> plain, struck;
    TextSize plainSize, struckSize;
    draw(false, plain, plainSize);
    draw(true, struck, struckSize);
    EXPECT_EQ(plainSize.width, struckSize.width);
    // A row of the struck text is inked across nearly the whole width, space included.
    int widest = 0;
    for (int y = 4; y < 4 + struckSize.height; ++y) {
        int n = 0;
        for (const Point& p : struck)
            n += p.y == y;
        widest = std::max(widest, n);
    }
    EXPECT_GE(widest, struckSize.width - 2)
        << "widest inked row: " << widest << " of " << struckSize.width;
    EXPECT_GT(struck.size(), plain.size());
}

TEST(CanvasPort, FitTextCountsWholeCharactersAndGrowsWithTheWidth) {
    auto canvas = Make(8, 8);
    ASSERT_TRUE(canvas);
    canvas->SetFont({"Ms Sans Serif", 11, 400, false});
    struct Sample {
        std::string text;
        bool utf8; // false: bytes that begin no character count as one character each
    };
    const Sample samples[] = {
        {"Gr\xC3\xBC\xC3\x9F"
         "e Stra\xC3\x9F"
         "e",
         true},                                                 // Grüße Straße
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E meeting", true}, // three CJK characters
        {"Party \xF0\x9F\x8E\x89\xF0\x9F\x98\x80 at 9", true},  // emoji: surrogate pairs in UTF-16
        {"bad \xFF bytes \xE2\x82", false},
    };
    for (const auto& [text, utf8] : samples) {
        const int full = canvas->MeasureText(text).width;
        ASSERT_GT(full, 0) << text;
        size_t previous = 0;
        for (int width = -1; width <= full + 3; ++width) {
            const size_t n = canvas->FitText(text, width);
            ASSERT_LE(n, text.size());
            ASSERT_GE(n, previous) << "fit shrank at width " << width << " for " << text;
            previous = n;
            if (utf8 && n < text.size()) {
                ASSERT_NE(static_cast<unsigned char>(text[n]) & 0xC0, 0x80)
                    << "cut inside a character at byte " << n << ", width " << width << ": "
                    << text;
            }
            const int fitted = canvas->MeasureText(text.substr(0, n)).width;
            EXPECT_LE(fitted, std::max(width, 0))
                << "width " << width << ", " << n << " bytes of " << text;
            if (n < text.size() && width >= 0) {
                // One more character would not fit.
                const size_t len = std::max<size_t>(1, Utf8CharAt(text, n).length);
                const int more = canvas->MeasureText(text.substr(0, n + len)).width;
                EXPECT_GT(more, width) << "width " << width << ", " << n << " bytes of " << text;
            }
        }
        EXPECT_EQ(canvas->FitText(text, full), text.size()) << text;
        EXPECT_EQ(canvas->FitText(text, 0), 0u) << text;
    }
    EXPECT_EQ(canvas->FitText("", 100), 0u);
}

TEST(CanvasPort, TextThatIsNotUtf8LeavesTheCanvasWorking) {
    auto canvas = Make(120, 20);
    ASSERT_TRUE(canvas);
    Fill(*canvas, kWhite);
    const std::string bad = "a\xC3(\xFF\xE2\x82";
    EXPECT_GT(canvas->MeasureText(bad).width, canvas->MeasureText("a(").width);
    canvas->DrawText(0, 0, bad);
    Fill(*canvas, kWhite);
    canvas->DrawText(2, 2, "still drawn");
    EXPECT_FALSE(Changed(*canvas, kWhite).empty()) << "text after bad bytes drew nothing";
}

TEST(CanvasPort, SizesOfNothingOrTooLargeAreRefused) {
    const std::pair<int, int> refused[] = {
        {0, 10},
        {10, 0},
        {-1, 5},
        {5, -1},
        {INT_MIN, INT_MIN},
        {INT_MAX, INT_MAX},
        {65536, 65536}, // 4 * w * h wraps to 0 in 32 bits
        {8193, 8193},   // just over 256 MB
        {1, (64 << 20) + 1},
    };
    for (auto [w, h] : refused)
        EXPECT_EQ(Make(w, h), nullptr) << w << "x" << h;
    auto one = Make(1, 1);
    ASSERT_TRUE(one);
    EXPECT_TRUE(one->Pixels().Valid());
}

// Not a check of exact pixels: the eleven fonts drawn into a picture a person can
// look at (CanvasSamplePath), with each line's ink kept inside its own band.
TEST(CanvasPort, FontTableSampleIsWrittenForALook) {
    auto canvas = Make(400, 300);
    ASSERT_TRUE(canvas);
    Fill(*canvas, kWhite);
    const std::string text = "Monday 7 December  09:30 Team stand-up";
    int y = 4;
    std::vector<std::pair<int, int>> bands;
    for (const TableFont& f : FontTable()) {
        canvas->SetFont(f.desc);
        const TextSize size = canvas->MeasureText(text);
        canvas->DrawText(6, y, text);
        std::printf("%-13s %-13s %2d %d%s: %dx%d\n", f.name, f.desc.face.c_str(), f.desc.height,
                    f.desc.weight, f.desc.strikeOut ? " struck" : "", size.width, size.height);
        bands.push_back({y, y + size.height});
        y += size.height + 8;
    }
    ASSERT_LE(y, 300);
    canvas->DrawLine(0, y, 400, y, MakeColorref(0, 45, 106));
    const std::vector<Point> ink = Changed(*canvas, kWhite);
    std::vector<int> perBand(bands.size(), 0);
    for (const Point& p : ink) {
        if (p.y == y) continue;
        bool inside = false;
        for (size_t i = 0; i < bands.size(); ++i)
            if (p.y >= bands[i].first && p.y < bands[i].second) {
                ++perBand[i];
                inside = true;
            }
        ASSERT_TRUE(inside) << "ink between the lines at " << p.x << "," << p.y;
    }
    for (size_t i = 0; i < bands.size(); ++i)
        EXPECT_GT(perBand[i], 100) << FontTable()[i].name;
    canvas->Flush();
    EXPECT_TRUE(SaveSurfaceAsBmp(canvas->Pixels(), CanvasSamplePath())) << CanvasSamplePath();
    std::printf("font sample: %s\n", CanvasSamplePath().c_str());
}

} // namespace

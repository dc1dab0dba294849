// The pictures drawn by tools/artwork, read back from the build's artwork folder with
// readers of their own: sizes and depths the program relies on, the key colours that
// make parts of them transparent, and that the pictures tell apart what they must.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../../res/strings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kArt = ORVANTA_ARTWORK_DIR;

Bytes Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Rgb& c) {
    return o << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
double Luma(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

const Rgb kBlack{0, 0, 0};
const Rgb kCyan{0, 255, 255};

// A BMP as the program's loader sees it: colours top down.
struct Bmp {
    std::string error; // empty when the file is sound
    int width = 0, height = 0, bits = 0;
    std::vector<Rgb> palette;
    std::vector<int> index; // 8-bit pictures
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Bmp ReadBmp(const std::string& path) {
    Bmp bmp;
    Bytes b = Load(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp.error = "not a BMP: " + path, bmp;
    if (U32(b, 2) != b.size()) return bmp.error = "file size field differs from the file", bmp;
    if (U32(b, 14) != 40) return bmp.error = "not a BITMAPINFOHEADER", bmp;
    bmp.width = int(U32(b, 18));
    bmp.height = int(U32(b, 22));
    bmp.bits = int(U16(b, 28));
    if (U16(b, 26) != 1 || U32(b, 30) != 0) return bmp.error = "planes or compression unusual", bmp;
    if (bmp.width <= 0 || bmp.height <= 0) return bmp.error = "size not positive (top-down rows?)", bmp;
    const size_t offset = U32(b, 10);
    const size_t stride = ((size_t(bmp.width) * bmp.bits + 31) / 32) * 4;
    if (offset + stride * bmp.height != b.size()) return bmp.error = "pixel data does not fill the file", bmp;
    if (bmp.bits == 8) {
        size_t used = U32(b, 46) ? U32(b, 46) : 256;
        if (used > 256 || 54 + used * 4 != offset) return bmp.error = "colour table size", bmp;
        for (size_t i = 0; i < used; ++i) bmp.palette.push_back({b[54 + 4 * i + 2], b[54 + 4 * i + 1], b[54 + 4 * i]});
    } else if (bmp.bits != 24) {
        return bmp.error = "neither 8 nor 24 bits", bmp;
    }
    for (int y = 0; y < bmp.height; ++y) {
        const size_t row = offset + stride * size_t(bmp.height - 1 - y);
        for (int x = 0; x < bmp.width; ++x) {
            if (bmp.bits == 24) {
                bmp.pixels.push_back({b[row + 3 * x + 2], b[row + 3 * x + 1], b[row + 3 * x]});
            } else {
                int i = b[row + x];
                if (size_t(i) >= bmp.palette.size()) return bmp.error = "index past the colour table", bmp;
                bmp.index.push_back(i);
                bmp.pixels.push_back(bmp.palette[i]);
            }
        }
    }
    return bmp;
}

// One image of an icon file: colours, alpha and the AND mask, top down.
struct IconImage {
    int size = 0, bits = 0;
    std::vector<Rgb> colour;
    std::vector<int> alpha;
    std::vector<bool> transparent; // AND mask bit set
    Rgb At(int x, int y) const { return colour[size_t(y) * size + x]; }
    bool Clear(int x, int y) const { return transparent[size_t(y) * size + x]; }
};

struct Icon {
    std::string error;
    std::vector<IconImage> images;
};

Icon ReadIco(const std::string& path) {
    Icon ico;
    Bytes b = Load(path);
    if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) return ico.error = "not an icon file: " + path, ico;
    const size_t count = U16(b, 4);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * i;
        if (e + 16 > b.size()) return ico.error = "directory runs past the file", ico;
        const size_t bytes = U32(b, e + 8), at = U32(b, e + 12);
        if (at + bytes > b.size() || bytes < 40) return ico.error = "image runs past the file", ico;
        IconImage img;
        img.size = b[e] ? b[e] : 256;
        img.bits = int(U16(b, at + 14));
        if (b[e + 1] != b[e] || int(U32(b, at + 4)) != img.size || int(U32(b, at + 8)) != 2 * img.size)
            return ico.error = "image not square or its header disagrees with the directory", ico;
        if (img.bits != 32) return ico.error = "not a 32-bit image", ico;
        const size_t maskStride = ((size_t(img.size) + 31) / 32) * 4;
        if (40 + size_t(img.size) * img.size * 4 + maskStride * img.size != bytes)
            return ico.error = "image size field disagrees with its data", ico;
        const size_t xorAt = at + 40, andAt = xorAt + size_t(img.size) * img.size * 4;
        for (int y = 0; y < img.size; ++y) {
            const int row = img.size - 1 - y;
            for (int x = 0; x < img.size; ++x) {
                const size_t p = xorAt + (size_t(row) * img.size + x) * 4;
                img.colour.push_back({b[p + 2], b[p + 1], b[p]});
                img.alpha.push_back(b[p + 3]);
                img.transparent.push_back((b[andAt + row * maskStride + x / 8] >> (7 - x % 8)) & 1);
            }
        }
        ico.images.push_back(std::move(img));
    }
    return ico;
}

std::string BmpPath(int id) { return kArt + "/bmp/" + std::to_string(id) + ".bmp"; }
std::string IcoPath(int id) { return kArt + "/ico/" + std::to_string(id) + ".ico"; }
std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
std::string LibraryIcon(const std::string& lib, int index) { return kArt + "/" + lib + "/" + Two(index) + ".ico"; }

const char* const kLooks[3] = {"look01", "look02", "look03"};

struct BitmapSize {
    int id, width, height, bits;
};

// The sizes the program draws the bitmaps at.
const BitmapSize kBitmaps[] = {
    {IDB_TASK_COMPLETE, 10, 12, 24}, {IDB_IMPORTANCE_HIGH, 10, 12, 24}, {IDB_IMPORTANCE_LOW, 10, 12, 24},
    {IDB_ATTACHMENT, 10, 12, 24},    {IDB_REMINDER, 10, 12, 24},        {IDB_RECURRING, 10, 12, 24},
    {IDB_TASK_NOT_STARTED, 10, 12, 24}, {IDB_TASK_IN_PROGRESS, 10, 12, 24},
    {187, 700, 64, 24}, {188, 700, 64, 24}, {189, 700, 64, 24},
    {196, 450, 264, 24}, {197, 450, 269, 24}, {198, 455, 269, 24},
    {203, 400, 300, 8}, {244, 640, 400, 24},
    {223, 400, 26, 24}, {224, 400, 26, 24}, {225, 400, 26, 24},
    {226, 400, 26, 24}, {227, 400, 26, 24}, {228, 400, 26, 24},
    {230, 400, 26, 24}, {231, 400, 26, 24}, {232, 400, 26, 24},
    {236, 25, 32, 24}, {237, 25, 32, 24}, {238, 25, 32, 24},
};

// Every bitmap also comes drawn at 150 and 200 % (x150/, x200/), its size the 100 %
// one's times the scale, rounded.
TEST(Artwork, EveryBitmapHasTheSizeAndDepthItIsDrawnAt) {
    const struct {
        const char* folder;
        int percent;
    } scales[] = {{"", 100}, {"x150/", 150}, {"x200/", 200}};
    for (const auto& scale : scales)
        for (const BitmapSize& s : kBitmaps) {
            SCOPED_TRACE("bitmap " + std::to_string(s.id) + " at " + std::to_string(scale.percent));
            Bmp bmp = ReadBmp(kArt + "/" + scale.folder + "bmp/" + std::to_string(s.id) + ".bmp");
            ASSERT_EQ(bmp.error, "");
            EXPECT_EQ(bmp.width, (s.width * scale.percent + 50) / 100);
            EXPECT_EQ(bmp.height, (s.height * scale.percent + 50) / 100);
            EXPECT_EQ(bmp.bits, s.bits);
        }
}

TEST(Artwork, SplashCarriesItsOwnColourTableAndRoomForTheVersion) {
    Bmp splash = ReadBmp(BmpPath(IDB_SPLASH));
    ASSERT_EQ(splash.error, "");
    ASSERT_EQ(splash.bits, 8);
    // A real picture, not a handful of flat colours, and every entry in use.
    EXPECT_GT(splash.palette.size(), 64u);
    EXPECT_EQ(std::set<int>(splash.index.begin(), splash.index.end()).size(), splash.palette.size());
    // The program writes its version in white, right-aligned at (390, 287).
    for (int y = 285; y < 299; ++y)
        for (int x = 300; x < 392; ++x) ASSERT_LT(Luma(splash.At(x, y)), 90) << x << "," << y;
}

TEST(Artwork, IconsOfTheProgramHoldTheirSizes) {
    struct IconCase {
        int id;
        std::vector<int> sizes;
    } icons[] = {{IDR_MAINFRAME, {16, 32, 48, 24, 64}}, {IDI_TRAY_START, {16, 32, 24, 48, 64}},
                 {IDI_TODAY, {32, 48, 64}}, {IDI_TODAY + 1, {32, 48, 64}}, {IDI_TODAY + 2, {32, 48, 64}}};
    for (const IconCase& s : icons) {
        SCOPED_TRACE("icon " + std::to_string(s.id));
        Icon ico = ReadIco(IcoPath(s.id));
        ASSERT_EQ(ico.error, "");
        std::vector<int> sizes;
        for (const IconImage& img : ico.images) sizes.push_back(img.size);
        EXPECT_EQ(sizes, s.sizes);
    }
}

// The resource lines of a library script: (id, file) in the order written.
std::vector<std::pair<int, std::string>> ScriptIcons(const std::string& rc) {
    std::vector<std::pair<int, std::string>> out;
    std::istringstream in(rc);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        int id = 0;
        std::string type, file;
        if (words >> id >> type >> file && type == "ICON") out.emplace_back(id, file);
    }
    return out;
}

TEST(Artwork, IconLibrariesListTheirIconsInIndexOrder) {
    struct Lib {
        std::string name;
        int count;
    } libs[] = {{"look01", 38}, {"look02", 38}, {"look03", 38}, {"bw", 31}};
    for (const Lib& lib : libs) {
        SCOPED_TRACE(lib.name);
        Bytes rc = Load(kArt + "/" + lib.name + ".rc");
        auto icons = ScriptIcons(std::string(rc.begin(), rc.end()));
        ASSERT_EQ(int(icons.size()), lib.count);
        for (int i = 0; i < lib.count; ++i) {
            // ExtractIcon's index i is the i-th icon group by id: id i + 1 must be file i.
            EXPECT_EQ(icons[i].first, i + 1);
            EXPECT_EQ(icons[i].second, "\"" + lib.name + "/" + Two(i) + ".ico\"");
            Icon ico = ReadIco(LibraryIcon(lib.name, i));
            ASSERT_EQ(ico.error, "") << i;
            std::vector<int> sizes;
            for (const IconImage& img : ico.images) sizes.push_back(img.size);
            // The sizes drawn at 100 % first, then those of 150 and 200 %.
            const std::vector<int> expected =
                lib.name == "bw" ? std::vector<int>{16, 32, 24, 48, 64} : std::vector<int>{32, 48, 64};
            EXPECT_EQ(sizes, expected) << i;
        }
    }
}

// Black is the transparent colour of the month calendar's pictures: around the shape
// every pixel is black (and clear in the mask), inside it none is.
void ExpectBlackKeyed(const IconImage& img, double minCovered) {
    int covered = 0;
    for (int y = 0; y < img.size; ++y)
        for (int x = 0; x < img.size; ++x) {
            Rgb c = img.At(x, y);
            if (img.Clear(x, y)) {
                ASSERT_EQ(c, kBlack) << "clear pixel " << x << "," << y << " would not key out";
                continue;
            }
            ++covered;
            // Not black, and not so dark that a 16-bit display turns it black.
            ASSERT_FALSE(c.r < 8 && c.g < 8 && c.b < 8) << "shown pixel " << x << "," << y << " is " << c;
        }
    EXPECT_GE(covered, minCovered * img.size * img.size);
}

TEST(Artwork, CalendarPicturesAreKeyedOnBlack) {
    for (const char* lib : kLooks) {
        for (int i = 0; i < 38; ++i) {
            SCOPED_TRACE(std::string(lib) + " icon " + std::to_string(i));
            Icon ico = ReadIco(LibraryIcon(lib, i));
            ASSERT_EQ(ico.error, "");
            const IconImage& img = ico.images[0];
            for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
                EXPECT_EQ(img.At(x, y), kBlack);
                EXPECT_TRUE(img.Clear(x, y));
            }
            ExpectBlackKeyed(img, 0.8); // a tile, not a few strokes
        }
    }
}

// Pixels of the icon's dark ink: a number or a caption.
int InkPixels(const IconImage& img, bool darkInk) {
    int n = 0;
    for (int y = 6; y < 26; ++y)
        for (int x = 6; x < 26; ++x)
            if (!img.Clear(x, y) && (darkInk ? Luma(img.At(x, y)) < 110 : Luma(img.At(x, y)) > 200)) ++n;
    return n;
}

TEST(Artwork, EveryDayAndWeekdayHasAPictureOfItsOwn) {
    std::vector<std::vector<Rgb>> blueDays;
    for (const char* lib : kLooks) {
        SCOPED_TRACE(lib);
        std::vector<std::vector<Rgb>> seen;
        for (int i = 0; i < 38; ++i) {
            Icon ico = ReadIco(LibraryIcon(lib, i));
            ASSERT_EQ(ico.error, "");
            const IconImage& img = ico.images[0];
            // Days are dark numbers on a light tile, weekdays light letters on a dark one.
            EXPECT_GT(InkPixels(img, i < 31), 25) << "icon " << i << " shows no number or caption";
            for (size_t j = 0; j < seen.size(); ++j) EXPECT_TRUE(seen[j] != img.colour) << i << " equals " << j;
            seen.push_back(img.colour);
        }
        if (blueDays.empty())
            blueDays = seen;
        else
            EXPECT_TRUE(seen[0] != blueDays[0]) << "the styles' pictures should differ in colour";
    }
}

TEST(Artwork, TodayMarkFramesTheDayAndLeavesItsNumberVisible) {
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE("style " + std::to_string(s));
        Icon ico = ReadIco(IcoPath(IDI_TODAY + s));
        ASSERT_EQ(ico.error, "");
        const IconImage& img = ico.images[0];
        // The middle, where the day's number is, stays transparent.
        for (int y = 8; y < 24; ++y)
            for (int x = 8; x < 24; ++x) ASSERT_TRUE(img.Clear(x, y) && img.At(x, y) == kBlack) << x << "," << y;
        // A frame along all four edges.
        for (int k = 6; k < 26; ++k) {
            EXPECT_FALSE(img.Clear(k, 2)) << k;
            EXPECT_FALSE(img.Clear(k, 29)) << k;
            EXPECT_FALSE(img.Clear(2, k)) << k;
            EXPECT_FALSE(img.Clear(29, k)) << k;
        }
        ExpectBlackKeyed(img, 0.2);
    }
}

TEST(Artwork, StateMarksStandOnTheKeyColourAndKeepTheirMeaning) {
    const int ids[] = {IDB_TASK_COMPLETE, IDB_TASK_NOT_STARTED, IDB_TASK_IN_PROGRESS, IDB_ATTACHMENT,
                       IDB_IMPORTANCE_HIGH, IDB_IMPORTANCE_LOW, IDB_REMINDER, IDB_RECURRING};
    std::vector<std::vector<Rgb>> seen;
    auto count = [](const Bmp& b, auto pred) {
        int n = 0;
        for (Rgb c : b.pixels) n += (c != kCyan && pred(c)) ? 1 : 0;
        return n;
    };
    auto red = [](Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; };
    auto blue = [](Rgb c) { return c.b > 150 && c.r < 90 && c.g < 160; };
    auto green = [](Rgb c) { return c.g > 110 && c.r < 80 && c.b < 100; };
    for (int id : ids) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        Bmp b = ReadBmp(BmpPath(id));
        ASSERT_EQ(b.error, "");
        EXPECT_EQ(b.At(0, 0), kCyan);
        EXPECT_EQ(b.At(9, 0), kCyan);
        EXPECT_EQ(b.At(0, 11), kCyan);
        // The last column stays key, so marks drawn 10 pixels apart never touch.
        for (int y = 0; y < 12; ++y) EXPECT_EQ(b.At(9, y), kCyan) << y;
        EXPECT_GE(count(b, [](Rgb) { return true; }), 20);
        for (size_t j = 0; j < seen.size(); ++j) EXPECT_TRUE(seen[j] != b.pixels) << "same as mark " << ids[j];
        seen.push_back(b.pixels);
        // Colours that say which mark is which: red high, blue low, a green tick.
        if (id == IDB_IMPORTANCE_HIGH) {
            EXPECT_GT(count(b, red), 15);
            EXPECT_EQ(count(b, blue), 0);
        } else if (id == IDB_IMPORTANCE_LOW) {
            EXPECT_GT(count(b, blue), 15);
            EXPECT_EQ(count(b, red), 0);
        } else if (id == IDB_TASK_COMPLETE) {
            EXPECT_GT(count(b, green), 8);
        } else if (id == IDB_TASK_NOT_STARTED) {
            EXPECT_EQ(count(b, green) + count(b, blue), 0);
        } else if (id == IDB_TASK_IN_PROGRESS) {
            EXPECT_GT(count(b, blue), 8);
        }
    }
}

TEST(Artwork, HeaderShowsTheNameAndLeavesDarkRoomForTheWhiteDate) {
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE("style " + std::to_string(s));
        Bmp h = ReadBmp(BmpPath(IDB_HEADER + s));
        ASSERT_EQ(h.error, "");
        // The date is written in white, right-aligned to x = 692, from y = 10.
        for (int y = 8; y < 30; ++y)
            for (int x = 420; x < 696; ++x) ASSERT_LT(Luma(h.At(x, y)), 110) << x << "," << y;
        // The product name lies in the 120 x 32 that a click on the header answers.
        int light = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 120; ++x) light += Luma(h.At(x, y)) > 200 ? 1 : 0;
        EXPECT_GT(light, 150);
        // The contacts button is drawn over x = 126..150: same ground on both sides of it.
        Bmp c = ReadBmp(BmpPath(IDB_CONTACTS + s));
        ASSERT_EQ(c.error, "");
        for (int y = 0; y < 32; ++y) EXPECT_EQ(c.At(0, y), h.At(126, y)) << y;
    }
}

TEST(Artwork, StripsBlendIntoTheBlockUnderThem) {
    struct StripCase {
        int base;
        Rgb block[3]; // the block's background in each style
    } strips[] = {
        {IDB_APPOINTMENT_STRIP, {{255, 255, 255}, {255, 255, 255}, {255, 250, 231}}},
        {IDB_TASK_STRIP, {{255, 255, 255}, {255, 255, 255}, {255, 250, 231}}},
        {IDB_FOLDER_STRIP, {{239, 244, 253}, {239, 244, 253}, {255, 250, 231}}},
    };
    for (const StripCase& strip : strips)
        for (int s = 0; s < 3; ++s) {
            SCOPED_TRACE("bitmap " + std::to_string(strip.base + s));
            Bmp b = ReadBmp(BmpPath(strip.base + s));
            ASSERT_EQ(b.error, "");
            EXPECT_EQ(b.At(0, 0), strip.block[s]);
            EXPECT_EQ(b.At(0, 25), strip.block[s]);
            EXPECT_EQ(b.At(200, 0), strip.block[s]);
            // The caption is white on the dark left part.
            int white = 0;
            for (int y = 4; y < 22; ++y)
                for (int x = 28; x < 100; ++x) white += Luma(b.At(x, y)) > 220 ? 1 : 0;
            EXPECT_GT(white, 40);
        }
}

TEST(Artwork, DateIconsShowEachDayAtBothSizes) {
    for (int size : {0, 1}) {
        std::vector<std::vector<Rgb>> seen;
        for (int i = 0; i < 31; ++i) {
            Icon ico = ReadIco(LibraryIcon("bw", i));
            ASSERT_EQ(ico.error, "");
            ASSERT_EQ(ico.images.size(), 5u);
            const IconImage& img = ico.images[size];
            for (size_t j = 0; j < seen.size(); ++j) EXPECT_TRUE(seen[j] != img.colour) << i << " equals " << j;
            seen.push_back(img.colour);
            // The page is opaque in its middle, whatever the tray behind it.
            EXPECT_FALSE(img.Clear(img.size / 2, img.size / 2));
            EXPECT_EQ(img.alpha[size_t(img.size / 2) * img.size + img.size / 2], 255);
        }
    }
}

// The Linux program reads icons as BMP copies: the 32-pixel image drawn onto black, and
// below x150/ and x200/ the 48- and 64-pixel images.
TEST(Artwork, EveryIconHasACopyDrawnOntoBlack) {
    std::vector<std::string> icons;
    for (int id : {IDR_MAINFRAME, IDI_TRAY_START, IDI_TODAY, IDI_TODAY + 1, IDI_TODAY + 2})
        icons.push_back(kArt + "/ico/" + std::to_string(id));
    for (const char* lib : kLooks)
        for (int i = 0; i < 38; ++i) icons.push_back(kArt + "/" + lib + "/" + Two(i));
    for (int i = 0; i < 31; ++i) icons.push_back(kArt + "/bw/" + Two(i));
    for (const std::string& stem : icons)
        for (int size : {32, 48, 64}) {
            SCOPED_TRACE(stem + " at " + std::to_string(size));
            Icon ico = ReadIco(stem + ".ico");
            const std::string folder = size == 32 ? "" : size == 48 ? "x150/" : "x200/";
            Bmp copy = ReadBmp(kArt + "/" + folder + stem.substr(kArt.size() + 1) + ".bmp");
            ASSERT_EQ(ico.error, "");
            ASSERT_EQ(copy.error, "");
            ASSERT_EQ(copy.width, size);
            ASSERT_EQ(copy.height, size);
            const IconImage* img = nullptr;
            for (const IconImage& i : ico.images) img = i.size == size ? &i : img;
            ASSERT_NE(img, nullptr);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const Rgb c = img->At(x, y);
                    const int a = img->alpha[size_t(y) * size + x];
                    const Rgb want{(c.r * a + 127) / 255, (c.g * a + 127) / 255, (c.b * a + 127) / 255};
                    const Rgb got = copy.At(x, y);
                    ASSERT_LE(std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b), 3)
                        << x << "," << y << ": " << got << " for " << c << " at alpha " << a;
                }
        }
}

TEST(Artwork, ContactSheetIsAPng) {
    Bytes png = Load(kArt + "/contact-sheet.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    auto be32 = [&](size_t at) { return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
    // Wide enough for the 4x header beside others.
    EXPECT_GE(be32(16), 2800);
    EXPECT_GE(be32(20), 2000);
}

} // namespace
